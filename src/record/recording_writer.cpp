#include "record/recording_writer.h"

#include <QDir>
#include <QFileInfo>

#include <zlib.h>

#include <chrono>

namespace {

constexpr auto kFlushInterval = std::chrono::seconds(1);

}  // namespace

RecordingWriter::RecordingWriter(const QString& path) : path_(path) {
  pending_ = kRecordingMagic;
  thread_ = std::thread([this] { Run(); });
}

RecordingWriter::~RecordingWriter() {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_one();
  thread_.join();
}

void RecordingWriter::Append(const RecordingEntry& entry) {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    pending_.append(EncodeEntry(entry));
  }
  // The thread writes on its own schedule; no wake-up per entry.
}

bool RecordingWriter::Complete() {
  std::unique_lock<std::mutex> lock(mutex_);
  const quint64 target = completions_ + 1;
  completeRequested_ = true;
  wake_.notify_one();
  completed_.wait(lock, [this, target] { return completions_ >= target || stopping_; });
  return !failed_.load();
}

void RecordingWriter::Run() {
  QDir().mkpath(QFileInfo(path_).absolutePath());
  const QByteArray name = QFile::encodeName(path_);
  // Appending: each opening adds a gzip member after the last.
  gzFile file = gzopen(name.constData(), "ab6");
  if (file == nullptr) failed_ = true;
  bool open = file != nullptr;
  auto lastFlush = std::chrono::steady_clock::now();
  bool unflushed = false;
  std::unique_lock<std::mutex> lock(mutex_);
  while (true) {
    wake_.wait_for(lock, kFlushInterval, [this] { return stopping_ || completeRequested_; });
    QByteArray bytes;
    bytes.swap(pending_);
    const bool complete = completeRequested_ || stopping_;
    const bool stop = stopping_;
    completeRequested_ = false;
    lock.unlock();

    if (!open && !failed_ && !bytes.isEmpty()) {
      file = gzopen(name.constData(), "ab6");
      open = file != nullptr;
      if (!open) failed_ = true;
    }
    if (open && !bytes.isEmpty()) {
      if (gzwrite(file, bytes.constData(), static_cast<unsigned>(bytes.size())) != bytes.size()) failed_ = true;
      unflushed = true;
    }
    const auto now = std::chrono::steady_clock::now();
    if (open && complete) {
      // A whole member: the file reads to its end as it stands.
      if (gzclose(file) != Z_OK) failed_ = true;
      open = false;
      unflushed = false;
      lastFlush = now;
    } else if (open && unflushed && now - lastFlush >= kFlushInterval) {
      if (gzflush(file, Z_SYNC_FLUSH) != Z_OK) failed_ = true;
      unflushed = false;
      lastFlush = now;
    }

    lock.lock();
    if (complete) {
      ++completions_;
      completed_.notify_all();
    }
    if (stop) break;
  }
}
