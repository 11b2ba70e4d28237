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
    // A search anywhere in a test's texts is found through an index of
    // their three-letter pieces rather than by reading every report. On a
    // station: a full-text table of the texts, kept by triggers.
    "%STATION%CREATE VIRTUAL TABLE tests_search USING fts5(%TEXTS%, content='tests', content_rowid='id',"
    " tokenize='trigram')",
    "%STATION%INSERT INTO tests_search (tests_search) VALUES ('rebuild')",
    "%STATION%CREATE TRIGGER tests_search_insert AFTER INSERT ON tests BEGIN"
    " INSERT INTO tests_search (rowid, %TEXTS%) VALUES (new.id, %NEW%); END",
    "%STATION%CREATE TRIGGER tests_search_delete AFTER DELETE ON tests BEGIN"
    " INSERT INTO tests_search (tests_search, rowid, %TEXTS%) VALUES ('delete', old.id, %OLD%); END",
    "%STATION%CREATE TRIGGER tests_search_update AFTER UPDATE ON tests BEGIN"
    " INSERT INTO tests_search (tests_search, rowid, %TEXTS%) VALUES ('delete', old.id, %OLD%);"
    " INSERT INTO tests_search (rowid, %TEXTS%) VALUES (new.id, %NEW%); END",
    // On a server: a trigram index of the texts joined, where the server
    // lets the archive's owner add the trigram extension (without it the
    // search reads every test, as before).
    "%SERVER%SAVEPOINT trigrams",
    "%SERVER%%OPTIONAL%CREATE EXTENSION IF NOT EXISTS pg_trgm",
    "%SERVER%%OPTIONAL%CREATE INDEX tests_search ON tests USING gin ((%JOINED%) gin_trgm_ops)",
    "%SERVER%RELEASE SAVEPOINT trigrams",
};

// The texts a search looks in, in a full-text table's column order.
const QStringList kSearchedTexts{"equipment", "serial_number", "tested_by", "standard", "class_or_options",
                                 "verdict",   "failures",      "station",   "report_text"};

QString Prefixed(const QString& prefix) {
  QStringList columns;
  for (const QString& column : kSearchedTexts) columns << prefix + column;
  return columns.join(QLatin1String(", "));
}

QString Spelled(QString statement, bool server) {
  statement.replace(QStringLiteral("%TEXTS%"), Prefixed({}));
  statement.replace(QStringLiteral("%NEW%"), Prefixed(QStringLiteral("new.")));
  statement.replace(QStringLiteral("%OLD%"), Prefixed(QStringLiteral("old.")));
  statement.replace(QStringLiteral("%JOINED%"), ArchiveSearchedText());
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

QString ArchiveSearchedText() {
  QStringList parts;
  for (const QString& column : kSearchedTexts) parts << column;
  return QStringLiteral("lower(") + parts.join(QLatin1String(" || chr(10) || ")) + QLatin1Char(')');
}

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
    for (QString statement : *steps[version - 1]) {
      // Some statements are for one kind of database only.
      if (statement.startsWith(QLatin1String("%STATION%")) || statement.startsWith(QLatin1String("%SERVER%"))) {
        const bool forServer = statement.startsWith(QLatin1String("%SERVER%"));
        if (forServer != server) continue;
        statement.remove(0, statement.indexOf(QLatin1Char('%'), 1) + 1);
      }
      // An optional statement that fails is let go: the step goes on from
      // the savepoint before it.
      if (statement.startsWith(QLatin1String("%OPTIONAL%"))) {
        statement.remove(0, 10);
        if (!query.exec(Spelled(statement, server))) query.exec(QStringLiteral("ROLLBACK TO SAVEPOINT trigrams"));
        continue;
      }
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
