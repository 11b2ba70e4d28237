#include "analyser.h"

#include "current_ranges.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace qx7300emu {
namespace {

// The bench supply: a little flat-topped like the mains, well inside what a
// harmonics test allows, with a stiff source impedance.
constexpr double ThirdHarmonicShare = 0.0025;
constexpr double FifthHarmonicShare = -0.0015;
constexpr double SourceOhms = 0.02;
constexpr double SourceHenries = 0.02 / (2.0 * std::numbers::pi * 50.0);

// How far the noise lets the supply and the load wander.
constexpr double VoltsWalkStep = 0.0003;
constexpr double VoltsWalkBound = 0.002;
constexpr double AmpsWalkStep = 0.001;
constexpr double AmpsWalkBound = 0.005;
constexpr double HzWalkStep = 0.002;
constexpr double HzWalkBound = 0.02;
constexpr double LevelNoisePercent = 0.02;

// Beyond this the half cycles of a long silence are not all replayed through
// the voltage change meter; its figures only need the recent past.
constexpr double MaxReplaySeconds = 600.0;

// Nor are the envelope samples of more than a whole long-term period replayed
// through the flickermeter: nothing older shows in its intervals. The
// intervals then lag the clock by what was skipped.
constexpr double MaxFlickerReplaySeconds = FlickerMeter::Intervals * FlickerMeter::IntervalSeconds;

double Mean(const std::vector<double>& a, const std::vector<double>& b)
{
    double sum = 0.0;
    for (std::size_t k = 0; k < a.size(); ++k)
        sum += a[k] * b[k];
    return a.empty() ? 0.0 : sum / static_cast<double>(a.size());
}

}  // namespace

Analyser::Analyser(std::unique_ptr<LoadModel> load) : load_(std::move(load))
{
    live_.variation.SetHalfCyclesPerSecond(2.0 * settings_.nominalHz);
    live_.variation.SetLimits(settings_.variation);
}

void Analyser::SetSupplyDeviation(const SupplyDeviation& deviation)
{
    deviation_ = deviation;
    SettingsChanged();
}

void Analyser::SettingsChanged()
{
    states_.clear();
    live_.variation.SetHalfCyclesPerSecond(2.0 * settings_.nominalHz);
    live_.variation.SetLimits(settings_.variation);
    live_.harmonics.SetSmoothing(settings_.smoothedHarmonics);
}

void Analyser::StepNoise()
{
    if (!noiseEnabled_)
        return;
    voltsWalk_ = noise_.Walk(voltsWalk_, VoltsWalkStep, VoltsWalkBound);
    ampsWalk_ = noise_.Walk(ampsWalk_, AmpsWalkStep, AmpsWalkBound);
    hzWalk_ = noise_.Walk(hzWalk_, HzWalkStep, HzWalkBound);
}

void Analyser::ResetResults()
{
    live_.harmonics.Reset();
    live_.variation.Reset();
    live_.flicker.Reset();
}

void Analyser::HoldResults()
{
    held_ = live_;
}

std::vector<double> Analyser::SourceCycle(double volts) const
{
    std::vector<double> cycle(SamplesPerCycle);
    const double amplitude = std::numbers::sqrt2 * volts;
    for (int k = 0; k < SamplesPerCycle; ++k) {
        const double angle = 2.0 * std::numbers::pi * k / SamplesPerCycle;
        cycle[k] = amplitude * (std::sin(angle) + ThirdHarmonicShare * std::sin(3.0 * angle) +
                                FifthHarmonicShare * std::sin(5.0 * angle));
    }
    return cycle;
}

const Analyser::LoadState& Analyser::LoadStateFor(int state)
{
    const auto found = states_.find(state);
    if (found != states_.end())
        return found->second;

    const double volts = settings_.nominalVolts * deviation_.voltsFactor;
    const double hz = settings_.nominalHz + deviation_.hzOffset;
    const std::vector<double> source = SourceCycle(volts);
    LoadState s;
    s.amps = state == SwitchedOff ? std::vector<double>(source.size(), 0.0) : load_->CurrentFor(source, hz, state);
    s.spectrum = HarmonicSpectrum(s.amps);
    for (double a : s.amps)
        s.peakAmps = std::max(s.peakAmps, std::fabs(a));
    s.watts = Mean(source, s.amps);
    const double voltAmps = std::sqrt(Mean(source, source) * Mean(s.amps, s.amps));
    s.powerFactor = voltAmps > 0.0 ? s.watts / voltAmps : 0.0;

    // The supply level behind the impedance the changes are rated across:
    // the fundamental phasors of source and current, the current's angle
    // taken from the voltage's.
    const Spectrum sourceSpectrum = HarmonicSpectrum(source);
    const std::complex<double> v1(sourceSpectrum.rms[1], 0.0);
    const std::complex<double> i1 = std::polar(s.spectrum.rms[1], s.spectrum.phase[1] - sourceSpectrum.phase[1]);
    const std::complex<double> z = settings_.currentSensing ? settings_.referenceImpedance : ReferenceImpedance;
    const double level = std::abs(v1 - z * i1);
    s.levelPercent = 100.0 * (level - settings_.nominalVolts) / settings_.nominalVolts;
    return states_.emplace(state, std::move(s)).first->second;
}

int Analyser::StateNumberAt(double seconds) const
{
    return operator_.HoldsOff(seconds) ? SwitchedOff : load_->StateAt(seconds);
}

