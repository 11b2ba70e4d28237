#include "link/decimal_text.h"

#include <charconv>
#include <cmath>

namespace {

// Text of the plain form [sign] digits [. digits] [e [sign] digits], with a
// digit before or after the point: the form where std::from_chars and Qt's
// conversion agree to the bit. Other texts (a lone point, a sign pair) are
// left to Qt's conversion.
bool PlainDecimalForm(const char* text, const char* end) {
  const auto digits = [&] {
    const char* start = text;
    while (text < end && *text >= '0' && *text <= '9') ++text;
    return text - start;
  };
  if (text < end && (*text == '+' || *text == '-')) ++text;
  qsizetype mantissa = digits();
  if (text < end && *text == '.') {
    ++text;
    mantissa += digits();
  }
  if (mantissa == 0) return false;
  if (text < end && (*text == 'e' || *text == 'E')) {
    ++text;
    if (text < end && (*text == '+' || *text == '-')) ++text;
    if (digits() == 0) return false;
  }
  return text == end;
}

std::optional<float> AsSingle(std::optional<double> value) {
  if (!value) return std::nullopt;
  const float single = static_cast<float>(*value);
  if (!std::isfinite(single)) return std::nullopt;
  return single;
}

// Longest text converted on the stack; longer ones are not meter readings.
constexpr qsizetype kShortText = 64;

}  // namespace

std::optional<double> ParseDecimal(QByteArrayView text) {
  qsizetype begin = 0;
  qsizetype end = text.size();
  while (begin < end && text[begin] == ' ') ++begin;
  while (end > begin && text[end - 1] == ' ') --end;
  if (begin == end) return std::nullopt;
  // Only the characters a decimal number can hold: no "inf", "nan" or
  // thousands separators.
  for (qsizetype i = begin; i < end; ++i) {
    const char ch = text[i];
    const bool allowed = (ch >= '0' && ch <= '9') || ch == '.' || ch == '+' || ch == '-' ||
                         ch == 'e' || ch == 'E';
    if (!allowed) return std::nullopt;
  }
  // The receive path converts some twenty numbers a record: the plain form
  // goes through std::from_chars, which allocates nothing. Both conversions
  // are those of the C locale, whatever the operator's locale says about
  // decimal commas.
  const char* first = text.data() + begin;
  const char* last = text.data() + end;
  if (PlainDecimalForm(first, last)) {
    double value = 0.0;
    const std::from_chars_result read = std::from_chars(first + (*first == '+' ? 1 : 0), last, value);
    if (read.ec == std::errc() && read.ptr == last) {
      if (!std::isfinite(value)) return std::nullopt;
      return value;
    }
    // Out of range: Qt's conversion says what that gives.
  }
  bool ok = false;
  const double value = QByteArray(first, last - first).toDouble(&ok);
  if (!ok || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::optional<double> ParseDecimal(QStringView text) {
  if (text.size() > kShortText) return ParseDecimal(QByteArrayView(text.toLatin1()));
  // No character of a number lies outside ASCII, so anything else is
  // simply not one.
  char latin1[kShortText];
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t ch = text[i].unicode();
    if (ch > 0x7f) return std::nullopt;
    latin1[i] = static_cast<char>(ch);
  }
  return ParseDecimal(QByteArrayView(latin1, text.size()));
}

std::optional<float> ParseSingle(QByteArrayView text) { return AsSingle(ParseDecimal(text)); }

std::optional<float> ParseSingle(QStringView text) { return AsSingle(ParseDecimal(text)); }

std::optional<int> ParseWholeNumber(QStringView text) {
  const QStringView trimmed = text.trimmed();
  if (trimmed.isEmpty()) return std::nullopt;
  for (qsizetype i = 0; i < trimmed.size(); ++i) {
    const QChar ch = trimmed[i];
    const bool sign = i == 0 && (ch == QLatin1Char('+') || ch == QLatin1Char('-'));
    if (!sign && (ch < QLatin1Char('0') || ch > QLatin1Char('9'))) return std::nullopt;
  }
  bool ok = false;
  const int value = trimmed.toInt(&ok);
  if (!ok) return std::nullopt;
  return value;
}
