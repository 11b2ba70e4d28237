#include "resistive_load.h"

namespace qx7300emu {

ResistiveLoad::ResistiveLoad(double ohms) : ohms_(ohms > 0.0 ? ohms : 1.0) {}

std::string ResistiveLoad::Name() const
{
    return "resistive";
}

std::vector<double> ResistiveLoad::CurrentFor(const std::vector<double>& volts, double, int) const
{
    std::vector<double> amps(volts.size());
    for (std::size_t k = 0; k < volts.size(); ++k)
        amps[k] = volts[k] / ohms_;
    return amps;
}

}  // namespace qx7300emu
