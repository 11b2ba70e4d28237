// Stations filing into a lab's server of the test's own: what a station
// queues reaches the server once, whatever the server does meanwhile, and
// two stations filing at once both arrive whole.
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QtTest>

#include <array>
#include <thread>

#include "archive/archive_database.h"
#include "archive/archive_sender.h"
#include "archive/archive_server.h"
#include "archive/archive_sync.h"
#include "support/archive_entries.h"
#include "support/postgres_server.h"
#include "support/test_working_folder.h"

namespace {

// A station's archive with `count` tests filed and queued, each with a
// report file of its own.
bool FileAndQueue(QSqlDatabase& station, const QString& name, const QString& folder, int first, int count) {
  const bool filed = InsertArchiveEntries(station, count, [&](int i) {
    ArchiveEntry entry;
    entry.uid = QStringLiteral("%1-%2").arg(name).arg(first + i);
    entry.station = name;
    entry.reportNumber = static_cast<quint32>(first + i);
    entry.testedAt = QDateTime(QDate(2026, 12, 9), QTime(9, 0)).addSecs(60 * (first + i));
    entry.equipment = QStringLiteral("Kettle");
    entry.verdict = QStringLiteral("PASS");
    entry.files << WriteArchivedFile(QStringLiteral("text"), QStringLiteral("%1/%2-RUN%3.TXT").arg(folder, name).arg(first + i),
                                     QByteArray("report ") + QByteArray::number(first + i));
    return entry;
  });
  for (int i = 0; filed && i < count; ++i) {
    if (!QueueForServer(station, QStringLiteral("%1-%2").arg(name).arg(first + i)).isEmpty()) return false;
  }
  return filed;
}

// The server's tests of a station, "report number:bytes filed" each, in order.
QStringList OnServer(QSqlDatabase& server, const QString& station) {
  QSqlQuery query(server);
  query.prepare(QStringLiteral(
      "SELECT report_number, contents FROM tests JOIN test_files ON test_files.test_id = tests.id "
      "WHERE station = ? ORDER BY report_number"));
  query.addBindValue(station);
  QStringList found;
  if (!query.exec()) return {query.lastError().text()};
  while (query.next()) found << query.value(0).toString() + ':' + query.value(1).toString();
  return found;
}

QStringList Expected(int first, int last) {
  QStringList expected;
  for (int i = first; i <= last; ++i) expected << QStringLiteral("%1:report %1").arg(i);
  return expected;
}

}  // namespace

class TestArchiveSync : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void nothingLostNothingTwice();
  void twoStationsAtOnce();
  void senderRetriesUntilTheServerIsBack();

 private:
  QSqlDatabase Server(const QString& name) {
    QString error;
    QSqlDatabase db = OpenServerArchive({server_->Host(), server_->Port(), server_->Database(), server_->User()}, {},
                                        name, &error);
    if (!error.isEmpty()) qWarning("%s", qPrintable(error));
    return db;
  }

  TestWorkingFolder folder_;
  std::unique_ptr<TestPostgresServer> server_;
};

void TestArchiveSync::initTestCase() {
  server_ = std::make_unique<TestPostgresServer>();
  if (!server_->Installed()) QSKIP(qPrintable(server_->Problem()));
  QVERIFY2(server_->Problem().isEmpty(), qPrintable(server_->Problem()));
}

