#pragma once

#include "load_model.h"

namespace qx7300emu {

// A resistive base load with a second resistive element switched on and off
// at equal intervals (a thermostat or a cycling heater): the rectangular
// voltage changes that flicker is rated by.
class SwitchedLoad : public LoadModel {
public:
    SwitchedLoad(double baseOhms, double switchedOhms, double changesPerMinute);

    std::string Name() const override;
    int StateAt(double seconds) const override;  // 0 off (first), 1 on
    double ChangesPerMinute() const override;
    std::vector<double> CurrentFor(const std::vector<double>& volts, double frequency,
                                   int state) const override;

private:
    double baseOhms_;
    double switchedOhms_;
    double changesPerMinute_;
};

}  // namespace qx7300emu
