#pragma once

#include <array>
#include <vector>

namespace qx7300emu {

inline constexpr int MaxHarmonicOrder = 40;

// One cycle of the supply as the analyser samples it: sample k lies at the
// angle 360 * k / N degrees of the supply's fundamental, volts and amperes.
struct SupplyCycle {
    double frequency = 50.0;
    std::vector<double> volts;
    std::vector<double> amps;
};

// The rms value of every order 1..40 (index 0 unused) of a one-cycle record,
// and the phase of each component in radians (of the cosine form).
struct Spectrum {
    std::array<double, MaxHarmonicOrder + 1> rms{};
    std::array<double, MaxHarmonicOrder + 1> phase{};
};

Spectrum HarmonicSpectrum(const std::vector<double>& cycle);

struct Readings {
    double voltsRms = 0.0;
    double voltsPeak = 0.0;
    double frequency = 0.0;
    double peakPhase = 0.0;       // degrees from the rising zero crossing to the positive peak
    double ampsRms = 0.0;
    double ampsPeak = 0.0;        // largest magnitude, either polarity
    double fundamentalAmps = 0.0;
    double harmonicAmps = 0.0;    // rms of the orders 2..40 together
    double watts = 0.0;
    double voltAmps = 0.0;
    double powerFactor = 0.0;
    Spectrum current;
    Spectrum voltage;
};

Readings Measure(const SupplyCycle& cycle);

}  // namespace qx7300emu
