#include "archive/archive_database.h"

#include <QSqlError>
#include <QSqlQuery>

#include "archive/archive_schema.h"

namespace {

// How long a statement waits for another connection's write (a second
// instance, the history window) before it fails.
constexpr int kBusyMilliseconds = 5000;

}  // namespace

QSqlDatabase OpenStationArchive(const QString& path, const QString& connectionName, QString* error) {
  QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
  db.setDatabaseName(path);
  db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyMilliseconds));
  const auto fail = [&](const QString& why) {
    if (error != nullptr) *error = path + QStringLiteral(": ") + why;
    db.close();
    return QSqlDatabase();
  };
  if (!db.open()) return fail(db.lastError().text());
  QSqlQuery query(db);
  // An archive in the log's mode already is not set again: that would wait
  // for another connection's write, and fail while it goes on.
  const bool logged = query.exec(QStringLiteral("PRAGMA journal_mode")) && query.next() &&
                      query.value(0).toString().compare(QLatin1String("wal"), Qt::CaseInsensitive) == 0;
  query.finish();
  if (!logged && (!query.exec(QStringLiteral("PRAGMA journal_mode=WAL")) || !query.next() ||
      query.value(0).toString().compare(QLatin1String("wal"), Qt::CaseInsensitive) != 0))
    return fail(QStringLiteral("the archive cannot keep a write-ahead log here: ") + query.lastError().text());
  if (!query.exec(QStringLiteral("PRAGMA foreign_keys=ON"))) return fail(query.lastError().text());
  if (const QString migrated = MigrateArchive(db); !migrated.isEmpty()) return fail(migrated);
  return db;
}
