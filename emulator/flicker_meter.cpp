#include "flicker_meter.h"

#include <cmath>

namespace qx7300emu {

FlickerMeter::FlickerMeter() : chain_(SampleRate) {}

std::int64_t FlickerMeter::SamplesPerInterval() const
{
    return std::llround(IntervalSeconds * SampleRate);
}

void FlickerMeter::Reset()
{
    classifier_.Reset();
    present_ = 0;
    intervalSamples_ = 0;
    pst_.fill(0.0);
    started_ = false;
}

void FlickerMeter::Feed(double envelope)
{
    sensation_ = chain_.Step(envelope);
    // A complete interval stays the present one until the next sample, so
    // that the twelfth can be read before the next cycle begins.
    if (intervalSamples_ == SamplesPerInterval()) {
        intervalSamples_ = 0;
        classifier_.Reset();
        if (++present_ == Intervals) {
            present_ = 0;
            pst_.fill(0.0);
        }
    }
    started_ = true;
    classifier_.Add(sensation_);
    if (++intervalSamples_ == SamplesPerInterval())
        pst_[present_] = ShortTermSeverity(classifier_.Levels());
}

double FlickerMeter::IntervalPst(int interval) const
{
    if (!started_ || interval < 1 || interval > Intervals)
        return -1.0;
    const int index = interval - 1;
    if (index > present_)
        return -1.0;
    if (index == present_ && intervalSamples_ < SamplesPerInterval())
        return ShortTermSeverity(classifier_.Levels());
    return pst_[index];
}

double FlickerMeter::Plt() const
{
    double sum = 0.0;
    int count = 0;
    for (int i = 1; i <= Intervals; ++i) {
        const double pst = IntervalPst(i);
        if (pst < 0.0)
            continue;
        sum += pst * pst * pst;
        ++count;
    }
    return count > 0 ? std::cbrt(sum / count) : 0.0;
}

}  // namespace qx7300emu
