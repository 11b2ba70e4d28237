#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

#include "persist/configuration_file.h"
#include "results/harmonic_statistics.h"
#include "results/trend_buckets.h"

// The comma-separated forms of a recording's trends and statistics, one
// text a line (the caller writes them with the program's line ends).
// Currents are in amperes, voltage changes in percent; a missing value is
// an empty column.

// Milliseconds since the recording began as "h:mm:ss", or "h:mm:ss.zzz".
QString ElapsedText(quint32 milliseconds, bool withMilliseconds = false);

// One row a record, streamed: a harmonic order's average, maximum and limit.
QString HarmonicTrendCsvHeader(int order);
QString HarmonicTrendCsvRow(quint32 milliseconds, const std::vector<float>& sample, int order);
// The flicker series and their limits.
QString FlickerTrendCsvHeader();
QString FlickerTrendCsvRow(quint32 milliseconds, const std::vector<float>& sample, const TestSetupValues& setup);

// One row a bucket: its time span and record count, then each chosen
// series' minimum, maximum and last value.
QStringList TrendBucketsCsv(const TrendBuckets& trends, const std::vector<int>& series, const QStringList& names);

// One row an order.
QStringList StatisticsCsv(const std::vector<HarmonicStatistic>& statistics);

// A number as the files give it: up to six significant digits; NaN empty.
QString CsvNumber(double value);
