#include "display/manual_switching_view.h"

#include "link/decimal_text.h"

#include <algorithm>

namespace {

constexpr int kStepsPerHalf = 12;
// Enough steps to leave out the highest and the lowest and still average.
constexpr int kStepsForCombined = 3;
// Enough steps for a highest and a lowest.
constexpr int kStepsForMarks = 2;

QString StatusText(quint8 mark) {
  switch (mark) {
    case ManualStepRecord::Max: return QStringLiteral(" Max");
    case ManualStepRecord::Min: return QStringLiteral(" Min");
    default: return QStringLiteral(" - ");
  }
}

}  // namespace

StepCellPlace StepCellsAt(int step) {
  return step <= kStepsPerHalf ? StepCellPlace{0, step} : StepCellPlace{5, step - kStepsPerHalf};
}

ManualSwitchingView EvaluateManualSteps(ManualSteps& steps, int stepNumber, int eventsToCollect, bool finished) {
  const int shown = ManualSteps::Clamp(stepNumber);
  // The steps of this sequence that have completed; the step in progress
  // and whatever an earlier sequence left behind take no part.
  const int completed = std::clamp(finished ? eventsToCollect : stepNumber - 1, 0, ManualSteps::kSteps);

  QList<int> results;
  for (int k = 1; k <= completed; ++k) {
    ManualStepRecord& step = steps.Step(k);
    const std::optional<float> value = ParseSingle(step.dmax);
    if (!value || step.time.isEmpty()) continue;
    step.value = *value;
    results << k;
  }

  for (int k = 1; k <= shown; ++k) steps.Step(k).StepMark = ManualStepRecord::None;
  int maxStep = 0;
  int minStep = 0;
  for (int k : results) {
    if (maxStep == 0 || steps.Step(k).value > steps.Step(maxStep).value) maxStep = k;
  }
  // The lowest of the others, so that equal values still leave out two
  // steps; among equals the earliest counts.
  for (int k : results) {
    if (k != maxStep && (minStep == 0 || steps.Step(k).value < steps.Step(minStep).value)) minStep = k;
  }
  if (minStep != 0) steps.Step(minStep).StepMark = ManualStepRecord::Min;
  if (maxStep != 0) steps.Step(maxStep).StepMark = ManualStepRecord::Max;

  ManualSwitchingView view;
  if (results.size() < kStepsForCombined) {
    view.combined = QStringLiteral(" -");
  } else {
    float sum = 0.0f;
    for (int k : results) {
      if (k != maxStep && k != minStep) sum += steps.Step(k).value;
    }
    view.combined = QString::number(sum / static_cast<float>(results.size() - 2), 'f', 2);
  }

  for (int k = 1; k <= ManualSteps::kSteps; ++k) {
    const StepCellPlace place = StepCellsAt(k);
    view.cells.append({place.column, place.row, QString::number(k)});
    if (k > shown) continue;
    view.cells.append({place.column + 1, place.row, steps.Step(k).time});
    view.cells.append({place.column + 2, place.row, steps.Step(k).dmax});
  }
  if (results.size() >= kStepsForMarks) {
    for (int k = 1; k <= completed; ++k) {
      const StepCellPlace place = StepCellsAt(k);
      view.cells.append({place.column + 3, place.row, StatusText(steps.Step(k).StepMark)});
    }
  }
  return view;
}
