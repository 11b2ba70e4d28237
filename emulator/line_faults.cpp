#include "line_faults.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace qx7300emu {
namespace {

// A burst of garbage goes before one record in this many, on average.
constexpr double GarbageShare = 0.5;
constexpr std::size_t MaxBurst = 65536;

std::vector<std::string> Split(const std::string& text)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t colon = text.find(':', start);
        parts.push_back(text.substr(start, colon - start));
        if (colon == std::string::npos)
            return parts;
        start = colon + 1;
    }
}

bool Number(const std::string& text, double& value)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && std::isfinite(value);
}

// Parts [first, first + 1] as AT and SECONDS, both optional unless `required`.
bool Window(const std::vector<std::string>& parts, std::size_t first, std::size_t required, LineFault& fault)
{
    if (parts.size() < first + required || parts.size() > first + 2)
        return false;
    if (parts.size() > first && (!Number(parts[first], fault.at) || fault.at < 0.0))
        return false;
    if (parts.size() > first + 1 && (!Number(parts[first + 1], fault.seconds) || fault.seconds <= 0.0))
        return false;
    return true;
}

const char* Usage(FaultKind kind)
{
    switch (kind) {
    case FaultKind::Drop:
        return "drop:P[:AT[:SECONDS]], P from 0 to 1";
    case FaultKind::Corrupt:
        return "corrupt:P[:AT[:SECONDS]], P from 0 to 1";
    case FaultKind::Garbage:
        return "garbage:N[:AT[:SECONDS]], N from 1 to 65536";
    case FaultKind::Stall:
        return "stall:AT:SECONDS";
    case FaultKind::Hangup:
        return "hangup:AT[:REPLUG]";
    case FaultKind::Flood:
        return "flood[:AT[:SECONDS]]";
    }
    return "";
}

}  // namespace

bool ParseFault(const std::string& text, LineFault& fault, std::string& error)
{
    const std::vector<std::string> parts = Split(text);
    const std::string& name = parts.front();
    LineFault parsed;
    parsed.text = text;
    bool good = false;
    if (name == "drop" || name == "corrupt") {
        parsed.kind = name == "drop" ? FaultKind::Drop : FaultKind::Corrupt;
        good = parts.size() >= 2 && Number(parts[1], parsed.probability) && parsed.probability >= 0.0 &&
               parsed.probability <= 1.0 && Window(parts, 2, 0, parsed);
    } else if (name == "garbage") {
        parsed.kind = FaultKind::Garbage;
        double burst = 0.0;
        good = parts.size() >= 2 && Number(parts[1], burst) && burst >= 1.0 && burst <= MaxBurst &&
               burst == std::floor(burst) && Window(parts, 2, 0, parsed);
        parsed.burst = static_cast<std::size_t>(burst);
    } else if (name == "stall") {
        parsed.kind = FaultKind::Stall;
        good = Window(parts, 1, 2, parsed);
    } else if (name == "hangup") {
        parsed.kind = FaultKind::Hangup;
        good = Window(parts, 1, 1, parsed);
    } else if (name == "flood") {
        parsed.kind = FaultKind::Flood;
        good = Window(parts, 1, 0, parsed);
    } else {
        error = "--fault is drop, corrupt, garbage, stall, hangup or flood, not \"" + text + "\"";
        return false;
    }
    if (!good) {
        error = "--fault " + std::string(Usage(parsed.kind)) + ", not \"" + text + "\"";
        return false;
    }
    fault = parsed;
    return true;
}

LineFaults::LineFaults(std::vector<LineFault> faults, std::uint32_t seed) : faults_(std::move(faults))
{
    for (std::size_t i = 0; i < faults_.size(); ++i) {
        std::seed_seq sequence{seed, static_cast<std::uint32_t>(i)};
        states_.push_back(State{std::mt19937(sequence)});
    }
}

void LineFaults::CommandReceived(double now)
{
    if (started_)
        return;
    started_ = true;
    origin_ = now;
}

