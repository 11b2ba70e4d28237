// What failed, and when, and how the readings went, in a recorded test
// played into a windowless document: failure spans, trends and harmonic
// statistics, against the values of the records themselves.
#include <QtTest>

#include <algorithm>
#include <cmath>
#include <limits>

#include "record/recording_reader.h"
#include "results/trend_buckets.h"
#include "session/recording_analysis.h"
#include "session/trend_samples.h"
#include "support/analysis_recordings.h"
#include "support/test_working_folder.h"

namespace {

RecordingAnalysis Analyse(const QString& path) {
  RecordingReader recording(path);
  RecordingAnalysis analysis;
  AnalyseRecording(recording, analysis);
  return analysis;
}

bool Near(double a, double b, double tolerance = 1e-6) { return std::abs(a - b) <= tolerance; }

}  // namespace

Q_DECLARE_METATYPE(flicker_recording::Options)
Q_DECLARE_METATYPE(std::optional<double>)

class TestRecordingAnalysis : public QObject {
  Q_OBJECT

 private slots:
  void failureSpans_data();
  void failureSpans();
  void harmonicTrendsAndStatisticsAreTheRecords();
  void flickerTrendsAgainstTheSetUpsLimits_data();
  void flickerTrendsAgainstTheSetUpsLimits();
  void trendsStayBoundedOverATwoHourTest();
};

void TestRecordingAnalysis::failureSpans_data() {
  QTest::addColumn<bool>("flicker");
  QTest::addColumn<flicker_recording::Options>("options");
  QTest::addColumn<QList<quint32>>("spans");  // begin, end, ...
  // The verdict fails on records 6 and 7 and from 13 on; the last line is
  // the waveform record half a second after record 14.
  QTest::newRow("harmonics verdict") << false << flicker_recording::Options{} << QList<quint32>{6000, 8000, 13000, 14500};
  // Pst over 1.0 on records 3, 4 and 8; the analyser fails d(max) on record 6.
  QTest::newRow("flicker Pst and d(max)") << true << flicker_recording::Options{}
                                          << QList<quint32>{3000, 5000, 6000, 7000, 8000, 8000};
  // The window judges Plt only in the two-hour test, and Pst only with the
  // "Flicker" option: the rest is as the options leave it.
  QTest::newRow("Plt over 0.65 in the two-hour test") << true << flicker_recording::Options{true, true, "0.80"}
                                                      << QList<quint32>{1000, 8000};
  QTest::newRow("Plt over 0.65 without the two-hour test") << true << flicker_recording::Options{false, true, "0.80"}
                                                           << QList<quint32>{3000, 5000, 6000, 7000, 8000, 8000};
  QTest::newRow("without the Flicker option: d(max) alone") << true << flicker_recording::Options{true, false, "0.80"}
                                                            << QList<quint32>{6000, 7000};
}

void TestRecordingAnalysis::failureSpans() {
  QFETCH(bool, flicker);
  QFETCH(flicker_recording::Options, options);
  QFETCH(QList<quint32>, spans);
  TestWorkingFolder folder;
  const QString path = folder.FilePath(QStringLiteral("RUN1.qxr"));
  const RecordingAnalysis analysis =
      Analyse(flicker ? flicker_recording::Write(path, options) : harmonics_recording::Write(path));
  QCOMPARE(analysis.FlickerStandard(), flicker);
  QList<quint32> found;
  for (const FailureSpan& span : analysis.FailureSpans()) found << span.begin << span.end;
  QCOMPARE(found, spans);
}

void TestRecordingAnalysis::harmonicTrendsAndStatisticsAreTheRecords() {
  using namespace harmonics_recording;
  TestWorkingFolder folder;
  const RecordingAnalysis analysis = Analyse(Write(folder.FilePath(QStringLiteral("RUN2.qxr"))));

  // One bucket a harmonics record (the waveform records between bring none),
  // in amperes whatever the range the record came on.
  const TrendBuckets& trends = analysis.HarmonicTrends();
  QCOMPARE(trends.Count(), kRecords);
  for (int i = 1; i <= kRecords; ++i) {
    const TrendBucket& bucket = trends.Bucket(i - 1);
    QCOMPARE(bucket.begin, quint32(i * 1000));
    QCOMPARE(bucket.records, 1u);
    for (int order : {2, 3, 15, 40}) {
      const auto value = [&](HarmonicSeries series) {
        return trends.Range(HarmonicSeriesIndex(order, series), i - 1).last;
      };
      QVERIFY2(Near(value(HarmonicSeries::Average), Amps(Average(order, i))), qPrintable(QString::number(i)));
      QVERIFY(Near(value(HarmonicSeries::Maximum), Amps(Maximum(order, i))));
      QVERIFY(Near(value(HarmonicSeries::Limit), Amps(Limit(order, i))));
    }
  }

  // Statistics of the present current over the records of the running test.
  const std::vector<HarmonicStatistic> statistics = analysis.Statistics().Orders();
  QCOMPARE(statistics.size(), size_t(39));
  for (const HarmonicStatistic& s : statistics) {
    std::vector<double> values;
    double leastMargin = std::numeric_limits<double>::max();
    for (int i = kFirstRunning; i <= kLastRunning; ++i) {
      const double amps = Amps(Present(s.order, i));
      values.push_back(amps);
      const double limit = Amps(Limit(s.order, i));
      leastMargin = std::min(leastMargin, 100 * (limit - amps) / limit);
    }
    std::sort(values.begin(), values.end());
    double sum = 0;
    for (double v : values) sum += v;
    const double rank95 = values[static_cast<size_t>(std::ceil(0.95 * values.size())) - 1];
    QCOMPARE(s.records, quint32(values.size()));
    QVERIFY(Near(s.minimum, values.front()));
    QVERIFY(Near(s.maximum, values.back()));
    QVERIFY(Near(s.mean, sum / values.size()));
    QVERIFY2(std::abs(s.percentile95 - rank95) <= rank95 * HarmonicStatistics::kPercentileResolution / 2,
             qPrintable(QStringLiteral("order %1: %2 for %3").arg(s.order).arg(s.percentile95).arg(rank95)));
    QVERIFY(Near(s.limit, Amps(Limit(s.order, kLastRunning))));
    QVERIFY(s.leastMargin && Near(*s.leastMargin, leastMargin, 1e-3));
  }
}

