#include "control/test_sequencing.h"

#include "link/decimal_text.h"

namespace TestSequencing {

QString ContinuousDurationText(bool twoHourPlt) {
  return twoHourPlt ? kTwoHourDurationText : kFlickerDurationText;
}

std::optional<int> ValidDuration(const QString& text) {
  const std::optional<int> seconds = ParseWholeNumber(text);
  if (!seconds || *seconds < 1 || *seconds > kMaxDuration) return std::nullopt;
  return seconds;
}

std::optional<quint8> ValidEvents(const QString& text) {
  const std::optional<int> events = ParseWholeNumber(text);
  if (!events || *events < 1 || *events > kMaxEvents) return std::nullopt;
  return static_cast<quint8>(*events);
}

StartButtonState StartButtonFor(bool testRunning, bool manualSwitching, quint8 stepNumber, bool sequenceFinished) {
  if (testRunning) return {kAbortTest, true};
  if (manualSwitching && sequenceFinished) return {kSequenceFinished, false};
  return {manualSwitching ? QStringLiteral("Start Step %1").arg(stepNumber) : kStartTimedTest, true};
}

}  // namespace TestSequencing
