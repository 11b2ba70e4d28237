#pragma once

#include <QSqlDatabase>
#include <QString>

// The archive's tables, on SQLite or PostgreSQL.
//
// Version 1: tests (one row a test) and test_files (the files filed with
// it, with their hashes and, on a lab's server, their contents).
// Version 2: each test names the station that filed it and carries a
// unique identity, so that a station sending its queued entries again
// never files one twice; the outbox holds the entries a station has filed
// locally and not yet had acknowledged by the lab's server; the texts a
// search looks in are indexed by their three-letter pieces (a full-text
// table on a station, a trigram index on a server that allows one).
//
// A database is brought up to the newest version one step at a time, each
// step in a transaction of its own; a database of a newer version than
// this program knows is refused, never changed.
inline constexpr int kArchiveSchemaVersion = 2;

// The version the database holds; 0 for an empty one, -1 when it cannot be
// read.
int ArchiveSchemaVersion(QSqlDatabase& db);

// Brings the database up to kArchiveSchemaVersion, or to `target` when
// given (a test's way to make an older archive). Empty on success, else
// what went wrong; a failed step leaves the database at the version before.
QString MigrateArchive(QSqlDatabase& db, int target = kArchiveSchemaVersion);

// True for a database on PostgreSQL (a lab's server), false for SQLite.
bool IsServerDatabase(const QSqlDatabase& db);

// On a server, the texts a search looks in, joined and in lower case: the
// expression its trigram index is made on, and a search must name.
QString ArchiveSearchedText();
