#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

// Every file the program writes goes through here. The bytes go to a
// temporary file in the target's folder, which then replaces the target in
// one rename: a save that fails part way leaves the previous file as it was.
// False when the file cannot be created, written or put in place.
bool SaveFileBytes(const QString& path, const QByteArray& bytes);
// The same, with the system's reason on failure; empty on success.
QString SaveFileBytesOrError(const QString& path, const QByteArray& bytes);

// Files that belong together (a report and the set-up beside it) saved as
// one: every file is written beside its target first, and only when all are
// written do they replace their targets. If one then cannot be put in place,
// those already replaced get their previous contents back (or are removed
// when they are new), so a failed save leaves every old file as it was.
// A file marked `remove` is taken away in the same save instead (a file
// that must not outlive it): put back if a later file fails, and a removal
// that fails fails the save. Empty on success, else the system's reason.
struct FileToSave {
  QString path;
  QByteArray bytes;
  bool remove = false;
};
QString SaveFilesTogetherOrError(const QList<FileToSave>& files);

// Text lines as the program's files hold them: the single-byte character set
// (Latin-1; a character outside it becomes "?"), every line, the last
// included, ended by CR LF. A line break inside a line would split it and
// shift every line after it, so CR and LF within a line become blanks.
QByteArray TextLinesBytes(const QStringList& lines);

// SaveFileBytes of TextLinesBytes.
bool SaveTextLines(const QString& path, const QStringList& lines);

class QSaveFile;

// A file written piece by piece (a long export that is not kept whole in
// memory), put in place only by Commit: until then the previous file stays
// as it was, and a stream dropped uncommitted leaves no trace.
class SafeFileStream {
 public:
  explicit SafeFileStream(const QString& path);
  ~SafeFileStream();
  SafeFileStream(const SafeFileStream&) = delete;
  SafeFileStream& operator=(const SafeFileStream&) = delete;

  // False once anything failed; the rest is then not written.
  bool Write(const QByteArray& bytes);
  // Empty on success, else the system's reason for the first failure.
  QString Commit();

 private:
  bool Flush();

  std::unique_ptr<QSaveFile> file_;
  QByteArray pending_;
  QString error_;
};
