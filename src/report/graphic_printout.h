#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>

#include "report/report_printout.h"

class QImage;
class QPainter;
class QPrinter;

// The test identification printed under the graph, as the window's fields
// show it (not trimmed).
struct GraphicIdentification {
  QString EquipmentUnderTest;
  QString SerialNumber;
  QString TestedBy;
  QString DateAndTime;  // the "Date and Time of Test" box
};

// The four lines under the graph, "Equipment : ..." to "Date and Time : ...".
QStringList GraphicIdentificationLines(const GraphicIdentification& id);

// The graph stretched, whatever its aspect, into the frame 30..630 units
// across and 150..450 down, then the identification lines from 500 down at
// x = L, A apart.
void PaintGraphicPrintout(QPainter& painter, const PageGeometry& page, const QImage& graph,
                          const GraphicIdentification& id, const QFont& printerFont,
                          const QColor& colour);

// Sets the printer to portrait (it stays so for later jobs) and prints the
// graphic printout as one job; false when the job cannot start or finish.
bool PrintGraphic(QPrinter& printer, const QImage& graph, const GraphicIdentification& id,
                  const QFont& printerFont, const QColor& colour, qreal screenDpi = ScreenDpi());
