#include "record_format.h"

#include "current_ranges.h"
#include "number_format.h"

#include <cmath>

namespace qx7300emu {
namespace {

constexpr char HexDigits[] = "0123456789ABCDEF";

}  // namespace

int CommonLength(int currentRange)
{
    return currentRange == 4 ? ShortCommonSectionLength : CommonSectionLength;
}

std::string FormatCommonSection(const CommonSection& s)
{
    const Readings& r = s.readings;
    const int range = s.currentRange;
    const double currentScale = CurrentInMilliamps(range) ? 1000.0 : 1.0;
    const double harmonicScale = HarmonicsInMilliamps(range) ? 1000.0 : 1.0;
    const double powerScale = PowerInKilowatts(range) ? 0.001 : 1.0;
    const int currentWidth = range == 4 ? 5 : 6;

    std::string sequence = std::to_string(s.sequence % 1000);
    sequence = std::string(3 - sequence.size(), '0') + sequence;
    std::string status = s.status;
    status.resize(6, ' ');

    std::string line;
    line.reserve(CommonSectionLength);
    auto field = [&line](const std::string& text) {
        line += text;
        line += ',';
    };
    field("!" + sequence);                                           // 1
    field(status);                                                   // 2
    field(std::string(1, CurrentRangeCode(range)));                  // 3
    field(s.voltageRange == 1 ? "1" : "0");                          // 4
    field("V" + FitNumber(r.voltsRms, 6));                           // 5
    field(FitNumber(r.voltsPeak, 6));                                // 6
    field(FitNumber(r.frequency, 5));                                // 7
    field(FitNumber(r.peakPhase, 5));                                // 8
    field(std::string(1, HexDigits[s.supplyFlags & 0xF]));           // 9
    field("A" + FitNumber(r.ampsRms * currentScale, currentWidth));  // 10
    field(FitNumber(r.ampsPeak * currentScale, currentWidth));       // 11
    field(FitNumber(r.fundamentalAmps * harmonicScale, 6));          // 12
    field(FitNumber(r.harmonicAmps * harmonicScale, 6));             // 13
    field("W" + FitNumber(r.watts * powerScale, 6));                 // 14
    field(FitNumber(r.voltAmps * powerScale, 6));                    // 15
    field(std::string(1, s.harmonicsVerdict));                       // 16
    field(std::string(1, s.classCode));                              // 17
    field(FitNumber(s.summary1, 6));                                 // 18
    field(FitNumber(s.summary2, 6));                                 // 19
    return line;
}

unsigned char SampleByte(double value, double fullScale)
{
    double code = 144.0;
    if (fullScale > 0.0 && std::isfinite(value))
        code = 144.0 + std::round(100.0 * value / fullScale);
    code = std::fmin(std::fmax(code, 1.0), 255.0);
    auto byte = static_cast<unsigned char>(code);
    if (byte == '\n' || byte == '!')
        ++byte;
    return byte;
}

std::string FormatWaveformBody(char type, const std::vector<double>& cycle, double fullScale)
{
    std::string body(1, type);
    const std::size_t n = cycle.size();
    for (int k = 0; k < WaveformSampleCount; ++k) {
        double value = 0.0;
        if (n > 0) {
            const auto index = static_cast<std::size_t>(std::llround(static_cast<double>(k) * n / 300.0)) % n;
            value = cycle[index];
        }
        body.push_back(static_cast<char>(SampleByte(value, fullScale)));
    }
    return body;
}

std::string FormatHarmonicsBody(const HarmonicsBody& body)
{
    // The section is the type letter, then every value followed by its
    // separator. The value widths are spread so that the 160th separator is
    // the section's last character.
    const int valueChars = HarmonicsSectionLength - 1 - HarmonicsValueCount;
    const int baseWidth = valueChars / HarmonicsValueCount;
    int wider = valueChars - baseWidth * HarmonicsValueCount;

    std::string text(1, 'L');
    for (int i = 0; i < HarmonicsValueCount; ++i) {
        int width = baseWidth + (wider > 0 ? 1 : 0);
        if (wider > 0)
            --wider;
        const char prefix = body.prefixes[i];
        if (prefix != 0) {
            text += prefix;
            --width;
        }
        // Short values padded with blanks in front, as the analyser does,
        // keep every field at its width.
        text += RightAligned(SignificantNumber(body.values[i], width), width);
        text += ',';
    }
    text += 'R';
    for (char verdict : body.verdicts)
        text += verdict;
    return text;
}

std::string FormatFlickerBody(const std::array<std::string, FlickerFieldCount + 1>& fields)
{
    std::string text;
    for (int k = 1; k <= FlickerFieldCount; ++k) {
        if (k > 1)
            text += ',';
        text += fields[k];
    }
    text += ';';
    if (text.size() > static_cast<std::size_t>(FlickerSectionLength))
        text.resize(FlickerSectionLength);
    text.resize(FlickerSectionLength, ' ');
    return text;
}

}  // namespace qx7300emu
