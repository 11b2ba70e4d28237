#pragma once

#include <QtGlobal>

#include <optional>
#include <vector>

#include "persist/configuration_file.h"
#include "results/harmonic_statistics.h"
#include "results/trend_buckets.h"

class RecordingReader;
class TestDocument;

// Whether the window shows the test failing as the document stands: under
// EN61000-3-2 the summary panel's verdict reads "FAIL"; under EN61000-3-3 a
// line of the voltage-variation and flicker summary ends in "FAIL" (the
// lines follow the test's "Flicker", "Voltage Fluctuations" and two-hour
// Plt options).
bool ShowsFailure(const TestDocument& document);

// A time the test showed a failure: from the first record that showed one
// after a record that did not, to the first record that no longer did (or
// the last record, when the recording ends failing). Milliseconds since the
// recording began.
struct FailureSpan {
  quint32 begin = 0;
  quint32 end = 0;
  bool operator==(const FailureSpan&) const = default;
};

// What failed and when, and how the readings went, over a recording played
// into a windowless document: whoever plays it calls Observe after each
// received line. Memory stays bounded however long the recording: trends
// are kept in TrendBuckets, statistics in HarmonicStatistics, and failure
// spans, past kMaxSpans, are merged with their neighbours pairwise.
class RecordingAnalysis {
 public:
  static constexpr int kMaxSpans = 4096;

  explicit RecordingAnalysis(int trendBuckets = TrendBuckets::kDefaultCapacity);

  void Observe(const TestDocument& document, quint32 milliseconds);

  // The spans so far; one still open ends at the last observed time.
  std::vector<FailureSpan> FailureSpans() const;
  quint32 LastObserved() const { return last_; }
  // The test's standard at the last observed line.
  bool FlickerStandard() const { return flicker_; }

  // HarmonicSeriesIndex and FlickerSeries of trend_samples.h name the series.
  const TrendBuckets& HarmonicTrends() const { return harmonicTrends_; }
  const TrendBuckets& FlickerTrends() const { return flickerTrends_; }
  // The set-up the flicker limits come from: the test's, at the last line.
  const TestSetupValues& Setup() const { return setup_; }
  std::optional<double> FlickerLimit(int series) const;

  // The present current of each order over the harmonics records received
  // while the test ran (the analyser reporting it running).
  const HarmonicStatistics& Statistics() const { return statistics_; }

 private:
  void CountSpans();

  std::vector<FailureSpan> spans_;
  bool failing_ = false;
  quint32 last_ = 0;
  bool flicker_ = false;
  TestSetupValues setup_;
  TrendBuckets harmonicTrends_;
  TrendBuckets flickerTrends_;
  HarmonicStatistics statistics_;
};

// The whole recording played into a windowless document of its own and
// observed line by line.
void AnalyseRecording(RecordingReader& recording, RecordingAnalysis& analysis);
