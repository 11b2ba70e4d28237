#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

// The rules of the test status panel that need no window: the durations the
// "Timed Test Duration" box is given, the checks of what the operator typed,
// and the start button's captions.
namespace TestSequencing {

inline constexpr int kMaxDuration = 60000;
inline constexpr int kDefaultDuration = 150;
inline constexpr int kMaxEvents = 24;

// What the duration box is set to at each moment.
inline const QString kHarmonicsDurationText = QStringLiteral("150");
inline const QString kFlickerDurationText = QStringLiteral("600");
inline const QString kTwoHourDurationText = QStringLiteral("7200");
inline const QString kManualStepDurationText = QStringLiteral("60");

inline const QString kInvalidDurationMessage = QStringLiteral("Invalid Entry. Default Value Set");
inline const QString kStartTimedTest = QStringLiteral("Start Timed Test");
inline const QString kAbortTest = QStringLiteral("Abort Test");

// The duration a continuous flicker test runs: two hours for a Plt test.
QString ContinuousDurationText(bool twoHourPlt);

// The duration box's text as seconds, or nothing when it is below 1, above
// 60000 or not a whole number.
std::optional<int> ValidDuration(const QString& text);

// "Number of Events to Collect" as steps when it holds 1 to 24.
std::optional<quint8> ValidEvents(const QString& text);

// The start button as the test stands: "Abort Test" while a test runs,
// "Start Step <n>" for a manual-switching step, else "Start Timed Test".
// A finished manual sequence cannot be started again: its results stay in
// the window and the report until "New Test", a change of test type or of
// standard begins a new one.
struct StartButtonState {
  QString caption;
  bool enabled = true;
};
inline const QString kSequenceFinished = QStringLiteral("Test has Finished");
StartButtonState StartButtonFor(bool testRunning, bool manualSwitching, quint8 stepNumber, bool sequenceFinished);

}  // namespace TestSequencing
