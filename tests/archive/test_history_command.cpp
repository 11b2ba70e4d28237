// The archive from the command line, the real program started in a real
// working folder: --history in its three forms and with its filters,
// --history-export's copies and manifest, usage errors, and
// --import-history of reports the window saved (and File > Import Reports
// into History...), a second import skipping what is filed.
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSqlDatabase>
#include <QTemporaryDir>
#include <QtTest>

#include "app/qx7300main.h"
#include "archive/archive_database.h"
#include "archive/archive_files.h"
#include "archive/archive_rig.h"
#include "archive/archive_store.h"
#include "persist/safe_file_writer.h"
#include "support/test_working_folder.h"
#include "support/window_rig.h"
#include "ui_qx7300main.h"

namespace {

struct Run {
  int code = -1;
  QString out;
  QString err;
};

Run Veltrix(const QString& folder, const QStringList& arguments) {
  QProcess process;
  process.setWorkingDirectory(folder);
  process.start(QStringLiteral(VELTRIX_PROGRAM), arguments);
  if (!process.waitForFinished(30000)) return {};
  return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
          QString::fromUtf8(process.readAllStandardError())};
}

QDateTime At(int day, int hour, int minute) {
  return QDateTime(QDate(2026, 12, day), QTime(hour, minute), Qt::OffsetFromUTC, 3600);
}

ArchiveFile Filed(const QString& role, const QString& path, const QByteArray& bytes) {
  if (!SaveFileBytes(path, bytes)) qFatal("%s cannot be written", qPrintable(path));
  return {role, path, ArchiveHash(bytes), bytes.size(), {}};
}

// Three tests in the archive of `folder`: a passed kettle, a failed
// toaster whose report changed since and whose recording went, and a
// failed flicker test of another kettle.
void FileThreeTests(const QString& folder) {
  const QDir dir(folder);
  QList<ArchiveEntry> entries(3);
  entries[0] = {0, "uid-1", "bench", 1, At(1, 9, 0), 150, "Kettle KX-2", "SN 1", "A. Tester", "EN61000-3-2",
                "Class A", "PASS", {}, "report one", {}};
  entries[0].files << Filed("text", dir.filePath("RUN1.TXT"), "report one\r\n");
  entries[1] = {0, "uid-2", "bench", 2, At(5, 10, 30), 150, "Toaster", "T-9", "B. Tester", "EN61000-3-2",
                "Class D", "FAIL", {"Harmonic 3", "Harmonic 5"}, "report two", {}};
  entries[1].files << Filed("text", dir.filePath("RUN2.TXT"), "report two\r\n")
                   << Filed("recording", dir.filePath("RUN2.qxr"), "recorded");
  entries[2] = {0, "uid-3", "bench", 3, At(8, 14, 0), 600, "Kettle KX-3", "SN 2", "A. Tester", "EN61000-3-3",
                "Flicker, Continuous", "FAIL", {"Pst"}, "report three", {}};
  entries[2].files << Filed("text", dir.filePath("RUN3.TXT"), "report three\r\n");
  {
    QString error;
    QSqlDatabase db = OpenStationArchive(dir.filePath("archive.sqlite"), "filing", &error);
    QVERIFY2(db.isOpen(), qPrintable(error));
    for (ArchiveEntry& entry : entries) QCOMPARE(FileEntry(db, entry), QString());
  }
  QSqlDatabase::removeDatabase("filing");
  QVERIFY(SaveFileBytes(dir.filePath("RUN2.TXT"), "report two, edited\r\n"));
  QVERIFY(QFile::remove(dir.filePath("RUN2.qxr")));
}

QStringList Lines(const QString& text) { return text.split('\n', Qt::SkipEmptyParts); }

}  // namespace

class TestHistoryCommand : public QObject {
  Q_OBJECT

 private slots:
  void history_data();
  void history();
  void exportCopies();
  void importReports();
};

