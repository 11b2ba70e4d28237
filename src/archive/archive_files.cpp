#include "archive/archive_files.h"

#include <QCryptographicHash>
#include <QFile>

QByteArray ArchiveHash(const QByteArray& bytes) {
  return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

FileState CheckArchivedFile(const ArchiveFile& file) {
  QFile found(file.path);
  if (!found.open(QIODevice::ReadOnly)) return FileState::Missing;
  // Read in pieces: a recording may be large.
  QCryptographicHash hash(QCryptographicHash::Sha256);
  if (!hash.addData(&found)) return FileState::Missing;
  return hash.result().toHex() == file.sha256 ? FileState::Same : FileState::Changed;
}

QString FileStateText(FileState state) {
  switch (state) {
    case FileState::Same: return QStringLiteral("unchanged");
    case FileState::Changed: return QStringLiteral("changed since it was filed");
    case FileState::Missing: return QStringLiteral("moved or removed");
  }
  return {};
}
