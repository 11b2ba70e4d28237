#include "persist/safe_file_writer.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <memory>
#include <optional>
#include <vector>

namespace {

// Opens the temporary file beside path and writes all of bytes into it;
// the system's reason on failure. Unbuffered, so every write reports what
// reached the file: a buffered write that the disk takes only in part (disk
// full, size limit) is flushed at commit without any error, leaving a cut
// file in place.
QString Stage(QSaveFile& file, const QByteArray& bytes) {
  if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return file.errorString();
  qint64 written = 0;
  while (written < bytes.size()) {
    const qint64 count = file.write(bytes.constData() + written, bytes.size() - written);
    if (count <= 0) {
      const QString error = file.errorString();
      file.cancelWriting();
      return error;
    }
    written += count;
  }
  return {};
}

// What a file held before a save replaced it; nullopt when there was none.
struct Previous {
  bool readable = true;
  std::optional<QByteArray> bytes;
  QString error;
};

Previous PreviousContents(const QString& path) {
  QFile file(path);
  if (!file.exists()) return {};
  if (!file.open(QIODevice::ReadOnly)) return {false, std::nullopt, file.errorString()};
  return {true, file.readAll(), {}};
}

}  // namespace

QString SaveFileBytesOrError(const QString& path, const QByteArray& bytes) {
  QSaveFile file(path);
  if (const QString error = Stage(file, bytes); !error.isEmpty()) return error;
  if (!file.commit()) return file.errorString();
  return {};
}

bool SaveFileBytes(const QString& path, const QByteArray& bytes) { return SaveFileBytesOrError(path, bytes).isEmpty(); }

QString SaveFilesTogetherOrError(const QList<FileToSave>& files) {
  std::vector<std::unique_ptr<QSaveFile>> staged;
  std::vector<Previous> previous;
  for (const FileToSave& file : files) {
    // Unwritten temporary files are discarded when their QSaveFile goes;
    // a file to remove has nothing to write.
    staged.push_back(file.remove ? nullptr : std::make_unique<QSaveFile>(file.path));
    if (staged.back()) {
      if (const QString error = Stage(*staged.back(), file.bytes); !error.isEmpty()) return error;
    }
    previous.push_back(PreviousContents(file.path));
    if (!previous.back().readable) return previous.back().error;
  }
  for (size_t i = 0; i < staged.size(); ++i) {
    QString error;
    if (staged[i]) {
      if (staged[i]->commit()) continue;
      error = staged[i]->errorString();
    } else {
      QFile gone(files[static_cast<qsizetype>(i)].path);
      if (!previous[i].bytes || gone.remove()) continue;
      error = QStringLiteral("%1 could not be removed: %2").arg(QDir::toNativeSeparators(gone.fileName()), gone.errorString());
    }
    for (size_t done = 0; done < i; ++done) {
      const QString& path = files[static_cast<qsizetype>(done)].path;
      const bool restored = previous[done].bytes ? SaveFileBytes(path, *previous[done].bytes) : QFile::remove(path) || !QFile::exists(path);
      if (!restored) error += QStringLiteral("; %1 could not be put back as it was").arg(path);
    }
    return error;
  }
  return {};
}

QByteArray TextLinesBytes(const QStringList& lines) {
  QByteArray bytes;
  for (QString line : lines) {
    line.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    bytes += line.toLatin1();
    bytes += "\r\n";
  }
  return bytes;
}

bool SaveTextLines(const QString& path, const QStringList& lines) {
  return SaveFileBytes(path, TextLinesBytes(lines));
}

namespace {

// Written to the file in pieces of about this size.
constexpr qsizetype kStreamPiece = 64 * 1024;

}  // namespace

SafeFileStream::SafeFileStream(const QString& path) : file_(std::make_unique<QSaveFile>(path)) {
  if (!file_->open(QIODevice::WriteOnly | QIODevice::Unbuffered)) error_ = file_->errorString();
}

SafeFileStream::~SafeFileStream() {
  if (file_->isOpen()) file_->cancelWriting();
}

bool SafeFileStream::Write(const QByteArray& bytes) {
  if (!error_.isEmpty()) return false;
  pending_ += bytes;
  return pending_.size() < kStreamPiece || Flush();
}

bool SafeFileStream::Flush() {
  if (!error_.isEmpty()) return false;
  qint64 written = 0;
  while (written < pending_.size()) {
    const qint64 count = file_->write(pending_.constData() + written, pending_.size() - written);
    if (count <= 0) {
      error_ = file_->errorString();
      file_->cancelWriting();
      return false;
    }
    written += count;
  }
  pending_.clear();
  return true;
}

QString SafeFileStream::Commit() {
  if (!Flush()) return error_;
  if (!file_->commit()) error_ = file_->errorString();
  return error_;
}
