#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// The set-up command groups the analyser receives, built from plain copies
// of the settings panels' values. Texts are sent as the operator typed them;
// a basis of limits that is not a number sends no class command at all.

// The harmonics settings panel.
struct HarmonicsSetup {
  int classIndex = 0;  // "A", "B", "C", "D"
  QString classCAmps;  // the current before "Amps @"
  QString classCPowerFactor;
  bool classCAutomatic = false;
  QString classDWatts;  // "Rated Power"
  bool classDAutomatic = false;
  bool professional = false;
  QString noLimitsBelow;  // "75" or "0"
};

// The voltage-change limits of the flicker settings panel.
struct FlickerLimits {
  int dmaxIndex = 0;  // "4%", "5.33%", "6%", "7%"
  QString dcLimit;
  int dtIndex = 0;    // "3.3% for 500 ms", "3.0% for 200 ms", "4.0% for 200 ms"
};

// Class, professional equipment and the no-limits threshold.
QList<QByteArray> HarmonicsSetupCommands(const HarmonicsSetup& setup);
QList<QByteArray> FlickerLimitCommands(const FlickerLimits& limits);
// The Plt option and the sensing method.
QList<QByteArray> FlickerSetupCommands(bool twoHourPlt, bool currentSensing);
// Voltage and frequency, or nothing until the voltage is a number above 100.
QList<QByteArray> NominalSupplyCommands(const QString& volts, int frequencyIndex);

// The class C current's unit label: "mA" above 16, else "Amps"; nothing
// when the text is not a number.
std::optional<QString> ClassCCurrentUnit(const QString& amps);
