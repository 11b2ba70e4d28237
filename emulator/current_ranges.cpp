#include "current_ranges.h"

#include <array>

namespace qx7300emu {
namespace {

constexpr std::array<double, CurrentRangeCount> FullScales = {
    400.0, 200.0, 100.0, 48.0, 24.0, 12.0, 6.0, 3.0,
    1.5, 0.8, 0.4, 0.2, 0.1, 0.048, 0.024};

constexpr double UpHeadroom = 0.95;    // leave a range above 95 % of full scale
constexpr double DownHeadroom = 0.80;  // enter a smaller range below 80 % of its scale

bool ValidIndex(int index)
{
    return index >= 0 && index < CurrentRangeCount;
}

}  // namespace

double CurrentRangeFullScale(int index)
{
    return ValidIndex(index) ? FullScales[index] : FullScales[0];
}

char CurrentRangeCode(int index)
{
    if (!ValidIndex(index))
        return '0';
    return index < 10 ? static_cast<char>('0' + index) : static_cast<char>('A' + index - 10);
}

int CurrentRangeFromCode(char code)
{
    if (code >= '0' && code <= '9')
        return code - '0';
    if (code >= 'A' && code <= 'E')
        return code - 'A' + 10;
    return -1;
}

bool CurrentInMilliamps(int index) { return index >= 7; }
bool HarmonicsInMilliamps(int index) { return index >= 5; }
bool PowerInKilowatts(int index) { return index <= 2; }

int AutoCurrentRange(int present, double peakAmps)
{
    if (!ValidIndex(present))
        present = 0;
    int range = present;
    while (range > 0 && peakAmps > UpHeadroom * FullScales[range])
        --range;
    if (range != present)
        return range;
    while (range + 1 < CurrentRangeCount && peakAmps < DownHeadroom * FullScales[range + 1])
        ++range;
    return range;
}

double VoltageRangeFullScale(int index)
{
    return index == 1 ? 200.0 : 400.0;
}

int AutoVoltageRange(double peakVolts)
{
    return peakVolts < 0.9 * VoltageRangeFullScale(1) ? 1 : 0;
}

}  // namespace qx7300emu
