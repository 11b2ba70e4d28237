#pragma once

#include <QString>

#include <optional>
#include <vector>

#include "persist/configuration_file.h"

class TestDocument;

// What the trends of a recorded test follow, sampled from the document
// after each record it handled.
//
// EN61000-3-2: for each harmonic order 2 to 40 the analyser's average and
// maximum current and the order's limit, in amperes (records of the
// milliampere ranges are converted), one sample a harmonics record.
// EN61000-3-3: the twelve Pst intervals, Plt, d(max), d(t) and d(c), one
// sample a voltage-variation and flicker record; a value that is not a
// number is no sample of its series.

inline constexpr int kTrendFirstOrder = 2;
inline constexpr int kTrendLastOrder = 40;

enum class HarmonicSeries { Average = 0, Maximum = 1, Limit = 2 };
inline constexpr int kHarmonicTrendSeries = (kTrendLastOrder - kTrendFirstOrder + 1) * 3;
inline int HarmonicSeriesIndex(int order, HarmonicSeries series) {
  return (order - kTrendFirstOrder) * 3 + static_cast<int>(series);
}
QString HarmonicSeriesName(HarmonicSeries series);  // "Average", "Maximum", "Limit"

// Pst 1 to 12 are series 0 to 11.
enum FlickerSeries { kFlickerPlt = 12, kFlickerDmax = 13, kFlickerDt = 14, kFlickerDc = 15, kFlickerTrendSeries = 16 };
QString FlickerSeriesName(int series);  // "Pst 1" .. "Pst 12", "Plt", "d(max)", "d(t)", "d(c)"
// What the series is judged against: Pst 1.0, Plt 0.65; d(max), d(t) and
// d(c) in percent, as the set-up sent them to the analyser. nullopt when
// the set-up names none (a d(c) limit that is not a number) or the test
// does not judge the series (its option is off).
std::optional<double> FlickerSeriesLimit(const TestSetupValues& setup, int series);

// The sample of the record the document handled last; nullopt when that
// record was not one of the kind.
std::optional<std::vector<float>> HarmonicTrendSample(const TestDocument& document);
std::optional<std::vector<float>> FlickerTrendSample(const TestDocument& document);

// The present current of each order 2 to 40 and its limit, in amperes, of
// the harmonics record handled last (index 0 is order 2).
struct HarmonicPresent {
  std::vector<float> amps;
  std::vector<float> limits;
};
std::optional<HarmonicPresent> HarmonicPresentSample(const TestDocument& document);

// The test's standard as the document stands: the set-up the test started with.
bool TestStandardIsFlicker(const TestDocument& document);
