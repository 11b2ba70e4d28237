#include "supply_checks.h"

#include <cmath>

namespace qx7300emu {

double SupplyHarmonicAllowance(int order)
{
    switch (order) {
    case 3: return 0.9;
    case 5: return 0.4;
    case 7: return 0.3;
    case 9: return 0.2;
    default: break;
    }
    if (order % 2 == 0 && order <= 10)
        return 0.2;
    return 0.1;
}

int SupplyCheckFlags(const Readings& readings, double nominalVolts, double nominalHz)
{
    int flags = 0;
    const double fundamental = readings.voltage.rms[1];
    for (int order = 2; order <= MaxHarmonicOrder; ++order) {
        const double percent = fundamental > 0.0 ? 100.0 * readings.voltage.rms[order] / fundamental : 0.0;
        if (percent > SupplyHarmonicAllowance(order)) {
            flags |= SupplyHarmonicsFailed;
            break;
        }
    }
    if (std::fabs(readings.voltsRms - nominalVolts) > 0.02 * nominalVolts)
        flags |= SupplyVoltageFailed;
    if (std::fabs(readings.frequency - nominalHz) > 0.005 * nominalHz)
        flags |= SupplyFrequencyFailed;
    const double crest = readings.voltsRms > 0.0 ? readings.voltsPeak / readings.voltsRms : 0.0;
    if (crest < 1.40 || crest > 1.42 || readings.peakPhase < 87.0 || readings.peakPhase > 93.0)
        flags |= SupplyCrestFailed;
    return flags;
}

}  // namespace qx7300emu
