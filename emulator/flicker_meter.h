#pragma once

#include "flicker_chain.h"
#include "flicker_classifier.h"

#include <array>
#include <cstdint>

namespace qx7300emu {

// The flicker severity over consecutive 10-minute intervals: the lamp-eye
// chain turns the supply envelope into instantaneous sensation, the
// classifier gathers each interval, and twelve intervals make the 2-hour
// long-term figure. After the twelfth the intervals start again.
class FlickerMeter {
public:
    static constexpr int Intervals = 12;
    static constexpr double IntervalSeconds = 600.0;
    static constexpr double SampleRate = 800.0;  // envelope samples a second

    FlickerMeter();

    // Starts the intervals again; the chain keeps running, as an instrument's
    // filters do when its statistics are cleared.
    void Reset();
    // One envelope sample: the supply level relative to nominal (1 = nominal).
    void Feed(double envelope);

    // 1..12, the interval being measured.
    int PresentInterval() const { return present_ + 1; }
    // Pst of an interval 1..12, the present one as far as it has gone;
    // negative when the interval has not started.
    double IntervalPst(int interval) const;
    // Cube root of the mean cube of the intervals measured so far.
    double Plt() const;
    // The present interval's classifier.
    const FlickerClassifier& Classifier() const { return classifier_; }
    double Sensation() const { return sensation_; }

private:
    std::int64_t SamplesPerInterval() const;

    FlickerChain chain_;
    FlickerClassifier classifier_;
    int present_ = 0;
    std::int64_t intervalSamples_ = 0;
    std::array<double, Intervals> pst_{};
    bool started_ = false;
    double sensation_ = 0.0;
};

}  // namespace qx7300emu
