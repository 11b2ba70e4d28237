#include "link/status_record.h"

#include "link/decimal_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <iterator>

std::optional<RangeUnits> UnitsForRange(char code) {
  // Ranges of character codes: the punctuation between "9" and "A" falls
  // inside them like the real codes.
  if (code < '0' || code > 'E') return std::nullopt;
  RangeUnits units;
  units.current = code <= '6' ? QStringLiteral("A") : QStringLiteral("mA");
  units.harmonics = code <= '4' ? QStringLiteral("A") : QStringLiteral("mA");
  units.power = code <= '2' ? QStringLiteral("kW") : QStringLiteral("W");
  return units;
}

std::optional<QString> CurrentRangeLabel(char code) {
  static const char* const kLabels[] = {
      "400 A Peak",   "200 A Peak",  "100 A Peak",  "48 A Peak",   "24 A Peak",
      "12 A Peak",    "6 A Peak",    "3000 mA Peak", "1500 mA Peak", "800 mA Peak",
      "400 mA Peak",  "200 mA Peak", "100 mA Peak", "48 mA Peak",  "24 mA Peak"};
  int index = -1;
  if (code >= '0' && code <= '9') index = code - '0';
  if (code >= 'A' && code <= 'E') index = code - 'A' + 10;
  if (index < 0) return std::nullopt;
  return QString::fromLatin1(kLabels[index]);
}

std::optional<QString> StatusText(char status) {
  switch (status) {
    case 'A': return QStringLiteral("Range NOT Locked.");
    case 'F': return QStringLiteral("Load Power OFF");
    case 'H': return QStringLiteral("Test on Hold");
    case 'I': return QStringLiteral("Results Invalid. Test Aborted.");
    case 'O': return QStringLiteral("Overload.");
    case 'Q': return QStringLiteral("Test Complete. Results Held.");
    case 'T': return QStringLiteral("Test Running");
    case 'U': return QStringLiteral("Free Run.");
    case 'W': return QStringLiteral("Ready to Start Timed Test.");
    default: return std::nullopt;
  }
}

bool StatusEnablesPanels(char status) {
  return QByteArrayView("HIOQUW").contains(status) && status != '\0';
}

bool StatusClearsResultsLatched(char status) {
  return QByteArrayView("AFHIOTUW").contains(status) && status != '\0';
}

std::optional<quint16> SecondsToGo(const QString& statusCode) {
  QString digits = statusCode.mid(1, 5);
  digits.remove(QLatin1Char(' '));
  bool ok = false;
  const uint value = digits.toUInt(&ok);
  if (!ok || value > 0xFFFF) return std::nullopt;
  return static_cast<quint16>(value);
}

QString SecondsToGoText(const QString& statusCode) {
  return (statusCode.mid(1, 5) + QStringLiteral(" Seconds to Go.")).trimmed();
}

SwitchingPrompt PromptForStep(quint16 secondsToGo, int testDuration) {
  const int elapsed = testDuration - static_cast<int>(secondsToGo);
  if (secondsToGo <= 5) return SwitchingPrompt::SwitchOff;
  if (elapsed >= 5 && elapsed <= 15) return SwitchingPrompt::SwitchOn;
  return SwitchingPrompt::Hide;
}

namespace {

// `digits` as fixed-point text of `decimals` places, e.g. 1234 and 2 as
// "12.34", written at `out`; the end of the text is returned.
char* WriteScaled(char* out, quint64 digits, int decimals) {
  char text[24];
  const char* textEnd = std::to_chars(std::begin(text), std::end(text), digits).ptr;
  // Zeros in front where the number has no more digits than places.
  char whole[40];
  char* wholeEnd = std::fill_n(whole, std::max<std::ptrdiff_t>(0, decimals + 1 - (textEnd - text)), '0');
  wholeEnd = std::copy(static_cast<const char*>(text), textEnd, wholeEnd);
  const char* point = wholeEnd - decimals;
  out = std::copy(static_cast<const char*>(whole), point, out);
  if (decimals > 0) *out++ = '.';
  return std::copy(point, static_cast<const char*>(wholeEnd), out);
}

}  // namespace

QString FormatFixed(float value, int decimals, int width) {
  // As Qt's "%*.*f" writes it, without its cost (the live path formats a few
  // hundred numbers a second): the float's exact value rounded to `decimals`
  // places, an exact half away from zero.
  // A negative zero is written "0", a negative number rounded to zero "-0".
  const double number = value == 0.0f ? 0.0 : static_cast<double>(value);
  if (!std::isfinite(number) || decimals < 0 || decimals > 8) {
    return QString::asprintf("%*.*f", width, decimals, number);
  }
  // A float's whole part has at most 39 digits, then the point and 8 places.
  char digits[64];
  char* end = digits;
  // A float times 10^8 or less is exact in a double, so a half shows as one.
  static constexpr double kPowers[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8};
  const double scaled = std::abs(number) * kPowers[decimals];
  if (scaled < 9e15 && scaled - std::floor(scaled) == 0.5) {
    if (std::signbit(number)) *end++ = '-';
    end = WriteScaled(end, static_cast<quint64>(scaled) + 1, decimals);
  } else {
    const std::to_chars_result written =
        std::to_chars(std::begin(digits), std::end(digits), number, std::chars_format::fixed, decimals);
    if (written.ec != std::errc()) return QString::asprintf("%*.*f", width, decimals, number);
    end = written.ptr;
  }
  const qsizetype length = end - digits;
  const qsizetype pad = std::max<qsizetype>(0, width - length);
  // One allocation: the padding and the Latin-1 digits written in place.
  QString text(pad + length, Qt::Uninitialized);
  QChar* out = text.data();
  std::fill(out, out + pad, QLatin1Char(' '));
  out += pad;
  for (const char* in = digits; in != end; ++in) *out++ = QLatin1Char(*in);
  return text;
}

float RatioOf(const QString& a, const QString& b) {
  const std::optional<float> top = ParseSingle(a);
  const std::optional<float> bottom = ParseSingle(b);
  if (!top || !bottom || *bottom == 0.0f) return 0.0f;
  return *top / *bottom;
}
