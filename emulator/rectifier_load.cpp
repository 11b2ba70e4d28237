#include "rectifier_load.h"

#include <algorithm>
#include <cmath>

namespace qx7300emu {
namespace {

constexpr int SubSteps = 8;
constexpr int MaxSettlingCycles = 400;
constexpr double SettledChange = 1e-7;  // relative change of the capacitor voltage per cycle

struct CircuitState {
    double capacitorVolts = 0.0;
    double chokeAmps = 0.0;
};

}  // namespace

RectifierLoad::RectifierLoad(RectifierParameters parameters) : p_(parameters) {}

std::string RectifierLoad::Name() const
{
    return "smps";
}

std::vector<double> RectifierLoad::CurrentFor(const std::vector<double>& volts, double frequency,
                                              int) const
{
    const std::size_t n = volts.size();
    std::vector<double> amps(n, 0.0);
    if (n == 0 || frequency <= 0.0)
        return amps;

    const double dt = 1.0 / (frequency * static_cast<double>(n) * SubSteps);
    const double bridgeDrop = 2.0 * p_.diodeDrop;
    const double peak = *std::max_element(volts.begin(), volts.end(),
                                          [](double a, double b) { return std::fabs(a) < std::fabs(b); });
    CircuitState s;
    s.capacitorVolts = 0.9 * std::fabs(peak);

    // One cycle of the circuit; fills `record` with the line current at the
    // sample instants when asked to.
    auto runCycle = [&](std::vector<double>* record) {
        for (std::size_t k = 0; k < n; ++k) {
            const double v0 = volts[k];
            const double v1 = volts[(k + 1) % n];
            for (int sub = 0; sub < SubSteps; ++sub) {
                const double v = v0 + (v1 - v0) * sub / SubSteps;
                if (record != nullptr && sub == 0)
                    (*record)[k] = v >= 0.0 ? s.chokeAmps : -s.chokeAmps;
                const double drive = std::fabs(v) - bridgeDrop - s.capacitorVolts;
                if (s.chokeAmps > 0.0 || drive > 0.0) {
                    s.chokeAmps += (drive - p_.resistance * s.chokeAmps) / p_.inductance * dt;
                    if (s.chokeAmps < 0.0)
                        s.chokeAmps = 0.0;  // the bridge blocks reverse current
                }
                const double loadAmps = p_.dcWatts / std::max(s.capacitorVolts, 1.0);
                s.capacitorVolts += (s.chokeAmps - loadAmps) / p_.capacitance * dt;
                s.capacitorVolts = std::max(s.capacitorVolts, 1.0);
            }
        }
    };

    for (int cycle = 0; cycle < MaxSettlingCycles; ++cycle) {
        const double before = s.capacitorVolts;
        runCycle(nullptr);
        if (std::fabs(s.capacitorVolts - before) < SettledChange * before)
            break;
    }
    runCycle(&amps);
    return amps;
}

}  // namespace qx7300emu
