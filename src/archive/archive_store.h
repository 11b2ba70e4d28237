#pragma once

#include <QList>
#include <QSqlDatabase>
#include <QString>

#include <optional>

#include "archive/archive_entry.h"
#include "archive/archive_files.h"
#include "archive/archive_query.h"

// Reading and writing archived tests. Every call works on an open archive
// (OpenStationArchive) and says what went wrong in `*error` (when given).

// Starts a transaction that will write. On a station's file it takes the
// right to write at once, waiting for another program's write to end: a
// transaction that first reads and then writes would be refused outright
// if another program had written in between. Empty on success.
QString BeginWriting(QSqlDatabase& db);

// Writes the entry inside the caller's transaction: a test of the same uid
// is updated in place, its files replaced role by role (a role the entry
// does not bring keeps its earlier file); a new uid makes a new test.
// Sets entry.id. Empty on success, else the reason.
QString UpsertEntry(QSqlDatabase& db, ArchiveEntry& entry);

// UpsertEntry in a transaction of its own: all of it is filed, or nothing.
QString FileEntry(QSqlDatabase& db, ArchiveEntry& entry);

// The files filed with entry `id`, by role; their bytes too when
// `withContents` and the archive keeps them. Empty with `*error` set when
// they cannot be read.
QList<ArchiveFile> ReadEntryFiles(QSqlDatabase& db, qint64 id, bool withContents = false, QString* error = nullptr);

// One test with its files; nullopt when there is none of that id or it
// cannot be read.
std::optional<ArchiveEntry> ReadEntry(QSqlDatabase& db, qint64 id, QString* error = nullptr);

// The tests the query selects, newest first, with their files.
QList<ArchiveEntry> ListEntries(QSqlDatabase& db, const ArchiveQuery& query, QString* error = nullptr);

// True when a file of these bytes (by SHA-256) is filed with any test.
bool IsFileArchived(QSqlDatabase& db, const QByteArray& sha256, QString* error = nullptr);

// Each of the entry's files as it is found now, in the entry's order.
QList<FileState> VerifyEntry(const ArchiveEntry& entry);
