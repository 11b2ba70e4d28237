#pragma once

#include <chrono>

namespace qx7300emu {

// Seconds since the emulator started, on the monotonic clock: the time base
// of the test countdown, the meters and the command log.
class Clock {
public:
    double Now() const
    {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    }

private:
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace qx7300emu
