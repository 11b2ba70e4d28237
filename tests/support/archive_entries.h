#pragma once

#include <QList>
#include <QSqlDatabase>
#include <QString>

#include <functional>

#include "archive/archive_entry.h"

// Entries put into an archive the way the station files them, with plain
// SQL: a test's row and its files' rows (their hash and size as given, the
// bytes when the entry carries them). All in one transaction; false when a
// statement fails.
bool InsertArchiveEntries(QSqlDatabase& db, int count, const std::function<ArchiveEntry(int)>& entry);
bool InsertArchiveEntries(QSqlDatabase& db, const QList<ArchiveEntry>& entries);

// A file of the given role written at `path` with `bytes`, described as
// the archive files it (hash and size of those bytes).
ArchiveFile WriteArchivedFile(const QString& role, const QString& path, const QByteArray& bytes);
