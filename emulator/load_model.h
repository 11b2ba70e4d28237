#pragma once

#include <memory>
#include <string>
#include <vector>

namespace qx7300emu {

// The equipment under test: what current it draws from a given supply cycle.
// A load may change between states over time (a switched load); within one
// state its current is a steady periodic waveform.
class LoadModel {
public:
    virtual ~LoadModel() = default;

    virtual std::string Name() const = 0;

    // State in force `seconds` after the start; steady loads have only state 0.
    virtual int StateAt(double seconds) const;

    // Amperes over one cycle of `volts`, sample k at 360 * k / N degrees; the
    // cycle is taken as repeating for ever.
    virtual std::vector<double> CurrentFor(const std::vector<double>& volts, double frequency,
                                           int state) const = 0;
};

// "resistive", "smps" or "flicker" with their usual parameters, or
// "rectangular:RATE:PERCENT" (rectangular voltage changes, RATE a minute,
// PERCENT at the supply terminals); nullptr for anything else.
std::unique_ptr<LoadModel> MakeLoad(const std::string& name);

}  // namespace qx7300emu
