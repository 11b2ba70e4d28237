#pragma once

#include <QByteArray>
#include <QColor>
#include <QFont>
#include <QPageLayout>

#include "report/graphic_printout.h"
#include "report/report_store.h"

class QImage;

// What the PDF report is laid out on: the page the printer is set up with,
// turned upright, at the printer's resolution, so that the PDF matches what
// "Print Report..." puts on paper.
struct PdfReportPage {
  QPageLayout Layout;
  int Resolution = 600;  // dots per inch
};

// The report as one PDF document of two pages: the text report as the
// report printout lays it out, then the graphic printout of `graph` with its
// identification lines. The text is real text, in the printer font. Empty
// when the document cannot be made.
QByteArray ReportPdfBytes(const ReportStore& report, const QImage& graph,
                          const GraphicIdentification& id, const QFont& printerFont,
                          const QColor& colour, const PdfReportPage& page,
                          qreal screenDpi = ScreenDpi());
