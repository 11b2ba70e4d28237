#pragma once

#include <QColor>
#include <QString>

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "record/recording_reader.h"
#include "session/recording_analysis.h"
#include "session/test_document.h"

// A review's reading of its recording, once through, beside the window's
// thread: the recording's length and any damage, what failed and when, the
// trends and statistics, and checkpoints of the document's state to seek
// from. The checkpoints stay few whatever the length (their spacing doubles
// when there are too many), so memory stays bounded, and a seek plays at
// most one spacing of the recording.
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

  // `face`: the colour the document draws the graph area in, the window's.
  RecordingScan(const QString& path, const QColor& face);
  // Stops the reading, if it still runs, and waits for it.
  ~RecordingScan();
  RecordingScan(const RecordingScan&) = delete;
  RecordingScan& operator=(const RecordingScan&) = delete;

  // Any thread, at any time.
  bool Done() const { return done_.load(); }
  double Progress() const { return progress_.load(); }
  // The time of the last entry read so far.
  quint32 ReadTo() const { return readTo_.load(); }
  // The checkpoints so far, oldest first; the first is the recording's start.
  std::vector<std::shared_ptr<const Checkpoint>> Checkpoints() const;

  // Once Done().
  const RecordingAnalysis& Analysis() const { return analysis_; }
  quint32 Duration() const { return readTo_.load(); }
  const QString& Problem() const { return problem_; }

 private:
  void Run(const QString& path, const QColor& face);
  void Keep(const RecordingReader& reader, const TestDocument& document, quint32 milliseconds,
            const DocumentChange& shown);

  mutable std::mutex mutex_;
  std::vector<std::shared_ptr<const Checkpoint>> checkpoints_;
  quint32 spacing_;
  RecordingAnalysis analysis_;
  QString problem_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> done_{false};
  std::atomic<double> progress_{0.0};
  std::atomic<quint32> readTo_{0};
  std::thread thread_;
};
