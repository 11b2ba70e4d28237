#pragma once

#include <cstddef>

namespace qx7300emu {

// Holds the output to the rate of a real line: 115200 baud with a start and a
// stop bit around 8 data bits is 11520 characters a second. Credit builds up
// with time to at most a small burst, so a pause (a reader that stopped
// reading) is not followed by a flood.
class LinePacer {
public:
    static constexpr double LineRate = 11520.0;
    static constexpr std::size_t Burst = 128;

    explicit LinePacer(double bytesPerSecond = LineRate);

    void Restart(double now);
    // Bytes that may be sent at `now`.
    std::size_t Allowance(double now);
    void Consume(std::size_t bytes);
    // Seconds from `now` until `bytes` (at most Burst) may be sent.
    double SecondsUntil(std::size_t bytes, double now);

private:
    void Refill(double now);

    double rate_;
    double credit_ = 0.0;
    double last_ = 0.0;
    bool started_ = false;
};

}  // namespace qx7300emu
