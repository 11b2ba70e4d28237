#pragma once

// Helpers the emulator's tests read records with. They are written apart from
// the emulator's own code on purpose, from the record layout alone.

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

namespace emutest {

// Fields of a text separated by "," or ";"; field 1 is element 1 (element 0
// stays empty so that indices read like the field numbers).
inline std::vector<std::string> Fields(const std::string& text)
{
    std::vector<std::string> fields(1);
    std::string current;
    for (char c : text) {
        if (c == ',' || c == ';') {
            fields.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    fields.push_back(current);
    return fields;
}

// Character at a 1-based position, as the layout counts them.
inline char At(const std::string& line, int position)
{
    return position >= 1 && position <= static_cast<int>(line.size()) ? line[position - 1] : '\0';
}

// Text from position `first` to `last` inclusive, 1-based.
inline std::string Positions(const std::string& line, int first, int last)
{
    return line.substr(static_cast<std::size_t>(first - 1), static_cast<std::size_t>(last - first + 1));
}

// The fields of a record's body section of `length` characters, from its
// type letter on: position 108, or 106 on current range "4", whose common
// section is two characters shorter.
inline std::vector<std::string> BodyFields(const std::string& line, std::size_t length)
{
    const std::size_t start = Fields(line)[3] == "4" ? 105 : 107;
    return Fields(line.substr(start, length));
}

// The rms value of one harmonic of a one-cycle record, by the textbook sum.
inline double NaiveHarmonicRms(const std::vector<double>& x, int order)
{
    const double n = static_cast<double>(x.size());
    double re = 0.0;
    double im = 0.0;
    for (std::size_t k = 0; k < x.size(); ++k) {
        const double angle = 2.0 * std::numbers::pi * order * static_cast<double>(k) / n;
        re += x[k] * std::cos(angle);
        im += x[k] * std::sin(angle);
    }
    return std::sqrt(re * re + im * im) * 2.0 / n / std::sqrt(2.0);
}

}  // namespace emutest
