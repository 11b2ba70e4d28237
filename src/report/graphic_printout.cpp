#include "report/graphic_printout.h"

#include <QImage>
#include <QPainter>
#include <QPrinter>

namespace {

// Page units, measured from the top reference T = 100 units.
constexpr int kTopUnits = 100;
constexpr int kFrameTopUnits = 50;
constexpr int kFrameWidthUnits = 600;
constexpr int kFrameHeightUnits = 300;
constexpr int kTextTopUnits = 400;

}  // namespace

QStringList GraphicIdentificationLines(const GraphicIdentification& id) {
  return {QStringLiteral("Equipment : ") + id.EquipmentUnderTest,
          QStringLiteral("Serial No. : ") + id.SerialNumber,
          QStringLiteral("Tested by : ") + id.TestedBy,
          QStringLiteral("Date and Time : ") + id.DateAndTime};
}

void PaintGraphicPrintout(QPainter& painter, const PageGeometry& page, const QImage& graph,
                          const GraphicIdentification& id, const QFont& printerFont,
                          const QColor& colour) {
  const int top = page.Down(kTopUnits);
  const QRect frame(page.Left, top + page.Down(kFrameTopUnits), page.Across(kFrameWidthUnits),
                    page.Down(kFrameHeightUnits));
  painter.save();
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  painter.drawImage(frame, graph);
  painter.setFont(PrinterCanvasFont(printerFont));
  painter.setPen(colour);
  const int ascent = painter.fontMetrics().ascent();
  int y = top + page.Down(kTextTopUnits);
  for (const QString& line : GraphicIdentificationLines(id)) {
    painter.drawText(page.Left, y + ascent, line);
    y += page.LineAdvance;
  }
  painter.restore();
}

bool PrintGraphic(QPrinter& printer, const QImage& graph, const GraphicIdentification& id,
                  const QFont& printerFont, const QColor& colour, qreal screenDpi) {
  printer.setPageOrientation(QPageLayout::Portrait);
  const PageGeometry page = PageGeometryOf(printer, printerFont, screenDpi);
  QPainter painter;
  if (!painter.begin(&printer)) return false;
  PaintGraphicPrintout(painter, page, graph, id, printerFont, colour);
  return painter.end();
}
