#include "session/trend_samples.h"

#include <array>
#include <cmath>
#include <limits>

#include "link/decimal_text.h"
#include "link/status_record.h"
#include "session/test_document.h"

namespace {

constexpr int kFirstPstField = 55;
constexpr int kPltField = 67;
constexpr int kDmaxField = 25;
constexpr int kDtField = 27;  // highest d(t) of 500 ms
constexpr int kDcField = 34;  // largest d(c) between adjacent steady states
constexpr double kPstLimit = 1.0;
constexpr double kPltLimit = 0.65;
// The items of the d(max) and d(t) limit lists, in percent.
constexpr std::array<double, 4> kDmaxLimits{4.0, 5.33, 6.0, 7.0};
constexpr std::array<double, 3> kDtLimits{3.3, 3.0, 4.0};

constexpr float kNone = std::numeric_limits<float>::quiet_NaN();

// The amperes of one unit of the harmonic tables on the record's range.
float AmpsPerUnit(const TestDocument& document) {
  const std::optional<RangeUnits> units = UnitsForRange(FirstChar(document.Fields().CurrentRangeCode));
  return units && units->harmonics == QLatin1String("mA") ? 0.001f : 1.0f;
}

float FlickerValue(const FlickerResults& results, int field) {
  const std::optional<double> value = ParseDecimal(QString(results.F(field)).remove(QLatin1Char(' ')));
  return value ? static_cast<float>(*value) : kNone;
}

}  // namespace

QString HarmonicSeriesName(HarmonicSeries series) {
  switch (series) {
    case HarmonicSeries::Average: return QStringLiteral("Average");
    case HarmonicSeries::Maximum: return QStringLiteral("Maximum");
    case HarmonicSeries::Limit: return QStringLiteral("Limit");
  }
  return {};
}

QString FlickerSeriesName(int series) {
  if (series >= 0 && series < kFlickerPlt) return QStringLiteral("Pst %1").arg(series + 1);
  switch (series) {
    case kFlickerPlt: return QStringLiteral("Plt");
    case kFlickerDmax: return QStringLiteral("d(max)");
    case kFlickerDt: return QStringLiteral("d(t)");
    case kFlickerDc: return QStringLiteral("d(c)");
    default: return {};
  }
}

std::optional<double> FlickerSeriesLimit(const TestSetupValues& setup, int series) {
  // Pst is judged only with the "Flicker" option, Plt only in the two-hour
  // test besides: a series the test does not judge has no limit.
  if (series >= 0 && series < kFlickerPlt) return setup.CheckBox6 ? std::optional<double>(kPstLimit) : std::nullopt;
  switch (series) {
    case kFlickerPlt: return setup.CheckBox6 && setup.CheckBox5 ? std::optional<double>(kPltLimit) : std::nullopt;
    case kFlickerDmax:
      if (setup.ComboBox2 < 0 || setup.ComboBox2 >= static_cast<int>(kDmaxLimits.size())) return std::nullopt;
      return kDmaxLimits[static_cast<size_t>(setup.ComboBox2)];
    case kFlickerDt:
      if (setup.ComboBox5 < 0 || setup.ComboBox5 >= static_cast<int>(kDtLimits.size())) return std::nullopt;
      return kDtLimits[static_cast<size_t>(setup.ComboBox5)];
    case kFlickerDc: return ParseDecimal(setup.Edit2.trimmed());
    default: return std::nullopt;
  }
}

std::optional<std::vector<float>> HarmonicTrendSample(const TestDocument& document) {
  if (document.LastRecordType() != 'L') return std::nullopt;
  const float unit = AmpsPerUnit(document);
  const auto& value = document.Harmonics().HarmonicValue;
  std::vector<float> sample(static_cast<size_t>(kHarmonicTrendSeries));
  for (int order = kTrendFirstOrder; order <= kTrendLastOrder; ++order) {
    const auto n = static_cast<size_t>(order);
    sample[static_cast<size_t>(HarmonicSeriesIndex(order, HarmonicSeries::Average))] = value[3][n] * unit;
    sample[static_cast<size_t>(HarmonicSeriesIndex(order, HarmonicSeries::Maximum))] = value[4][n] * unit;
    sample[static_cast<size_t>(HarmonicSeriesIndex(order, HarmonicSeries::Limit))] = value[1][n] * unit;
  }
  return sample;
}

std::optional<std::vector<float>> FlickerTrendSample(const TestDocument& document) {
  if (document.LastRecordType() != 'H') return std::nullopt;
  const FlickerResults& results = document.Flicker();
  std::vector<float> sample(static_cast<size_t>(kFlickerTrendSeries));
  for (int i = 0; i < kFlickerPlt; ++i) sample[static_cast<size_t>(i)] = FlickerValue(results, kFirstPstField + i);
  sample[kFlickerPlt] = FlickerValue(results, kPltField);
  sample[kFlickerDmax] = FlickerValue(results, kDmaxField);
  sample[kFlickerDt] = FlickerValue(results, kDtField);
  sample[kFlickerDc] = FlickerValue(results, kDcField);
  return sample;
}

std::optional<HarmonicPresent> HarmonicPresentSample(const TestDocument& document) {
  if (document.LastRecordType() != 'L') return std::nullopt;
  const float unit = AmpsPerUnit(document);
  const auto& value = document.Harmonics().HarmonicValue;
  HarmonicPresent present;
  for (int order = kTrendFirstOrder; order <= kTrendLastOrder; ++order) {
    present.amps.push_back(value[2][static_cast<size_t>(order)] * unit);
    present.limits.push_back(value[1][static_cast<size_t>(order)] * unit);
  }
  return present;
}

bool TestStandardIsFlicker(const TestDocument& document) { return document.ReportedSetup().Setup.ComboBox1 == 1; }
