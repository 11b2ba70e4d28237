#include "command_harness.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "analyser.h"
#include "command.h"
#include "command_splitter.h"
#include "load_model.h"

namespace {

using namespace qx7300emu;

// Simulated time a single input may cover: the analyser measures every half
// cycle up to the time it is given, so more only costs speed.
constexpr double kLongestRun = 2.0;

// Sizes of a record's parts after the common section: the type letter and
// its body, then the line feed.
constexpr std::size_t kWaveformBody = 302;
constexpr std::size_t kHarmonicsBody = 1124 + 1 + 39;  // values, "R", verdicts
constexpr std::size_t kFlickerBody = 1000;
constexpr std::size_t kCommon = 107;
constexpr std::size_t kShortCommon = 105;  // on current range "4"
constexpr std::size_t kRangeCodeIndex = 12; // "!nnn,ssssss," then the range code

void Check(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "command harness: %s\n", what);
  std::abort();
}

bool Blank(char c) { return c == ' ' || c == '\t'; }

// What the parser gives must describe a command it would parse the same way
// again when written out plainly.
void CheckParsed(const std::string& text, const Command& command) {
  Check(std::isupper(static_cast<unsigned char>(command.letter)) != 0, "command letter not upper case");
  std::string plain = std::string(1, command.letter) + ':';
  for (std::size_t i = 0; i < command.parameters.size(); ++i) {
    const std::string& p = command.parameters[i];
    Check(p.find_first_of(",;") == std::string::npos, "separator inside a parameter");
    Check(p.empty() || (!Blank(p.front()) && !Blank(p.back())), "blank around a parameter");
    plain += (i ? "," : "") + p;
  }
  plain += ';';
  const std::optional<Command> again = ParseCommand(plain);
  Check(again && again->letter == command.letter && again->parameters == command.parameters,
        "command reads differently written out");
  Check(text.find(';') != std::string::npos, "command without its semicolon");
}

void CheckRecord(const std::string& record, RecordMode mode) {
  Check(record.size() > kRangeCodeIndex && record.front() == '!' && record.back() == '\n', "record not framed");
  Check(record.find('\n') == record.size() - 1, "line feed inside a record");
  Check(record.find('!', 1) == std::string::npos, "start mark inside a record");
  const std::size_t common = record[kRangeCodeIndex] == '4' ? kShortCommon : kCommon;
  Check(record.size() > common, "record shorter than its common section");
  const char type = record[common];
  std::size_t body = 0;
  switch (mode) {
    case RecordMode::Waveforms:
      Check(type == 'V' || type == 'I', "waveform record of another type");
      body = kWaveformBody;
      break;
    case RecordMode::Harmonics:
      Check(type == 'L', "harmonics record of another type");
      body = kHarmonicsBody;
      break;
    case RecordMode::Flicker:
      Check(type == 'H', "flicker record of another type");
      body = kFlickerBody;
      break;
  }
  if (record.size() != common + body + 1) {
    std::fprintf(stderr, "command harness: record of %zu characters, not %zu:\n%s", record.size(),
                 common + body + 1, record.substr(0, common + 1).c_str());
    Check(false, "record length");
  }
}

}  // namespace

void RunCommandHarness(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return;
  // The first bytes choose the piece size and the time between pieces, so
  // commands arrive whole, split or stale as the input says.
  const std::size_t piece = 1 + data[0] % 64;
  const double step = (1 + data[1] % 200) / 1000.0;
  static const char* const kLoads[] = {"resistive", "smps", "flicker"};
  Analyser analyser(MakeLoad(kLoads[data[1] % 3]));
  CommandSplitter splitter;

  const std::string_view bytes(reinterpret_cast<const char*>(data + 2), size - 2);
  double now = 0.0;
  for (std::size_t at = 0; at < bytes.size() && now <= kLongestRun; at += piece, now += step) {
    const std::string_view part = bytes.substr(at, piece);
    for (const std::string& text : splitter.Feed(part, now)) {
      Check(text.size() <= CommandSplitter::MaxLength + 1, "command longer than the splitter keeps");
      if (const std::optional<Command> command = ParseCommand(text)) CheckParsed(text, *command);
      analyser.Apply(text, now);
    }
    Check(splitter.Pending().size() <= CommandSplitter::MaxLength, "splitter kept too much");
  }
  // Records are costly (a spectrum each): both waveforms, or two records of
  // another kind, once the commands are in.
  for (int i = 0; i < 2; ++i) CheckRecord(analyser.NextRecord(now), analyser.Settings().mode);
}
