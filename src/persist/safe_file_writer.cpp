#include "persist/safe_file_writer.h"

#include <QSaveFile>

QString SaveFileBytesOrError(const QString& path, const QByteArray& bytes) {
  QSaveFile file(path);
  // Unbuffered, so every write reports what reached the file: a buffered
  // write that the disk takes only in part (disk full, size limit) is
  // flushed at commit without any error, leaving a cut file in place.
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
  if (!file.commit()) return file.errorString();
  return {};
}

bool SaveFileBytes(const QString& path, const QByteArray& bytes) { return SaveFileBytesOrError(path, bytes).isEmpty(); }

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
