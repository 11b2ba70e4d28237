// Reports filed in the station's archive as the window saves them: the
// entry and the files go together (a save that fails files nothing; an
// archive that cannot take the entry leaves the saved files and says so),
// the same test saved in two forms is one entry, and a recalled report
// saved elsewhere is a test of its own.
#include <QDir>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

#include <functional>

#include "app/preview.h"
#include "app/qx7300main.h"
#include "archive/archive_database.h"
#include "archive/archive_files.h"
#include "archive/archive_rig.h"
#include "archive/archive_server.h"
#include "archive/station_archive.h"
#include "support/postgres_server.h"
#include "archive/entry_from_report.h"
#include "support/test_working_folder.h"
#include "support/window_rig.h"
#include "app/connect.h"
#include "ui_connect.h"
#include "ui_preview.h"
#include "ui_qx7300main.h"

namespace {

const QString kNotFiled = QStringLiteral("The report is saved, but it could not be filed in the archive: ");

// How many tests the server holds, and how many of their files it keeps
// the bytes of.
QString OnServer(const TestPostgresServer& server) {
  QString found;
  {
    QString error;
    QSqlDatabase db = OpenServerArchive({server.Host(), server.Port(), server.Database(), server.User()}, {},
                                        QStringLiteral("check"), &error);
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("SELECT (SELECT COUNT(*) FROM tests), (SELECT COUNT(*) FROM test_files "
                                   "WHERE contents IS NOT NULL)")) ||
        !query.next())
      found = error;
    else
      found = QStringLiteral("%1 tests, %2 files").arg(query.value(0).toInt()).arg(query.value(1).toInt());
    db.close();
  }
  QSqlDatabase::removeDatabase(QStringLiteral("check"));
  return found;
}

// The report saved as text, then as CSV, under one name.
void SaveTextThenCsv(TWindowRig& rig) {
  rig.Dialogs().saveAnswers << rig.FilePath(QStringLiteral("RUN.TXT")) << rig.FilePath(QStringLiteral("RUN.CSV"));
  rig.Ui().SaveReportasTextFile1->trigger();
  rig.Ui().SaveReportasCSVFile1->trigger();
}

}  // namespace

class TestArchiveFiling : public QObject {
  Q_OBJECT

 private slots:
  void filedWithItsFiles_data();
  void filedWithItsFiles();
  void recalledReportSavedElsewhere();
  void filedOnTheLabServer();
  void archiveTakenAwayWhileRunning_data();
  void archiveTakenAwayWhileRunning();
  void twoStationsFileIntoOneArchiveAtOnce();
};

void TestArchiveFiling::filedWithItsFiles_data() {
  QTest::addColumn<QString>("obstacle");
  QTest::addColumn<int>("errors");    // the saves that failed
  QTest::addColumn<int>("warnings");  // "saved, but not filed"
  QTest::addColumn<bool>("filed");
  QTest::newRow("nothing in the way: one entry for both forms") << "" << 0 << 0 << true;
  QTest::newRow("a folder in the way of the reports") << "report folders" << 2 << 0 << false;
  QTest::newRow("another connection writing the archive") << "locked" << 0 << 2 << false;
  QTest::newRow("the archive a folder: told once") << "archive folder" << 0 << 1 << false;
}

