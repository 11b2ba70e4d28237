#include "flicker_chain.h"

#include <cmath>
#include <numbers>

namespace qx7300emu {
namespace {

constexpr double TwoPi = 2.0 * std::numbers::pi;

// Lamp-eye weighting for the 230 V / 60 W incandescent lamp:
// K w1 s / (s^2 + 2 lambda s + w1^2) * (1 + s/w2) / ((1 + s/w3)(1 + s/w4)).
constexpr double WeightK = 1.74802;
constexpr double WeightLambdaHz = 4.05981;
constexpr double WeightW1Hz = 9.15494;
constexpr double WeightW2Hz = 2.27979;
constexpr double WeightW3Hz = 1.22535;
constexpr double WeightW4Hz = 21.9;

// The fluctuation that defines unit sensation: 8.8 Hz sinusoidal, 0.25 %
// peak to peak of the envelope.
constexpr double UnitHz = 8.8;
constexpr double UnitChange = 0.0025;

}  // namespace

FlickerChain::FlickerChain(double sampleRate)
    : rate_(sampleRate), meanWeight_(1.0 - std::exp(-1.0 / (sampleRate * NormalisingSeconds)))
{
    // Block 3: first-order high pass against the steady level and slow drift.
    highPass_ = Biquad(AnalogSection{0.0, 1.0, 0.0, TwoPi * HighPassHz, 1.0, 0.0}, rate_, HighPassHz);

    // Block 3: sixth-order Butterworth low pass, three pole pairs at
    // s^2 + 2 sin((2k+1) pi / 12) wc s + wc^2, pre-warped to the corner.
    const double wc = TwoPi * LowPassHz;
    for (int k = 0; k < 3; ++k) {
        const double damping = std::sin((2 * k + 1) * std::numbers::pi / 12.0);
        lowPass_[k] = Biquad(AnalogSection{wc * wc, 0.0, 0.0, wc * wc, 2.0 * damping * wc, 1.0}, rate_, LowPassHz);
    }

    // Block 3: the weighting filter, each section matched at its own corner so
    // that the sampled response follows the analogue one up to 35 Hz.
    const double w1 = TwoPi * WeightW1Hz;
    const double lambda = TwoPi * WeightLambdaHz;
    weighting_[0] = Biquad(AnalogSection{0.0, WeightK * w1, 0.0, w1 * w1, 2.0 * lambda, 1.0}, rate_, WeightW1Hz);
    weighting_[1] = Biquad(AnalogSection{1.0, 1.0 / (TwoPi * WeightW2Hz), 0.0, 1.0, 1.0 / (TwoPi * WeightW3Hz), 0.0},
                           rate_, WeightW2Hz);
    weighting_[2] = Biquad(AnalogSection{1.0, 0.0, 0.0, 1.0, 1.0 / (TwoPi * WeightW4Hz), 0.0}, rate_, WeightW4Hz);

    // Block 4: first-order sliding mean of the squared signal.
    smoothing_ = Biquad(AnalogSection{1.0, 0.0, 0.0, 1.0, SmoothingSeconds, 0.0}, rate_, 0.0);

    // Scale so that the unit fluctuation peaks at exactly 1. The squared
    // weighted sine is a level plus a ripple at twice its frequency; the
    // smoothing leaves a little of the ripple on top of the level.
    const double weighted = UnitChange * FluctuationGain(UnitHz);
    const double level = weighted * weighted / 2.0;
    const double ripple = std::abs(smoothing_.Response(2.0 * UnitHz, rate_));
    scale_ = 1.0 / (level * (1.0 + ripple));
}

double FlickerChain::FluctuationGain(double hz) const
{
    // Squaring the normalised envelope 1 + m sin turns the fluctuation into
    // 2 m sin: a peak-to-peak change d = 2 m comes out with amplitude d.
    std::complex<double> response = highPass_.Response(hz, rate_);
    for (const Biquad& section : lowPass_)
        response *= section.Response(hz, rate_);
    for (const Biquad& section : weighting_)
        response *= section.Response(hz, rate_);
    return std::abs(response);
}

void FlickerChain::Start(double envelope)
{
    // As if the supply had stood at this level for ever: every stage at rest.
    started_ = true;
    mean_ = envelope;
    highPass_.Settle(1.0);
}

double FlickerChain::Step(double envelope)
{
    if (!started_)
        Start(envelope);
    // Block 1: normalise to the slowly adapting mean, so that the result is
    // a relative change whatever the supply level.
    mean_ += meanWeight_ * (envelope - mean_);
    const double relative = mean_ > 0.0 ? envelope / mean_ : 1.0;

    // Block 2: the squaring demodulator.
    double x = relative * relative;

    // Block 3: band pass and weighting.
    x = highPass_.Step(x);
    for (Biquad& section : lowPass_)
        x = section.Step(x);
    for (Biquad& section : weighting_)
        x = section.Step(x);

    // Block 4: squaring, smoothing and scaling.
    return scale_ * smoothing_.Step(x * x);
}

}  // namespace qx7300emu
