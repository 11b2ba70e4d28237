#pragma once

#include "flicker_meter.h"
#include "harmonic_limits.h"
#include "harmonic_statistics.h"
#include "load_model.h"
#include "manual_operator.h"
#include "noise.h"
#include "record_format.h"
#include "record_source.h"
#include "reference_impedance.h"
#include "test_sequencer.h"
#include "voltage_variation_meter.h"
#include "waveform_measurement.h"

#include <complex>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qx7300emu {

// Which records the analyser streams: "R:W;" voltage and current waveforms
// in turn, "R:H;" harmonics, "R:F;" voltage variation and flicker.
enum class RecordMode { Waveforms, Harmonics, Flicker };

// The set-up the program sends.
struct AnalyserSettings {
    double nominalVolts = 230.0;
    double nominalHz = 50.0;
    LimitSetup limits;
    bool smoothedHarmonics = true;  // EN61000-4-7 2002 ("M:H,3;"), raw for 1993
    bool twoHourPlt = false;
    bool currentSensing = false;
    std::complex<double> referenceImpedance = ReferenceImpedance;
    VariationLimits variation;
    RecordMode mode = RecordMode::Waveforms;
    // Whether the last set-up received was that of the flicker test
    // ("M:F", "Z:", "X:", "C:") rather than the harmonics test.
    bool flickerSetUp = false;
};

// The supply feeding the equipment: it follows the nominal voltage and
// frequency the analyser is told, with small deviations that tests may set.
struct SupplyDeviation {
    double voltsFactor = 1.0;
    double hzOffset = 0.0;
};

// The modelled analyser: it measures a modelled load on a modelled supply,
// obeys the command vocabulary and produces the records. Time is given by
// the caller in seconds, so it runs the same in real time or under a test.
class Analyser : public RecordSource {
public:
    static constexpr int SamplesPerCycle = 1200;

    explicit Analyser(std::unique_ptr<LoadModel> load);

    bool Apply(const std::string& command, double now) override;
    std::string NextRecord(double now) override;

    // Moves the test, the meters and the ranging on to `now`.
    void Advance(double now);

    // Readings stay exactly those of the model (for tests that check values).
    void SetNoiseEnabled(bool enabled) { noiseEnabled_ = enabled; }
    void SetSupplyDeviation(const SupplyDeviation& deviation);
    // Someone switches the equipment at the prompts of manual-switching
    // steps (off: the load runs as modelled whatever the test).
    void SetOperatorEnabled(bool enabled) { operator_.SetEnabled(enabled); }

    const AnalyserSettings& Settings() const { return settings_; }
    const TestSequencer& Sequencer() const { return sequencer_; }
    int CurrentRange() const { return currentRange_; }
    bool RangeLocked() const { return rangeLocked_; }
    std::string StatusField(double now) const;

    // The supply cycle and its readings as the analyser sees them at `now`.
    SupplyCycle CycleAt(double now);
    Readings ReadingsAt(double now);
    Classification PresentClassification() const;
    const HarmonicStatistics& Harmonics() const { return Shown().harmonics; }
    const VoltageVariationMeter& Variation() const { return Shown().variation; }
    const FlickerMeter& Flicker() const { return Shown().flicker; }

    // One line of each kind, as of `now`.
    std::string WaveformRecord(char type, double now);
    std::string HarmonicsRecord(double now);
    std::string FlickerRecord(double now);

private:
    // What the load draws in one of its states from the clean supply.
    struct LoadState {
        std::vector<double> amps;
        Spectrum spectrum;
        double peakAmps = 0.0;
        double watts = 0.0;
        double powerFactor = 0.0;
        double levelPercent = 0.0;  // supply level across the reference impedance
    };

    // The figures a test produces; held as they were when a test completes or
    // is put on hold.
    struct Results {
        HarmonicStatistics harmonics;
        VoltageVariationMeter variation;
        FlickerMeter flicker;
        double watts = 0.0;
        double powerFactor = 0.0;
    };

    // The state number of the equipment while the operator has it switched off.
    static constexpr int SwitchedOff = -1;

    bool Obey(char letter, const std::vector<std::string>& p, double now);
    bool ApplyTest(const std::vector<std::string>& p, double now);
    bool ApplyMeter(const std::vector<std::string>& p);
    bool ApplyRange(const std::vector<std::string>& p);
    bool ApplyClass(const std::vector<std::string>& p);
    bool ApplyImpedance(const std::vector<std::string>& p);
    bool ApplyRequest(const std::vector<std::string>& p);

    void StepNoise();
    void ResetResults();
    void HoldResults();
    void SettingsChanged();
    const Results& Shown() const { return held_ ? *held_ : live_; }
    void MeasureUntil(double until);
    void FeedVariation(double until);
    void FeedFlicker(double until);
    double SupplyLevel(double seconds);
    int StateNumberAt(double seconds) const;
    const LoadState& StateAt(double now);
    const LoadState& LoadStateFor(int state);
    std::vector<double> SourceCycle(double volts) const;
    CommonSection Common(double now, const Readings& readings);

    std::unique_ptr<LoadModel> load_;
    AnalyserSettings settings_;
    SupplyDeviation deviation_;
    TestSequencer sequencer_;
    ManualOperator operator_;
    Results live_;
    std::optional<Results> held_;
    std::map<int, LoadState> states_;  // emptied whenever the supply or the impedance changes
    Noise noise_;
    bool noiseEnabled_ = true;
    double voltsWalk_ = 0.0;
    double ampsWalk_ = 0.0;
    double hzWalk_ = 0.0;
    int currentRange_ = 0;
    bool rangeLocked_ = false;
    double lastAdvance_ = 0.0;
    double nextHalfCycle_ = 0.0;
    double flickerOrigin_ = 0.0;      // time of envelope sample 0
    std::int64_t nextFlickerSample_ = 0;
    bool advanced_ = false;
    // A started test has been reported running in at least one record.
    bool runningReported_ = true;
    unsigned sequence_ = 0;
    bool nextIsVoltage_ = true;
};

}  // namespace qx7300emu
