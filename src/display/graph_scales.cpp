#include "display/graph_scales.h"

namespace {

struct Row {
  const char* label;
  float fullScale;
  const char* perDivision;
};

// Automatic rows follow the instrument's ranges, "0".."E".
constexpr Row kAutomatic[] = {
    {"500A", 500000, "50A/div"},    {"200A", 200000, "20A/div"},    {"100A", 100000, "10A/div"},
    {"50A", 50000, "5A/div"},       {"20A", 20000, "2.0A/div"},     {"10A", 10000, "1.0A/div"},
    {"5A", 5000, "500mA/div"},      {"2000mA", 2000, "200mA/div"},  {"1000mA", 1000, "100mA/div"},
    {"500mA", 500, "50mA/div"},     {"400mA", 400, "40mA/div"},     {"200mA", 200, "20mA/div"},
    {"100mA", 100, "10mA/div"},     {"50mA", 50, "5.0mA/div"},      {"20mA", 20, "2.0mA/div"}};

// Manual rows are a 5-2-1 sequence of fifteen steps.
constexpr Row kManual[] = {
    {"500A", 500000, "50A/div"},    {"200A", 200000, "20A/div"},    {"100A", 100000, "10A/div"},
    {"50A", 50000, "5.0A/div"},     {"20A", 20000, "2.0A/div"},     {"10A", 10000, "1.0A/div"},
    {"5A", 5000, "500mA/div"},      {"2000mA", 2000, "200mA/div"},  {"1000mA", 1000, "100mA/div"},
    {"500mA", 500, "50mA/div"},     {"200mA", 200, "20mA/div"},     {"100mA", 100, "10mA/div"},
    {"50mA", 50, "5.0mA/div"},      {"20mA", 20, "2.0mA/div"},      {"10mA", 10, "1.0mA/div"}};

constexpr int kManualRows = int(sizeof kManual / sizeof kManual[0]);

struct CurrentRow {
  const char* top;
  const char* perDivision;
};

constexpr CurrentRow kWaveformCurrent[] = {
    {"400 A", "100A/div"},   {"200 A", "50A/div"},    {"100 A", "25A/div"},   {"50 A", "12.5A/div"},
    {"24 A", "6A/div"},      {"12 A", "3A/div"},      {"6 A", "1.5A/div"},    {"3000 mA", "750mA/div"},
    {"1600 mA", "400mA/div"}, {"800 mA", "200mA/div"}, {"400 mA", "100mA/div"}, {"200 mA", "50mA/div"},
    {"100 mA", "25mA/div"},  {"48 mA", "12mA/div"},   {"24 mA", "6mA/div"}};

// Index of a code "0".."E" in the range tables, or -1.
int TableIndex(char code) {
  if (code >= '0' && code <= '9') return code - '0';
  if (code >= 'A' && code <= 'E') return code - 'A' + 10;
  return -1;
}

HistogramScale FromRow(const Row& row) {
  return {QString::fromLatin1(row.label), row.fullScale, QString::fromLatin1(row.perDivision)};
}

void TakeOverAutomaticScale(GraphState& state, char currentCode) {
  if (state.AutoScale) state.ManualScaleIndex = RangeIndexFromCode(currentCode);
  state.AutoScale = false;
}

}  // namespace

quint8 RangeIndexFromCode(char code) {
  if (code >= '0' && code <= '9') return static_cast<quint8>(code - '0');
  if (code >= 'A' && code <= 'F') return static_cast<quint8>(code - 'A' + 10);
  return 5;
}

WaveformCurrentScale WaveformCurrentScaleFor(char currentCode) {
  const int index = TableIndex(currentCode);
  if (index < 0) return {};
  const QString top = QString::fromLatin1(kWaveformCurrent[index].top);
  return {top, QStringLiteral("0"), QLatin1Char('-') + top, QString::fromLatin1(kWaveformCurrent[index].perDivision)};
}

WaveformVoltageScale WaveformVoltageScaleFor(char voltageCode) {
  if (voltageCode == '0') return {QStringLiteral("400 V"), QStringLiteral("0"), QStringLiteral("-400 V")};
  if (voltageCode == '1') return {QStringLiteral("200 V"), QStringLiteral("0"), QStringLiteral("-200 V")};
  return {};
}

HistogramScale ChooseHistogramScale(GraphState& state, char currentCode) {
  if (state.AutoScale) {
    state.RangeIndex = RangeIndexFromCode(currentCode);
    const int index = TableIndex(currentCode);
    return index < 0 ? HistogramScale{} : FromRow(kAutomatic[index]);
  }
  if (state.ManualScaleIndex >= kManualRows) return {};
  return FromRow(kManual[state.ManualScaleIndex]);
}

float FractionOfFullScale(float value, const HistogramScale& scale, quint8 rangeIndex) {
  return rangeIndex <= 4 ? value * 1000.0f / scale.fullScale : value / scale.fullScale;
}

void ScaleUp(GraphState& state, char currentCode) {
  TakeOverAutomaticScale(state, currentCode);
  if (state.ManualScaleIndex < 14) ++state.ManualScaleIndex;
}

void ScaleDown(GraphState& state, char currentCode) {
  TakeOverAutomaticScale(state, currentCode);
  if (state.ManualScaleIndex > 0) --state.ManualScaleIndex;
}

void AutoSetScale(GraphState& state) { state.AutoScale = true; }
