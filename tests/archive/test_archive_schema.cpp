// The archive's tables on a station's file and on a lab's server: made at
// the newest version, an archive of the first version brought up to date
// with its entries kept, and an archive of a version newer than the program
// left alone.
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QtTest>

#include "archive/archive_database.h"
#include "archive/archive_query.h"
#include "archive/archive_schema.h"
#include "archive/archive_server.h"
#include "support/postgres_server.h"
#include "support/test_working_folder.h"

namespace {

const QString kOld = QStringLiteral("old");
const QString kArchive = QStringLiteral("archive");

}  // namespace

class TestArchiveSchema : public QObject {
  Q_OBJECT

 private slots:
  void versions_data();
  void versions();

 private:
  // The same archive under another connection, as an older program or a
  // second station has it.
  QSqlDatabase Connect(const QString& name);

  TestWorkingFolder folder_;
  std::unique_ptr<TestPostgresServer> server_;
  bool onServer_ = false;
};

QSqlDatabase TestArchiveSchema::Connect(const QString& name) {
  if (!onServer_) {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db.setDatabaseName(folder_.FilePath(QStringLiteral("archive.sqlite")));
    db.open();
    return db;
  }
  QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
  db.setHostName(server_->Host());
  db.setPort(server_->Port());
  db.setDatabaseName(server_->Database());
  db.setUserName(server_->User());
  db.open();
  return db;
}

void TestArchiveSchema::versions_data() {
  QTest::addColumn<bool>("onServer");
  QTest::addColumn<int>("madeAt");    // 0: nothing there yet
  QTest::addColumn<int>("openedAt");  // -1: refused
  for (const bool server : {false, true}) {
    const char* where = server ? "server" : "station";
    QTest::addRow("%s: new archive", where) << server << 0 << kArchiveSchemaVersion;
    QTest::addRow("%s: from version 1", where) << server << 1 << kArchiveSchemaVersion;
    QTest::addRow("%s: newer than the program", where) << server << kArchiveSchemaVersion + 1 << -1;
  }
}

void TestArchiveSchema::versions() {
  QFETCH(bool, onServer);
  QFETCH(int, madeAt);
  QFETCH(int, openedAt);
  onServer_ = onServer;
  // Each row starts from nothing: a file or a server of its own.
  QFile::remove(folder_.FilePath(QStringLiteral("archive.sqlite")));
  if (onServer) {
    server_ = std::make_unique<TestPostgresServer>();
    if (!server_->Installed()) QSKIP(qPrintable(server_->Problem()));
    QVERIFY2(server_->Problem().isEmpty(), qPrintable(server_->Problem()));
  }
  if (madeAt > 0) {
    QSqlDatabase old = Connect(kOld);
    QVERIFY(old.isOpen());
    QCOMPARE(MigrateArchive(old, qMin(madeAt, kArchiveSchemaVersion)), QString());
    QSqlQuery query(old);
    QVERIFY(query.exec(
        "INSERT INTO tests (report_number, tested_at, local_time, duration_s, equipment, serial_number, tested_by,"
        " standard, class_or_options, verdict, failures, report_text) VALUES (17, '2026-12-09T09:00:00Z',"
        " '2026-12-09T10:00:00+01:00', 150, 'Kettle', 'K-1', 'A. Tester', 'EN61000-3-2', 'Class A', 'PASS', '',"
        " 'report')"));
    QVERIFY(query.exec(
        "INSERT INTO test_files (test_id, role, path, sha256, size) VALUES (1, 'text', '/lab/RUN17.TXT', 'ab', 6)"));
    if (madeAt > kArchiveSchemaVersion)
      QVERIFY(query.exec(QStringLiteral("UPDATE archive_schema SET version = %1").arg(madeAt)));
    old.close();
  }
  QSqlDatabase::removeDatabase(kOld);
  {
    QString error;
    QSqlDatabase db =
        onServer ? OpenServerArchive({server_->Host(), server_->Port(), server_->Database(), server_->User()}, {},
                                     kArchive, &error)
                 : OpenStationArchive(folder_.FilePath(QStringLiteral("archive.sqlite")), kArchive, &error);
    QCOMPARE(db.isOpen(), openedAt >= 0);
    if (openedAt < 0) {
      QVERIFY2(error.contains(QStringLiteral("newer than this program")), qPrintable(error));
    } else {
      QVERIFY2(error.isEmpty(), qPrintable(error));
      QCOMPARE(ArchiveSchemaVersion(db), openedAt);
      QSqlQuery query(db);
      if (!onServer) {
        QVERIFY(query.exec(QStringLiteral("PRAGMA journal_mode")) && query.next());
        QCOMPARE(query.value(0).toString(), QStringLiteral("wal"));
      }
      // What version 1 held is kept, given an identity and no station.
      QVERIFY(query.exec(QStringLiteral("SELECT uid, station, equipment FROM tests ORDER BY id")));
      if (madeAt == 1) {
        QVERIFY(query.next());
        QCOMPARE(query.value(0).toString(), QStringLiteral("v1-1"));
        QCOMPARE(query.value(1).toString(), QString());
        QCOMPARE(query.value(2).toString(), QStringLiteral("Kettle"));
      }
      QVERIFY(!query.next());
      // Its texts are found through the search index made since.
      ArchiveQuery search;
      search.freeText = QStringLiteral("ETTL");
      const ArchiveSelection selection = SelectArchive(search, ArchiveColumn::TestedAt, true, std::nullopt, 0, onServer);
      const QString where = selection.clause.left(selection.clause.lastIndexOf(QLatin1String(" ORDER BY ")));
      QVERIFY2(query.prepare(QStringLiteral("SELECT COUNT(*) FROM tests") + where),
               qPrintable(query.lastError().text()));
      for (const QVariant& value : selection.values) query.addBindValue(value);
      QVERIFY(query.exec() && query.next());
      QCOMPARE(query.value(0).toInt(), madeAt == 1 ? 1 : 0);
      if (onServer) {
        QVERIFY(query.exec(QStringLiteral("SELECT COUNT(*) FROM pg_indexes WHERE indexname = 'tests_search'")));
        QVERIFY(query.next());
        QCOMPARE(query.value(0).toInt(), 1);
      }
    }
    db.close();
  }
  QSqlDatabase::removeDatabase(kArchive);
  // A refused archive is not changed.
  if (openedAt < 0) {
    QSqlDatabase check = Connect(kOld);
    QCOMPARE(ArchiveSchemaVersion(check), madeAt);
    check.close();
  }
  QSqlDatabase::removeDatabase(kOld);
  server_.reset();
}

QTEST_GUILESS_MAIN(TestArchiveSchema)
#include "test_archive_schema.moc"
