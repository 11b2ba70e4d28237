#pragma once

#include <array>

namespace qx7300emu {

// Short-term flicker severity over consecutive 10-minute intervals (12 of
// them make the 2-hour long-term figure). The severity of the fluctuation in
// force is given by the caller at each step; an interval's Pst is the mean of
// what was given during it. After the twelfth the intervals start again.
class FlickerMeter {
public:
    static constexpr int Intervals = 12;
    static constexpr double IntervalSeconds = 600.0;

    void Reset();
    // `pst` is the severity of the present fluctuation; `seconds` how long it
    // has been in force since the previous call.
    void Advance(double pst, double seconds);

    // 1..12, the interval being measured.
    int PresentInterval() const { return present_ + 1; }
    // Pst of an interval 1..12; negative when the interval has not started.
    double IntervalPst(int interval) const;
    // The largest Pst of the intervals measured so far.
    double HighestPst() const;
    // Cube root of the mean cube of the intervals measured so far.
    double Plt() const;

private:
    int present_ = 0;
    double intervalElapsed_ = 0.0;
    std::array<double, Intervals> sum_{};
    std::array<double, Intervals> seconds_{};
    bool started_ = false;
    double lastPst_ = 0.0;
};

}  // namespace qx7300emu
