#pragma once

#include <QDateTime>
#include <QString>

// The small forms the report header and body print numbers and dates in.

// The value rounded to exactly `decimals` places, no blanks, a minus sign
// only when the rounded value is not zero (never "-0.0"). The rounding is
// that of the reading as a decimal: the shortest decimal text that gives
// back the same single-precision value is rounded, halves away from zero,
// so a reading received as 0.35 prints as 0.4.
QString RoundedDecimal(float value, int decimals);

// Whether the spread max - min of a pair of extremes reaches threshold. The
// extremes hold decimal readings as singles, each off by at most half a
// unit in its last place; that slack is granted, so readings of 50.00 and
// 50.01 reach a threshold of 0.01.
bool SpreadReaches(float max, float min, double threshold);

// How a quantity is printed from its extremes: its maximum alone followed by
// singleUnit while the spread is below threshold, else minimum + " to " +
// maximum followed by rangeUnit.
struct QuantityForm {
  double threshold;
  int decimals;
  const char* singleUnit;
  const char* rangeUnit;
};
QString SingleOrRange(const QuantityForm& form, float max, float min);

// "dd mmmm yyyy hh:nn" with English month names whatever the locale, for
// example "07 March 2024 09:05"; empty for a time never set.
QString ReportDateText(const QDateTime& time);
