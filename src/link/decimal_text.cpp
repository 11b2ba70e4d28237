#include "link/decimal_text.h"

#include <cmath>

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
  // QByteArray's conversion is that of the C locale, whatever the
  // operator's locale says about decimal commas.
  bool ok = false;
  const double value = QByteArray(text.data() + begin, end - begin).toDouble(&ok);
  if (!ok || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::optional<double> ParseDecimal(QStringView text) { return ParseDecimal(text.toLatin1()); }

std::optional<float> ParseSingle(QByteArrayView text) {
  const std::optional<double> value = ParseDecimal(text);
  if (!value) return std::nullopt;
  const float single = static_cast<float>(*value);
  if (!std::isfinite(single)) return std::nullopt;
  return single;
}

std::optional<float> ParseSingle(QStringView text) { return ParseSingle(text.toLatin1()); }

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
