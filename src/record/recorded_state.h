#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

#include "persist/configuration_file.h"

// The histogram's scale as the operator left it: following the current
// range, or one of the manual scales chosen by hand.
struct RecordedScale {
  bool Automatic = true;
  quint8 ManualIndex = 0;  // meaningful when not automatic

  bool operator==(const RecordedScale&) const = default;
};

// What the window's report and displays read that a test's lines do not
// carry: the set-up, the test identification and the report number, and
// what the printed graph shows besides the lines: the locale the clock is
// written in and the histogram's scale. A recording holds it at the start
// and again whenever it changes.
struct RecordedState {
  TestSetupValues Setup;
  QString EquipmentUnderTest;
  QString SerialNumber;
  qint32 ReportCounter = 0;
  // Absent in recordings of version 1.
  std::optional<QString> ClockLocale;  // a QLocale name, "en_GB"
  std::optional<RecordedScale> Scale;

  bool operator==(const RecordedState&) const = default;
};

// The set-up as the configuration file's 30 lines, then the equipment,
// the serial number and the report number, then the clock's locale and the
// histogram's scale ("auto", or "manual" and the scale's index), a line
// each (LF), UTF-8. The last two lines are written when both are known.
QByteArray EncodeState(const RecordedState& state);
// nullopt when the text is not such a state; a state without the last two
// lines (recordings of version 1) reads without them.
std::optional<RecordedState> DecodeState(const QByteArray& bytes);
