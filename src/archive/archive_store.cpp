#include "archive/archive_store.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include "archive/archive_schema.h"

namespace {

QString Failed(const QSqlQuery& query) { return query.lastError().text(); }

// Runs a prepared statement with its values; empty on success.
QString Run(QSqlQuery& query, const QString& statement, const QVariantList& values) {
  if (!query.prepare(statement)) return Failed(query);
  for (const QVariant& value : values) query.addBindValue(value);
  return query.exec() ? QString() : Failed(query);
}

// A text for a NOT NULL column: the drivers bind a null string as NULL.
QString Text(const QString& text) { return text.isNull() ? QString(QLatin1String("")) : text; }

QVariantList EntryValues(const ArchiveEntry& entry) {
  return {static_cast<qint64>(entry.reportNumber),
          Text(entry.testedAt.toUTC().toString(Qt::ISODate)),
          Text(entry.testedAt.toOffsetFromUtc(entry.testedAt.offsetFromUtc()).toString(Qt::ISODate)),
          entry.durationSeconds,
          Text(entry.equipment),
          Text(entry.serialNumber),
          Text(entry.testedBy),
          Text(entry.standard),
          Text(entry.classOrOptions),
          Text(entry.verdict),
          Text(entry.failures.join(QLatin1Char('\n'))),
          Text(entry.reportText),
          Text(entry.station)};
}

const QString kEntryColumns = QStringLiteral(
    "id, uid, station, report_number, local_time, duration_s, equipment, serial_number, tested_by, standard,"
    " class_or_options, verdict, failures, report_text");

ArchiveEntry EntryOf(const QSqlQuery& row) {
  ArchiveEntry entry;
  entry.id = row.value(0).toLongLong();
  entry.uid = row.value(1).toString();
  entry.station = row.value(2).toString();
  entry.reportNumber = static_cast<quint32>(row.value(3).toLongLong());
  entry.testedAt = QDateTime::fromString(row.value(4).toString(), Qt::ISODate);
  entry.durationSeconds = row.value(5).toLongLong();
  entry.equipment = row.value(6).toString();
  entry.serialNumber = row.value(7).toString();
  entry.testedBy = row.value(8).toString();
  entry.standard = row.value(9).toString();
  entry.classOrOptions = row.value(10).toString();
  entry.verdict = row.value(11).toString();
  const QString failures = row.value(12).toString();
  if (!failures.isEmpty()) entry.failures = failures.split(QLatin1Char('\n'));
  entry.reportText = row.value(13).toString();
  return entry;
}

}  // namespace

QList<ArchiveFile> ReadEntryFiles(QSqlDatabase& db, qint64 id, bool withContents, QString* error) {
  QList<ArchiveFile> files;
  QSqlQuery query(db);
  const QString failed =
      Run(query,
          QStringLiteral("SELECT role, path, sha256, size, %1 FROM test_files WHERE test_id = ? ORDER BY role")
              .arg(withContents ? QStringLiteral("contents") : QStringLiteral("NULL")),
          {id});
  if (!failed.isEmpty()) {
    if (error != nullptr) *error = failed;
    return files;
  }
  while (query.next()) {
    ArchiveFile file;
    file.role = query.value(0).toString();
    file.path = query.value(1).toString();
    file.sha256 = query.value(2).toString().toLatin1();
    file.size = query.value(3).toLongLong();
    file.bytes = query.value(4).toByteArray();
    files << file;
  }
  return files;
}

namespace {

QString ReadFiles(QSqlDatabase& db, ArchiveEntry& entry) {
  QString error;
  entry.files = ReadEntryFiles(db, entry.id, false, &error);
  return error;
}

void SetError(QString* error, const QString& text) {
  if (error != nullptr) *error = text;
}

}  // namespace

QString BeginWriting(QSqlDatabase& db) {
  if (IsServerDatabase(db)) return db.transaction() ? QString() : db.lastError().text();
  QSqlQuery begin(db);
  return begin.exec(QStringLiteral("BEGIN IMMEDIATE")) ? QString() : Failed(begin);
}