void TestRecordingAnalysis::flickerTrendsAgainstTheSetUpsLimits_data() {
  QTest::addColumn<flicker_recording::Options>("options");
  QTest::addColumn<std::optional<double>>("pstLimit");
  QTest::addColumn<std::optional<double>>("pltLimit");
  // A series the test does not judge has no limit to be drawn against: Plt
  // only in the two-hour test, Pst and Plt only with the "Flicker" option.
  QTest::newRow("two-hour test") << flicker_recording::Options{} << std::optional<double>(1.0) << std::optional<double>(0.65);
  QTest::newRow("without the two-hour test") << flicker_recording::Options{false, true, "0.40"} << std::optional<double>(1.0)
                                             << std::optional<double>();
  QTest::newRow("without the Flicker option") << flicker_recording::Options{true, false, "0.40"} << std::optional<double>()
                                              << std::optional<double>();
}

void TestRecordingAnalysis::flickerTrendsAgainstTheSetUpsLimits() {
  using namespace flicker_recording;
  QFETCH(flicker_recording::Options, options);
  QFETCH(std::optional<double>, pstLimit);
  QFETCH(std::optional<double>, pltLimit);
  TestWorkingFolder folder;
  const RecordingAnalysis analysis = Analyse(Write(folder.FilePath(QStringLiteral("RUN3.qxr")), options));
  const TrendBuckets& trends = analysis.FlickerTrends();
  QCOMPARE(trends.Count(), kRecords);
  for (int i = 1; i <= kRecords; ++i) {
    QVERIFY(Near(trends.Range(0, i - 1).last, Pst(i).toDouble()));
    QVERIFY(Near(trends.Range(kFlickerDmax, i - 1).last, Dmax(i).toDouble()));
    QVERIFY(Near(trends.Range(kFlickerPlt, i - 1).last, 0.40));
    QCOMPARE(trends.Range(1, i - 1).values, 0u);  // interval 2 never had a value
  }
  for (int interval = 0; interval < kFlickerPlt; ++interval) QCOMPARE(analysis.FlickerLimit(interval), pstLimit);
  QCOMPARE(analysis.FlickerLimit(kFlickerPlt), pltLimit);
  QCOMPARE(analysis.FlickerLimit(kFlickerDmax), std::optional<double>(6.0));
  QCOMPARE(analysis.FlickerLimit(kFlickerDt), std::optional<double>(3.0));
  QCOMPARE(analysis.FlickerLimit(kFlickerDc), std::optional<double>(3.3));
  QVERIFY(analysis.Statistics().Orders().empty());
}

// A two-hour test's 201,600 records: the buckets stay within their number,
// every record is in one, and each bucket holds the extremes of its own.
void TestRecordingAnalysis::trendsStayBoundedOverATwoHourTest() {
  constexpr int kRecords = 201600;
  constexpr int kPeriod = 977;
  const auto value = [](int r) { return static_cast<float>((r * 31) % kPeriod); };
  TrendBuckets trends(2);
  for (int r = 0; r < kRecords; ++r) {
    // The second series has a value on even records only.
    trends.Add(static_cast<quint32>(r) * 36, {value(r), r % 2 == 0 ? value(r) : NAN});
  }
  QVERIFY(trends.Count() <= TrendBuckets::kDefaultCapacity);
  QVERIFY(trends.Count() > TrendBuckets::kDefaultCapacity / 2);
  quint64 records = 0;
  int first = 0;
  for (int b = 0; b < trends.Count(); ++b) {
    const TrendBucket& bucket = trends.Bucket(b);
    QCOMPARE(bucket.begin, static_cast<quint32>(first) * 36);
    const int last = first + static_cast<int>(bucket.records) - 1;
    QCOMPARE(bucket.end, static_cast<quint32>(last) * 36);
    float low = value(first), high = value(first);
    for (int r = first; r <= last; ++r) {
      low = std::min(low, value(r));
      high = std::max(high, value(r));
    }
    QCOMPARE(trends.Range(0, b).minimum, low);
    QCOMPARE(trends.Range(0, b).maximum, high);
    QCOMPARE(trends.Range(0, b).last, value(last));
    QCOMPARE(trends.Range(1, b).values, (bucket.records + (first % 2 == 0 ? 1 : 0)) / 2);
    records += bucket.records;
    first = last + 1;
  }
  QCOMPARE(records, quint64(kRecords));
}

QTEST_MAIN(TestRecordingAnalysis)
#include "test_recording_analysis.moc"
