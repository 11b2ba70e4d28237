#pragma once

#include "waveform_measurement.h"

#include <array>

namespace qx7300emu {

// The equipment set-up the analyser has been told: class, professional use,
// the power below which no limits apply, and the basis of the class C and D
// limits (0 = take it from the measurement).
struct LimitSetup {
    char equipmentClass = 'A';
    bool professional = false;
    double minimumWatts = 75.0;
    double classCAmps = 0.0;         // rated fundamental, amperes
    double classCPowerFactor = 0.0;  // rated circuit power factor
    double classDWatts = 0.0;        // rated power
};

// What the measurement says about the equipment, for the classification.
struct LoadFigures {
    double watts = 0.0;
    double fundamentalAmps = 0.0;
    double powerFactor = 0.0;
};

inline constexpr double ProfessionalThresholdWatts = 1000.0;
inline constexpr double ClassDUpperWatts = 600.0;

// The class code of the record ("A", "B", "C", "D", "X" class D equipment
// above its power range so class A limits apply, "Z" below the minimum power,
// "0" professional equipment above its threshold), the limit of every order
// 2..40 in amperes (0 where the order is not limited), and the two summary
// figures the record carries with the code.
struct Classification {
    char code = 'A';
    std::array<double, MaxHarmonicOrder + 1> limitAmps{};
    double summary1 = 0.0;  // actual power (W), or the fundamental (A) for class C
    double summary2 = 0.0;  // threshold or basis power (W), or the power factor for class C
};

// Table 1 of EN61000-3-2: class A limits in amperes.
double ClassALimit(int order);
// Table 3: class D limits in milliamperes per watt (odd orders from the 3rd).
double ClassDLimitPerWatt(int order);
// Table 2: class C limits in percent of the fundamental.
double ClassCLimitPercent(int order, double powerFactor);

Classification Classify(const LimitSetup& setup, const LoadFigures& load);

// The partial odd harmonic figure over the orders 21 to 39: the root of the
// sum of squares of `values` at those orders.
double PartialOddHarmonics(const std::array<double, MaxHarmonicOrder + 1>& values);

}  // namespace qx7300emu
