#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

#include "persist/configuration_file.h"

// What the window's report and displays read that a test's lines do not
// carry: the set-up, the test identification and the report number. A
// recording holds it at the start and again whenever it changes.
struct RecordedState {
  TestSetupValues Setup;
  QString EquipmentUnderTest;
  QString SerialNumber;
  qint32 ReportCounter = 0;

  bool operator==(const RecordedState&) const = default;
};

// The set-up as the configuration file's 30 lines, then the equipment,
// the serial number and the report number, a line each (LF), Latin-1.
QByteArray EncodeState(const RecordedState& state);
// nullopt when the text is not such a state.
std::optional<RecordedState> DecodeState(const QByteArray& bytes);
