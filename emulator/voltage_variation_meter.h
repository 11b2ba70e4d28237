#pragma once

#include <deque>

namespace qx7300emu {

// The limits the analyser judges voltage changes against (percent of the
// nominal voltage, milliseconds).
struct VariationLimits {
    double dmaxPercent = 4.0;
    double dcPercent = 3.3;
    double dtPercent = 3.3;
    double dtMilliseconds = 500.0;
};

// Follows the rms voltage of each half cycle, as a level in percent of the
// nominal voltage relative to nominal (0 = nominal), and keeps the voltage
// change figures: the steady states (1 s within a 0.4 % band), the change
// d(t) from the last steady state while the voltage is not steady, d(max) the
// largest such change, dc the difference between steady states.
class VoltageVariationMeter {
public:
    static constexpr double SteadyBandPercent = 0.4;
    static constexpr double ExtendedChangeSeconds = 5.0;

    explicit VoltageVariationMeter(double halfCyclesPerSecond = 100.0);

    void SetHalfCyclesPerSecond(double rate);
    void SetLimits(const VariationLimits& limits);
    const VariationLimits& Limits() const { return limits_; }
    void Reset();
    void Feed(double levelPercent);

    // Over the last second.
    double WindowMinimum() const;
    double WindowMaximum() const;
    double WindowSpan() const { return WindowMaximum() - WindowMinimum(); }

    // 0 steady, 1 transition, 2 extended change (not steady for 5 s or more).
    int StateCode() const;
    double StateLevel() const;
    double StateSeconds() const;

    double LowestLevel() const { return lowest_; }
    double HighestLevel() const { return highest_; }
    double Dmax() const { return dmax_; }
    // Highest d(t) held for the d(t) criterion's duration.
    double HighestSustainedDt() const { return highestSustainedDt_; }
    double PresentDtOverSeconds() const;
    double LongestDtOverSeconds() const;
    bool HasSteadyState() const { return steadyCount_ > 0; }
    int SteadyStateCount() const { return steadyCount_; }
    double HighestSteady() const { return highestSteady_; }
    double LowestSteady() const { return lowestSteady_; }
    double MaxDcAdjacent() const { return maxDcAdjacent_; }
    double MaxDcAny() const;

    bool DmaxFails() const { return dmax_ > limits_.dmaxPercent; }
    bool DtFails() const;
    bool DcFails() const { return maxDcAdjacent_ > limits_.dcPercent; }

private:
    std::size_t WindowLength() const;
    std::size_t DtWindowLength() const;
    void EnterSteady(double level);

    double rate_;
    VariationLimits limits_;
    std::deque<double> window_;
    std::deque<double> dtWindow_;
    bool started_ = false;
    bool steady_ = false;
    double steadyLevel_ = 0.0;
    double reference_ = 0.0;
    double present_ = 0.0;
    long stateHalfCycles_ = 0;
    double lowest_ = 0.0;
    double highest_ = 0.0;
    double dmax_ = 0.0;
    double highestSustainedDt_ = 0.0;
    long dtOverHalfCycles_ = 0;
    long longestDtOverHalfCycles_ = 0;
    int steadyCount_ = 0;
    double lastSteady_ = 0.0;
    double highestSteady_ = 0.0;
    double lowestSteady_ = 0.0;
    double maxDcAdjacent_ = 0.0;
};

}  // namespace qx7300emu
