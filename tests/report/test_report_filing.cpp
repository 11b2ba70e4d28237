// Reports as a lab files them, driven from the window against an analyser on
// a pseudo-terminal: the PDF report, a recalled report kept apart from the
// live one while records arrive, the set-up that comes back with it, and a
// report and its set-up saved as one.
#include <QDir>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

#include <functional>

#include "app/preview.h"
#include "app/qx7300main.h"
#include "app/radio_group.h"
#include "persist/safe_file_writer.h"
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
  const QStringList before = QDir(rig.FilePath(QString())).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);

  rig.Dialogs().saveAnswers << reportPath;
  rig.Ui().SaveReportasTextFile1->trigger();
  QCOMPARE(rig.Dialogs().Texts(QStringLiteral("error")).isEmpty(), saved);
  // No file added, none left half made.
  QCOMPARE(QDir(rig.FilePath(QString())).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
  if (saved) {
    QCOMPARE(FileBytes(reportPath), TextReportBytes(rig.Window().Report()));
    QVERIFY(FileBytes(companionPath).startsWith("QX7300 Configuration File\r\n"));
    return;
  }
  if (report == "old") QCOMPARE(FileBytes(reportPath), QByteArray("old report\r\n"));
  if (companion != "folder") QCOMPARE(FileBytes(companionPath), QByteArray("old set-up\r\n"));
}

QTEST_MAIN(TestReportFiling)
#include "test_report_filing.moc"
