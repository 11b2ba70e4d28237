#pragma once

#include <QByteArray>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "record/recording_format.h"

// Writes one recording file from a thread of its own, so the window's
// thread only hands entries over and never waits on the disk. What is handed
// over reaches the disk within a second (a sync flush of the compression,
// then fsync), so a crash or a pulled plug loses at most the last second.
class RecordingWriter {
 public:
  // Creates the file (its folder too) at once, so that a recording that
  // cannot be made is known before anything is handed over: Failed() and
  // Problem() tell. The magic line follows from the thread.
  explicit RecordingWriter(const QString& path);
  // Writes what is still waiting, ends the file in order and joins.
  ~RecordingWriter();
  RecordingWriter(const RecordingWriter&) = delete;
  RecordingWriter& operator=(const RecordingWriter&) = delete;

  const QString& Path() const { return path_; }
  // Hands one entry over; returns at once.
  void Append(const RecordingEntry& entry);
  // Everything handed over so far is in the file as a whole gzip member
  // when this returns (the file can then be copied and read on its own);
  // false when the file could not be written.
  bool Complete();
  bool Failed() const { return failed_.load(); }
  // Why the file could not be created, or that the disk it is on is all
  // but full (the recording goes on); empty when all is well.
  const QString& Problem() const { return problem_; }

 private:
  void Run();

  QString path_;
  QString problem_;
  int descriptor_ = -1;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable completed_;
  QByteArray pending_;
  bool completeRequested_ = false;
  bool stopping_ = false;
  quint64 completions_ = 0;
  std::atomic<bool> failed_{false};
  std::thread thread_;
};
