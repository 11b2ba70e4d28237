#include "noise.h"

#include <algorithm>

namespace qx7300emu {

double Noise::Next()
{
    // Scaled by hand: the standard distributions differ between libraries.
    return 2.0 * static_cast<double>(engine_()) / 4294967295.0 - 1.0;
}

double Noise::Walk(double value, double step, double bound)
{
    return std::clamp(value + step * Next(), -bound, bound);
}

}  // namespace qx7300emu
