#pragma once

#include <array>

namespace qx7300emu {

// The relative voltage change (percent) of equidistant rectangular changes
// that gives a short-term flicker severity of exactly 1 at `changesPerMinute`,
// for the 230 V lamp. Between the tabled rates the curve is interpolated on
// log-log axes; below 1 change a minute it is extended along its first
// segment, above 1620 it is held at its last point.
double UnitPstChangePercent(double changesPerMinute);

// Pst grows in proportion to the size of the changes at a given rate.
double RectangularChangePst(double changePercent, double changesPerMinute);

// The classifier's flicker levels at the percentiles 0.1, 0.7, 1, 1.5, 2.2,
// 3, 4, 6, 8, 10, 13, 17, 30, 50 and 80 % for a given Pst, shaped like the
// cumulative probability of a rectangular fluctuation, scaled so that the
// multipoint Pst formula gives `pst` back; and its peak.
struct ClassifierLevels {
    std::array<double, 15> levels{};
    double peak = 0.0;
};

ClassifierLevels ClassifierFor(double pst);

// The multipoint formula: Pst from the 15 percentile levels above.
double PstFromClassifier(const std::array<double, 15>& levels);

}  // namespace qx7300emu
