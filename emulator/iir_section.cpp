#include "iir_section.h"

#include <cmath>
#include <numbers>

namespace qx7300emu {

Biquad::Biquad(const AnalogSection& s, double sampleRate, double matchHz)
{
    // s = k (1 - z^-1) / (1 + z^-1); k = 2 fs, or chosen so that the
    // frequency `matchHz` maps onto itself.
    double k = 2.0 * sampleRate;
    if (matchHz > 0.0) {
        const double w = 2.0 * std::numbers::pi * matchHz;
        k = w / std::tan(w / (2.0 * sampleRate));
    }
    const double k2 = k * k;
    double n0, n1, n2, d0, d1, d2;
    if (s.a2 == 0.0 && s.b2 == 0.0) {
        // First order: keeps the section free of a pole and zero at z = -1.
        n0 = s.b0 + s.b1 * k;
        n1 = s.b0 - s.b1 * k;
        n2 = 0.0;
        d0 = s.a0 + s.a1 * k;
        d1 = s.a0 - s.a1 * k;
        d2 = 0.0;
    } else {
        n0 = s.b0 + s.b1 * k + s.b2 * k2;
        n1 = 2.0 * (s.b0 - s.b2 * k2);
        n2 = s.b0 - s.b1 * k + s.b2 * k2;
        d0 = s.a0 + s.a1 * k + s.a2 * k2;
        d1 = 2.0 * (s.a0 - s.a2 * k2);
        d2 = s.a0 - s.a1 * k + s.a2 * k2;
    }
    b0_ = n0 / d0;
    b1_ = n1 / d0;
    b2_ = n2 / d0;
    a1_ = d1 / d0;
    a2_ = d2 / d0;
}

void Biquad::Settle(double x)
{
    const double y = x * (b0_ + b1_ + b2_) / (1.0 + a1_ + a2_);
    s2_ = b2_ * x - a2_ * y;
    s1_ = b1_ * x - a1_ * y + s2_;
}

std::complex<double> Biquad::Response(double hz, double sampleRate) const
{
    const std::complex<double> z1 = std::polar(1.0, -2.0 * std::numbers::pi * hz / sampleRate);
    const std::complex<double> z2 = z1 * z1;
    return (b0_ + b1_ * z1 + b2_ * z2) / (1.0 + a1_ * z1 + a2_ * z2);
}

}  // namespace qx7300emu
