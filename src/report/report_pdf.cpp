#include "report/report_pdf.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>

QByteArray ReportPdfBytes(const ReportStore& report, const QImage& graph,
                          const GraphicIdentification& id, const QFont& printerFont,
                          const QColor& colour, const PdfReportPage& page, qreal screenDpi) {
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
  if (!writer.newPage()) return {};
  PaintGraphicPrintout(painter, geometry, graph, id, printerFont, colour);
  if (!painter.end()) return {};
  buffer.close();
  return bytes;
}
