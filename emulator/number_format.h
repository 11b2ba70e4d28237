#pragma once

#include <string>

namespace qx7300emu {

// A decimal number written in exactly `width` characters without blanks, so
// that every field of a record keeps its position whatever the reading is:
// the number of decimals shrinks as the integer part grows, short integers get
// leading zeros, and a value too large for the width saturates at all nines.
std::string FitNumber(double value, int width);

// Plain fixed-point text ("%.*f").
std::string Fixed(double value, int decimals);

// `text` preceded by blanks up to `width` characters (never cut).
std::string RightAligned(const std::string& text, int width);

// A value with four significant digits as the analyser's tables print it
// (1025, 841.5, 0.1234, 0 for nothing), at most width characters.
std::string SignificantNumber(double value, int width);

}  // namespace qx7300emu