void TestArchiveFiling::filedWithItsFiles() {
  QFETCH(QString, obstacle);
  QFETCH(int, errors);
  QFETCH(int, warnings);
  QFETCH(bool, filed);
  TWindowRig rig;
  QVERIFY(rig.Ready());
  const QString folder = rig.FilePath(QString());
  const QString archive = rig.FilePath(QStringLiteral("archive.sqlite"));
  if (obstacle == "report folders") {
    QVERIFY(QDir().mkpath(rig.FilePath(QStringLiteral("RUN.TXT/inside"))));
    QVERIFY(QDir().mkpath(rig.FilePath(QStringLiteral("RUN.CSV/inside"))));
  }
  if (obstacle == "archive folder") QVERIFY(QDir().mkpath(archive + QStringLiteral("/inside")));
  QSqlDatabase locker;
  if (obstacle == "locked") {
    {
      QString error;
      QVERIFY2(OpenStationArchive(archive, QStringLiteral("maker"), &error).isOpen(), qPrintable(error));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("maker"));
    locker = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("locker"));
    locker.setDatabaseName(archive);
    QVERIFY(locker.open());
    QVERIFY(QSqlQuery(locker).exec(QStringLiteral("BEGIN IMMEDIATE")));
  }
  RunHarmonicsTest(rig, QStringLiteral("Kettle KX-2"), QStringLiteral("SN 42"), {3, 5});
  SaveTextThenCsv(rig);
  if (locker.isOpen()) {
    locker.close();
    locker = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("locker"));
  }

  QCOMPARE(rig.Dialogs().Texts(QStringLiteral("error")).size(), errors);
  const QStringList told = rig.Dialogs().Texts(QStringLiteral("warning"));
  QVERIFY2(told.size() == warnings, qPrintable(told.join('\n')));
  for (const QString& text : told) QVERIFY2(text.startsWith(kNotFiled), qPrintable(text));
  // Files saved whenever the save itself did not fail.
  QCOMPARE(QFileInfo(rig.FilePath(QStringLiteral("RUN.CSV"))).isFile(), errors == 0);
  const QList<ArchiveEntry> entries = ArchivedTests(folder);
  QCOMPARE(entries.size(), filed ? 1 : 0);
  if (!filed) return;
  const ArchiveEntry& entry = entries.first();
  QCOMPARE(entry.reportNumber, rig.Window().Document().ReportCounter());
  QCOMPARE(entry.equipment, QStringLiteral("Kettle KX-2"));
  QCOMPARE(entry.serialNumber, QStringLiteral("SN 42"));
  QCOMPARE(entry.testedBy, QStringLiteral("A. Tester"));
  QCOMPARE(entry.standard, QStringLiteral("EN61000-3-2"));
  QCOMPARE(entry.classOrOptions, QStringLiteral("Class A"));
  QCOMPARE(entry.verdict, QStringLiteral("FAIL"));
  QCOMPARE(entry.failures, QStringList({"Harmonic 3", "Harmonic 5"}));
  QCOMPARE(entry.durationSeconds, rig.Ui().Edit7->text().toLongLong());
  QCOMPARE(entry.station, QSysInfo::machineHostName());
  QCOMPARE(entry.testedAt.toSecsSinceEpoch(), rig.Window().Document().TakeReportSnapshot().TestStartTime.toSecsSinceEpoch());
  QVERIFY(entry.reportText.contains(QStringLiteral("Equipment Under Test : Kettle KX-2")));
  QCOMPARE(FileRoles(entry), QStringList({"csv=RUN.CSV", "recording=RUN.qxr", "setup=RUN.HAC", "text=RUN.TXT"}));
  for (const ArchiveFile& file : entry.files) {
    QCOMPARE(file.sha256, ArchiveHash(FileBytes(file.path)));
    QCOMPARE(file.size, FileBytes(file.path).size());
  }
}

// The live test's report recalled and saved under another name is filed as
// a test of its own, known by its report's bytes; the live entry keeps its
// files.
void TestArchiveFiling::recalledReportSavedElsewhere() {
  TWindowRig::Options options;
  options.preview = true;
  TWindowRig rig(options);
  QVERIFY(rig.Ready());
  RunHarmonicsTest(rig, QStringLiteral("Toaster"), QStringLiteral("T-9"), {});
  const QString saved = rig.FilePath(QStringLiteral("RUN.TXT"));
  const QString copy = rig.FilePath(QStringLiteral("COPY.TXT"));
  rig.Dialogs().saveAnswers << saved << copy;
  rig.Ui().SaveReportasTextFile1->trigger();
  rig.Dialogs().openAnswers << saved;
  Tpreviewform* preview = rig.Preview();
  QTimer::singleShot(0, preview, [preview] {
    QTRY_VERIFY(preview->isVisible());
    QTest::mouseClick(preview->Form().Button2, Qt::LeftButton);
    QTest::mouseClick(preview->Form().Button4, Qt::LeftButton);
  });
  rig.Ui().ReCallReport1->trigger();
  QVERIFY(QFileInfo(copy).isFile());

  QMap<QString, ArchiveEntry> byUid;
  for (const ArchiveEntry& entry : ArchivedTests(rig.FilePath(QString()))) byUid.insert(entry.uid, entry);
  QCOMPARE(byUid.size(), 2);
  const ArchiveEntry live = byUid.value(rig.Window().Document().TestIdentity());
  QCOMPARE(FileRoles(live), QStringList({"recording=RUN.qxr", "setup=RUN.HAC", "text=RUN.TXT"}));
  const ArchiveEntry recalled = byUid.value(ReportIdentity(FileBytes(copy)));
  QCOMPARE(FileRoles(recalled), QStringList({"recording=COPY.qxr", "setup=COPY.HAC", "text=COPY.TXT"}));
  QCOMPARE(recalled.equipment, QStringLiteral("Toaster"));
  QCOMPARE(recalled.verdict, QStringLiteral("PASS"));
  QCOMPARE(recalled.reportNumber, live.reportNumber);
  QVERIFY(rig.Dialogs().Texts(QStringLiteral("error")).isEmpty());
  QVERIFY(rig.Dialogs().Texts(QStringLiteral("warning")).isEmpty());
}

