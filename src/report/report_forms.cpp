#include "report/report_forms.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace {

// One unit in the last place of a single of this magnitude.
double Ulp(float value) {
  const float magnitude = std::fabs(value);
  return static_cast<double>(std::nextafter(magnitude, std::numeric_limits<float>::infinity())) -
         static_cast<double>(magnitude);
}

}  // namespace

QString RoundedDecimal(float value, int decimals) {
  if (!std::isfinite(value)) return QString::number(static_cast<double>(value), 'f', decimals);
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
  const std::string shortest(buffer, result.ptr);

  const bool negative = !shortest.empty() && shortest.front() == '-';
  const std::string magnitude = negative ? shortest.substr(1) : shortest;
  const size_t point = magnitude.find('.');
  const std::string whole = magnitude.substr(0, point);
  const std::string fraction = point == std::string::npos ? std::string() : magnitude.substr(point + 1);

  // All kept digits as one number, then the first dropped digit decides.
  std::string digits = whole + fraction.substr(0, std::min<size_t>(fraction.size(), decimals));
  digits.append(static_cast<size_t>(decimals) - std::min<size_t>(fraction.size(), decimals), '0');
  if (fraction.size() > static_cast<size_t>(decimals) && fraction[static_cast<size_t>(decimals)] >= '5') {
    int i = static_cast<int>(digits.size()) - 1;
    while (i >= 0 && digits[static_cast<size_t>(i)] == '9') digits[static_cast<size_t>(i--)] = '0';
    if (i >= 0)
      ++digits[static_cast<size_t>(i)];
    else
      digits.insert(digits.begin(), '1');
  }

  const size_t wholeDigits = digits.size() - static_cast<size_t>(decimals);
  std::string text = digits.substr(0, wholeDigits);
  if (decimals > 0) text += '.' + digits.substr(wholeDigits);
  const bool zero = digits.find_first_not_of('0') == std::string::npos;
  if (negative && !zero) text.insert(text.begin(), '-');
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

bool SpreadReaches(float max, float min, double threshold) {
  const double spread = static_cast<double>(max) - static_cast<double>(min);
  const double slack = (Ulp(max) + Ulp(min)) / 2;
  return spread + slack >= threshold;
}

QString SingleOrRange(const QuantityForm& form, float max, float min) {
  if (!SpreadReaches(max, min, form.threshold))
    return RoundedDecimal(max, form.decimals) + QLatin1String(form.singleUnit);
  return RoundedDecimal(min, form.decimals) + QStringLiteral(" to ") + RoundedDecimal(max, form.decimals) +
         QLatin1String(form.rangeUnit);
}

QString ReportDateText(const QDateTime& time) {
  if (!time.isValid()) return {};
  static const char* const kMonths[12] = {"January", "February", "March",     "April",   "May",      "June",
                                          "July",    "August",   "September", "October", "November", "December"};
  const QDate date = time.date();
  const QTime clock = time.time();
  return QStringLiteral("%1 %2 %3 %4:%5")
      .arg(date.day(), 2, 10, QLatin1Char('0'))
      .arg(QLatin1String(kMonths[date.month() - 1]))
      .arg(date.year(), 4, 10, QLatin1Char('0'))
      .arg(clock.hour(), 2, 10, QLatin1Char('0'))
      .arg(clock.minute(), 2, 10, QLatin1Char('0'));
}
