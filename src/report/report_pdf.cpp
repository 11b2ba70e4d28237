#include "report/report_pdf.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>

namespace {

// The document information's creation time, the one thing that differs
// between two writings of the same pages, turned into blanks: the entry
// goes and every offset after it stays right.
void BlankCreationDate(QByteArray& pdf) {
  static const QByteArray key = "/CreationDate (";
  const qsizetype start = pdf.indexOf(key);
  if (start < 0) return;
  const qsizetype end = pdf.indexOf(')', start + key.size());
  if (end < 0) return;
  pdf.replace(start, end + 1 - start, QByteArray(end + 1 - start, ' '));
}

}  // namespace

QByteArray ReportPdfBytes(const ReportStore& report, const QImage& graph,
                          const GraphicIdentification& id, const QFont& printerFont,
                          const QColor& colour, const PdfReportPage& page, const PdfReportRebuild& rebuild,
                          qreal screenDpi) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  if (!buffer.open(QIODevice::WriteOnly)) return {};
  QPdfWriter writer(&buffer);
  writer.setCreator(QStringLiteral("Veltrix"));
  writer.setTitle(QStringLiteral("QX7300 Report"));
  writer.setResolution(page.Resolution);
  QPageLayout upright = page.Layout;
  upright.setOrientation(QPageLayout::Portrait);
  if (!writer.setPageLayout(upright)) return {};

  QPainter painter;
  if (!painter.begin(&writer)) return {};
  const PageGeometry geometry = PageGeometryOf(writer, printerFont, screenDpi);
  PaintReport(painter, geometry, report, printerFont, colour);
  if (!rebuild.Notice.isEmpty()) PaintLineAboveReport(painter, geometry, rebuild.Notice, printerFont, colour);
  if (!writer.newPage()) return {};
  PaintGraphicPrintout(painter, geometry, graph, id, printerFont, colour);
  if (!painter.end()) return {};
  buffer.close();
  if (rebuild.Reproducible) BlankCreationDate(bytes);
  return bytes;
}