QString UpsertEntry(QSqlDatabase& db, ArchiveEntry& entry) {
  QSqlQuery query(db);
  if (const QString error = Run(query, QStringLiteral("SELECT id FROM tests WHERE uid = ?"), {entry.uid}); !error.isEmpty())
    return error;
  // The archive's numbers start at 1: 0 is no entry of this identity yet.
  const qint64 existing = query.next() ? query.value(0).toLongLong() : 0;
  QVariantList values = EntryValues(entry);
  if (existing > 0) {
    values << existing;
    if (const QString error = Run(query,
                                  QStringLiteral("UPDATE tests SET report_number = ?, tested_at = ?, local_time = ?,"
                                                 " duration_s = ?, equipment = ?, serial_number = ?, tested_by = ?,"
                                                 " standard = ?, class_or_options = ?, verdict = ?, failures = ?,"
                                                 " report_text = ?, station = ? WHERE id = ?"),
                                  values);
        !error.isEmpty())
      return error;
    entry.id = existing;
  } else {
    values << entry.uid;
    if (const QString error = Run(query,
                                  QStringLiteral("INSERT INTO tests (report_number, tested_at, local_time, duration_s,"
                                                 " equipment, serial_number, tested_by, standard, class_or_options,"
                                                 " verdict, failures, report_text, station, uid)"
                                                 " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                                  values);
        !error.isEmpty())
      return error;
    entry.id = query.lastInsertId().toLongLong();
  }
  for (const ArchiveFile& file : entry.files) {
    if (const QString error = Run(query, QStringLiteral("DELETE FROM test_files WHERE test_id = ? AND role = ?"),
                                  {entry.id, file.role});
        !error.isEmpty())
      return error;
    const QVariant contents = file.bytes.isEmpty() ? QVariant(QMetaType(QMetaType::QByteArray)) : QVariant(file.bytes);
    if (const QString error = Run(query,
                                  QStringLiteral("INSERT INTO test_files (test_id, role, path, sha256, size, contents)"
                                                 " VALUES (?, ?, ?, ?, ?, ?)"),
                                  {entry.id, Text(file.role), Text(file.path), Text(QString::fromLatin1(file.sha256)), file.size, contents});
        !error.isEmpty())
      return error;
  }
  return {};
}

QString FileEntry(QSqlDatabase& db, ArchiveEntry& entry) {
  if (const QString error = BeginWriting(db); !error.isEmpty()) return error;
  QString error = UpsertEntry(db, entry);
  if (error.isEmpty() && !db.commit()) error = db.lastError().text();
  if (!error.isEmpty()) db.rollback();
  return error;
}

std::optional<ArchiveEntry> ReadEntry(QSqlDatabase& db, qint64 id, QString* error) {
  QSqlQuery query(db);
  if (const QString failed = Run(query, QStringLiteral("SELECT ") + kEntryColumns + QStringLiteral(" FROM tests WHERE id = ?"), {id});
      !failed.isEmpty()) {
    SetError(error, failed);
    return std::nullopt;
  }
  if (!query.next()) {
    SetError(error, QStringLiteral("the archive holds no test %1").arg(id));
    return std::nullopt;
  }
  ArchiveEntry entry = EntryOf(query);
  if (const QString failed = ReadFiles(db, entry); !failed.isEmpty()) {
    SetError(error, failed);
    return std::nullopt;
  }
  return entry;
}

QList<ArchiveEntry> ListEntries(QSqlDatabase& db, const ArchiveQuery& archiveQuery, QString* error) {
  const ArchiveSelection selection = SelectArchive(archiveQuery);
  QSqlQuery query(db);
  QList<ArchiveEntry> entries;
  if (const QString failed = Run(query, QStringLiteral("SELECT ") + kEntryColumns + QStringLiteral(" FROM tests") + selection.clause,
                                 selection.values);
      !failed.isEmpty()) {
    SetError(error, failed);
    return {};
  }
  while (query.next()) entries << EntryOf(query);
  for (ArchiveEntry& entry : entries) {
    if (const QString failed = ReadFiles(db, entry); !failed.isEmpty()) {
      SetError(error, failed);
      return {};
    }
  }
  return entries;
}

bool IsFileArchived(QSqlDatabase& db, const QByteArray& sha256, QString* error) {
  QSqlQuery query(db);
  if (const QString failed = Run(query, QStringLiteral("SELECT 1 FROM test_files WHERE sha256 = ?"), {QString::fromLatin1(sha256)});
      !failed.isEmpty()) {
    SetError(error, failed);
    return false;
  }
  return query.next();
}

QList<FileState> VerifyEntry(const ArchiveEntry& entry) {
  QList<FileState> states;
  for (const ArchiveFile& file : entry.files) states << CheckArchivedFile(file);
  return states;
}
