#include "link/meter_extremes.h"

#include "link/decimal_text.h"

namespace {

void Take(const QString& text, float& maximum, float& minimum) {
  const std::optional<float> value = ParseSingle(text);
  if (!value) return;
  if (*value > maximum) maximum = *value;
  if (*value < minimum) minimum = *value;
}

}  // namespace

void MeterExtremes::Update(const QString& voltsRms, const QString& voltsPeak, const QString& frequency,
                           const QString& ampsRms, const QString& ampsPeak, const QString& watts) {
  Take(voltsRms, VoltsRmsMax, VoltsRmsMin);
  Take(voltsPeak, VoltsPeakMax, VoltsPeakMin);
  Take(frequency, FrequencyMax, FrequencyMin);
  Take(ampsRms, AmpsRmsMax, AmpsRmsMin);
  Take(ampsPeak, AmpsPeakMax, AmpsPeakMin);
  Take(watts, WattsMax, WattsMin);
}
