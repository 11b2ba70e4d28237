#pragma once

#include <string>

namespace qx7300emu {

// The analyser's test state and the status field it reports:
// "W" ready to start a timed test, "T" running with the seconds to go,
// "Q" complete with the results held, "H" on hold, "I" aborted (results
// invalid), "U" free run.
enum class TestState { Ready, Running, Complete, Hold, Aborted, FreeRun };

class TestSequencer {
public:
    static constexpr int DefaultDuration = 150;

    void SetDuration(int seconds);
    int Duration() const { return duration_; }

    void Start(double now);
    void Abort();
    void Hold();
    void FreeRun();

    // Moves the countdown on; true exactly once, when a running test has just
    // reached its end.
    bool Advance(double now);

    TestState State() const { return state_; }
    // When a running test's countdown runs out.
    double EndTime() const { return endTime_; }
    char StatusLetter() const;
    int SecondsToGo(double now) const;
    // The status letter followed by five characters: for a running test the
    // seconds to go right-aligned ("T  120"), otherwise blanks.
    std::string StatusField(double now) const;

private:
    TestState state_ = TestState::Ready;
    int duration_ = DefaultDuration;
    double endTime_ = 0.0;
};

}  // namespace qx7300emu
