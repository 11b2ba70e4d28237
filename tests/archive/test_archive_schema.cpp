// The station's archive file: made at the newest version, an archive of the
// first version brought up to date with its entries kept, and an archive
// of a version newer than the program left alone.
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

#include "archive/archive_database.h"
#include "archive/archive_schema.h"
#include "support/test_working_folder.h"

class TestArchiveSchema : public QObject {
  Q_OBJECT

 private slots:
  void versions_data();
  void versions();
};

void TestArchiveSchema::versions_data() {
  QTest::addColumn<int>("madeAt");  // 0: no file yet
  QTest::addColumn<int>("openedAt");  // -1: refused
  QTest::newRow("new archive") << 0 << kArchiveSchemaVersion;
  QTest::newRow("from version 1") << 1 << kArchiveSchemaVersion;
  QTest::newRow("newer than the program") << kArchiveSchemaVersion + 1 << -1;
}

void TestArchiveSchema::versions() {
  QFETCH(int, madeAt);
  QFETCH(int, openedAt);
  TestWorkingFolder folder;
  const QString path = folder.FilePath(QStringLiteral("archive.sqlite"));
  if (madeAt > 0) {
    QSqlDatabase old = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("old"));
    old.setDatabaseName(path);
    QVERIFY(old.open());
    QCOMPARE(MigrateArchive(old, qMin(madeAt, kArchiveSchemaVersion)), QString());
    QSqlQuery query(old);
    QVERIFY(query.exec(
        "INSERT INTO tests (report_number, tested_at, local_time, duration_s, equipment, serial_number, tested_by,"
        " standard, class_or_options, verdict, failures, report_text) VALUES (17, '2026-12-09T09:00:00Z',"
        " '2026-12-09T10:00:00+01:00', 150,"
        " 'Kettle', 'K-1', 'A. Tester', 'EN61000-3-2', 'Class A', 'PASS', '', 'report')"));
    QVERIFY(query.exec(
        "INSERT INTO test_files (test_id, role, path, sha256, size) VALUES (1, 'text', '/lab/RUN17.TXT', 'ab', 6)"));
    if (madeAt > kArchiveSchemaVersion) QVERIFY(query.exec(QStringLiteral("UPDATE archive_schema SET version = %1").arg(madeAt)));
    old.close();
    old = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("old"));
  }
  {
    QString error;
    QSqlDatabase db = OpenStationArchive(path, QStringLiteral("archive"), &error);
    QCOMPARE(db.isOpen(), openedAt >= 0);
    if (openedAt < 0) {
      QVERIFY2(error.contains(QStringLiteral("newer than this program")), qPrintable(error));
    } else {
      QVERIFY2(error.isEmpty(), qPrintable(error));
      QCOMPARE(ArchiveSchemaVersion(db), openedAt);
      QSqlQuery query(db);
      QVERIFY(query.exec(QStringLiteral("PRAGMA journal_mode")) && query.next());
      QCOMPARE(query.value(0).toString(), QStringLiteral("wal"));
      // What version 1 held is kept, given an identity and no station.
      QVERIFY(query.exec(QStringLiteral("SELECT uid, station, equipment FROM tests ORDER BY id")));
      if (madeAt == 1) {
        QVERIFY(query.next());
        QCOMPARE(query.value(0).toString(), QStringLiteral("v1-1"));
        QCOMPARE(query.value(1).toString(), QString());
        QCOMPARE(query.value(2).toString(), QStringLiteral("Kettle"));
      }
      QVERIFY(!query.next());
    }
  }
  QSqlDatabase::removeDatabase(QStringLiteral("archive"));
  // A refused archive is not changed.
  if (openedAt < 0) {
    QSqlDatabase check = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
    check.setDatabaseName(path);
    QVERIFY(check.open());
    QCOMPARE(ArchiveSchemaVersion(check), madeAt);
    check.close();
  }
  QSqlDatabase::removeDatabase(QStringLiteral("check"));
}

QTEST_GUILESS_MAIN(TestArchiveSchema)
#include "test_archive_schema.moc"
