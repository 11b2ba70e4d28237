// The report and graphic printouts read back from real PDF files; the report
// files written and recalled in a temporary folder.
#include <QtTest>

#include <QPainter>
#include <QPrinter>

#include <sys/resource.h>

#include <csignal>

#include "persist/safe_file_writer.h"
#include "report/graphic_printout.h"
#include "report/report_files.h"
#include "report/report_text.h"
#include "support/pdf_tools.h"

namespace {

// The PDF's text lines, blanks collapsed, a form feed ending each page.
QStringList PdfLines(const QString& pdf) {
  QStringList lines;
  for (const QString& line : PdfText(pdf).split('\n'))
    if (!line.trimmed().isEmpty() || line.contains('\f')) lines << (line.contains('\f') ? "\f" : line.simplified());
  return lines;
}

// Box in points of the first word of the PDF's text that is `text`.
QRectF PdfWord(const QString& pdf, const QString& text) {
  const auto m = QRegularExpression(QString(R"re(xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">%1<)re").arg(text))
                     .match(Poppler("pdftotext", {"-bbox", pdf, "-"}));
  return QRectF(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()), QPointF(m.captured(3).toDouble(), m.captured(4).toDouble()));
}

QByteArray FileBytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("unreadable");
}

void PdfPrinter(QPrinter& printer, const QString& file, int dpi, QPageSize::PageSizeId size, double marginMm) {
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(file);
  printer.setResolution(dpi);
  printer.setPageSize(QPageSize(size));
  printer.setPageMargins(QMarginsF(marginMm, marginMm, marginMm, marginMm), QPageLayout::Millimeter);
}

ReportStore NumberedLines(int count, QStringList* lines = nullptr) {
  ReportStore report;
  for (int i = 0; i <= count; ++i) report.SetBoth(i, QString("L%1 line %2 , x").arg(i, 2, 10, QChar('0')).arg(i));
  for (int i = 0; lines && i <= count; ++i) *lines << report.Text(i);
  report.SetLineCount(count);
  return report;
}

}  // namespace

class TestReportOutput : public QObject {
  Q_OBJECT
  QTemporaryDir dir_;

 private slots:
  void initTestCase() {
    if (QStandardPaths::findExecutable("pdftotext").isEmpty()) QSKIP("pdftotext and pdftoppm (poppler-utils) are not installed");
  }

  // One page, every line in order at x = L from T = 50 units down; a line
  // advance of 8 screen pixels of font height in 600 dpi dots at any
  // resolution, closed up only when the lines would run off the page.
  void printReport_data() {
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("points");
    QTest::addColumn<int>("dpi");
    QTest::addColumn<int>("size");
    QTest::addColumn<double>("pitch");  // points; 0: less than the 10-point advance
    QTest::newRow("harmonics report, 8 pt, A4 600 dpi") << 62 << 8 << 600 << int(QPageSize::A4) << 88 * 0.12;
    QTest::newRow("10 pt at 1200 dpi") << 62 << 10 << 1200 << int(QPageSize::A4) << 104 * 0.12;
    QTest::newRow("81 lines, 10 pt, Letter") << 80 << 10 << 600 << int(QPageSize::Letter) << 0.0;
  }
  void printReport() {
    QFETCH(int, count);
    QFETCH(int, points);
    QFETCH(int, dpi);
    QFETCH(int, size);
    QFETCH(double, pitch);
    QPrinter printer(QPrinter::HighResolution);
    const QString pdf = dir_.filePath(QTest::currentDataTag() + QString(".pdf"));
    PdfPrinter(printer, pdf, dpi, QPageSize::PageSizeId(size), 0);
    QStringList lines;
    QVERIFY(PrintReport(printer, NumberedLines(count, &lines), QFont("Liberation Mono", points), Qt::black, 96));
    QCOMPARE(PdfLines(pdf), lines << "\f");

    const QSizeF page = QPageSize(QPageSize::PageSizeId(size)).size(QPageSize::Point);
    const QRectF first = PdfWord(pdf, "L00"), last = PdfWord(pdf, QString("L%1").arg(count));
    QVERIFY(qAbs(first.left() - page.width() * 30 / 660) < 0.5 && qAbs(first.top() - page.height() * 50 / 1000) < 1.5);
    const double measured = (last.top() - first.top()) / count;
    QVERIFY(last.bottom() <= page.height());
    QVERIFY2(pitch > 0 ? qAbs(measured - pitch) < 0.02 : measured < 104 * 0.12, qPrintable(QString::number(measured)));
  }

