#include "analyser.h"

#include "command.h"
#include "current_ranges.h"
#include "flicker_meter.h"

#include <cmath>

namespace qx7300emu {
namespace {

bool Is(const std::vector<std::string>& p, const char* only)
{
    return p.size() == 1 && p[0] == only;
}

std::optional<double> NumberAt(const std::vector<std::string>& p, std::size_t index)
{
    return index < p.size() ? ParseNumber(p[index]) : std::nullopt;
}

}  // namespace

bool Analyser::Apply(const std::string& text, double now)
{
    const std::optional<Command> command = ParseCommand(text);
    if (!command)
        return false;
    // Whatever the command changes takes effect from this moment on.
    Advance(now);
    if (!Obey(command->letter, command->parameters, now))
        return false;

    // The program names no test standard; the set-up it sends tells which
    // test it is about to run.
    const char letter = command->letter;
    const std::vector<std::string>& p = command->parameters;
    if (letter == 'X' || letter == 'C' || letter == 'Z' || (letter == 'M' && p[0] == "F"))
        settings_.flickerSetUp = true;
    else if (letter == 'K' || letter == 'E' || letter == 'N' || (letter == 'M' && p[0] == "H"))
        settings_.flickerSetUp = false;
    return true;
}

bool Analyser::Obey(char letter, const std::vector<std::string>& p, double now)
{
    switch (letter) {
    case 'R':
        return ApplyRequest(p);
    case 'T':
        return ApplyTest(p, now);
    case 'M':
        return ApplyMeter(p);
    case 'I':
        return ApplyRange(p);
    case 'K':
        return ApplyClass(p);
    case 'Z':
        return ApplyImpedance(p);
    case 'D': {
        const auto seconds = NumberAt(p, 0);
        if (p.size() != 1 || !seconds || *seconds != std::floor(*seconds) || *seconds < 1 || *seconds > 99999)
            return false;
        sequencer_.SetDuration(static_cast<int>(*seconds));
        return true;
    }
    case 'E':
        if (!Is(p, "P") && !Is(p, "S"))
            return false;
        settings_.limits.professional = p[0] == "P";
        return true;
    case 'N': {
        const auto watts = NumberAt(p, 0);
        if (p.size() != 1 || !watts || *watts < 0)
            return false;
        settings_.limits.minimumWatts = *watts;
        return true;
    }
    case 'X': {
        const auto percent = NumberAt(p, 0);
        if (p.size() != 1 || !percent || *percent <= 0)
            return false;
        settings_.variation.dmaxPercent = *percent;
        SettingsChanged();
        return true;
    }
    case 'C': {
        const auto dc = NumberAt(p, 0);
        const auto dt = NumberAt(p, 1);
        const auto ms = NumberAt(p, 2);
        if (p.size() != 3 || !dc || !dt || !ms || *dc <= 0 || *dt <= 0 || *ms <= 0)
            return false;
        settings_.variation.dcPercent = *dc;
        settings_.variation.dtPercent = *dt;
        settings_.variation.dtMilliseconds = *ms;
        SettingsChanged();
        return true;
    }
    case 'V': {
        const auto volts = NumberAt(p, 0);
        if (p.size() != 1 || !volts || *volts <= 0 || *volts > 1000)
            return false;
        settings_.nominalVolts = *volts;
        SettingsChanged();
        return true;
    }
    case 'F': {
        const auto hz = NumberAt(p, 0);
        if (p.size() != 1 || !hz || (*hz != 50.0 && *hz != 60.0))
            return false;
        settings_.nominalHz = *hz;
        SettingsChanged();
        return true;
    }
    default:
        return false;
    }
}

bool Analyser::ApplyRequest(const std::vector<std::string>& p)
{
    if (Is(p, "W")) {
        settings_.mode = RecordMode::Waveforms;
        nextIsVoltage_ = true;
    } else if (Is(p, "H")) {
        settings_.mode = RecordMode::Harmonics;
    } else if (Is(p, "F")) {
        settings_.mode = RecordMode::Flicker;
    } else {
        return false;
    }
    return true;
}

bool Analyser::ApplyTest(const std::vector<std::string>& p, double now)
{
    if (Is(p, "S")) {
        ResetResults();
        held_.reset();
        sequencer_.Start(now);
        runningReported_ = false;
        // The program tells the analyser nothing of manual switching either: a
        // flicker test shorter than one Pst interval is what its steps look
        // like from here (a continuous test runs whole 10-minute intervals).
        if (settings_.flickerSetUp && sequencer_.Duration() < FlickerMeter::IntervalSeconds)
            operator_.StepStarted(now, sequencer_.Duration());
        else
            operator_.Release();
    } else if (Is(p, "A")) {
        held_.reset();
        if (sequencer_.State() == TestState::Running)
            operator_.StepStopped(now);
        sequencer_.Abort();
    } else if (Is(p, "H")) {
        HoldResults();
        if (sequencer_.State() == TestState::Running)
            operator_.StepStopped(now);
        sequencer_.Hold();
    } else if (Is(p, "F")) {
        held_.reset();
        operator_.Release();
        sequencer_.FreeRun();
    } else {
        return false;
    }
    return true;
}

bool Analyser::ApplyMeter(const std::vector<std::string>& p)
{
    if (Is(p, "R")) {
        ResetResults();
        return true;
    }
    if (Is(p, "L"))
        return true;  // the program lets go of the analyser; it keeps measuring
    if (p.size() == 2 && p[0] == "H" && (p[1] == "3" || p[1] == "1")) {
        settings_.smoothedHarmonics = p[1] == "3";
        SettingsChanged();
        return true;
    }
    if (p.size() == 2 && p[0] == "F" && (p[1] == "1" || p[1] == "0")) {
        settings_.twoHourPlt = p[1] == "1";
        return true;
    }
    return false;
}

bool Analyser::ApplyRange(const std::vector<std::string>& p)
{
    if (Is(p, "L")) {
        rangeLocked_ = true;
        return true;
    }
    if (Is(p, "U")) {
        rangeLocked_ = false;
        return true;
    }
    if (p.size() != 1 || p[0].size() != 1)
        return false;
    const char digit = p[0][0];
    int range = CurrentRangeFromCode(digit);
    if (digit == 'F')
        range = CurrentRangeCount - 1;  // there is no range below "E": it stays the smallest
    if (range < 0)
        return false;
    currentRange_ = range;
    rangeLocked_ = true;
    return true;
}

bool Analyser::ApplyClass(const std::vector<std::string>& p)
{
    if (Is(p, "A") || Is(p, "B")) {
        settings_.limits.equipmentClass = p[0][0];
        return true;
    }
    if (p.size() == 3 && p[0] == "C") {
        const auto amps = NumberAt(p, 1);
        const auto powerFactor = NumberAt(p, 2);
        if (!amps || !powerFactor || *amps < 0 || *powerFactor < 0 || *powerFactor > 1)
            return false;
        settings_.limits.equipmentClass = 'C';
        // The rated current is entered in amperes up to 16, in milliamperes above.
        settings_.limits.classCAmps = *amps > 16.0 ? *amps / 1000.0 : *amps;
        settings_.limits.classCPowerFactor = *powerFactor;
        return true;
    }
    if (p.size() == 2 && p[0] == "D") {
        const auto watts = NumberAt(p, 1);
        if (!watts || *watts < 0)
            return false;
        settings_.limits.equipmentClass = 'D';
        settings_.limits.classDWatts = *watts;
        return true;
    }
    return false;
}

bool Analyser::ApplyImpedance(const std::vector<std::string>& p)
{
    if (Is(p, "V") || Is(p, "I")) {
        settings_.currentSensing = p[0] == "I";
    } else {
        const auto r = NumberAt(p, 0);
        const auto x = NumberAt(p, 1);
        if (p.size() != 2 || !r || !x || *r < 0 || *x < 0)
            return false;
        settings_.referenceImpedance = {*r, *x};
    }
    SettingsChanged();
    return true;
}

}  // namespace qx7300emu
