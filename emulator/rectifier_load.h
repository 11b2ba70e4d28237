#pragma once

#include "load_model.h"

namespace qx7300emu {

// A switched-mode power supply without power factor correction: a diode
// bridge charging a reservoir capacitor through the line resistance and a
// small choke, the converter behind it drawing constant power from the
// capacitor. The current flows in short pulses near the voltage peaks, rich
// in odd harmonics.
struct RectifierParameters {
    double dcWatts = 250.0;
    double capacitance = 470e-6;  // farads
    double resistance = 1.0;      // ohms, line and inrush limiter
    double inductance = 2e-3;     // henries, on the rectified side
    double diodeDrop = 1.0;       // volts per diode, two conduct at a time
};

class RectifierLoad : public LoadModel {
public:
    explicit RectifierLoad(RectifierParameters parameters = {});

    std::string Name() const override;
    // Runs the circuit over repeated cycles until the capacitor voltage has
    // settled, then returns the line current of the settled cycle.
    std::vector<double> CurrentFor(const std::vector<double>& volts, double frequency,
                                   int state) const override;

private:
    RectifierParameters p_;
};

}  // namespace qx7300emu
