#include "test_sequencer.h"

#include "number_format.h"

#include <algorithm>
#include <cmath>

namespace qx7300emu {

void TestSequencer::SetDuration(int seconds)
{
    if (seconds >= 1 && seconds <= 99999)
        duration_ = seconds;
}

void TestSequencer::Start(double now)
{
    state_ = TestState::Running;
    endTime_ = now + duration_;
}

void TestSequencer::Abort()
{
    state_ = TestState::Aborted;
}

void TestSequencer::Hold()
{
    state_ = TestState::Hold;
}

void TestSequencer::FreeRun()
{
    state_ = TestState::FreeRun;
}

bool TestSequencer::Advance(double now)
{
    if (state_ != TestState::Running || now < endTime_)
        return false;
    state_ = TestState::Complete;
    return true;
}

char TestSequencer::StatusLetter() const
{
    switch (state_) {
    case TestState::Ready: return 'W';
    case TestState::Running: return 'T';
    case TestState::Complete: return 'Q';
    case TestState::Hold: return 'H';
    case TestState::Aborted: return 'I';
    case TestState::FreeRun: return 'U';
    }
    return 'W';
}

int TestSequencer::SecondsToGo(double now) const
{
    if (state_ != TestState::Running)
        return 0;
    return std::max(0, static_cast<int>(std::ceil(endTime_ - now)));
}

std::string TestSequencer::StatusField(double now) const
{
    const char letter = StatusLetter();
    if (state_ == TestState::Running)
        return letter + RightAligned(std::to_string(SecondsToGo(now)), 5);
    return letter + std::string(5, ' ');
}

}  // namespace qx7300emu
