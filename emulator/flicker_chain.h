#pragma once

#include "iir_section.h"

#include <array>

namespace qx7300emu {

// The lamp-eye-brain model of an IEC 61000-4-15 flickermeter (blocks 1 to 4)
// for the 230 V / 60 W lamp: it turns the supply's rms envelope, sampled at a
// fixed rate, into the instantaneous flicker sensation, 1 being the threshold
// of perception (an 8.8 Hz sinusoidal fluctuation of 0.25 %).
//
// The front end hands over the envelope rather than every mains sample: the
// squaring demodulator's carrier terms (twice the mains frequency and above)
// are what its 35 Hz low pass removes anyway, so squaring the normalised
// envelope gives the same signal at a fraction of the work.
class FlickerChain {
public:
    static constexpr double NormalisingSeconds = 60.0;  // time constant of the adapting mean
    static constexpr double HighPassHz = 0.05;
    static constexpr double LowPassHz = 35.0;
    static constexpr double SmoothingSeconds = 0.3;

    explicit FlickerChain(double sampleRate);

    // One envelope sample (any unit: only its ratio to the mean counts);
    // returns the instantaneous flicker sensation.
    double Step(double envelope);

    double SampleRate() const { return rate_; }

    // The sampled weighting of a sinusoidal fluctuation at `hz` from the
    // normalised envelope to the weighted signal (demodulator gain included).
    double FluctuationGain(double hz) const;

private:
    void Start(double envelope);

    double rate_;
    double meanWeight_;
    double mean_ = 0.0;
    bool started_ = false;
    Biquad highPass_;
    std::array<Biquad, 3> lowPass_;
    std::array<Biquad, 3> weighting_;
    Biquad smoothing_;
    double scale_ = 1.0;
};

}  // namespace qx7300emu
