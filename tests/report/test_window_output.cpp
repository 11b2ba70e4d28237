// Report output from the main window: the dialogs it offers, the text and
// CSV files with the companion set-up, recall through the preview, the
// printer font, and the orientation each print job leaves behind. Printing
// goes into real PDF files.
#include <QComboBox>
#include <QDir>
#include <QFontComboBox>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QtTest>

#include "app/preview.h"
#include "app/printer_font_dialog.h"
#include "app/qx7300main.h"
#include "persist/safe_file_writer.h"
#include "support/pdf_tools.h"
#include "support/record_builder.h"
#include "support/scripted_operator_dialogs.h"
#include "support/test_working_folder.h"
#include "ui_preview.h"
#include "ui_qx7300main.h"

namespace {


}  // namespace

class TestWindowOutput : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();
  void saveAndRecallRoundTrip();
  void recallOfTooManyLinesChangesNothing();
  void printerFontKeptEvenWhenCancelled();
  void orientationStaysBetweenJobs();
  void graphicPrintout();

 private:
  Ui::Tqx7300form& Ui() { return window_->Form(); }
  // Closes the preview once it shows, keeping what it showed.
  void CloseThePreviewWhenShown(QString* shown);

  TestWorkingFolder* folder_ = nullptr;
  ScriptedOperatorDialogs* dialogs_ = nullptr;
  Tpreviewform* preview_ = nullptr;
  Tqx7300form* window_ = nullptr;
};

void TestWindowOutput::init() {
  folder_ = new TestWorkingFolder;
  // A home of its own, to see that nothing is made there.
  qputenv("HOME", folder_->Path().toLocal8Bit());
  dialogs_ = new ScriptedOperatorDialogs(folder_->FilePath(QStringLiteral("out.pdf")));
  preview_ = new Tpreviewform;
  window_ = new Tqx7300form(*dialogs_);
  window_->starttimer().stop();
  window_->Shell().SettingsLoaded = true;  // as after start-up
  Tqx7300form::Companions companions;
  companions.previewform = preview_;
  window_->SetCompanions(companions);
  window_->Shell().PrinterFont = PrinterFontValues{};
  Ui().Edit8->setText(QStringLiteral("Kettle KX-2"));
  window_->ClearReport();
}

void TestWindowOutput::cleanup() {
  delete window_;
  delete preview_;
  delete dialogs_;
  delete folder_;
}

void TestWindowOutput::CloseThePreviewWhenShown(QString* shown) {
  QTimer::singleShot(0, [this, shown] {
    QTRY_VERIFY(preview_->isVisible());
    QApplication::processEvents();
    *shown = preview_->Form().Memo1->toPlainText();
    QTest::mouseClick(preview_->Form().Button4, Qt::LeftButton);
  });
}

