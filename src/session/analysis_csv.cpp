#include "session/analysis_csv.h"

#include <cmath>

#include "session/trend_samples.h"

namespace {

QString TimeColumns(quint32 milliseconds) {
  return ElapsedText(milliseconds, true) + QLatin1Char(',') + QString::number(milliseconds / 1000.0, 'f', 3);
}

float At(const std::vector<float>& sample, int index) {
  return index >= 0 && index < static_cast<int>(sample.size()) ? sample[static_cast<size_t>(index)] : NAN;
}

}  // namespace

QString ElapsedText(quint32 milliseconds, bool withMilliseconds) {
  const quint32 seconds = milliseconds / 1000;
  QString text = QStringLiteral("%1:%2:%3")
                     .arg(seconds / 3600)
                     .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
                     .arg(seconds % 60, 2, 10, QLatin1Char('0'));
  if (withMilliseconds) text += QStringLiteral(".%1").arg(milliseconds % 1000, 3, 10, QLatin1Char('0'));
  return text;
}

QString CsvNumber(double value) { return std::isnan(value) ? QString() : QString::number(value, 'g', 6); }

QString HarmonicTrendCsvHeader(int order) {
  return QStringLiteral("Time,Seconds,Order %1 average (A),Order %1 maximum (A),Order %1 limit (A)").arg(order);
}

QString HarmonicTrendCsvRow(quint32 milliseconds, const std::vector<float>& sample, int order) {
  QString row = TimeColumns(milliseconds);
  for (HarmonicSeries series : {HarmonicSeries::Average, HarmonicSeries::Maximum, HarmonicSeries::Limit}) {
    row += QLatin1Char(',') + CsvNumber(At(sample, HarmonicSeriesIndex(order, series)));
  }
  return row;
}

QString FlickerTrendCsvHeader() {
  QString header = QStringLiteral("Time,Seconds");
  for (int s = 0; s < kFlickerTrendSeries; ++s) header += QLatin1Char(',') + FlickerSeriesName(s);
  header += QStringLiteral(",Pst limit,Plt limit,d(max) limit,d(t) limit,d(c) limit");
  return header;
}

QString FlickerTrendCsvRow(quint32 milliseconds, const std::vector<float>& sample, const TestSetupValues& setup) {
  QString row = TimeColumns(milliseconds);
  for (int s = 0; s < kFlickerTrendSeries; ++s) row += QLatin1Char(',') + CsvNumber(At(sample, s));
  for (int s : {0, int(kFlickerPlt), int(kFlickerDmax), int(kFlickerDt), int(kFlickerDc)}) {
    row += QLatin1Char(',') + CsvNumber(FlickerSeriesLimit(setup, s).value_or(NAN));
  }
  return row;
}

QStringList TrendBucketsCsv(const TrendBuckets& trends, const std::vector<int>& series, const QStringList& names) {
  QString header = QStringLiteral("From,To,Records");
  for (qsizetype i = 0; i < names.size(); ++i) {
    header += QStringLiteral(",%1 minimum,%1 maximum,%1 last").arg(names[i]);
  }
  QStringList lines{header};
  for (int b = 0; b < trends.Count(); ++b) {
    const TrendBucket& bucket = trends.Bucket(b);
    QString row = ElapsedText(bucket.begin, true) + QLatin1Char(',') + ElapsedText(bucket.end, true) +
                  QLatin1Char(',') + QString::number(bucket.records);
    for (int s : series) {
      const TrendRange& range = trends.Range(s, b);
      if (range.values == 0) {
        row += QStringLiteral(",,,");
      } else {
        row += QLatin1Char(',') + CsvNumber(range.minimum) + QLatin1Char(',') + CsvNumber(range.maximum) +
               QLatin1Char(',') + CsvNumber(range.last);
      }
    }
    lines << row;
  }
  return lines;
}

QStringList StatisticsCsv(const std::vector<HarmonicStatistic>& statistics) {
  QStringList lines{QStringLiteral(
      "Order,Records,Limit (A),Minimum (A),Mean (A),Maximum (A),95th percentile (A),Least margin (%)")};
  for (const HarmonicStatistic& s : statistics) {
    lines << QStringLiteral("%1,%2,%3,%4,%5,%6,%7,%8")
                 .arg(s.order)
                 .arg(s.records)
                 .arg(CsvNumber(s.limit), CsvNumber(s.minimum), CsvNumber(s.mean), CsvNumber(s.maximum),
                      CsvNumber(s.percentile95), s.leastMargin ? QString::number(*s.leastMargin, 'f', 1) : QString());
  }
  return lines;
}
