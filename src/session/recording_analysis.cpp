#include "session/recording_analysis.h"

#include "record/recording_reader.h"

#include "record/recording_format.h"
#include "session/command_sink.h"
#include "session/test_document.h"
#include "session/trend_samples.h"

bool ShowsFailure(const TestDocument& document) {
  const QString fail = QStringLiteral("FAIL");
  if (!document.FlickerStandard()) return document.Summary().Verdict == fail;
  const auto& lines = document.Flicker().FlickerDisplayLines;
  for (int k = 0; k < FlickerResults::kSummaryLines; ++k) {
    if (lines[static_cast<size_t>(k)].endsWith(fail)) return true;
  }
  return false;
}

RecordingAnalysis::RecordingAnalysis(int trendBuckets)
    : harmonicTrends_(kHarmonicTrendSeries, trendBuckets), flickerTrends_(kFlickerTrendSeries, trendBuckets) {}

void RecordingAnalysis::Observe(const TestDocument& document, quint32 milliseconds) {
  last_ = milliseconds;
  flicker_ = TestStandardIsFlicker(document);
  setup_ = document.ReportedSetup().Setup;

  const bool failing = ShowsFailure(document);
  if (failing && !failing_) {
    spans_.push_back({milliseconds, milliseconds});
    CountSpans();
  } else if (!failing && failing_) {
    spans_.back().end = milliseconds;
  }
  failing_ = failing;

  if (const auto sample = HarmonicTrendSample(document)) harmonicTrends_.Add(milliseconds, *sample);
  if (const auto sample = FlickerTrendSample(document)) flickerTrends_.Add(milliseconds, *sample);
  if (document.Phase() == TestPhase::Running) {
    if (const auto present = HarmonicPresentSample(document)) {
      for (size_t i = 0; i < present->amps.size(); ++i) {
        statistics_.Add(kTrendFirstOrder + static_cast<int>(i), present->amps[i], present->limits[i]);
      }
    }
  }
}

void RecordingAnalysis::CountSpans() {
  if (static_cast<int>(spans_.size()) <= kMaxSpans) return;
  // The open span stays last and open.
  const size_t pairs = spans_.size() / 2;
  for (size_t i = 0; i < pairs; ++i) spans_[i] = {spans_[2 * i].begin, spans_[2 * i + 1].end};
  if (spans_.size() % 2 != 0) {
    spans_[pairs] = spans_.back();
    spans_.resize(pairs + 1);
  } else {
    spans_.resize(pairs);
  }
}

std::vector<FailureSpan> RecordingAnalysis::FailureSpans() const {
  std::vector<FailureSpan> spans = spans_;
  if (failing_ && !spans.empty()) spans.back().end = last_;
  return spans;
}

std::optional<double> RecordingAnalysis::FlickerLimit(int series) const { return FlickerSeriesLimit(setup_, series); }

void AnalyseRecording(RecordingReader& recording, RecordingAnalysis& analysis) {
  SilentCommands silent;
  TestDocument document(silent);
  document.SetReplaying();
  RecordingEntry entry;
  while (recording.Next(entry)) {
    document.ReplayEntry(recording.Start(), entry);
    if (entry.Kind == EntryKind::Received) analysis.Observe(document, entry.Milliseconds);
  }
}