const Analyser::LoadState& Analyser::StateAt(double now)
{
    return LoadStateFor(StateNumberAt(now));
}

double Analyser::SupplyLevel(double seconds)
{
    double level = StateAt(seconds).levelPercent;
    if (noiseEnabled_)
        level += LevelNoisePercent * noise_.Next();
    return level;
}

void Analyser::FeedVariation(double until)
{
    const double halfCycle = 0.5 / settings_.nominalHz;
    nextHalfCycle_ = std::max(nextHalfCycle_, until - MaxReplaySeconds);
    for (; nextHalfCycle_ <= until; nextHalfCycle_ += halfCycle)
        live_.variation.Feed(SupplyLevel(nextHalfCycle_));
}

void Analyser::FeedFlicker(double until)
{
    // Sample times are counted from an origin rather than summed, so that
    // hours of samples do not drift against the load's switching instants.
    const double rate = FlickerMeter::SampleRate;
    const double firstKeptSeconds = until - MaxFlickerReplaySeconds - flickerOrigin_;
    const auto firstKept = static_cast<std::int64_t>(std::ceil(firstKeptSeconds * rate));
    nextFlickerSample_ = std::max(nextFlickerSample_, firstKept);
    for (;; ++nextFlickerSample_) {
        const double t = flickerOrigin_ + static_cast<double>(nextFlickerSample_) / rate;
        if (t > until)
            break;
        live_.flicker.Feed(1.0 + SupplyLevel(t) / 100.0);
    }
}

void Analyser::MeasureUntil(double until)
{
    const double seconds = until - lastAdvance_;
    if (seconds < 0.0)
        return;
    lastAdvance_ = until;
    FeedVariation(until);
    FeedFlicker(until);

    const LoadState& state = StateAt(until);
    const double factor = (1.0 + voltsWalk_) * (1.0 + ampsWalk_);
    Spectrum spectrum = state.spectrum;
    for (double& rms : spectrum.rms)
        rms *= factor;
    live_.harmonics.Update(spectrum, seconds);
    const double weight = settings_.smoothedHarmonics && live_.watts != 0.0
                              ? 1.0 - std::exp(-seconds / HarmonicStatistics::SmoothingSeconds)
                              : 1.0;
    live_.watts += weight * (state.watts * factor * (1.0 + voltsWalk_) - live_.watts);
    live_.powerFactor += weight * (state.powerFactor - live_.powerFactor);

    if (!rangeLocked_)
        currentRange_ = AutoCurrentRange(currentRange_, state.peakAmps * factor);
}

void Analyser::Advance(double now)
{
    if (!advanced_) {
        advanced_ = true;
        lastAdvance_ = now;
        nextHalfCycle_ = now;
        flickerOrigin_ = now;
    }
    if (now < lastAdvance_)
        return;
    // A test that ends meanwhile holds the figures of its last moment, not
    // those of whenever it was next looked at.
    if (sequencer_.State() == TestState::Running && sequencer_.EndTime() <= now) {
        MeasureUntil(std::max(sequencer_.EndTime(), lastAdvance_));
        // However far the clock is run ahead, a test is seen running ("T
        // 0") in one record at least before it completes: the program
        // tells one test's "Test Complete" from the last one's by the
        // running state between them.
        if (!runningReported_)
            return;
        if (sequencer_.Advance(now))
            HoldResults();
    }
    MeasureUntil(now);
}

SupplyCycle Analyser::CycleAt(double now)
{
    const LoadState& state = StateAt(now);
    const double hz = settings_.nominalHz + deviation_.hzOffset;
    const double volts = settings_.nominalVolts * deviation_.voltsFactor * (1.0 + voltsWalk_);
    const double ampsFactor = (1.0 + voltsWalk_) * (1.0 + ampsWalk_);

    SupplyCycle cycle;
    cycle.frequency = hz + hzWalk_;
    cycle.volts = SourceCycle(volts);
    cycle.amps.resize(state.amps.size());
    for (std::size_t k = 0; k < state.amps.size(); ++k)
        cycle.amps[k] = state.amps[k] * ampsFactor;

    // What the source's own impedance takes off the voltage.
    const std::size_t n = cycle.amps.size();
    const double dt = 1.0 / (hz * static_cast<double>(n));
    for (std::size_t k = 0; k < n; ++k) {
        const double slope = (cycle.amps[(k + 1) % n] - cycle.amps[(k + n - 1) % n]) / (2.0 * dt);
        cycle.volts[k] -= SourceOhms * cycle.amps[k] + SourceHenries * slope;
    }
    return cycle;
}

Readings Analyser::ReadingsAt(double now)
{
    return Measure(CycleAt(now));
}

Classification Analyser::PresentClassification() const
{
    const Results& r = Shown();
    LoadFigures figures;
    figures.watts = r.watts;
    figures.fundamentalAmps = r.harmonics.Present()[1];
    figures.powerFactor = r.powerFactor;
    return Classify(settings_.limits, figures);
}

std::string Analyser::StatusField(double now) const
{
    const TestState state = sequencer_.State();
    if (rangeLocked_ && (state == TestState::Ready || state == TestState::FreeRun)) {
        const auto found = states_.find(StateNumberAt(now));
        if (found != states_.end() && found->second.peakAmps > CurrentRangeFullScale(currentRange_))
            return "O     ";
    }
    return sequencer_.StatusField(now);
}

}  // namespace qx7300emu
