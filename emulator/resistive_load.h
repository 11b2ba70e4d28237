#pragma once

#include "load_model.h"

namespace qx7300emu {

// A heater: current in phase and in shape with the voltage.
class ResistiveLoad : public LoadModel {
public:
    explicit ResistiveLoad(double ohms);

    std::string Name() const override;
    std::vector<double> CurrentFor(const std::vector<double>& volts, double frequency,
                                   int state) const override;

private:
    double ohms_;
};

}  // namespace qx7300emu
