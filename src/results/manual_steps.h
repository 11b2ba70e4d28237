#pragma once

#include <QString>

#include <QList>

#include <array>

#include "report/report_store.h"

// One step of a manual-switching sequence.
struct ManualStepRecord {
  QString time;  // "hh:mm:ss" when the step completed
  QString dmax;  // d(max) as received at the end of the step
  enum StepMark : quint8 { None = 0, Max = 1, Min = 2 };
  quint8 StepMark = None;
  float value = 0.0f;  // d(max) as a number, kept from the last step that had one
};

// The 24 steps of a manual-switching test, numbered 1 to 24.
class ManualSteps {
 public:
  static constexpr int kSteps = 24;

  ManualStepRecord& Step(int number) { return records_[static_cast<size_t>(Clamp(number) - 1)]; }
  const ManualStepRecord& Step(int number) const { return records_[static_cast<size_t>(Clamp(number) - 1)]; }
  // A new sequence: times, d(max) texts and marks emptied; the values stay.
  void StartSequence();
  static int Clamp(int number) { return number < 1 ? 1 : (number > kSteps ? kSteps : number); }

 private:
  std::array<ManualStepRecord, kSteps> records_{};
};

// The heading of the manual results, written before the operator is told
// the test has finished.
void WriteManualResultsHeading(ReportStore& report);

// The step table of a finished sequence in both report forms and the
// combined result below it. stepCells holds, for steps 1 to S in order, the
// four cells as the results grid shows them.
void WriteManualReportRows(const QList<std::array<QString, 4>>& stepCells, const QString& combined,
                           ReportStore& report);
