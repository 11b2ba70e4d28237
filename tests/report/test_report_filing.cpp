// Reports as a lab files them, driven from the window against an analyser on
// a pseudo-terminal: the PDF report, a recalled report kept apart from the
// live one while records arrive, the set-up that comes back with it, a
// report and its set-up saved as one, the recording beside a report always
// its own test's, and a start that says when its test cannot be recorded.
#include <QDir>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

#include <functional>

#include <unistd.h>

#include "app/preview.h"
#include "app/qx7300main.h"
#include "app/recording_review.h"
#include "app/radio_group.h"
#include "persist/safe_file_writer.h"
#include "record/recording_format.h"
#include "report/report_files.h"
#include "support/pdf_tools.h"
#include "support/record_builder.h"
#include "support/test_working_folder.h"
#include "support/window_rig.h"
#include "ui_preview.h"
#include "ui_qx7300main.h"

namespace {

int PdfPages(const QString& pdf) {
  const QRegularExpressionMatch pages =
      QRegularExpression(QStringLiteral("Pages: +(\\d+)")).match(Poppler(QStringLiteral("pdfinfo"), {pdf}));
  return pages.hasMatch() ? pages.captured(1).toInt() : 0;
}

// The lines that hold text, without their blanks: text extraction sets the
// gaps between words its own way.
QStringList LinesWithText(const QStringList& lines) {
  QStringList kept;
  for (QString line : lines) {
    line.remove(QRegularExpression(QStringLiteral("\\s")));
    if (!line.isEmpty()) kept << line;
  }
  return kept;
}

QStringList PdfPageLines(const QString& pdf, int page) {
  const QString number = QString::number(page);
  return LinesWithText(Poppler(QStringLiteral("pdftotext"), {"-layout", "-f", number, "-l", number, pdf, "-"}).split('\n'));
}

QStringList ReportLines(const ReportStore& report) {
  QStringList lines;
  for (int i = 0; i <= report.LineCount(); ++i) lines << report.Text(i);
  return lines;
}

// A harmonics record of the given status, every value `value`.
QByteArray HarmonicsLine(const QByteArray& status, const QByteArray& value) {
  RecordBuilder record;
  record.status = status;
  return record.Line('L', HarmonicsBody(QList<QByteArray>(160, value)));
}

// Runs `whileShown` once the preview shows, then presses "Finished".
void WhilePreviewShown(Tpreviewform* preview, std::function<void()> whileShown) {
  QTimer::singleShot(0, preview, [preview, whileShown] {
    QTRY_VERIFY(preview->isVisible());
    QApplication::processEvents();
    whileShown();
    QTest::mouseClick(preview->Form().Button4, Qt::LeftButton);
  });
}

// A harmonics test from its start to its held results.
void RunTest(TWindowRig& rig, const QByteArray& value) {
  rig.Select(0);
  QTest::mouseClick(rig.Ui().Button5, Qt::LeftButton);
  for (const char* status : {"T   05", "Q     ", "Q     "}) QVERIFY(rig.Window().ProcessLine(HarmonicsLine(status, value)));
  rig.Sent();
}

TWindowRig::Options WithPreview() {
  TWindowRig::Options options;
  options.preview = true;
  return options;
}

// Prints into a PDF file of the working folder, in the printer font a
// settings file gives.
void PrintIntoFile(TWindowRig& rig) {
  rig.Dialogs().Printer().setOutputFileName(rig.FilePath(QStringLiteral("printed.pdf")));
  rig.Window().Shell().PrinterFont = PrinterFontValues{};
}

}  // namespace

class TestReportFiling : public QObject {
  Q_OBJECT

 private slots:
  void pdfReport();
  void recalledReportKeptApartFromLiveRecords();
  void recallBringsBackItsStandard();
  void reportAndSetUpSavedAsOne_data();
  void reportAndSetUpSavedAsOne();
  void recordingBesideAReportIsItsOwn_data();
  void recordingBesideAReportIsItsOwn();
  void startSaysWhenTheTestCannotBeRecorded_data();
  void startSaysWhenTheTestCannotBeRecorded();
};

