#pragma once

namespace qx7300emu {

// The fifteen current ranges, index 0 ("0", 400 A peak) to 14 ("E", 24 mA
// peak), and the two voltage ranges ("0" 400 V peak, "1" 200 V peak).
inline constexpr int CurrentRangeCount = 15;

double CurrentRangeFullScale(int index);  // amperes peak
char CurrentRangeCode(int index);
int CurrentRangeFromCode(char code);      // -1 for a character outside the table

// Units the records use on a range: current readings in mA from range 7 on,
// harmonic values and the fundamental in mA from range 5 on, power and VA in
// kW/kVA up to range 2.
bool CurrentInMilliamps(int index);
bool HarmonicsInMilliamps(int index);
bool PowerInKilowatts(int index);

// Automatic ranging: the smallest range whose full scale holds the peak with
// headroom; a range is only left downwards when the peak fits the smaller one
// comfortably, so that a peak near a boundary does not make the range hunt.
int AutoCurrentRange(int present, double peakAmps);

inline constexpr int VoltageRangeCount = 2;
double VoltageRangeFullScale(int index);  // volts peak
int AutoVoltageRange(double peakVolts);

}  // namespace qx7300emu
