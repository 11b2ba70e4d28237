#include "switched_load.h"

#include "reference_impedance.h"

#include <algorithm>
#include <cmath>

namespace qx7300emu {

SwitchedLoad::SwitchedLoad(std::string name, double baseSiemens, double switchedSiemens, double changesPerMinute)
    : name_(std::move(name)),
      baseSiemens_(std::max(baseSiemens, 0.0)),
      switchedSiemens_(std::max(switchedSiemens, 0.0)),
      changesPerMinute_(changesPerMinute > 0.0 ? changesPerMinute : 1.0)
{
}

std::string SwitchedLoad::Name() const
{
    return name_;
}

int SwitchedLoad::StateAt(double seconds) const
{
    if (seconds < 0.0)
        return 0;
    // The small allowance puts a change on its own instant when the time is
    // a product of rounded steps (a sample index over the sampling rate).
    const double interval = 60.0 / changesPerMinute_;
    return static_cast<int>(std::fmod(std::floor(seconds / interval + 1e-9), 2.0));
}

std::vector<double> SwitchedLoad::CurrentFor(const std::vector<double>& volts, double, int state) const
{
    const double conductance = baseSiemens_ + (state == 1 ? switchedSiemens_ : 0.0);
    std::vector<double> amps(volts.size());
    for (std::size_t k = 0; k < volts.size(); ++k)
        amps[k] = volts[k] * conductance;
    return amps;
}

std::unique_ptr<LoadModel> MakeRectangularLoad(double changesPerMinute, double percent)
{
    // Off, the supply stands at its source level; on, a conductance g drops it
    // to |1 - Z g| of that. Levels 1 and r differ by `percent` of their mean
    // when r = (1 - d/2) / (1 + d/2); |1 - Z g| = r is a quadratic in g.
    const double d = percent / 100.0;
    const double r = (1.0 - d / 2.0) / (1.0 + d / 2.0);
    const std::complex<double> z = ReferenceImpedance;
    const double a = std::norm(z);
    const double b = -2.0 * z.real();
    const double c = 1.0 - r * r;
    const double g = (-b - std::sqrt(b * b - 4.0 * a * c)) / (2.0 * a);  // the smaller root: the load, not its mirror
    return std::make_unique<SwitchedLoad>("rectangular", 0.0, g, changesPerMinute);
}

}  // namespace qx7300emu
