#include "harmonic_statistics.h"

#include "harmonic_limits.h"

#include <algorithm>
#include <cmath>

namespace qx7300emu {

void HarmonicStatistics::Reset()
{
    primed_ = false;
    elapsed_ = 0.0;
    present_.fill(0.0);
    sum_.fill(0.0);
    average_.fill(0.0);
    maximum_.fill(0.0);
}

void HarmonicStatistics::SetSmoothing(bool smoothed)
{
    smoothed_ = smoothed;
}

void HarmonicStatistics::Update(const Spectrum& spectrum, double seconds)
{
    seconds = std::max(seconds, 0.0);
    HarmonicRow raw{};
    for (int order = 1; order <= MaxHarmonicOrder; ++order)
        raw[order] = spectrum.rms[order];
    raw[PartialOddIndex] = PartialOddHarmonics(spectrum.rms);

    // The filter starts from the first value rather than from zero, so that a
    // reset does not show a slow climb from nothing.
    const double weight = (!primed_ || !smoothed_) ? 1.0 : 1.0 - std::exp(-seconds / SmoothingSeconds);
    for (std::size_t i = 1; i < raw.size(); ++i)
        present_[i] += weight * (raw[i] - present_[i]);
    if (!primed_) {
        primed_ = true;
        average_ = present_;
        maximum_ = present_;
        return;
    }
    if (seconds <= 0.0)
        return;
    elapsed_ += seconds;
    for (std::size_t i = 1; i < raw.size(); ++i) {
        sum_[i] += present_[i] * seconds;
        average_[i] = sum_[i] / elapsed_;
        maximum_[i] = std::max(maximum_[i], present_[i]);
    }
}

std::array<char, MaxHarmonicOrder + 1> HarmonicVerdicts(
    const std::array<double, MaxHarmonicOrder + 1>& limitAmps, const HarmonicRow& average,
    const HarmonicRow& maximum, double inputAmps)
{
    std::array<char, MaxHarmonicOrder + 1> verdicts;
    verdicts.fill('-');

    std::array<double, MaxHarmonicOrder + 1> averages{};
    for (int order = 1; order <= MaxHarmonicOrder; ++order)
        averages[order] = average[order];
    const double partialOdd = PartialOddHarmonics(averages);
    const double partialOddLimit = PartialOddHarmonics(limitAmps);
    const double negligible = std::max(0.005, 0.006 * inputAmps);

    for (int order = 2; order <= MaxHarmonicOrder; ++order) {
        const double limit = limitAmps[order];
        if (limit <= 0.0)
            continue;
        if (maximum[order] < negligible) {
            verdicts[order] = '0';
            continue;
        }
        double averageAllowed = limit;
        if (order >= 21 && order % 2 == 1 && partialOdd <= partialOddLimit)
            averageAllowed = 1.5 * limit;
        const bool pass = average[order] <= averageAllowed && maximum[order] <= 1.5 * limit;
        verdicts[order] = pass ? '0' : '1';
    }
    return verdicts;
}

}  // namespace qx7300emu
