#pragma once

#include "waveform_measurement.h"

#include <array>

namespace qx7300emu {

// Index 1 the fundamental, 2..40 the harmonic orders, 41 the partial odd
// harmonic figure over the orders 21..39.
inline constexpr int PartialOddIndex = 41;
using HarmonicRow = std::array<double, PartialOddIndex + 1>;

// The analyser's running harmonic figures: the present value (smoothed by a
// first-order filter of 1.5 s time constant under EN61000-4-7 2002, raw under
// the 1993 method), the time-weighted average of the present values since the
// last reset, and their maximum.
class HarmonicStatistics {
public:
    static constexpr double SmoothingSeconds = 1.5;

    void Reset();
    void SetSmoothing(bool smoothed);
    bool Smoothed() const { return smoothed_; }

    // `spectrum` holds the orders 1..40 measured now; `seconds` the time since the
    // previous update.
    void Update(const Spectrum& spectrum, double seconds);

    const HarmonicRow& Present() const { return present_; }
    const HarmonicRow& Average() const { return average_; }
    const HarmonicRow& Maximum() const { return maximum_; }

private:
    bool smoothed_ = true;
    bool primed_ = false;
    double elapsed_ = 0.0;
    HarmonicRow present_{};
    HarmonicRow sum_{};
    HarmonicRow average_{};
    HarmonicRow maximum_{};
};

// Verdict characters of the record: '-' not assessed, '0' pass, '1' fail.
// An order with a limit passes when its average stays within the limit and
// its maximum within 150 % of it; the odd orders 21..39 may average up to
// 150 % when the partial odd figure stays within its own limit. Currents
// below 0.6 % of the input current or below 5 mA are disregarded.
std::array<char, MaxHarmonicOrder + 1> HarmonicVerdicts(
    const std::array<double, MaxHarmonicOrder + 1>& limitAmps, const HarmonicRow& average,
    const HarmonicRow& maximum, double inputAmps);

}  // namespace qx7300emu
