#include "voltage_variation_meter.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace qx7300emu {

VoltageVariationMeter::VoltageVariationMeter(double halfCyclesPerSecond)
    : rate_(halfCyclesPerSecond > 0.0 ? halfCyclesPerSecond : 100.0)
{
}

void VoltageVariationMeter::SetHalfCyclesPerSecond(double rate)
{
    if (rate > 0.0 && rate != rate_) {
        rate_ = rate;
        Reset();
    }
}

void VoltageVariationMeter::SetLimits(const VariationLimits& limits)
{
    limits_ = limits;
    while (dtWindow_.size() > DtWindowLength())
        dtWindow_.pop_front();
}

void VoltageVariationMeter::Reset()
{
    window_.clear();
    dtWindow_.clear();
    started_ = false;
    steady_ = false;
    steadyLevel_ = reference_ = present_ = 0.0;
    stateHalfCycles_ = 0;
    lowest_ = highest_ = dmax_ = highestSustainedDt_ = 0.0;
    dtOverHalfCycles_ = longestDtOverHalfCycles_ = 0;
    steadyCount_ = 0;
    lastSteady_ = highestSteady_ = lowestSteady_ = maxDcAdjacent_ = 0.0;
}

std::size_t VoltageVariationMeter::WindowLength() const
{
    return static_cast<std::size_t>(std::lround(rate_));
}

std::size_t VoltageVariationMeter::DtWindowLength() const
{
    const long length = std::lround(limits_.dtMilliseconds / 1000.0 * rate_);
    return static_cast<std::size_t>(std::max(1L, length));
}

void VoltageVariationMeter::EnterSteady(double level)
{
    if (steadyCount_ > 0) {
        maxDcAdjacent_ = std::max(maxDcAdjacent_, std::fabs(level - lastSteady_));
        highestSteady_ = std::max(highestSteady_, level);
        lowestSteady_ = std::min(lowestSteady_, level);
    } else {
        highestSteady_ = lowestSteady_ = level;
    }
    ++steadyCount_;
    steady_ = true;
    stateHalfCycles_ = 0;
}

void VoltageVariationMeter::Feed(double level)
{
    present_ = level;
    if (!started_) {
        started_ = true;
        reference_ = level;
        lowest_ = highest_ = level;
    }
    lowest_ = std::min(lowest_, level);
    highest_ = std::max(highest_, level);

    window_.push_back(level);
    if (window_.size() > WindowLength())
        window_.pop_front();
    const auto [lo, hi] = std::minmax_element(window_.begin(), window_.end());
    const bool withinBand = window_.size() >= WindowLength() && *hi - *lo <= SteadyBandPercent;
    const double mean = std::accumulate(window_.begin(), window_.end(), 0.0) / static_cast<double>(window_.size());

    ++stateHalfCycles_;
    if (steady_ && !withinBand) {
        // The change starts from the level the steady state last had.
        steady_ = false;
        reference_ = steadyLevel_;
        lastSteady_ = steadyLevel_;
        stateHalfCycles_ = 0;
    } else if (!steady_ && withinBand) {
        EnterSteady(mean);
    }
    if (steady_) {
        steadyLevel_ = mean;
        highestSteady_ = std::max(highestSteady_, mean);
        lowestSteady_ = std::min(lowestSteady_, mean);
    }

    const double dt = steady_ ? 0.0 : std::fabs(level - reference_);
    dmax_ = std::max(dmax_, dt);
    dtWindow_.push_back(dt);
    while (dtWindow_.size() > DtWindowLength())
        dtWindow_.pop_front();
    if (dtWindow_.size() == DtWindowLength())
        highestSustainedDt_ = std::max(highestSustainedDt_, *std::min_element(dtWindow_.begin(), dtWindow_.end()));
    if (dt > limits_.dtPercent) {
        ++dtOverHalfCycles_;
        longestDtOverHalfCycles_ = std::max(longestDtOverHalfCycles_, dtOverHalfCycles_);
    } else {
        dtOverHalfCycles_ = 0;
    }
}

double VoltageVariationMeter::WindowMinimum() const
{
    return window_.empty() ? 0.0 : *std::min_element(window_.begin(), window_.end());
}

double VoltageVariationMeter::WindowMaximum() const
{
    return window_.empty() ? 0.0 : *std::max_element(window_.begin(), window_.end());
}

int VoltageVariationMeter::StateCode() const
{
    if (steady_)
        return 0;
    return StateSeconds() >= ExtendedChangeSeconds ? 2 : 1;
}

double VoltageVariationMeter::StateLevel() const
{
    return steady_ ? steadyLevel_ : present_;
}

double VoltageVariationMeter::StateSeconds() const
{
    return static_cast<double>(stateHalfCycles_) / rate_;
}

double VoltageVariationMeter::PresentDtOverSeconds() const
{
    return static_cast<double>(dtOverHalfCycles_) / rate_;
}

double VoltageVariationMeter::LongestDtOverSeconds() const
{
    return static_cast<double>(longestDtOverHalfCycles_) / rate_;
}

double VoltageVariationMeter::MaxDcAny() const
{
    return steadyCount_ > 0 ? highestSteady_ - lowestSteady_ : 0.0;
}

bool VoltageVariationMeter::DtFails() const
{
    return LongestDtOverSeconds() * 1000.0 > limits_.dtMilliseconds;
}

}  // namespace qx7300emu
