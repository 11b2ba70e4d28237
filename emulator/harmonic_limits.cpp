#include "harmonic_limits.h"

#include <cmath>

namespace qx7300emu {

double ClassALimit(int order)
{
    switch (order) {
    case 2: return 1.08;
    case 3: return 2.30;
    case 4: return 0.43;
    case 5: return 1.14;
    case 6: return 0.30;
    case 7: return 0.77;
    case 9: return 0.40;
    case 11: return 0.33;
    case 13: return 0.21;
    default: break;
    }
    if (order < 2 || order > MaxHarmonicOrder)
        return 0.0;
    if (order % 2 == 0)
        return 0.23 * 8.0 / order;   // 8 <= n <= 40
    return 0.15 * 15.0 / order;      // 15 <= n <= 39
}

double ClassDLimitPerWatt(int order)
{
    switch (order) {
    case 3: return 3.4;
    case 5: return 1.9;
    case 7: return 1.0;
    case 9: return 0.5;
    case 11: return 0.35;
    default: break;
    }
    if (order >= 13 && order <= 39 && order % 2 == 1)
        return 3.85 / order;
    return 0.0;
}

double ClassCLimitPercent(int order, double powerFactor)
{
    switch (order) {
    case 2: return 2.0;
    case 3: return 30.0 * powerFactor;
    case 5: return 10.0;
    case 7: return 7.0;
    case 9: return 5.0;
    default: break;
    }
    if (order >= 11 && order <= 39 && order % 2 == 1)
        return 3.0;
    return 0.0;
}

namespace {

void FillClassA(Classification& c, double factor)
{
    for (int order = 2; order <= MaxHarmonicOrder; ++order)
        c.limitAmps[order] = factor * ClassALimit(order);
}

}  // namespace

Classification Classify(const LimitSetup& setup, const LoadFigures& load)
{
    Classification c;
    c.summary1 = load.watts;
    const char cls = setup.equipmentClass;

    if (cls == 'C') {
        const bool rated = setup.classCAmps > 0.0 && setup.classCPowerFactor > 0.0;
        const double basisAmps = rated ? setup.classCAmps : load.fundamentalAmps;
        const double powerFactor = rated ? setup.classCPowerFactor : load.powerFactor;
        c.code = 'C';
        c.summary1 = basisAmps;
        c.summary2 = powerFactor;
        for (int order = 2; order <= MaxHarmonicOrder; ++order)
            c.limitAmps[order] = basisAmps * ClassCLimitPercent(order, powerFactor) / 100.0;
        return c;
    }

    // Classes A, B and D: the exemptions first, judged on the power the limits
    // are based on (the rated power when class D has been given one).
    const double basisWatts = (cls == 'D' && setup.classDWatts > 0.0) ? setup.classDWatts : load.watts;
    if (setup.professional && basisWatts > ProfessionalThresholdWatts) {
        c.code = '0';
        c.summary2 = ProfessionalThresholdWatts;
        return c;
    }
    // No limits up to and including the threshold; "N:0;" removes the exemption.
    if (setup.minimumWatts > 0.0 && basisWatts <= setup.minimumWatts) {
        c.code = 'Z';
        c.summary2 = setup.minimumWatts;
        return c;
    }
    if (cls == 'D') {
        if (basisWatts > ClassDUpperWatts) {
            c.code = 'X';
            c.summary2 = ClassDUpperWatts;
            FillClassA(c, 1.0);
            return c;
        }
        c.code = 'D';
        c.summary2 = basisWatts;
        for (int order = 2; order <= MaxHarmonicOrder; ++order) {
            const double perWatt = ClassDLimitPerWatt(order);
            if (perWatt > 0.0)
                c.limitAmps[order] = std::fmin(perWatt * basisWatts / 1000.0, ClassALimit(order));
        }
        return c;
    }
    c.code = cls == 'B' ? 'B' : 'A';
    FillClassA(c, cls == 'B' ? 1.5 : 1.0);
    return c;
}

double PartialOddHarmonics(const std::array<double, MaxHarmonicOrder + 1>& values)
{
    double sum = 0.0;
    for (int order = 21; order <= 39; order += 2)
        sum += values[order] * values[order];
    return std::sqrt(sum);
}

}  // namespace qx7300emu
