#pragma once

#include <QColor>
#include <QString>

#include <memory>
#include <vector>

#include "record/recording_reader.h"
#include "session/recording_analysis.h"
#include "session/test_document.h"

// A review's reading of its recording, once through, a slice at a time:
// the recording's length and any damage, what failed and when, the trends
// and statistics, and checkpoints of the document's state to seek from. The
// checkpoints stay few whatever the length (their spacing doubles when there
// are too many), so memory stays bounded, and a seek plays at most one
// spacing of the recording.
//
// It runs on the window's thread, in slices between which the event loop
// has its turn: the document draws its graph with the window's fonts, which
// are not to be used from two threads at once.
class RecordingScan {
 public:
  struct Checkpoint {
    quint32 milliseconds = 0;  // the time of the entry played last
    std::shared_ptr<const RecordingReader::Mark> mark;
    std::shared_ptr<const TestDocument> document;
    // What the entries from the start to here changed, for a new view of
    // the document to show.
    DocumentChange shown;
  };
  static constexpr int kMaxCheckpoints = 32;
  // The recording time between the first checkpoints.
  static constexpr quint32 kFirstSpacing = 10'000;

  // `face`: the colour the document draws the graph area in, the window's.
  RecordingScan(const QString& path, const QColor& face, quint32 firstSpacing = kFirstSpacing);
  RecordingScan(const RecordingScan&) = delete;
  RecordingScan& operator=(const RecordingScan&) = delete;

  // Reads on for about `milliseconds`; true once the recording is read through.
  bool ReadFor(qint64 milliseconds);
  bool Done() const { return done_; }
  double Progress() const { return done_ ? 1.0 : reader_.Progress(); }
  // The checkpoints so far, oldest first; the first is the recording's start.
  const std::vector<std::shared_ptr<const Checkpoint>>& Checkpoints() const { return checkpoints_; }

  // What is read so far; the whole once Done().
  const RecordingAnalysis& Analysis() const { return analysis_; }
  // The time of the last entry read.
  quint32 Duration() const { return readTo_; }
  const QString& Problem() const { return reader_.Problem(); }
  // What was read ends where the writer had got to: the recording of a
  // test still going on.
  bool StillBeingRecorded() const { return reader_.StillBeingRecorded(); }

 private:
  void Keep();

  RecordingReader reader_;
  TestDocument document_;
  DocumentChange shown_;
  std::vector<std::shared_ptr<const Checkpoint>> checkpoints_;
  quint32 spacing_;
  quint32 next_;
  RecordingAnalysis analysis_;
  bool done_ = false;
  quint32 readTo_ = 0;
};