void TestHistoryCommand::history_data() {
  QTest::addColumn<QStringList>("arguments");
  QTest::addColumn<int>("code");
  QTest::addColumn<QStringList>("lines");  // standard output, or what standard error begins with
  QTest::newRow("text, newest first, aligned")
      << QStringList{"--history"} << 0
      << QStringList{
             "Tested at         Report  Equipment    Serial number  Tested by  Standard     Class or options     Verdict  Failed                  Files",
             "2026-12-08 14:00  3       Kettle KX-3  SN 2           A. Tester  EN61000-3-3  Flicker, Continuous  FAIL     Pst                     1 unchanged",
             "2026-12-05 10:30  2       Toaster      T-9            B. Tester  EN61000-3-2  Class D              FAIL     Harmonic 3, Harmonic 5  recording moved or removed, text changed since it was filed",
             "2026-12-01 09:00  1       Kettle KX-2  SN 1           A. Tester  EN61000-3-2  Class A              PASS                             1 unchanged"};
  QTest::newRow("failed, as CSV")
      << QStringList{"--history", "--failed", "--format", "csv"} << 0
      << QStringList{
             "id,uid,station,report_number,tested_at,duration_s,equipment,serial_number,tested_by,standard,class_or_options,verdict,failures,files",
             "3,uid-3,bench,3,2026-12-08T14:00:00+01:00,600,Kettle KX-3,SN 2,A. Tester,EN61000-3-3,\"Flicker, Continuous\",FAIL,Pst,text=%1/RUN3.TXT (unchanged)",
             "2,uid-2,bench,2,2026-12-05T10:30:00+01:00,150,Toaster,T-9,B. Tester,EN61000-3-2,Class D,FAIL,Harmonic 3; Harmonic 5,"
             "recording=%1/RUN2.qxr (moved or removed); text=%1/RUN2.TXT (changed since it was filed)"};
  QTest::newRow("equipment and since, as JSON")
      << QStringList{"--history", "--equipment", "kettle", "--since", "2026-12-02", "--format", "json"} << 0
      << QStringList{"3 Kettle KX-3 text unchanged"};
  QTest::newRow("serial, as JSON")
      << QStringList{"--history", "--serial", "t-9", "--format", "json"} << 0
      << QStringList{"2 Toaster recording moved or removed", "2 Toaster text changed since it was filed"};
  QTest::newRow("an unknown form") << QStringList{"--history", "--format", "xml"} << 2
                                   << QStringList{"veltrix: --format is text, csv or json, not xml"};
  QTest::newRow("a date that is none") << QStringList{"--history", "--since", "yesterday"} << 2
                                       << QStringList{"veltrix: --since takes a date as 2026-12-09, not yesterday"};
  QTest::newRow("an import with a filter") << QStringList{"--import-history", "x", "--failed"} << 2
                                           << QStringList{"veltrix: --import-history takes no filters"};
  QTest::newRow("an unknown option") << QStringList{"--history", "--newest"} << 2
                                     << QStringList{"veltrix: unknown option --newest"};
}

void TestHistoryCommand::history() {
  QFETCH(QStringList, arguments);
  QFETCH(int, code);
  QFETCH(QStringList, lines);
  QTemporaryDir folder;
  FileThreeTests(folder.path());
  const Run run = Veltrix(folder.path(), arguments);
  QCOMPARE(run.code, code);
  if (code == 2) {
    QCOMPARE(run.out, QString());
    QCOMPARE(Lines(run.err).first(), lines.first());
    QVERIFY(run.err.contains("Usage: veltrix --history"));
    return;
  }
  QCOMPARE(run.err, QString());
  if (!arguments.contains("json")) {
    for (QString& line : lines) line.replace("%1", folder.path());
    QCOMPARE(Lines(run.out), lines);
    return;
  }
  // One "id equipment role state" a file.
  QStringList found;
  for (const QJsonValue& value : QJsonDocument::fromJson(run.out.toUtf8()).array()) {
    const QJsonObject entry = value.toObject();
    QVERIFY(entry.value("failures").isArray());
    for (const QJsonValue& file : entry.value("files").toArray()) {
      QCOMPARE(file.toObject().value("sha256").toString().size(), 64);
      found << QStringLiteral("%1 %2 %3 %4")
                   .arg(entry.value("id").toInt())
                   .arg(entry.value("equipment").toString(), file.toObject().value("role").toString(),
                        file.toObject().value("state").toString());
    }
  }
  QCOMPARE(found, lines);
}

// The failed tests' files copied beside a manifest; the recording that went
// is named, and a second export replaces nothing of the first.
void TestHistoryCommand::exportCopies() {
  QTemporaryDir folder;
  FileThreeTests(folder.path());
  const QDir out(folder.filePath("out"));
  for (int round = 1; round <= 2; ++round) {
    const Run run = Veltrix(folder.path(), {"--history-export", "out", "--failed"});
    QCOMPARE(run.code, 1);
    QCOMPARE(run.out, QStringLiteral("2 tests, 2 files exported; manifest %1\n")
                          .arg(out.filePath(round == 1 ? "manifest.json" : "manifest (2).json")));
    QCOMPARE(Lines(run.err), QStringList{"veltrix: not exported: " + folder.filePath("RUN2.qxr") + ": moved or removed"});
  }
  QCOMPARE(FileBytes(out.filePath("test-3/RUN3.TXT")), QByteArray("report three\r\n"));
  QCOMPARE(FileBytes(out.filePath("test-2/RUN2.TXT")), QByteArray("report two, edited\r\n"));
  QCOMPARE(FileBytes(out.filePath("test-3 (2)/RUN3.TXT")), QByteArray("report three\r\n"));
  const QJsonArray manifest = QJsonDocument::fromJson(FileBytes(out.filePath("manifest.json"))).array();
  QCOMPARE(manifest.size(), 2);
  QStringList files;
  for (const QJsonValue& entry : manifest) {
    for (const QJsonValue& value : entry.toObject().value("files").toArray()) {
      const QJsonObject file = value.toObject();
      files << QStringLiteral("%1 %2 %3").arg(entry.toObject().value("report_number").toInt()).arg(file.value("copy").toString(), file.value("state").toString());
      if (file.contains("copy") && file.value("state").toString() == "unchanged")
        QCOMPARE(file.value("sha256").toString().toLatin1(), ArchiveHash(FileBytes(out.filePath(file.value("copy").toString()))));
    }
  }
  QCOMPARE(files, QStringList({"3 test-3/RUN3.TXT unchanged", "2  moved or removed", "2 test-2/RUN2.TXT changed since it was filed"}));
}