void TestWindowOutput::saveAndRecallRoundTrip() {
  const QString text = folder_->FilePath(QStringLiteral("RUN7.TXT"));
  const QString csv = folder_->FilePath(QStringLiteral("RUN7.CSV"));
  dialogs_->saveAnswers << text << csv;
  Ui().Edit10->setText(QStringLiteral("A. Smith"));
  Ui().SaveReportasTextFile1->trigger();
  Ui().SaveReportasCSVFile1->trigger();
  // Both dialogs carry the text dialog's title and open in the working
  // folder; no folder of their own is made.
  QCOMPARE(dialogs_->fileDialogs.size(), 2);
  for (const auto& options : dialogs_->fileDialogs) {
    QCOMPARE(options.title, QStringLiteral("QX7300 Save Report as Text File"));
    QCOMPARE(options.initialFolder, QDir::currentPath());
    QVERIFY(options.confirmOverwrite);
  }
  QVERIFY(!QFile::exists(QDir(folder_->Path()).filePath(QStringLiteral("orvane"))));
  QCOMPARE(dialogs_->fileDialogs[0].filter, QStringLiteral("Text Files|*.TXT"));
  QCOMPARE(dialogs_->fileDialogs[1].filter, QStringLiteral("Comma Separated Files|*.CSV"));
  // A harmonics report before any measurement: lines 0 to 18.
  const QByteArray saved = FileBytes(text);
  QCOMPARE(saved.count("\r\n"), 19);
  QVERIFY(saved.contains("Equipment Under Test : Kettle KX-2\r\n"));
  QCOMPARE(FileBytes(csv).count("\r\n"), 19);
  QVERIFY(FileBytes(folder_->FilePath(QStringLiteral("RUN7.HAC"))).contains("A. Smith\r\n"));

  // Recall: the preview shows the file line for line, then the set-up comes
  // back from its companion.
  Ui().Edit10->setText(QStringLiteral("someone else"));
  Ui().Edit8->setText(QStringLiteral("Toaster"));
  window_->ClearReport();
  // A second save of the recalled report, from its preview, is the same
  // file again.
  const QString again = folder_->FilePath(QStringLiteral("AGAIN.TXT"));
  dialogs_->openAnswers << text;
  dialogs_->saveAnswers << again;
  QString shown;
  QTimer::singleShot(0, [this, &shown] {
    QTRY_VERIFY(preview_->isVisible());
    QApplication::processEvents();
    shown = preview_->Form().Memo1->toPlainText();
    QTest::mouseClick(preview_->Form().Button2, Qt::LeftButton);
    QTest::mouseClick(preview_->Form().Button4, Qt::LeftButton);
  });
  Ui().ReCallReport1->trigger();
  QString asFile = shown + QLatin1Char('\n');
  QCOMPARE(asFile.replace(QLatin1Char('\n'), QStringLiteral("\r\n")).toLatin1(), saved);
  QCOMPARE(Ui().Edit10->text(), QStringLiteral("A. Smith"));
  QCOMPARE(dialogs_->fileDialogs.last().filter, QStringLiteral("Text Files|*.TXT"));
  QCOMPARE(dialogs_->fileDialogs[2].filter, QStringLiteral("QX7300 Reports|*.TXT"));
  QCOMPARE(FileBytes(again), saved);
  QVERIFY(dialogs_->Texts(QStringLiteral("error")).isEmpty());
}

void TestWindowOutput::recallOfTooManyLinesChangesNothing() {
  const QString path = folder_->FilePath(QStringLiteral("LONG.TXT"));
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly));
  for (int i = 0; i < 82; ++i) file.write("line\r\n");
  file.close();
  QVERIFY(QFile::copy(SourceFilePath(QStringLiteral("resources/tick.bmp")), folder_->FilePath(QStringLiteral("LONG.HAC"))));
  window_->Document().Report().SetText(3, QStringLiteral("kept"));
  dialogs_->openAnswers << path;
  Ui().ReCallReport1->trigger();
  QCOMPARE(dialogs_->Texts(QStringLiteral("error")), QStringList{QStringLiteral("Range check error")});
  QCOMPARE(window_->Report().Text(3), QStringLiteral("kept"));
  // No preview, and the companion was never read.
  QVERIFY(!preview_->isVisible());
  QVERIFY(dialogs_->Texts(QStringLiteral("message")).isEmpty());
}

void TestWindowOutput::printerFontKeptEvenWhenCancelled() {
  // The dialog offers the sizes the layout allows and fixed-pitch fonts only.
  QFont large(QStringLiteral("Liberation Mono"));
  large.setPointSize(14);
  PrinterFontDialog dialog(large, Qt::black, 6, 10);
  QStringList sizes;
  for (int i = 0; i < dialog.SizeBox()->count(); ++i) sizes << dialog.SizeBox()->itemText(i);
  QCOMPARE(sizes, QStringList({"6", "7", "8", "9", "10"}));
  QCOMPARE(dialog.SelectedFont().pointSize(), 10);
  QCOMPARE(dialog.FamilyBox()->fontFilters(), QFontComboBox::MonospacedFonts);
  QDir().mkpath(QStringLiteral(QX7300_TEST_OUTPUT));
  QVERIFY(dialog.grab().save(QStringLiteral(QX7300_TEST_OUTPUT "/dialog-printer-font.png")));

  Ui().PrinterFont1->trigger();
  QCOMPARE(dialogs_->Texts(QStringLiteral("font")), QStringList{QStringLiteral("6-10")});
  QVERIFY(FileBytes(folder_->FilePath(QStringLiteral("QX7300.ini"))).contains("\r\n8\r\n0\r\nCourier\r\n"));
  QFont mono(QStringLiteral("Liberation Mono"));
  mono.setPointSize(10);
  dialogs_->fontAnswers.enqueue(OperatorDialogs::FontChoice{mono, QColor(0, 0, 255)});
  Ui().PrinterFont1->trigger();
  QCOMPARE(window_->Shell().PrinterFont.Size, 10);
  QVERIFY(FileBytes(folder_->FilePath(QStringLiteral("QX7300.ini"))).contains("\r\n10\r\n"));
  // The preview shows the report in that font.
  QString shown;
  CloseThePreviewWhenShown(&shown);
  Ui().PreViewReport1->trigger();
  QCOMPARE(preview_->Form().Memo1->font().family(), QStringLiteral("Liberation Mono"));
  QVERIFY(shown.startsWith(QStringLiteral("Report Number        : ")));
}