// A station given a lab's server in the Settings dialog: its tests reach
// the server, once each, with their files' bytes.
void TestArchiveFiling::filedOnTheLabServer() {
  if (!TestPostgresServer::InstalledHere()) QSKIP("PostgreSQL is not installed (scripts/install-deps installs it)");
  TestPostgresServer server;
  QVERIFY2(server.Problem().isEmpty(), qPrintable(server.Problem()));
  TWindowRig::Options options;
  options.linkDialogs = true;
  TWindowRig rig(options);
  QVERIFY(rig.Ready());
  // The operator names the server in the Settings dialog.
  QTimer::singleShot(0, [&] {
    QTRY_VERIFY(rig.Settings()->isVisible());
    rig.Settings()->SetLabServer({server.Host(), server.Port(), server.Database(), server.User()});
    QTest::mouseClick(rig.Settings()->Form().Button2, Qt::LeftButton);
  });
  rig.Ui().Settings2->trigger();
  QVERIFY(rig.Dialogs().shown.isEmpty());
  RunHarmonicsTest(rig, QStringLiteral("Kettle KX-2"), QStringLiteral("SN 42"), {3});
  SaveTextThenCsv(rig);
  // One test, its report in two forms, its set-up and its recording.
  QTRY_COMPARE_WITH_TIMEOUT(OnServer(server), QStringLiteral("1 tests, 4 files"), 10000);
}

void TestArchiveFiling::archiveTakenAwayWhileRunning_data() {
  QTest::addColumn<QString>("how");
  QTest::newRow("deleted") << "deleted";
  QTest::newRow("moved away") << "moved";
  QTest::newRow("replaced by another archive") << "replaced";
}

// The archive's file deleted, moved or replaced while the program runs:
// the next report is filed in the archive now in the working folder, not
// in the file that was taken away.
void TestArchiveFiling::archiveTakenAwayWhileRunning() {
  QFETCH(QString, how);
  TWindowRig rig;
  QVERIFY(rig.Ready());
  const QString archive = rig.FilePath(QStringLiteral("archive.sqlite"));
  RunHarmonicsTest(rig, QStringLiteral("Kettle KX-2"), QStringLiteral("SN 42"), {});
  rig.Dialogs().saveAnswers << rig.FilePath(QStringLiteral("RUN.TXT"));
  rig.Ui().SaveReportasTextFile1->trigger();
  QCOMPARE(ArchivedTests(rig.FilePath(QString())).size(), 1);
  if (how == "deleted") QVERIFY(QFile::remove(archive));
  if (how == "moved") QVERIFY(QFile::rename(archive, rig.FilePath(QStringLiteral("old.sqlite"))));
  if (how == "replaced") {
    const QString other = rig.FilePath(QStringLiteral("other.sqlite"));
    {
      QString error;
      QVERIFY2(OpenStationArchive(other, QStringLiteral("other"), &error).isOpen(), qPrintable(error));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("other"));
    QVERIFY(QFile::remove(archive));
    QVERIFY(QFile::rename(other, archive));
  }
  RunHarmonicsTest(rig, QStringLiteral("Drill D-400"), QStringLiteral("SN 43"), {});
  rig.Dialogs().saveAnswers << rig.FilePath(QStringLiteral("RUN2.TXT"));
  rig.Ui().SaveReportasTextFile1->trigger();
  QVERIFY(rig.Dialogs().Texts(QStringLiteral("warning")).isEmpty());
  const QList<ArchiveEntry> entries = ArchivedTests(rig.FilePath(QString()));
  QCOMPARE(entries.size(), 1);
  QCOMPARE(entries.first().equipment, QStringLiteral("Drill D-400"));
}

// Two programs filing into one archive at the same moments, each report as
// the window files it: every report is filed, none is refused because the
// other wrote between its look-up and its write.
void TestArchiveFiling::twoStationsFileIntoOneArchiveAtOnce() {
  TestWorkingFolder folder(TestWorkingFolder::Marks::Without);
  constexpr int kEach = 150;
  QStringList refused[2];
  const auto station = [&](int which) {
    const QString name = QStringLiteral("station-%1").arg(which);
    {
      QString error;
      QSqlDatabase db = OpenStationArchive(folder.FilePath(QStringLiteral("archive.sqlite")), name, &error);
      if (!db.isOpen()) refused[which] << error;
      for (int i = 0; i < kEach && db.isOpen(); ++i) {
        ArchiveEntry entry;
        entry.uid = QStringLiteral("%1-%2").arg(name).arg(i);
        entry.testedAt = QDateTime::currentDateTimeUtc();
        ReportFiling filing(&db, {});
        filing.Begin(entry);
        if (const QString error = filing.Finish(); !error.isEmpty()) refused[which] << error;
      }
      db.close();
    }
    QSqlDatabase::removeDatabase(name);
  };
  {
    // Made first, as the first station to file would.
    QString error;
    QVERIFY2(OpenStationArchive(folder.FilePath(QStringLiteral("archive.sqlite")), QStringLiteral("maker"), &error)
                 .isOpen(),
             qPrintable(error));
  }
  QSqlDatabase::removeDatabase(QStringLiteral("maker"));
  std::unique_ptr<QThread> other(QThread::create(station, 1));
  other->start();
  station(0);
  QVERIFY(other->wait(60000));
  QVERIFY2(refused[0].isEmpty() && refused[1].isEmpty(), qPrintable((refused[0] + refused[1]).join('\n')));
  QCOMPARE(ArchivedTests(folder.FilePath(QString())).size(), 2 * kEach);
}

QTEST_MAIN(TestArchiveFiling)
#include "test_archive_filing.moc"
