#include "session/recording_scan.h"

#include <QElapsedTimer>

#include <algorithm>

namespace {

// The checkpoints' documents send nothing, wherever they are copied to.
SilentCommands& Nowhere() {
  static SilentCommands silent;
  return silent;
}

}  // namespace

RecordingScan::RecordingScan(const QString& path, const QColor& face, quint32 firstSpacing)
    : reader_(path), document_(Nowhere()), spacing_(std::max<quint32>(firstSpacing, 1)), next_(spacing_) {
  document_.SetReplaying();
  document_.SetFaceColour(face);
  Keep();
}

void RecordingScan::Keep() {
  auto checkpoint = std::make_shared<Checkpoint>();
  checkpoint->milliseconds = readTo_;
  checkpoint->mark = reader_.Here();
  if (!checkpoint->mark) return;
  checkpoint->document = std::make_shared<const TestDocument>(document_, Nowhere());
  checkpoint->shown = shown_;
  checkpoints_.push_back(std::move(checkpoint));
  if (checkpoints_.size() < kMaxCheckpoints) return;
  // Every other one goes, the start stays: the spacing doubles.
  std::vector<std::shared_ptr<const Checkpoint>> kept;
  for (size_t i = 0; i < checkpoints_.size(); i += 2) kept.push_back(checkpoints_[i]);
  checkpoints_ = std::move(kept);
  spacing_ *= 2;
}

bool RecordingScan::ReadFor(qint64 milliseconds) {
  QElapsedTimer slice;
  slice.start();
  RecordingEntry entry;
  while (!done_) {
    if (!reader_.Next(entry)) {
      done_ = true;
      break;
    }
    shown_ |= document_.ReplayEntry(reader_.Start(), entry);
    if (entry.Kind == EntryKind::Received) analysis_.Observe(document_, entry.Milliseconds);
    readTo_ = entry.Milliseconds;
    if (entry.Milliseconds >= next_) {
      Keep();
      next_ = entry.Milliseconds + spacing_;
    }
    // The clock is looked at every few entries only.
    if (reader_.EntriesRead() % 64 == 0 && slice.elapsed() >= milliseconds) break;
  }
  return done_;
}