// Reports the window saved, imported into another station's archive as the
// window filed them; imported again, skipped; a damaged one named. The
// menu's import into the station that saved them finds them filed.
void TestHistoryCommand::importReports() {
  TWindowRig rig;
  QVERIFY(rig.Ready());
  RunHarmonicsTest(rig, QStringLiteral("Kettle KX-2"), QStringLiteral("SN 42"), {3, 5});
  rig.Dialogs().saveAnswers << rig.FilePath("RUN1.TXT") << rig.FilePath("RUN2.TXT");
  rig.Ui().SaveReportasTextFile1->trigger();
  RunHarmonicsTest(rig, QStringLiteral("Toaster"), QStringLiteral("T-9"), {});
  rig.Ui().SaveReportasTextFile1->trigger();
  QTemporaryDir other;
  const QDir reports(other.filePath("reports"));
  QVERIFY(QDir().mkpath(reports.path()));
  for (const QString& name : QDir(rig.FilePath(QString())).entryList({"RUN*"}))
    QVERIFY(QFile::copy(rig.FilePath(name), reports.filePath(name)));
  QVERIFY(SaveFileBytes(reports.filePath("DAMAGED.TXT"), "Report Number        : 9\r\nnot a report at all\r\n\r\n\r\n\r\n"));
  // A huge file is not read in to find that out.
  QFile huge(reports.filePath("HUGE.TXT"));
  QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(qint64(200) << 20));
  huge.close();
  const QStringList damaged{"  DAMAGED.TXT: its second line does not say when the test was made",
                            "  HUGE.TXT: it is too large to be a report"};

  const Run first = Veltrix(other.path(), {"--import-history", "reports"});
  QCOMPARE(first.code, 1);
  QCOMPARE(Lines(first.out), QStringList{"2 reports imported, 0 skipped (already in the archive), 2 unreadable:"} + damaged);
  const Run second = Veltrix(other.path(), {"--import-history", "reports"});
  QCOMPARE(Lines(second.out), QStringList{"0 reports imported, 2 skipped (already in the archive), 2 unreadable:"} + damaged);

  const QList<ArchiveEntry> saved = ArchivedTests(rig.FilePath(QString()));
  const QList<ArchiveEntry> imported = ArchivedTests(other.path());
  QCOMPARE(imported.size(), 2);
  QCOMPARE(saved.size(), 2);
  // What the report text holds, as the window filed it (the start to the minute).
  const auto held = [](const ArchiveEntry& e) {
    return QStringList{QString::number(e.reportNumber), e.testedAt.toString("yyyy-MM-dd HH:mm"),
                       QString::number(e.durationSeconds), e.equipment, e.serialNumber, e.testedBy, e.standard,
                       e.classOrOptions, e.verdict, e.failures.join(';'), FileRoles(e).join(';')};
  };
  for (qsizetype i = 0; i < 2; ++i) {
    QCOMPARE(held(imported[i]), held(saved[i]));
    QCOMPARE(VerifyEntry(imported[i]), QList<FileState>(imported[i].files.size(), FileState::Same));
  }

  // A report rebuilt from a recording is filed too, once however often it
  // is rebuilt: its test is known by the recording.
  for (int round = 1; round <= 2; ++round)
    QCOMPARE(Veltrix(other.path(), {"--report-from", "reports/RUN1.qxr", "--out", "REBUILT.TXT"}).code, 0);
  const QList<ArchiveEntry> withRebuilt = ArchivedTests(other.path());
  QCOMPARE(withRebuilt.size(), 3);
  const auto rebuilt = std::find_if(withRebuilt.begin(), withRebuilt.end(), [](const ArchiveEntry& entry) {
    return entry.uid.startsWith("recording-");
  });
  QVERIFY(rebuilt != withRebuilt.end());
  QCOMPARE(FileRoles(*rebuilt), QStringList({"recording=RUN1.qxr", "text=REBUILT.TXT"}));
  QCOMPARE(rebuilt->failures, QStringList({"Harmonic 3", "Harmonic 5"}));
  QCOMPARE(rebuilt->equipment, QStringLiteral("Kettle KX-2"));

  rig.Dialogs().folderAnswers << reports.path();
  rig.Ui().ImportReports1->trigger();
  QCOMPARE(rig.Dialogs().Texts("information"),
           QStringList{"0 reports imported, 2 skipped (already in the archive), 2 unreadable:\n" + damaged.join('\n')});
}

QTEST_MAIN(TestHistoryCommand)
#include "test_history_command.moc"
