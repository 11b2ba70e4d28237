#include "archive/archive_schema.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

namespace {

// The statements of each step, with the few words the two databases spell
// differently written as placeholders.
const QStringList kVersion1{
    "CREATE TABLE archive_schema (version INTEGER NOT NULL)",
    "INSERT INTO archive_schema (version) VALUES (0)",
    "CREATE TABLE tests ("
    " id %SERIAL% PRIMARY KEY,"
    " report_number BIGINT NOT NULL,"
    " tested_at TEXT NOT NULL,"  // ISO 8601 in UTC ("...Z"): sorts as time does
    " local_time TEXT NOT NULL,"  // ISO 8601 with the station's offset, as the report gives it
    " duration_s BIGINT NOT NULL,"
    " equipment TEXT NOT NULL,"
    " serial_number TEXT NOT NULL,"
    " tested_by TEXT NOT NULL,"
    " standard TEXT NOT NULL,"
    " class_or_options TEXT NOT NULL,"
    " verdict TEXT NOT NULL,"
    " failures TEXT NOT NULL,"  // one a line
    " report_text TEXT NOT NULL)",
    "CREATE INDEX tests_tested_at ON tests (tested_at)",
    "CREATE TABLE test_files ("
    " test_id BIGINT NOT NULL REFERENCES tests (id) ON DELETE CASCADE,"
    " role TEXT NOT NULL,"
    " path TEXT NOT NULL,"
    " sha256 TEXT NOT NULL,"
    " size BIGINT NOT NULL,"
    " contents %BLOB%,"
    " PRIMARY KEY (test_id, role))",
    "CREATE INDEX test_files_sha256 ON test_files (sha256)",
};

const QStringList kVersion2{
    "ALTER TABLE tests ADD COLUMN station TEXT NOT NULL DEFAULT ''",
    "ALTER TABLE tests ADD COLUMN uid TEXT",
    // Entries of version 1 get an identity of their own.
    "UPDATE tests SET uid = 'v1-' || CAST(id AS TEXT) WHERE uid IS NULL",
    "CREATE UNIQUE INDEX tests_uid ON tests (uid)",
    "CREATE TABLE outbox ("
    " uid TEXT PRIMARY KEY,"
    " queued_at TEXT NOT NULL,"
    " attempts INTEGER NOT NULL DEFAULT 0,"
    " last_error TEXT NOT NULL DEFAULT '')",
};

QString Spelled(QString statement, bool server) {
  statement.replace(QStringLiteral("%SERIAL%"), server ? QStringLiteral("BIGSERIAL") : QStringLiteral("INTEGER"));
  statement.replace(QStringLiteral("%BLOB%"), server ? QStringLiteral("BYTEA") : QStringLiteral("BLOB"));
  return statement;
}

QString StepError(const QSqlQuery& query, int version) {
  return QStringLiteral("the archive could not be brought to version %1: %2")
      .arg(version)
      .arg(query.lastError().text());
}

}  // namespace

bool IsServerDatabase(const QSqlDatabase& db) { return db.driverName() == QLatin1String("QPSQL"); }

int ArchiveSchemaVersion(QSqlDatabase& db) {
  if (!db.tables().contains(QStringLiteral("archive_schema"))) return db.tables().isEmpty() ? 0 : -1;
  QSqlQuery query(db);
  if (!query.exec(QStringLiteral("SELECT version FROM archive_schema")) || !query.next()) return -1;
  return query.value(0).toInt();
}

QString MigrateArchive(QSqlDatabase& db, int target) {
  const int found = ArchiveSchemaVersion(db);
  if (found < 0) return QStringLiteral("the database holds other tables, or its version cannot be read");
  if (found > kArchiveSchemaVersion)
    return QStringLiteral("the archive is of version %1, newer than this program knows (%2); it is left as it is")
        .arg(found)
        .arg(kArchiveSchemaVersion);
  const QList<const QStringList*> steps{&kVersion1, &kVersion2};
  const bool server = IsServerDatabase(db);
  for (int version = found + 1; version <= target && version <= kArchiveSchemaVersion; ++version) {
    if (!db.transaction()) return StepError(QSqlQuery(db), version);
    QSqlQuery query(db);
    for (const QString& statement : *steps[version - 1]) {
      if (!query.exec(Spelled(statement, server))) {
        const QString error = StepError(query, version);
        db.rollback();
        return error;
      }
    }
    if (!query.exec(QStringLiteral("UPDATE archive_schema SET version = %1").arg(version)) || !db.commit()) {
      const QString error = StepError(query, version);
      db.rollback();
      return error;
    }
  }
  return {};
}
