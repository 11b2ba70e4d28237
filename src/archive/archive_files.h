#pragma once

#include <QByteArray>
#include <QString>

#include "archive/archive_entry.h"

// The SHA-256 of bytes, in lower-case hex, as the archive keeps it.
QByteArray ArchiveHash(const QByteArray& bytes);

// An archived file as it is found now, against what was filed.
enum class FileState {
  Same,     // at its path, with the bytes filed
  Changed,  // at its path, with other bytes
  Missing,  // not at its path (moved, renamed or removed)
};
FileState CheckArchivedFile(const ArchiveFile& file);

// "unchanged", "changed since it was filed", "moved or removed".
QString FileStateText(FileState state);
