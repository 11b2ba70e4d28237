#include "archive/archive_database.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

#include "archive/archive_schema.h"

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {

// How long a statement waits for another connection's write (a second
// instance, the history window) before it fails.
constexpr int kBusyMilliseconds = 5000;

}  // namespace

QByteArray ArchiveFileIdentity(const QString& path) {
#ifdef Q_OS_UNIX
  struct stat found {};
  if (::stat(QFile::encodeName(path).constData(), &found) != 0) return {};
  return QByteArray::number(quint64(found.st_dev)) + ':' + QByteArray::number(quint64(found.st_ino));
#else
  // Elsewhere a file open in the archive cannot be deleted or replaced.
  return QFileInfo::exists(path) ? QFile::encodeName(path) : QByteArray();
#endif
}

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