void TestArchiveSync::nothingLostNothingTwice() {
  QString error;
  QSqlDatabase station = OpenStationArchive(folder_.FilePath("one.sqlite"), "one", &error);
  QVERIFY2(station.isOpen(), qPrintable(error));
  QSqlDatabase server = Server("server");
  QVERIFY(server.isOpen());

  // (The server going away and coming back: senderRetriesUntilTheServerIsBack.)
  QVERIFY(FileAndQueue(station, "LAB-1", folder_.Path(), 1, 4));
  const SyncOutcome outcome = SendQueued(station, server);
  QCOMPARE(outcome.sent, 4);
  QCOMPARE(outcome.left, 0);

  // The server committed, the station never heard: sent again, kept once.
  QSqlQuery lost(station);
  QVERIFY(lost.exec("INSERT INTO outbox (uid, queued_at) VALUES ('LAB-1-3', '2026-12-09T10:00:00Z')"));
  QVERIFY(lost.exec("UPDATE test_files SET contents = CAST('report 3' AS BLOB) WHERE test_id = 3"));
  QCOMPARE(SendQueued(station, server).sent, 1);
  QCOMPARE(OnServer(server, "LAB-1"), Expected(1, 4));
  // Acknowledged entries keep no bytes on the station.
  QVERIFY(lost.exec("SELECT COUNT(*) FROM test_files WHERE contents IS NOT NULL") && lost.next());
  QCOMPARE(lost.value(0).toInt(), 0);
  station.close();
  server.close();
}

void TestArchiveSync::twoStationsAtOnce() {
  // Each station files and sends from a thread of its own, with its own
  // connections, at the same time.
  constexpr int kEach = 40;
  std::array<QString, 2> errors;
  std::vector<std::thread> stations;
  for (int s = 0; s < 2; ++s) {
    stations.emplace_back([&, s] {
      const QString name = QStringLiteral("LAB-%1").arg(s + 2);
      {
        QString error;
        QSqlDatabase station = OpenStationArchive(folder_.FilePath(name + ".sqlite"), name, &error);
        QSqlDatabase server = Server(name + "-server");
        for (int i = 0; i < kEach && error.isEmpty(); i += 5) {
          if (!FileAndQueue(station, name, folder_.Path(), i + 1, 5)) error = "filing failed";
          const SyncOutcome outcome = SendQueued(station, server);
          if (!outcome.error.isEmpty()) error = outcome.error;
        }
        errors[s] = error;
        station.close();
        server.close();
      }
      QSqlDatabase::removeDatabase(name);
      QSqlDatabase::removeDatabase(name + "-server");
    });
  }
  for (std::thread& station : stations) station.join();
  QCOMPARE(QStringList(errors.begin(), errors.end()), QStringList({QString(), QString()}));
  QSqlDatabase server = Server("check");
  QCOMPARE(OnServer(server, "LAB-2"), Expected(1, kEach));
  QCOMPARE(OnServer(server, "LAB-3"), Expected(1, kEach));
  server.close();
}

void TestArchiveSync::senderRetriesUntilTheServerIsBack() {
  const QString path = folder_.FilePath("four.sqlite");
  {
    QString error;
    QSqlDatabase station = OpenStationArchive(path, "four", &error);
    QVERIFY(FileAndQueue(station, "LAB-4", folder_.Path(), 1, 3));
    station.close();
  }
  QSqlDatabase::removeDatabase("four");
  QVERIFY(server_->Stop());
  QList<QList<QVariant>> reports;
  {
    ArchiveSender sender(path, {server_->Host(), server_->Port(), server_->Database(), server_->User()}, {}, 300);
    connect(&sender, &ArchiveSender::Reported, this,
            [&](int sent, int left, const QString& error) { reports.append({sent, left, error.isEmpty()}); });
    sender.SendSoon();
    QTRY_VERIFY(!reports.isEmpty());
    QCOMPARE(reports.first(), (QList<QVariant>{0, 3, false}));
    // Back: the next retry sends all three, and the sender stops trying.
    QVERIFY(server_->Start());
    QTRY_COMPARE_WITH_TIMEOUT(reports.last(), (QList<QVariant>{3, 0, true}), 10000);
    const qsizetype attempts = reports.size();
    QTest::qWait(3 * 300);
    QCOMPARE(reports.size(), attempts);
  }
  QSqlDatabase server = Server("check4");
  QCOMPARE(OnServer(server, "LAB-4"), Expected(1, 3));
  server.close();
}

QTEST_GUILESS_MAIN(TestArchiveSync)
#include "test_archive_sync.moc"