// Page 1 the report as printed, page 2 the graph with its identification,
// real text both; a PDF that cannot be saved leaves nothing behind.
void TestReportFiling::pdfReport() {
  TWindowRig rig;
  QVERIFY(rig.Ready());
  PrintIntoFile(rig);
  rig.Select(0);
  rig.Ui().Edit8->setText(QStringLiteral("Kettle KX-2"));
  rig.Ui().Edit9->setText(QStringLiteral("SN 42"));
  rig.Ui().Edit11->setText(QStringLiteral("08 December 2026 10:00"));
  rig.Window().ClearReport();
  QVERIFY(rig.Window().ProcessLine(HarmonicsLine("Q     ", "1.500")));
  const QString pdf = rig.FilePath(QStringLiteral("RUN7.pdf"));
  rig.Dialogs().saveAnswers << pdf << rig.FilePath(QStringLiteral("missing/RUN8.pdf"));
  rig.Ui().SaveReportasPDFFile1->trigger();
  QCOMPARE(rig.Dialogs().fileDialogs.last().filter, QStringLiteral("PDF Files|*.pdf"));
  QVERIFY(rig.Dialogs().fileDialogs.last().confirmOverwrite);
  QCOMPARE(PdfPages(pdf), 2);
  const QStringList report = LinesWithText(ReportLines(rig.Window().Report()));
  QVERIFY(report.size() > 40);
  QCOMPARE(PdfPageLines(pdf, 1), report);
  QCOMPARE(PdfPageLines(pdf, 2), LinesWithText({"Equipment : Kettle KX-2", "Serial No. : SN 42", "Tested by :",
                                                "Date and Time : 08 December 2026 10:00"}));
  QCOMPARE(QDir(rig.FilePath(QString())).entryList({QStringLiteral("RUN7*")}), QStringList{QStringLiteral("RUN7.pdf")});

  rig.Ui().SaveReportasPDFFile1->trigger();
  QCOMPARE(rig.Dialogs().Texts(QStringLiteral("error")).size(), 1);
  QVERIFY(!QFile::exists(rig.FilePath(QStringLiteral("missing"))));
}

// While a recalled report is shown the analyser goes on sending results;
// the preview, its print and its save give the file exactly, and the live
// report takes none of the file's lines.
void TestReportFiling::recalledReportKeptApartFromLiveRecords() {
  TWindowRig rig(WithPreview());
  QVERIFY(rig.Ready());
  PrintIntoFile(rig);
  rig.Select(0);
  Tqx7300form& window = rig.Window();
  rig.Ui().Edit8->setText(QStringLiteral("Kettle KX-2"));
  window.ClearReport();
  QVERIFY(window.ProcessLine(HarmonicsLine("Q     ", "1.500")));
  const QString saved = rig.FilePath(QStringLiteral("RUN7.TXT"));
  rig.Dialogs().saveAnswers << saved;
  rig.Ui().SaveReportasTextFile1->trigger();
  const QByteArray file = FileBytes(saved);
  const QStringList fileLines = QString::fromLatin1(file).split(QStringLiteral("\r\n"));
  QCOMPARE(fileLines.size(), window.Report().LineCount() + 2);  // ends with CR LF

  rig.Ui().Edit8->setText(QStringLiteral("Toaster"));
  const QString again = rig.FilePath(QStringLiteral("AGAIN.TXT"));
  rig.Dialogs().openAnswers << saved;
  rig.Dialogs().saveAnswers << again;
  rig.Dialogs().printAnswers << true;
  Tpreviewform* preview = rig.Preview();
  QString shown;
  bool csvOffered = true;
  WhilePreviewShown(preview, [&] {
    // Row 21 holds the third harmonic.
    const QString before = window.Report().Text(21);
    for (int i = 0; i < 3; ++i) QVERIFY(rig.Analyser().WriteAll(HarmonicsLine("Q     ", "2.750")));
    QTRY_VERIFY(window.Report().Text(21) != before);
    QTest::mouseClick(preview->Form().Button2, Qt::LeftButton);
    const QString during = window.Report().Text(21);
    QVERIFY(rig.Analyser().WriteAll(HarmonicsLine("Q     ", "3.125")));
    QTRY_VERIFY(window.Report().Text(21) != during);
    QTest::mouseClick(preview->Form().Button1, Qt::LeftButton);
    // Focus back on the preview refills it: still the file.
    shown = preview->Form().Memo1->toPlainText();
    csvOffered = preview->Form().Button3->isEnabled();
  });
  rig.Ui().ReCallReport1->trigger();
  QCOMPARE(shown, fileLines.mid(0, fileLines.size() - 1).join('\n'));
  QVERIFY(!csvOffered);
  QCOMPARE(FileBytes(again), file);
  QCOMPARE(PdfPageLines(rig.Dialogs().Printer().outputFileName(), 1), LinesWithText(fileLines));
  // The live report again, with nothing of the file in it.
  QVERIFY(!TextReportBytes(window.Report()).contains("Kettle KX-2"));
  QVERIFY(TextReportBytes(window.Report()).contains("Equipment Under Test : Toaster"));
  QVERIFY(rig.Dialogs().Texts(QStringLiteral("error")).isEmpty());
}

