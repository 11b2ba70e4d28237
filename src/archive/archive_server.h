#pragma once

#include <QSqlDatabase>
#include <QString>

#include "persist/settings_file.h"

// The archive on a lab's server (the password, when given, is used; else
// the server's client library reads ~/.pgpass), brought up to the newest
// version, under `connectionName` (which the caller removes once every use
// of it is gone). Gives up after a few seconds when the server does not
// answer, so a station never hangs on it. Invalid with `*error` set when it
// cannot be reached or brought up to date; `*needsPassword` tells whether
// the server asked for a password it was not given.
QSqlDatabase OpenServerArchive(const ArchiveServer& server, const QString& password, const QString& connectionName,
                               QString* error, bool* needsPassword = nullptr);
