#pragma once

#include <complex>

namespace qx7300emu {

// The reference network that voltage changes and flicker are rated across
// (IEC 60725: phase and neutral together, 0.4 + j0.25 ohm at 50 Hz).
inline const std::complex<double> ReferenceImpedance{0.4, 0.25};

}  // namespace qx7300emu
