#include "number_format.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace qx7300emu {

std::string Fixed(double value, int decimals)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    return buffer;
}

std::string FitNumber(double value, int width)
{
    if (width <= 0)
        return {};
    if (!std::isfinite(value))
        value = 0.0;
    if (value < 0.0) {
        if (width == 1)
            return "0";
        std::string magnitude = FitNumber(-value, width - 1);
        // A negative value that rounds to zero is written as zero.
        if (magnitude.find_first_not_of("0.") == std::string::npos)
            return FitNumber(0.0, width);
        return "-" + magnitude;
    }
    for (int decimals = width - 2; decimals >= 0; --decimals) {
        std::string text = Fixed(value, decimals);
        if (static_cast<int>(text.size()) <= width)
            return std::string(width - text.size(), '0') + text;
    }
    return std::string(width, '9');
}

std::string RightAligned(const std::string& text, int width)
{
    if (static_cast<int>(text.size()) >= width)
        return text;
    return std::string(width - text.size(), ' ') + text;
}

std::string SignificantNumber(double value, int width)
{
    if (!std::isfinite(value) || std::fabs(value) < 5e-5)
        return "0";
    const int magnitude = static_cast<int>(std::floor(std::log10(std::fabs(value))));
    const int decimals = std::max(0, 3 - magnitude);
    std::string text = Fixed(value, std::min(decimals, 4));
    return static_cast<int>(text.size()) <= width ? text : FitNumber(value, width);
}

}  // namespace qx7300emu
