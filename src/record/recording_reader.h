#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <memory>

#include "record/recording_format.h"

class QIODevice;

// Reads a recording entry by entry, uncompressing as it goes, so that the
// memory it takes does not grow with the recording's length. A mark taken
// between two entries lets the reader go back there later without reading
// the recording again from its start (what a review's quick seeking uses).
//
// The recording is judged as it is read: Problem() stays empty while all is
// whole, and names the file and the damage once an entry cannot be read;
// the entries before the damage have all been given.
class RecordingReader {
 public:
  // Where a reader stood between two entries.
  class Mark;

  // Opens the file and reads up to its first entry.
  explicit RecordingReader(const QString& path);
  // The same over bytes in memory (what the fuzz target feeds).
  explicit RecordingReader(const QByteArray& compressed);
  ~RecordingReader();
  RecordingReader(const RecordingReader&) = delete;
  RecordingReader& operator=(const RecordingReader&) = delete;

  // From the Begin entry; invalid when the recording has none to start with
  // (Problem() then says why).
  const QDateTime& Start() const { return start_; }
  // The next entry; false at the end or at damage.
  bool Next(RecordingEntry& entry);
  const QString& Problem() const { return problem_; }
  // An End entry has been read: the recording was closed in order.
  bool Ended() const { return ended_; }
  // The reader found the end of what is written while the recording was
  // still being written (a test in hand's): not damage, just not all yet.
  bool StillBeingRecorded() const { return stillBeingRecorded_; }
  // How many entries have been given.
  qsizetype EntriesRead() const { return entriesRead_; }
  // How far through the compressed file the reader is, 0 to 1.
  double Progress() const;

  std::shared_ptr<const Mark> Here() const;
  // Back (or on) to where `mark` was taken by this reader.
  void Return(const Mark& mark);

 private:
  void Open();
  // Makes at least `bytes` uncompressed bytes ready; false when the
  // recording has fewer left (its end or damage).
  bool Ready(qsizetype bytes);
  bool Inflate();
  // A writer holds the file (RecordingWriter's lock).
  bool BeingWritten() const;
  void Fail(const QString& problem);
  bool ReadEntry(RecordingEntry& entry);

  struct Inflater;
  QString name_;
  std::unique_ptr<QIODevice> device_;
  std::unique_ptr<Inflater> inflater_;
  QByteArray input_;
  QByteArray output_;
  qsizetype outputAt_ = 0;
  qint64 inputConsumed_ = 0;  // compressed bytes taken by the inflater
  quint64 uncompressed_ = 0;  // uncompressed bytes produced so far
  bool inputEnded_ = false;
  bool streamEnded_ = false;  // no more uncompressed bytes, whole or not
  QString inflateProblem_;
  QDateTime start_;
  QString problem_;
  bool ended_ = false;
  bool stillBeingRecorded_ = false;
  bool failed_ = false;
  qsizetype entriesRead_ = 0;
  int version_ = 0;
  quint32 lastMilliseconds_ = 0;
  bool firstHeld_ = false;
  RecordingEntry first_;
};
