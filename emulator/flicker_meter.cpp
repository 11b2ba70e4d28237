#include "flicker_meter.h"

#include <algorithm>
#include <cmath>

namespace qx7300emu {

void FlickerMeter::Reset()
{
    present_ = 0;
    intervalElapsed_ = 0.0;
    sum_.fill(0.0);
    seconds_.fill(0.0);
    started_ = false;
    lastPst_ = 0.0;
}

void FlickerMeter::Advance(double pst, double seconds)
{
    started_ = true;
    while (seconds > 0.0) {
        // A complete interval stays the present one until time goes on, so
        // that the twelfth can be read before the next cycle begins.
        if (intervalElapsed_ >= IntervalSeconds) {
            intervalElapsed_ = 0.0;
            if (++present_ == Intervals) {
                present_ = 0;
                sum_.fill(0.0);
                seconds_.fill(0.0);
            }
        }
        const double slice = std::min(seconds, IntervalSeconds - intervalElapsed_);
        sum_[present_] += pst * slice;
        seconds_[present_] += slice;
        intervalElapsed_ += slice;
        seconds -= slice;
    }
    lastPst_ = pst;
}

double FlickerMeter::IntervalPst(int interval) const
{
    if (!started_ || interval < 1 || interval > Intervals)
        return -1.0;
    const int index = interval - 1;
    if (index > present_)
        return -1.0;
    if (seconds_[index] <= 0.0)
        return index == present_ ? lastPst_ : -1.0;  // shows the fluctuation from its first moment
    return sum_[index] / seconds_[index];
}

double FlickerMeter::HighestPst() const
{
    double highest = 0.0;
    for (int i = 1; i <= Intervals; ++i)
        highest = std::max(highest, IntervalPst(i));
    return highest;
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