void TestWindowOutput::orientationStaysBetweenJobs() {
  QPrinter& printer = dialogs_->Printer();
  const auto orientation = [&printer] { return printer.pageLayout().orientation(); };
  // The screendump asks where to print first: cancelled, the file the last
  // job chose stays as it was.
  QVERIFY(SaveFileBytes(printer.outputFileName(), "the report PDF"));
  Ui().Screendump1->trigger();
  QCOMPARE(dialogs_->Texts(QStringLiteral("print")).size(), 1);
  QCOMPARE(FileBytes(printer.outputFileName()), QByteArray("the report PDF"));
  dialogs_->printAnswers << true;
  Ui().Screendump1->trigger();
  QCOMPARE(orientation(), QPageLayout::Landscape);
  QVERIFY(FileBytes(printer.outputFileName()).startsWith("%PDF"));
  // From the preview the report prints as the printer stands.
  dialogs_->printAnswers << true << true;
  QTimer::singleShot(0, [this] {
    QTRY_VERIFY(preview_->isVisible());
    QTest::mouseClick(preview_->Form().Button1, Qt::LeftButton);
    QTest::mouseClick(preview_->Form().Button4, Qt::LeftButton);
  });
  Ui().PreViewReport1->trigger();
  QCOMPARE(orientation(), QPageLayout::Landscape);
  QVERIFY(PdfText(printer.outputFileName()).contains(QStringLiteral("Equipment Under Test : Kettle KX-2")));
  // The menu's "Print Report..." turns the page upright first.
  Ui().PrintReport1->trigger();
  QCOMPARE(orientation(), QPageLayout::Portrait);
  // A cancelled print dialog prints nothing.
  QFile::remove(printer.outputFileName());
  Ui().PrintReport1->trigger();
  QVERIFY(!QFile::exists(printer.outputFileName()));
  QVERIFY(dialogs_->Texts(QStringLiteral("error")).isEmpty());
}

void TestWindowOutput::graphicPrintout() {
  window_->DrawWaveformGraph();
  Ui().Edit9->setText(QStringLiteral("SN 42"));
  Ui().Edit10->clear();
  Ui().Edit11->setText(QStringLiteral("  8 Dec 2026  10:00"));
  dialogs_->Printer().setPageOrientation(QPageLayout::Landscape);
  dialogs_->printAnswers << true;
  Ui().PrintCurrentGraphic1->trigger();
  QCOMPARE(dialogs_->Printer().pageLayout().orientation(), QPageLayout::Portrait);
  const QString text = PdfText(dialogs_->Printer().outputFileName());
  QVERIFY2(text.contains(QStringLiteral("Equipment : Kettle KX-2")), qPrintable(text));
  QVERIFY(text.contains(QStringLiteral("Serial No. : SN 42")));
  QVERIFY(text.contains(QStringLiteral("Tested by :")));
  QVERIFY(text.contains(QRegularExpression(QStringLiteral("Date and Time : +8 Dec 2026 +10:00"))));
}

QTEST_MAIN(TestWindowOutput)
#include "test_window_output.moc"