// A report of the flicker standard recalled under the harmonics standard
// brings the flicker set-up back as "Load Configuration..." does, its
// set-up file found whatever the letter case of its name; not while a test
// holds the set-up.
void TestReportFiling::recallBringsBackItsStandard() {
  TWindowRig rig;
  QVERIFY(rig.Ready());
  Tqx7300form& window = rig.Window();
  rig.Select(1);
  const QString saved = rig.FilePath(QStringLiteral("RUN9.TXT"));
  rig.Dialogs().saveAnswers << saved;
  rig.Ui().SaveReportasTextFile1->trigger();
  QVERIFY(QFile::rename(rig.FilePath(QStringLiteral("RUN9.HAC")), rig.FilePath(QStringLiteral("run9.hac"))));

  rig.Ui().ComboBox1->setCurrentIndex(0);
  window.StandardChanged();
  QVERIFY(rig.Ui().RadioGroup1->isVisible());
  // A harmonics test running: the recall shows the report and leaves the set-up.
  QTest::mouseClick(rig.Ui().Button5, Qt::LeftButton);
  QVERIFY(!rig.Ui().LoadConfiguration1->isEnabled() && !rig.Ui().RestoreDefaultSettings1->isEnabled());
  rig.Dialogs().openAnswers << saved << saved;
  rig.Ui().ReCallReport1->trigger();
  QCOMPARE(rig.Ui().ComboBox1->currentIndex(), 0);
  QVERIFY(window.ProcessLine(RecordBuilder{.status = "T   59"}.Line('I')));
  QVERIFY(window.ProcessLine(RecordBuilder{.status = "Q     "}.Line('I')));
  QVERIFY(rig.Ui().LoadConfiguration1->isEnabled());
  rig.Sent();

  // The set-up prepares the next test; the finished test's report stays.
  const QByteArray finished = TextReportBytes(window.Report());
  rig.Ui().ReCallReport1->trigger();
  QVERIFY(rig.Dialogs().Texts(QStringLiteral("message")).isEmpty());  // no read error
  QCOMPARE(rig.Ui().ComboBox1->currentIndex(), 1);
  QVERIFY(rig.Ui().RadioGroup2->isVisible() && !rig.Ui().RadioGroup1->isVisible());
  QCOMPARE(TextReportBytes(window.Report()), finished);
  QVERIFY(rig.Sent().contains("R:W;"));
}

void TestReportFiling::reportAndSetUpSavedAsOne_data() {
  QTest::addColumn<QString>("report");     // what RUN.TXT is before: "old", "link" (into a missing share)
  QTest::addColumn<QString>("companion");  // what the set-up name is: "RUN.HAC", "run.hac", "folder"
  QTest::addColumn<bool>("saved");
  QTest::newRow("both replaced") << "old" << "RUN.HAC" << true;
  QTest::newRow("set-up found in any letter case") << "old" << "run.hac" << true;
  QTest::newRow("report into a share not mounted") << "link" << "RUN.HAC" << false;
  QTest::newRow("set-up name taken by a folder") << "old" << "folder" << false;
}

// Both files replaced, or both left as they were.
void TestReportFiling::reportAndSetUpSavedAsOne() {
  QFETCH(QString, report);
  QFETCH(QString, companion);
  QFETCH(bool, saved);
  TWindowRig rig;
  QVERIFY(rig.Ready());
  const QString reportPath = rig.FilePath(QStringLiteral("RUN.TXT"));
  const QString companionPath = rig.FilePath(companion == "folder" ? QStringLiteral("RUN.HAC") : companion);
  if (report == "link") {
    QVERIFY(QFile::link(rig.FilePath(QStringLiteral("share/RUN.TXT")), reportPath));
  } else {
    QVERIFY(SaveFileBytes(reportPath, "old report\r\n"));
  }
  if (companion == "folder") {
    QVERIFY(QDir().mkpath(companionPath + QStringLiteral("/inside")));
  } else {
    QVERIFY(SaveFileBytes(companionPath, "old set-up\r\n"));
  }
  // The station's archive, which the first save opens, is not the save's.
  const auto reportFiles = [&rig] {
    QStringList names = QDir(rig.FilePath(QString())).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    names.removeIf([](const QString& name) { return name.startsWith(QStringLiteral("archive.sqlite")); });
    return names;
  };
  const QStringList before = reportFiles();

  rig.Dialogs().saveAnswers << reportPath;
  rig.Ui().SaveReportasTextFile1->trigger();
  QCOMPARE(rig.Dialogs().Texts(QStringLiteral("error")).isEmpty(), saved);
  // No file added, none left half made.
  QCOMPARE(reportFiles(), before);
  if (saved) {
    QCOMPARE(FileBytes(reportPath), TextReportBytes(rig.Window().Report()));
    QVERIFY(FileBytes(companionPath).startsWith("QX7300 Configuration File\r\n"));
    return;
  }
  if (report == "old") QCOMPARE(FileBytes(reportPath), QByteArray("old report\r\n"));
  if (companion != "folder") QCOMPARE(FileBytes(companionPath), QByteArray("old set-up\r\n"));
}

