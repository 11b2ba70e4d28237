#pragma once

#include "waveform_measurement.h"

#include <array>
#include <string>
#include <vector>

namespace qx7300emu {

// Layout of the records (positions counted from 1): "!" at 1, the common
// section of fields 1 to 19 up to and including the "," after field 19 at
// 107, the type letter at 108, the body, a line feed. On current range "4"
// the common section is two characters shorter (fields 10 and 11 lose a
// digit each), which moves everything after it two places to the left.
inline constexpr int CommonSectionLength = 107;
inline constexpr int ShortCommonSectionLength = 105;
inline constexpr int WaveformSampleCount = 301;
inline constexpr int HarmonicsSectionLength = 1124;  // type letter and 160 values
inline constexpr int HarmonicsValueCount = 160;
inline constexpr int HarmonicVerdictCount = 39;      // orders 2..40
inline constexpr int FlickerSectionLength = 1000;
inline constexpr int FlickerFieldCount = 67;

struct CommonSection {
    unsigned sequence = 0;
    std::string status = "W     ";
    int currentRange = 0;
    int voltageRange = 0;
    Readings readings;           // volts, amperes, watts
    int supplyFlags = 0;
    char harmonicsVerdict = '0';
    char classCode = 'A';
    double summary1 = 0.0;
    double summary2 = 0.0;
};

int CommonLength(int currentRange);
std::string FormatCommonSection(const CommonSection& section);

// A sample byte: 144 at zero, 44 and 244 at minus and plus full scale, beyond
// that up to 1 and 255; never a line feed (10) or "!" (33), which would break
// the framing of the line, so those two become 11 and 34.
unsigned char SampleByte(double value, double fullScale);

// Type letter and 301 sample bytes over 0..360 degrees of `cycle` (sample 300
// is the start of the next cycle).
std::string FormatWaveformBody(char type, const std::vector<double>& cycle, double fullScale);

// The 160 values in the order of the record (limit, present, average and
// maximum groups, each orders 2..40 then the partial odd figure), already in
// the units of the range; a prefix character (0 for none) per value; the
// verdict characters of the orders 2..40. Returns the section, "R" and the
// verdicts.
struct HarmonicsBody {
    std::array<double, HarmonicsValueCount> values{};
    std::array<char, HarmonicsValueCount> prefixes{};
    std::array<char, HarmonicVerdictCount> verdicts{};
};
std::string FormatHarmonicsBody(const HarmonicsBody& body);

// Fields 1..67 of the flicker section (index 0 unused; field 1 is the type
// letter "H"), joined by "," and filled with blanks to 1000 characters.
std::string FormatFlickerBody(const std::array<std::string, FlickerFieldCount + 1>& fields);

}  // namespace qx7300emu