  // Portrait even after a landscape job; a 400 x 300 waveform stretched to
  // the 600 x 300 unit frame (its left half ends at the frame's middle).
  void graphicPrintout() {
    QImage graph(400, 300, QImage::Format_RGB32);
    graph.fill(Qt::blue);
    QPainter(&graph).fillRect(0, 0, 200, 300, Qt::red);
    QPrinter printer(QPrinter::HighResolution);
    const QString pdf = dir_.filePath("graph.pdf");
    PdfPrinter(printer, pdf, 1200, QPageSize::A4, 15);
    printer.setPageOrientation(QPageLayout::Landscape);
    QVERIFY(PrintGraphic(printer, graph, {"Kettle", "SN 1", "", "07 March 2024 09:05"}, QFont("Liberation Mono", 8), Qt::black, 96));

    const QRectF area = printer.pageLayout().paintRect(QPageLayout::Point);
    const auto at = [&](double x, double y) { return area.topLeft() + QPointF(x * area.width() / 660, y * area.height() / 1000); };
    Poppler("pdftoppm", {"-r", "72", "-png", "-singlefile", pdf, dir_.filePath("graph")});
    const QImage page(dir_.filePath("graph.png"));
    QCOMPARE(page.size(), QSize(595, 842));
    const struct { QPointF place; double d; QRgb colour; } probes[] = {{at(30, 150), 3, 0xff0000}, {at(30, 150), -3, 0xffffff},
        {at(630, 450), -3, 0x0000ff}, {at(630, 450), 3, 0xffffff}, {at(330, 300), -3, 0xff0000}, {at(330, 300), 3, 0x0000ff}};
    for (const auto& probe : probes) {
      const QColor c = page.pixel((probe.place + QPointF(probe.d, probe.d)).toPoint());
      QCOMPARE(QColor(c.red() > 200 ? 255 : 0, c.green() > 200 ? 255 : 0, c.blue() > 200 ? 255 : 0), QColor(probe.colour));
    }
    QVERIFY(qAbs(PdfWord(pdf, "Equipment").top() - at(0, 500).y()) < 1.5);
    QCOMPARE(PdfLines(pdf), QStringList({"Equipment : Kettle", "Serial No. : SN 1", "Tested by :", "Date and Time : 07 March 2024 09:05", "\f"}));
  }

  void saveReports() {
    ReportStore report = NumberedLines(2);
    report.SetText(1, QString::fromUtf8("25 °C ± Ω\nx")), report.SetCsv(1, "a,b");
    const QString text = dir_.filePath("A.TXT"), csv = dir_.filePath("A.CSV");
    QVERIFY(SaveFileBytesOrError(text, TextReportBytes(report)).isEmpty() &&
            SaveFileBytesOrError(csv, CsvReportBytes(report)).isEmpty());
    QCOMPARE(FileBytes(text), QByteArray("L00 line 0 , x\r\n25 \xb0" "C \xb1 ? x\r\nL02 line 2 , x\r\n"));
    QCOMPARE(FileBytes(csv), QByteArray("L00 line 0 , x\r\na,b\r\nL02 line 2 , x\r\n"));
  }

  // A save cut short (here by a file size limit) is reported and keeps the old file.
  void failedSaveKeepsOldFile() {
    const QString path = dir_.filePath("old.TXT");
    QCOMPARE(SaveFileBytesOrError(path, "old\r\n"), QString());
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{}, limit{64, RLIM_INFINITY};
    getrlimit(RLIMIT_FSIZE, &saved), setrlimit(RLIMIT_FSIZE, &limit);
    const QString error = SaveFileBytesOrError(path, TextReportBytes(NumberedLines(20)));
    setrlimit(RLIMIT_FSIZE, &saved);
    QVERIFY(!error.isEmpty());
    QCOMPARE(FileBytes(path), QByteArray("old\r\n"));
  }

  void recall_data() {
    QTest::addColumn<QByteArray>("bytes");  // "missing": no file
    QTest::addColumn<int>("status");
    QTest::addColumn<QStringList>("lines");
    QStringList lines81;
    NumberedLines(80, &lines81);
    const QByteArray file81 = lines81.join("\r\n").toLatin1();
    QTest::newRow("81 lines") << file81 + "\r\n" << 0 << lines81;
    QTest::newRow("82 lines") << file81 + "\r\nL81\r\n" << int(ReportFileResult::Status::TooManyLines) << QStringList();
    QTest::newRow("empty file: one empty line") << QByteArray() << 0 << QStringList({""});
    QTest::newRow("LF ends, last unended") << QByteArray("a\n\nb ") << 0 << QStringList({"a", "", "b "});
    QTest::newRow("missing") << QByteArray("missing") << int(ReportFileResult::Status::OpenFailed) << QStringList();
  }
  // Only a whole recall changes the report: its text lines and count come
  // from the file, its CSV form is the rebuilt current report's.
  void recall() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, status);
    QFETCH(QStringList, lines);
    const QString path = dir_.filePath("recall.TXT");
    QFile::remove(path);
    if (bytes != "missing") QCOMPARE(SaveFileBytesOrError(path, bytes), QString());
    ReportSnapshot current;
    current.ReportCounter = 9, current.Measurement = 1;
    ReportStore report = NumberedLines(40);
    const QByteArray before = TextReportBytes(report) + CsvReportBytes(report);
    QCOMPARE(int(RecallReport(path, current, report).status), status);
    if (status == 0) {
      QCOMPARE(TextReportBytes(report), lines.join("\r\n").toLatin1() + "\r\n");
      QCOMPARE(report.Csv(0), QString("Report Number:, 9"));
    } else {
      QCOMPARE(TextReportBytes(report) + CsvReportBytes(report), before);
    }
  }
};

QTEST_MAIN(TestReportOutput)
#include "test_report_output.moc"
