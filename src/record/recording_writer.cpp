#include "record/recording_writer.h"

#include <pthread.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

#include <fcntl.h>
#include <pthread.h>
#include <sys/file.h>
#include <unistd.h>
#include <zlib.h>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace {

constexpr auto kFlushInterval = std::chrono::seconds(1);
// Below this a recording may well be cut short: about three hours of one.
constexpr qint64 kLeastFreeBytes = 10'000'000;

// A gzip stream appending to the file (each opening adds a member after
// the last); the descriptor stays the writer's, for fsync.
gzFile OpenMember(int descriptor) {
  const int own = ::dup(descriptor);
  if (own < 0) return nullptr;
  gzFile file = gzdopen(own, "ab6");
  if (file == nullptr) ::close(own);
  return file;
}

}  // namespace

RecordingWriter::RecordingWriter(const QString& path) : path_(path) {
  const QString folder = QFileInfo(path_).absolutePath();
  if (!QDir().mkpath(folder)) {
    problem_ = QStringLiteral("the folder %1 cannot be made").arg(QDir::toNativeSeparators(folder));
  } else {
    descriptor_ = ::open(QFile::encodeName(path_).constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (descriptor_ < 0) problem_ = QString::fromLocal8Bit(std::strerror(errno));
    // Held while the recording is being written: a reader meanwhile tells
    // a recording still going on from one cut short.
    if (descriptor_ >= 0) ::flock(descriptor_, LOCK_EX | LOCK_NB);
  }
  failed_ = descriptor_ < 0;
  if (!failed_) {
    const QStorageInfo disk(folder);
    if (disk.isValid() && disk.bytesAvailable() < kLeastFreeBytes) {
      problem_ = QStringLiteral("the disk it is on has only %1 MB free").arg(double(disk.bytesAvailable()) / 1e6, 0, 'f', 1);
    }
  }
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
  if (descriptor_ >= 0) ::close(descriptor_);
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
  pthread_setname_np(pthread_self(), "recording");
  gzFile file = descriptor_ >= 0 ? OpenMember(descriptor_) : nullptr;
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
      file = OpenMember(descriptor_);
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
      if (gzclose(file) != Z_OK || ::fsync(descriptor_) != 0) failed_ = true;
      open = false;
      unflushed = false;
      lastFlush = now;
    } else if (open && unflushed && now - lastFlush >= kFlushInterval) {
      // On the disk, not only in the system's cache: about a millisecond
      // a second on this writer's thread.
      if (gzflush(file, Z_SYNC_FLUSH) != Z_OK || ::fsync(descriptor_) != 0) failed_ = true;
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
