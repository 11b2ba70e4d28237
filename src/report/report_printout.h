#pragma once

#include <QColor>
#include <QFont>
#include <QtGlobal>

#include "report/report_store.h"

class QImage;
class QPaintDevice;
class QPainter;
class QPrinter;

// The page coordinate system every printout is laid out in: 660 units across
// and 1000 down the printable area, in device dots of the page as set up.
struct PageGeometry {
  int Width = 0;        // W, device dots
  int Height = 0;       // H, device dots
  float UnitX = 0.f;    // sx = W / 660
  float UnitY = 0.f;    // sy = H / 1000
  int Left = 0;         // L: left edge of the centred 600-unit text column
  int LineAdvance = 0;  // A: from one printed line's top to the next, device dots

  // A distance in page units as device dots, rounded.
  int Across(int units) const { return qRound(static_cast<float>(units) * UnitX); }
  int Down(int units) const { return qRound(static_cast<float>(units) * UnitY); }
};

// Logical dots per inch of the screen the operator works on; 96 without one.
qreal ScreenDpi();

// The printer font's character height in screen pixels: its pixel size when
// it has one, else its point size at screenDpi, rounded (11 for 8 points at
// 96 dpi, 13 for 10 points).
int CharacterHeight(const QFont& printerFont, qreal screenDpi);

// Eight character heights in screen pixels per line, counted as dots of a
// 600 dpi printer (88 for an 8-point font on a 96 dpi screen) and carried
// over to deviceDpi, so a page looks the same whatever the resolution the
// printer runs at.
int LineAdvance(const QFont& printerFont, qreal screenDpi, int deviceDpi);

PageGeometry PageGeometryOf(int width, int height, int lineAdvance);
PageGeometry PageGeometryOf(const QPaintDevice& page, const QFont& printerFont, qreal screenDpi);

// The printer canvas gets the printer font's name and size only; its style
// (bold, underline, strike-out) is not printed. The colour goes on the pen.
QFont PrinterCanvasFont(const QFont& printerFont);

// Text report lines 0 to LineCount, one under the other from the top
// T = 50 units at x = L, all on the one page. When the lines would run past
// the bottom of the page the advance closes up so that the last one still
// fits.
void PaintReport(QPainter& painter, const PageGeometry& page, const ReportStore& report,
                 const QFont& printerFont, const QColor& colour);

// One line the line advance above the report's first (above the top
// T = 50 units at x = L): a note on the report as a whole.
void PaintLineAboveReport(QPainter& painter, const PageGeometry& page, const QString& line,
                          const QFont& printerFont, const QColor& colour);

// The window image at the top left of the page, at the size it has on the
// screen (scaled by the device's resolution over screenDpi).
void PaintScreendump(QPainter& painter, const QImage& window, qreal screenDpi);

// One print job each, in the printer's current orientation; false when the
// job cannot start or finish.
bool PrintReport(QPrinter& printer, const ReportStore& report, const QFont& printerFont,
                 const QColor& colour, qreal screenDpi = ScreenDpi());
bool PrintScreendump(QPrinter& printer, const QImage& window, qreal screenDpi = ScreenDpi());
