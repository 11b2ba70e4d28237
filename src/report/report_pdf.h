#pragma once

#include <QByteArray>
#include <QColor>
#include <QFont>
#include <QPageLayout>
#include <QString>

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

// What a report rebuilt from its recording adds to or leaves out of the
// document.
struct PdfReportRebuild {
  // A line above the report's first one (a partial report says so there);
  // empty: none.
  QString Notice;
  // No creation time, so that the same recording gives the same bytes.
  bool Reproducible = false;
};

// The report as one PDF document of two pages: the text report as the
// report printout lays it out, then the graphic printout of `graph` with its
// identification lines. The text is real text, in the printer font. Empty
// when the document cannot be made.
QByteArray ReportPdfBytes(const ReportStore& report, const QImage& graph,
                          const GraphicIdentification& id, const QFont& printerFont,
                          const QColor& colour, const PdfReportPage& page,
                          const PdfReportRebuild& rebuild = {}, qreal screenDpi = ScreenDpi());