void TestReportFiling::recordingBesideAReportIsItsOwn_data() {
  QTest::addColumn<QString>("report");  // saved as RUN1: "none" before any test, "failed" after a test not
                                        // recorded, "recalled" / "recalled-kept" (without / with its
                                        // recording), "review" from a review, "review-own" from the
                                        // review of RUN1.qxr itself, "test" after a test
  QTest::addColumn<QString>("before");  // RUN1.qxr before: "stale", "folder" (cannot be removed),
                                        // "reported" (another test's, kept with RUN1.TXT and RUN1.HAC),
                                        // "unrecorded" (none: RUN1.TXT and RUN1.HAC of a test without one),
                                        // "reviewed" (an earlier test's, the one "review-own" reviews)
  QTest::addColumn<int>("confirm");     // the operator's answer: -1 not asked, 0 No, 1 Yes
  QTest::addColumn<QString>("after");   // RUN1.qxr after: "none", "as-before", "own"
  QTest::newRow("before any test") << "none" << "stale" << -1 << "none";
  QTest::newRow("after a test not recorded") << "failed" << "stale" << -1 << "none";
  QTest::newRow("a recalled report") << "recalled" << "stale" << -1 << "none";
  QTest::newRow("a recalled report kept with its recording") << "recalled-kept" << "stale" << -1 << "own";
  QTest::newRow("from a review") << "review" << "stale" << -1 << "none";
  // The review of RUN1.qxr saved as RUN1: the recording under review goes
  // only when the operator says so.
  QTest::newRow("from the review of the recording of the name, kept") << "review-own" << "reviewed" << 0 << "as-before";
  QTest::newRow("from the review of the recording of the name, removed") << "review-own" << "reviewed" << 1 << "none";
  QTest::newRow("an old recording that cannot be removed") << "none" << "folder" << -1 << "as-before";
  QTest::newRow("another test's report of the name, removed too") << "test" << "reported" << 1 << "own";
  QTest::newRow("another test's report of the name, kept") << "test" << "reported" << 0 << "as-before";
  QTest::newRow("another test's report of the name without a recording, removed too") << "test" << "unrecorded" << 1 << "own";
  QTest::newRow("another test's report of the name without a recording, kept") << "test" << "unrecorded" << 0 << "as-before";
}

