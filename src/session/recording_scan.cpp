#include "session/recording_scan.h"

namespace {

// The first spacing of the checkpoints, in the recording's time.
constexpr quint32 kFirstSpacing = 10'000;

// The checkpoints' documents send nothing, wherever they are copied to.
SilentCommands& Nowhere() {
  static SilentCommands silent;
  return silent;
}

}  // namespace

RecordingScan::RecordingScan(const QString& path, const QColor& face) : spacing_(kFirstSpacing) {
  thread_ = std::thread([this, path, face] { Run(path, face); });
}

RecordingScan::~RecordingScan() {
  stop_ = true;
  thread_.join();
}

std::vector<std::shared_ptr<const RecordingScan::Checkpoint>> RecordingScan::Checkpoints() const {
  const std::lock_guard<std::mutex> lock(mutex_);
  return checkpoints_;
}

void RecordingScan::Keep(const RecordingReader& reader, const TestDocument& document, quint32 milliseconds,
                         const DocumentChange& shown) {
  auto checkpoint = std::make_shared<Checkpoint>();
  checkpoint->milliseconds = milliseconds;
  checkpoint->mark = reader.Here();
  if (!checkpoint->mark) return;
  checkpoint->document = std::make_shared<const TestDocument>(document, Nowhere());
  checkpoint->shown = shown;
  const std::lock_guard<std::mutex> lock(mutex_);
  checkpoints_.push_back(std::move(checkpoint));
  if (checkpoints_.size() < kMaxCheckpoints) return;
  // Every other one goes, the start stays: the spacing doubles.
  std::vector<std::shared_ptr<const Checkpoint>> kept;
  for (size_t i = 0; i < checkpoints_.size(); i += 2) kept.push_back(checkpoints_[i]);
  checkpoints_ = std::move(kept);
  spacing_ *= 2;
}

void RecordingScan::Run(const QString& path, const QColor& face) {
  RecordingReader reader(path);
  TestDocument document(Nowhere());
  document.SetReplaying();
  document.SetFaceColour(face);
  DocumentChange shown;
  Keep(reader, document, 0, shown);
  quint32 next = spacing_;
  RecordingEntry entry;
  qsizetype count = 0;
  while (!stop_.load() && reader.Next(entry)) {
    shown |= document.ReplayEntry(reader.Start(), entry);
    if (entry.Kind == EntryKind::Received) analysis_.Observe(document, entry.Milliseconds);
    readTo_ = entry.Milliseconds;
    if (entry.Milliseconds >= next) {
      Keep(reader, document, entry.Milliseconds, shown);
      next = entry.Milliseconds + spacing_;
    }
    if (++count % 256 == 0) progress_ = reader.Progress();
  }
  problem_ = reader.Problem();
  progress_ = 1.0;
  done_ = true;
}
