#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace qx7300emu {

// The percentiles of the short-term classifier, in the order the flicker
// record carries them.
inline constexpr std::array<double, 15> ClassifierPercentiles = {0.1, 0.7, 1.0, 1.5, 2.2, 3.0, 4.0, 6.0,
                                                                  8.0, 10.0, 13.0, 17.0, 30.0, 50.0, 80.0};

// Block 5 of the flickermeter: the cumulative probability of the
// instantaneous flicker sensation over an observation period. The levels are
// counted in logarithmic classes (a hundred a decade, from 1e-5 to 1e5) so
// that a slow fluctuation's rare high peaks and a fast one's steady level are
// resolved alike; a percentile is interpolated within its class.
class FlickerClassifier {
public:
    static constexpr double LowestLevel = 1e-5;
    static constexpr int ClassesPerDecade = 100;
    static constexpr int Decades = 10;

    FlickerClassifier();

    void Reset();
    void Add(double sensation);

    std::uint64_t Count() const { return count_; }
    double Peak() const { return peak_; }
    // The level exceeded during `percent` % of the period; 0 with nothing counted.
    double LevelExceeded(double percent) const;
    // The levels at ClassifierPercentiles.
    std::array<double, 15> Levels() const;

private:
    double LowerBound(int index) const;

    std::vector<std::uint32_t> counts_;  // class 0 holds everything below LowestLevel
    std::uint64_t count_ = 0;
    double peak_ = 0.0;
};

// The multipoint formula for the short-term flicker severity from the levels
// at ClassifierPercentiles, with the smoothed percentiles P1s, P3s, P10s and
// P50s; P0.1 is taken as it is.
double ShortTermSeverity(const std::array<double, 15>& levels);

}  // namespace qx7300emu