// Whatever is saved as RUN1, RUN1.qxr is its test's recording or there is
// none: a report rebuilt from it is never another test's.
void TestReportFiling::recordingBesideAReportIsItsOwn() {
  QFETCH(QString, report);
  QFETCH(QString, before);
  QFETCH(int, confirm);
  QFETCH(QString, after);
  TWindowRig rig(WithPreview());
  QVERIFY(rig.Ready());
  const QString recording = rig.FilePath(QStringLiteral("RUN1.qxr"));
  const QString first = rig.FilePath(QStringLiteral("RUN0.TXT"));
  if (before == "stale") QVERIFY(SaveFileBytes(recording, "another test's recording"));
  if (before == "folder") QVERIFY(QDir().mkpath(recording + QStringLiteral("/inside")));
  if (before == "reviewed") {
    RunTest(rig, "1.500");
    rig.Dialogs().saveAnswers << rig.FilePath(QStringLiteral("RUN1.TXT"));
    rig.Ui().SaveReportasTextFile1->trigger();
    QVERIFY(QFile::remove(rig.FilePath(QStringLiteral("RUN1.TXT"))));
  }
  const bool anotherTests = before == "reported" || before == "unrecorded";
  if (anotherTests) {
    if (before == "reported") RunTest(rig, "1.500");
    rig.Dialogs().saveAnswers << rig.FilePath(QStringLiteral("RUN1.TXT"));
    rig.Ui().SaveReportasTextFile1->trigger();
    QCOMPARE(QFile::exists(recording), before == "reported");
  }
  const QByteArray old = FileBytes(recording);
  if (report == "failed") QVERIFY(SaveFileBytes(rig.FilePath(QStringLiteral("recordings")), "in the way"));
  if (report != "none" && report != "recalled" && report != "review-own") RunTest(rig, "2.750");
  if (report.startsWith("recalled") || report == "review") {
    rig.Dialogs().saveAnswers << first;
    rig.Ui().SaveReportasTextFile1->trigger();
  }
  if (confirm >= 0) rig.Dialogs().confirmAnswers << (confirm == 1);

  const QString saved = rig.FilePath(anotherTests ? QStringLiteral("RUN1.CSV") : QStringLiteral("RUN1.TXT"));
  rig.Dialogs().saveAnswers << saved;
  if (report.startsWith("recalled")) {
    rig.Dialogs().openAnswers << first;
    WhilePreviewShown(rig.Preview(), [&] { QTest::mouseClick(rig.Preview()->Form().Button2, Qt::LeftButton); });
    rig.Ui().ReCallReport1->trigger();
  } else if (report.startsWith("review")) {
    QPointer<RecordingReview> review =
        new RecordingReview(report == "review" ? rig.FilePath(QStringLiteral("RUN0.qxr")) : recording, rig.Dialogs());
    review->Window().Form().SaveReportasTextFile1->trigger();
    delete review;
  } else if (anotherTests) {
    rig.Ui().SaveReportasCSVFile1->trigger();
  } else {
    rig.Ui().SaveReportasTextFile1->trigger();
  }

  QCOMPARE(rig.Dialogs().Texts(QStringLiteral("confirm")).size(), confirm >= 0 ? 1 : 0);
  QCOMPARE(rig.Dialogs().Texts(QStringLiteral("warning")).size(), report == "failed" ? 1 : 0);
  QCOMPARE(QFile::exists(saved), after != "as-before");
  if (after == "none") QVERIFY(!QFile::exists(recording));
  if (after == "as-before") {
    QCOMPARE(FileBytes(recording), old);
    QCOMPARE(QFileInfo(recording).isDir(), before == "folder");
    QCOMPARE(rig.Dialogs().Texts(QStringLiteral("error")).size(), before == "folder" ? 1 : 0);
  }
  if (after == "own") {
    QVERIFY(FileBytes(recording) != old);
    QCOMPARE(ReadRecordingFile(recording).Problem, QString());
  }
  if (report == "recalled-kept") QCOMPARE(FileBytes(recording), FileBytes(rig.FilePath(QStringLiteral("RUN0.qxr"))));
  // The other test's report goes with its recording, or both stay.
  if (anotherTests) QCOMPARE(QFile::exists(rig.FilePath(QStringLiteral("RUN1.TXT"))), confirm == 0);
  if (anotherTests) QCOMPARE(QFile::exists(rig.FilePath(QStringLiteral("RUN1.HAC"))), confirm == 0);
}

void TestReportFiling::startSaysWhenTheTestCannotBeRecorded_data() {
  QTest::addColumn<bool>("readOnly");  // recordings/ read-only, or a file in its way
  QTest::newRow("recordings folder read-only") << true;
  QTest::newRow("a file in the way of the recordings folder") << false;
}

// The start says at once, without a box that waits, that the test cannot
// be recorded; the test starts all the same.
void TestReportFiling::startSaysWhenTheTestCannotBeRecorded() {
  QFETCH(bool, readOnly);
  if (readOnly && ::geteuid() == 0) QSKIP("the superuser writes into a read-only folder");
  TWindowRig rig;
  QVERIFY(rig.Ready());
  const QString recordings = rig.FilePath(QStringLiteral("recordings"));
  if (readOnly) {
    QVERIFY(QDir().mkpath(recordings));
    QVERIFY(QFile::setPermissions(recordings, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
  } else {
    QVERIFY(SaveFileBytes(recordings, "in the way"));
  }
  rig.Select(0);
  QTest::mouseClick(rig.Ui().Button5, Qt::LeftButton);
  const QStringList notices = rig.Dialogs().Texts(QStringLiteral("notice"));
  QCOMPARE(notices.size(), 1);
  QVERIFY2(notices[0].startsWith(QStringLiteral("This test cannot be recorded (")), qPrintable(notices[0]));
  QVERIFY(rig.Dialogs().Texts(QStringLiteral("warning")).isEmpty());
  QVERIFY(rig.Sent().contains("T:S;"));
  if (readOnly) QFile::setPermissions(recordings, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

QTEST_MAIN(TestReportFiling)
#include "test_report_filing.moc"
