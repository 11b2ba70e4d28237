#include "analyser.h"

#include "current_ranges.h"
#include "number_format.h"
#include "supply_checks.h"

#include <algorithm>
#include <cmath>

namespace qx7300emu {
namespace {

constexpr char HexDigits[] = "0123456789ABCDEF";

// A percentage as the flicker section carries it; never "-0.00".
std::string Percent(double value)
{
    std::string text = Fixed(value, 2);
    if (text == "-0.00")
        text = "0.00";
    return text;
}

std::string Seconds(double value)
{
    return Fixed(std::max(value, 0.0), 1);
}

std::string Verdict(bool fails)
{
    return fails ? "1" : "0";
}

// Pst and Plt are sent right-aligned in six characters; an interval not yet
// measured as a lone "-".
std::string Severity(double value)
{
    return RightAligned(value < 0.0 ? "-" : Fixed(value, 3), 6);
}

std::array<char, MaxHarmonicOrder + 1> VerdictsFor(const Classification& c, const HarmonicStatistics& h,
                                                    double inputAmps)
{
    return HarmonicVerdicts(c.limitAmps, h.Average(), h.Maximum(), inputAmps);
}

}  // namespace

CommonSection Analyser::Common(double now, const Readings& readings)
{
    const Classification classification = PresentClassification();
    const auto verdicts = VerdictsFor(classification, Shown().harmonics, readings.ampsRms);
    const bool anyFail = std::find(verdicts.begin() + 2, verdicts.end(), '1') != verdicts.end();

    CommonSection s;
    s.sequence = sequence_++;
    s.status = StatusField(now);
    if (sequencer_.State() == TestState::Running)
        runningReported_ = true;
    s.currentRange = currentRange_;
    s.voltageRange = AutoVoltageRange(readings.voltsPeak);
    s.readings = readings;
    s.supplyFlags = SupplyCheckFlags(readings, settings_.nominalVolts, settings_.nominalHz);
    s.harmonicsVerdict = anyFail ? '1' : '0';
    s.classCode = classification.code;
    s.summary1 = classification.summary1;
    s.summary2 = classification.code == 'A' || classification.code == 'B' ? 0.0 : classification.summary2;
    return s;
}

std::string Analyser::WaveformRecord(char type, double now)
{
    Advance(now);
    const SupplyCycle cycle = CycleAt(now);
    const Readings readings = Measure(cycle);
    const CommonSection common = Common(now, readings);
    std::string line = FormatCommonSection(common);
    if (type == 'V')
        line += FormatWaveformBody('V', cycle.volts, VoltageRangeFullScale(common.voltageRange));
    else
        line += FormatWaveformBody('I', cycle.amps, CurrentRangeFullScale(currentRange_));
    line += '\n';
    return line;
}

std::string Analyser::HarmonicsRecord(double now)
{
    Advance(now);
    const Readings readings = ReadingsAt(now);
    const CommonSection common = Common(now, readings);
    const Classification classification = PresentClassification();
    const HarmonicStatistics& h = Shown().harmonics;
    const auto verdicts = VerdictsFor(classification, h, readings.ampsRms);
    const double scale = HarmonicsInMilliamps(currentRange_) ? 1000.0 : 1.0;

    HarmonicRow limits{};
    for (int order = 2; order <= MaxHarmonicOrder; ++order)
        limits[order] = classification.limitAmps[order];
    limits[PartialOddIndex] = PartialOddHarmonics(classification.limitAmps);

    // Groups in the record's order; a measured value above its limit is
    // marked "X".
    const HarmonicRow* groups[4] = {&limits, &h.Present(), &h.Average(), &h.Maximum()};
    HarmonicsBody body;
    for (int g = 0; g < 4; ++g) {
        for (int q = 0; q < 40; ++q) {
            const int index = q + 2;  // orders 2..40, then the partial odd figure at 41
            const double value = (*groups[g])[index];
            body.values[g * 40 + q] = value * scale;
            if (g > 0 && limits[index] > 0.0 && value > limits[index])
                body.prefixes[g * 40 + q] = 'X';
        }
    }
    for (int order = 2; order <= MaxHarmonicOrder; ++order)
        body.verdicts[order - 2] = verdicts[order];

    std::string line = FormatCommonSection(common) + FormatHarmonicsBody(body);
    line += '\n';
    return line;
}

std::string Analyser::FlickerRecord(double now)
{
    Advance(now);
    const Readings readings = ReadingsAt(now);
    const CommonSection common = Common(now, readings);
    const Results& r = Shown();
    const VoltageVariationMeter& v = r.variation;
    const FlickerMeter& f = r.flicker;
    const VariationLimits& limits = v.Limits();

    std::array<std::string, FlickerFieldCount + 1> fields;
    fields.fill("0");
    fields[1] = "H";
    // The set-up in force, for whoever reads the line.
    fields[2] = Fixed(limits.dmaxPercent, 2);
    fields[3] = Fixed(limits.dcPercent, 2);
    fields[4] = Fixed(limits.dtPercent, 2);
    fields[5] = Fixed(limits.dtMilliseconds, 0);
    fields[6] = settings_.currentSensing ? "I" : "V";
    fields[7] = Fixed(settings_.referenceImpedance.real(), 3);
    fields[8] = Fixed(settings_.referenceImpedance.imag(), 3);
    fields[9] = settings_.twoHourPlt ? "1" : "0";
    fields[10] = Fixed(settings_.nominalVolts, 1);
    fields[11] = Fixed(settings_.nominalHz, 1);

    fields[17] = "D" + Percent(v.WindowSpan());
    fields[18] = Percent(v.WindowMaximum());
    fields[19] = Percent(v.WindowMinimum());
    fields[20] = std::to_string(v.StateCode());
    fields[21] = Percent(v.StateLevel());
    fields[22] = Seconds(v.StateSeconds());
    fields[23] = Percent(v.LowestLevel());
    fields[24] = Percent(v.HighestLevel());
    fields[25] = Percent(v.Dmax());
    fields[26] = Verdict(v.DmaxFails());
    fields[27] = Percent(v.HighestSustainedDt());
    fields[28] = Verdict(v.DtFails());
    fields[29] = Seconds(v.PresentDtOverSeconds());
    fields[30] = Seconds(v.LongestDtOverSeconds());
    fields[31] = Percent(v.HighestSteady());
    fields[32] = Percent(v.LowestSteady());
    fields[33] = std::to_string(v.SteadyStateCount());
    fields[34] = Percent(v.MaxDcAdjacent());
    fields[35] = Verdict(v.DcFails());
    fields[36] = Percent(v.MaxDcAny());

    // The classifier of the interval being measured.
    const std::array<double, 15> levels = f.Classifier().Levels();
    fields[37] = Fixed(f.Classifier().Peak(), 3);
    for (int i = 0; i < 15; ++i)
        fields[38 + i] = Fixed(levels[i], 3);
    fields[53] = std::to_string(f.PresentInterval());
    fields[54] = std::string(1, HexDigits[f.PresentInterval() & 0xF]);
    for (int i = 1; i <= FlickerMeter::Intervals; ++i)
        fields[54 + i] = Severity(f.IntervalPst(i));
    fields[67] = Severity(f.Plt());

    std::string line = FormatCommonSection(common) + FormatFlickerBody(fields);
    line += '\n';
    return line;
}

std::string Analyser::NextRecord(double now)
{
    StepNoise();
    switch (settings_.mode) {
    case RecordMode::Harmonics:
        return HarmonicsRecord(now);
    case RecordMode::Flicker:
        return FlickerRecord(now);
    case RecordMode::Waveforms:
        break;
    }
    const char type = nextIsVoltage_ ? 'V' : 'I';
    nextIsVoltage_ = !nextIsVoltage_;
    return WaveformRecord(type, now);
}

}  // namespace qx7300emu
