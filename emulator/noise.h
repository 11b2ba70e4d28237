#pragma once

#include <cstdint>
#include <random>

namespace qx7300emu {

// Deterministic noise so that readings move a little from record to record
// and every run of the emulator moves them the same way.
class Noise {
public:
    explicit Noise(std::uint32_t seed = 7300) : engine_(seed) {}

    // Uniform in [-1, 1].
    double Next();

    // A bounded random walk: one step of at most `step` from `value`, kept
    // within [-bound, bound].
    double Walk(double value, double step, double bound);

private:
    std::mt19937 engine_;
};

}  // namespace qx7300emu
