#pragma once

#include <QString>

// Maxima and minima of the six main readings since the last reset; the
// report header prints them.
struct MeterExtremes {
  float VoltsRmsMax = 0, VoltsRmsMin = 1000000;
  float VoltsPeakMax = 0, VoltsPeakMin = 1000000;
  float FrequencyMax = 0, FrequencyMin = 1000000;
  float AmpsRmsMax = 0, AmpsRmsMin = 1000000;
  float AmpsPeakMax = 0, AmpsPeakMin = 1000000;
  float WattsMax = 0, WattsMin = 1000000;

  // Maxima 0, minima 1000000.
  void Reset() { *this = MeterExtremes(); }

  // Takes one line's readings; a text that is not a number changes neither
  // extreme of its pair.
  void Update(const QString& voltsRms, const QString& voltsPeak, const QString& frequency,
              const QString& ampsRms, const QString& ampsPeak, const QString& watts);
};
