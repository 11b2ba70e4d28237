#pragma once

#include "waveform_measurement.h"

namespace qx7300emu {

// Bits of the supply check field: the test supply itself must be clean enough
// for a harmonics assessment to mean anything.
enum SupplyCheckBit : int {
    SupplyHarmonicsFailed = 1,
    SupplyVoltageFailed = 2,
    SupplyFrequencyFailed = 4,
    SupplyCrestFailed = 8,
};

// Voltage harmonic ratio (percent of the fundamental) the supply may carry at
// an order: 0.9 % for the 3rd, 0.4 % for the 5th, 0.3 % for the 7th, 0.2 % for
// the 9th and the even orders up to 10, 0.1 % from the 11th on.
double SupplyHarmonicAllowance(int order);

// Voltage within 2 % of nominal, frequency within 0.5 %, crest factor 1.40 to
// 1.42 with the peak between 87 and 93 degrees, harmonic ratios as above.
int SupplyCheckFlags(const Readings& readings, double nominalVolts, double nominalHz);

}  // namespace qx7300emu
