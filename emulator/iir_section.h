#pragma once

#include <complex>

namespace qx7300emu {

// A filter section of at most second order in the Laplace domain:
// H(s) = (b0 + b1 s + b2 s^2) / (a0 + a1 s + a2 s^2).
struct AnalogSection {
    double b0 = 0.0, b1 = 0.0, b2 = 0.0;
    double a0 = 1.0, a1 = 0.0, a2 = 0.0;
};

// The sampled counterpart of an analogue section, run in transposed direct
// form II (two state values, good rounding behaviour at low corner
// frequencies relative to the sampling rate).
class Biquad {
public:
    Biquad() = default;
    // The bilinear transform of `section` at `sampleRate`, pre-warped so that
    // the response at `matchHz` is exactly the analogue one (0: no warping).
    Biquad(const AnalogSection& section, double sampleRate, double matchHz);

    double Step(double x)
    {
        const double y = b0_ * x + s1_;
        s1_ = b1_ * x - a1_ * y + s2_;
        s2_ = b2_ * x - a2_ * y;
        return y;
    }

    // Puts the section in the state it reaches after a constant input `x`
    // held for ever, so that a signal starting at a steady level causes no
    // start-up transient.
    void Settle(double x);

    // Complex response at `hz` for `sampleRate`.
    std::complex<double> Response(double hz, double sampleRate) const;

private:
    double b0_ = 1.0, b1_ = 0.0, b2_ = 0.0;
    double a1_ = 0.0, a2_ = 0.0;
    double s1_ = 0.0, s2_ = 0.0;
};

}  // namespace qx7300emu
