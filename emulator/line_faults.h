#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace qx7300emu {

// Faults of the line, for trying the program against a bad connection. Each
// acts in a window of time counted from the first command the emulator
// receives (the program's first command after it has opened the port), so
// that a fault meets a program that is already talking; before that command
// no fault acts.
enum class FaultKind { Drop, Corrupt, Garbage, Stall, Hangup, Flood };

struct LineFault {
    static constexpr double Forever = std::numeric_limits<double>::infinity();

    FaultKind kind = FaultKind::Drop;
    std::string text;          // as given on the command line, for the reports
    double probability = 0.0;  // drop, corrupt: per byte
    std::size_t burst = 0;     // garbage: bytes in a burst
    double at = 0.0;           // seconds after the first command
    double seconds = Forever;  // how long it lasts; for a hang-up, until the replug
};

// "drop:P[:AT[:SECONDS]]", "corrupt:P[:AT[:SECONDS]]", "garbage:N[:AT[:SECONDS]]",
// "stall:AT:SECONDS", "hangup:AT[:REPLUG]", "flood[:AT[:SECONDS]]". False with
// a message when the text is none of these.
bool ParseFault(const std::string& text, LineFault& fault, std::string& error);

// The faults of one run, deterministic for a seed: the same seed makes the
// same decisions for the same bytes in the same order. Each fault draws from
// a generator of its own, so adding a fault does not change another's.
class LineFaults {
public:
    // A fault beginning or ending, in the order they fall due.
    struct Change {
        std::size_t index = 0;  // into Faults()
        bool begins = true;
        std::string report;     // one line for whoever watches the emulator
    };

    LineFaults(std::vector<LineFault> faults, std::uint32_t seed);

    const std::vector<LineFault>& Faults() const { return faults_; }
    bool Empty() const { return faults_.empty(); }

    // A command arrived; the first starts the faults' clock.
    void CommandReceived(double now);

    // The begins and ends due by `now`, each reported once.
    std::vector<Change> Advance(double now);
    // Seconds from `now` until the next begin or end, Forever when none is
    // due (or the clock has not started).
    double UntilNextChange(double now) const;

    // As of the last Advance.
    bool Stalled() const { return AnyActive(FaultKind::Stall); }
    bool Flooding() const { return AnyActive(FaultKind::Flood); }
    bool LineGone() const { return AnyActive(FaultKind::Hangup); }

    // A record as the faults active now let it onto the line: some of its
    // bytes lost or with one bit flipped, a burst of random bytes (never a
    // line feed) before it.
    std::string Shape(const std::string& record);
    // Bytes the runner sent without pacing while a flood was active.
    void CountUnpaced(std::size_t bytes);

private:
    struct State {
        std::mt19937 engine;
        bool begun = false;
        bool ended = false;
        std::uint64_t count = 0;  // bytes lost or changed, bursts, bytes sent unpaced
    };

    bool AnyActive(FaultKind kind) const;
    bool Active(std::size_t index) const { return states_[index].begun && !states_[index].ended; }
    double Uniform(State& state);
    std::string EndReport(std::size_t index) const;

    std::vector<LineFault> faults_;
    std::vector<State> states_;
    bool started_ = false;
    double origin_ = 0.0;
};

}  // namespace qx7300emu
