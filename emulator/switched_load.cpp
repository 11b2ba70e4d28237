#include "switched_load.h"

#include <cmath>

namespace qx7300emu {

SwitchedLoad::SwitchedLoad(double baseOhms, double switchedOhms, double changesPerMinute)
    : baseOhms_(baseOhms > 0.0 ? baseOhms : 1.0),
      switchedOhms_(switchedOhms > 0.0 ? switchedOhms : 1.0),
      changesPerMinute_(changesPerMinute > 0.0 ? changesPerMinute : 1.0)
{
}

std::string SwitchedLoad::Name() const
{
    return "flicker";
}

int SwitchedLoad::StateAt(double seconds) const
{
    if (seconds < 0.0)
        return 0;
    const double interval = 60.0 / changesPerMinute_;
    return static_cast<int>(std::fmod(std::floor(seconds / interval), 2.0));
}

double SwitchedLoad::ChangesPerMinute() const
{
    return changesPerMinute_;
}

std::vector<double> SwitchedLoad::CurrentFor(const std::vector<double>& volts, double, int state) const
{
    const double conductance = 1.0 / baseOhms_ + (state == 1 ? 1.0 / switchedOhms_ : 0.0);
    std::vector<double> amps(volts.size());
    for (std::size_t k = 0; k < volts.size(); ++k)
        amps[k] = volts[k] * conductance;
    return amps;
}

}  // namespace qx7300emu
