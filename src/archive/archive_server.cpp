#include "archive/archive_server.h"

#include <QSqlError>

#include "archive/archive_schema.h"

namespace {

// Seconds a connection attempt waits for the server.
constexpr int kConnectSeconds = 3;

}  // namespace

QSqlDatabase OpenServerArchive(const ArchiveServer& server, const QString& password, const QString& connectionName,
                               QString* error, bool* needsPassword) {
  QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connectionName);
  db.setHostName(server.host);
  db.setPort(server.port);
  db.setDatabaseName(server.database);
  db.setUserName(server.user);
  if (!password.isEmpty()) db.setPassword(password);
  db.setConnectOptions(QStringLiteral("connect_timeout=%1;application_name=Veltrix").arg(kConnectSeconds));
  if (needsPassword != nullptr) *needsPassword = false;
  const QString where = QStringLiteral("%1@%2:%3/%4").arg(server.user, server.host).arg(server.port).arg(server.database);
  if (!db.open()) {
    const QString why = db.lastError().text();
    if (needsPassword != nullptr)
      *needsPassword = why.contains(QLatin1String("password"), Qt::CaseInsensitive) &&
                       (why.contains(QLatin1String("no password")) || why.contains(QLatin1String("authentication failed")));
    if (error != nullptr) *error = where + QStringLiteral(": ") + why;
    return {};
  }
  if (const QString migrated = MigrateArchive(db); !migrated.isEmpty()) {
    if (error != nullptr) *error = where + QStringLiteral(": ") + migrated;
    db.close();
    return {};
  }
  return db;
}
