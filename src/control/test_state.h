#pragma once

#include <QtGlobal>

// The operator's side of a test: timed-test and manual-switching counters.
struct TestState {
  // The manual-switching step about to run; start-up sets it to 1.
  quint8 StepNumber = 3;
  quint8 EventsToCollect = 0;
  bool ManualSequenceFinished = false;
  // The duration last sent to the analyser, in seconds.
  quint16 TestDuration = 0;
  // The operator locked the current range (by the lock button or stepping).
  bool RangeLocked = false;
  // From a start until the analyser reports the test running: records
  // already on their way say "Free Run." or "Ready", and must not give the
  // set-up back to the operator while the test starts.
  bool StartPending = false;
  // Numbers the reports: advanced at the start of every test that is not a
  // manual-switching step.
  quint32 ReportCounter = 0;
};
