#pragma once

#include "load_model.h"

#include <string>

namespace qx7300emu {

// A resistive base load with a second resistive element switched on and off
// at equal intervals (a thermostat or a cycling heater): the rectangular
// voltage changes that flicker is rated by. Conductances in siemens; a base of
// 0 is no base load at all.
class SwitchedLoad : public LoadModel {
public:
    SwitchedLoad(std::string name, double baseSiemens, double switchedSiemens, double changesPerMinute);

    std::string Name() const override;
    int StateAt(double seconds) const override;  // 0 off (first), 1 on
    std::vector<double> CurrentFor(const std::vector<double>& volts, double frequency,
                                   int state) const override;

private:
    std::string name_;
    double baseSiemens_;
    double switchedSiemens_;
    double changesPerMinute_;
};

// Rectangular voltage changes of `percent` at `changesPerMinute` across the
// reference impedance: a switched element sized so that the supply level
// steps between two values `percent` apart, relative to their mean (the
// level a flickermeter normalises to).
std::unique_ptr<LoadModel> MakeRectangularLoad(double changesPerMinute, double percent);

}  // namespace qx7300emu
