#pragma once

#include <QString>

#include "report/report_store.h"
#include "results/harmonics_model.h"

// Pads a fixed-width report column: text is followed by spaces up to width
// (a longer text stays whole); a lone "-" is centred instead, as the
// columns of numbers print it.
QString PadColumn(const QString& text, int width);

// Rewrites the harmonic rows of the report from the model: the fundamental
// at body start + 1, harmonics 2..40 and the "21 - 39" figure at body start
// + 2 .. + 41, and the line count body start + 44.
void WriteHarmonicReportRows(const HarmonicsModel& model, ReportStore& report);
// The same with the present fundamental as it stood when the rows were due
// (the model's own follows every line).
void WriteHarmonicReportRows(const HarmonicsModel& model, const QString& fundamentalAmps, ReportStore& report);
