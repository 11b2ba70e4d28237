#include "report/report_printout.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QScreen>

#include <cmath>

namespace {

constexpr int kPageUnitsAcross = 660;
constexpr int kPageUnitsDown = 1000;
constexpr int kColumnUnits = 600;
constexpr int kReportTopUnits = 50;
constexpr int kCharactersPerAdvance = 8;
// The advance was laid out for printers of this resolution.
constexpr double kReferenceDpi = 600.0;

}  // namespace

qreal ScreenDpi() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen ? screen->logicalDotsPerInchY() : 96.0;
}

int CharacterHeight(const QFont& printerFont, qreal screenDpi) {
  if (printerFont.pixelSize() > 0) return printerFont.pixelSize();
  return qRound(printerFont.pointSizeF() * screenDpi / 72.0);
}

int LineAdvance(const QFont& printerFont, qreal screenDpi, int deviceDpi) {
  const int referenceDots = kCharactersPerAdvance * CharacterHeight(printerFont, screenDpi);
  return qRound(referenceDots * deviceDpi / kReferenceDpi);
}

PageGeometry PageGeometryOf(int width, int height, int lineAdvance) {
  PageGeometry page;
  page.Width = width;
  page.Height = height;
  page.UnitX = static_cast<float>(width) / kPageUnitsAcross;
  page.UnitY = static_cast<float>(height) / kPageUnitsDown;
  page.Left = (width - page.Across(kColumnUnits)) / 2;
  page.LineAdvance = lineAdvance;
  return page;
}

PageGeometry PageGeometryOf(const QPaintDevice& page, const QFont& printerFont, qreal screenDpi) {
  return PageGeometryOf(page.width(), page.height(),
                        LineAdvance(printerFont, screenDpi, page.logicalDpiY()));
}

QFont PrinterCanvasFont(const QFont& printerFont) {
  QFont font(printerFont.family());
  if (printerFont.pointSizeF() > 0) {
    font.setPointSizeF(printerFont.pointSizeF());
  } else {
    font.setPixelSize(printerFont.pixelSize());
  }
  return font;
}

void PaintReport(QPainter& painter, const PageGeometry& page, const ReportStore& report,
                 const QFont& printerFont, const QColor& colour) {
  painter.save();
  painter.setFont(PrinterCanvasFont(printerFont));
  painter.setPen(colour);
  const int ascent = painter.fontMetrics().ascent();
  const int lines = report.LineCount() + 1;
  const int top = page.Down(kReportTopUnits);
  int advance = page.LineAdvance;
  if (top + lines * advance > page.Height) advance = qMax(1, (page.Height - top) / lines);
  int y = top;
  for (int i = 0; i < lines; ++i, y += advance) {
    painter.drawText(page.Left, y + ascent, report.Text(i));
  }
  painter.restore();
}

void PaintLineAboveReport(QPainter& painter, const PageGeometry& page, const QString& line,
                          const QFont& printerFont, const QColor& colour) {
  painter.save();
  painter.setFont(PrinterCanvasFont(printerFont));
  painter.setPen(colour);
  const int y = qMax(0, page.Down(kReportTopUnits) - page.LineAdvance);
  painter.drawText(page.Left, y + painter.fontMetrics().ascent(), line);
  painter.restore();
}

void PaintScreendump(QPainter& painter, const QImage& window, qreal screenDpi) {
  const QPaintDevice* device = painter.device();
  const QSizeF size = window.deviceIndependentSize();
  const qreal width = size.width() * device->logicalDpiX() / screenDpi;
  const qreal height = size.height() * device->logicalDpiY() / screenDpi;
  painter.drawImage(QRectF(0, 0, std::round(width), std::round(height)), window);
}

bool PrintReport(QPrinter& printer, const ReportStore& report, const QFont& printerFont,
                 const QColor& colour, qreal screenDpi) {
  const PageGeometry page = PageGeometryOf(printer, printerFont, screenDpi);
  QPainter painter;
  if (!painter.begin(&printer)) return false;
  PaintReport(painter, page, report, printerFont, colour);
  return painter.end();
}

bool PrintScreendump(QPrinter& printer, const QImage& window, qreal screenDpi) {
  QPainter painter;
  if (!painter.begin(&printer)) return false;
  PaintScreendump(painter, window, screenDpi);
  return painter.end();
}
