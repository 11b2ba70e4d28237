#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

// The "Date and Time of Test" text: two blanks, the day without a leading
// zero, the abbreviated month name of the locale, the four-digit year, two
// blanks and the 24-hour time, e.g. "  3 Mar 2008  09:05".
QString FormatTestClock(const QDateTime& moment, const QLocale& locale = QLocale());