std::vector<LineFaults::Change> LineFaults::Advance(double now)
{
    std::vector<Change> changes;
    if (!started_)
        return changes;
    const double since = now - origin_;
    // Ordered by the time each change fell due, begins before ends at a tie.
    struct Due {
        double at;
        std::size_t index;
        bool begins;
    };
    std::vector<Due> due;
    for (std::size_t i = 0; i < faults_.size(); ++i) {
        const LineFault& fault = faults_[i];
        if (!states_[i].begun && since >= fault.at)
            due.push_back({fault.at, i, true});
        if (!states_[i].ended && since >= fault.at + fault.seconds)
            due.push_back({fault.at + fault.seconds, i, false});
    }
    std::stable_sort(due.begin(), due.end(), [](const Due& a, const Due& b) {
        return a.at < b.at || (a.at == b.at && a.begins && !b.begins);
    });
    for (const Due& d : due) {
        if (d.begins) {
            states_[d.index].begun = true;
            changes.push_back({d.index, true, "fault " + faults_[d.index].text + " begins"});
        } else {
            states_[d.index].ended = true;
            changes.push_back({d.index, false, EndReport(d.index)});
        }
    }
    return changes;
}

double LineFaults::UntilNextChange(double now) const
{
    if (!started_)
        return LineFault::Forever;
    const double since = now - origin_;
    double next = LineFault::Forever;
    for (std::size_t i = 0; i < faults_.size(); ++i) {
        if (!states_[i].begun)
            next = std::min(next, faults_[i].at - since);
        else if (!states_[i].ended)
            next = std::min(next, faults_[i].at + faults_[i].seconds - since);
    }
    return std::max(next, 0.0);
}

bool LineFaults::AnyActive(FaultKind kind) const
{
    for (std::size_t i = 0; i < faults_.size(); ++i) {
        if (faults_[i].kind == kind && Active(i))
            return true;
    }
    return false;
}

double LineFaults::Uniform(State& state)
{
    // Scaled by hand: the standard distributions differ between libraries.
    return static_cast<double>(state.engine()) / 4294967296.0;
}

std::string LineFaults::Shape(const std::string& record)
{
    std::string shaped = record;
    for (std::size_t i = 0; i < faults_.size(); ++i) {
        if (!Active(i))
            continue;
        const LineFault& fault = faults_[i];
        State& state = states_[i];
        if (fault.kind == FaultKind::Drop) {
            std::string kept;
            kept.reserve(shaped.size());
            for (char c : shaped) {
                if (Uniform(state) < fault.probability)
                    ++state.count;
                else
                    kept += c;
            }
            shaped = std::move(kept);
        } else if (fault.kind == FaultKind::Corrupt) {
            for (char& c : shaped) {
                if (Uniform(state) < fault.probability) {
                    c = static_cast<char>(static_cast<unsigned char>(c) ^ (1u << (state.engine() % 8)));
                    ++state.count;
                }
            }
        } else if (fault.kind == FaultKind::Garbage && Uniform(state) < GarbageShare) {
            std::string burst(fault.burst, '\0');
            for (char& c : burst) {
                // Any byte but the line feed: 0 to 255 without 10.
                const unsigned value = state.engine() % 255;
                c = static_cast<char>(value >= '\n' ? value + 1 : value);
            }
            shaped.insert(0, burst);
            ++state.count;
        }
    }
    return shaped;
}

void LineFaults::CountUnpaced(std::size_t bytes)
{
    for (std::size_t i = 0; i < faults_.size(); ++i) {
        if (faults_[i].kind == FaultKind::Flood && Active(i))
            states_[i].count += bytes;
    }
}

std::string LineFaults::EndReport(std::size_t index) const
{
    std::string report = "fault " + faults_[index].text + " ends";
    const std::string count = std::to_string(states_[index].count);
    switch (faults_[index].kind) {
    case FaultKind::Drop:
        return report + ": " + count + " bytes dropped";
    case FaultKind::Corrupt:
        return report + ": " + count + " bytes changed";
    case FaultKind::Garbage:
        return report + ": " + count + " bursts";
    case FaultKind::Flood:
        return report + ": " + count + " bytes sent unpaced";
    case FaultKind::Stall:
    case FaultKind::Hangup:
        break;
    }
    return report;
}

}  // namespace qx7300emu
