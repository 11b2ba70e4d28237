#include "results/manual_steps.h"

#include "results/harmonic_report_rows.h"

#include <algorithm>

void ManualSteps::StartSequence() {
  for (ManualStepRecord& record : records_) {
    record.time.clear();
    record.dmax.clear();
    record.StepMark = ManualStepRecord::None;
  }
}

void WriteManualResultsHeading(ReportStore& report) {
  const int b = report.BodyStart();
  report.SetText(b + 2, QStringLiteral("Manual Results : "));
  report.SetCsv(b + 2, QStringLiteral("Manual Results :"));
}

void WriteManualReportRows(const QList<std::array<QString, 4>>& stepCells, const QString& combined,
                           ReportStore& report) {
  const int b = report.BodyStart();
  for (int row = b + 3; row <= b + 27; ++row) report.SetBoth(row, QString());
  const int steps = static_cast<int>(std::min<qsizetype>(stepCells.size(), ManualSteps::kSteps));
  for (int s = 1; s <= steps; ++s) {
    const std::array<QString, 4>& c = stepCells[s - 1];
    report.SetText(b + 4 + s, QStringLiteral("       ") + PadColumn(c[0], 3) + PadColumn(c[1], 11) +
                                  PadColumn(c[2], 8) + PadColumn(c[3], 5));
    report.SetCsv(b + 4 + s, c[0] + QLatin1Char(',') + c[1] + QLatin1Char(',') + c[2] + QLatin1Char(',') + c[3]);
  }
  report.SetText(b + 6 + steps, QStringLiteral("Combined Result : ") + combined);
  report.SetLineCount(b + 8 + steps);
}
