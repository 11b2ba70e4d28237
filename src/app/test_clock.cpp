#include "app/test_clock.h"

QString FormatTestClock(const QDateTime& moment, const QLocale& locale) {
  const QDate date = moment.date();
  return QStringLiteral("  %1 %2 %3  %4")
      .arg(date.day())
      .arg(locale.monthName(date.month(), QLocale::ShortFormat))
      .arg(date.year(), 4, 10, QLatin1Char('0'))
      .arg(moment.time().toString(QStringLiteral("HH:mm")));
}
