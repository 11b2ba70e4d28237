#pragma once

#include <QSqlDatabase>
#include <QString>

// The station's own archive: a SQLite file (made, and brought up to the
// newest version, when needed) in write-ahead-log mode, so that a history
// window reading it never holds up a station filing into it. Opened under
// `connectionName`, which the caller removes with QSqlDatabase::
// removeDatabase once every use of it is gone. Invalid with `*error` set
// when it cannot be opened or brought up to date.
QSqlDatabase OpenStationArchive(const QString& path, const QString& connectionName, QString* error);

// Which file `path` is now (its device and inode where the system has
// them), empty when there is none: an archive whose file has been deleted,
// moved or replaced since it was opened is no longer the one at its path.
QByteArray ArchiveFileIdentity(const QString& path);

// The file name of the station's archive in the working folder.
inline constexpr char kStationArchiveName[] = "archive.sqlite";
