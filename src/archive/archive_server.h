#pragma once

#include <QSqlDatabase>
#include <QString>

// A lab's archive server, as the Settings dialog sets it. No password: it
// comes from ~/.pgpass (read by the server's client library) or is asked
// for, and is never kept in the settings file.
struct ArchiveServer {
  QString host;  // empty: the station files into its own archive only
  int port = 5432;
  QString database;
  QString user;

  bool IsSet() const { return !host.isEmpty(); }
  bool operator==(const ArchiveServer&) const = default;
};

// The archive on a lab's server, brought up to the newest version, under
// `connectionName` (which the caller removes once every use of it is gone). Gives up after a few seconds when the server does not
// answer, so a station never hangs on it. Invalid with `*error` set when it
// cannot be reached or brought up to date; `*needsPassword` tells whether
// the server asked for a password it was not given.
QSqlDatabase OpenServerArchive(const ArchiveServer& server, const QString& password, const QString& connectionName,
                               QString* error, bool* needsPassword = nullptr);
