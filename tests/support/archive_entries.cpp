#include "support/archive_entries.h"

#include <QFile>
#include <QDebug>
#include <QSqlError>
#include <QSqlQuery>

#include "archive/archive_files.h"

namespace {

// Text columns are NOT NULL: an empty text is bound as one, not as NULL.
QVariant Text(const QString& text) { return text.isNull() ? QVariant(QStringLiteral("")) : QVariant(text); }

}  // namespace

bool InsertArchiveEntries(QSqlDatabase& db, int count, const std::function<ArchiveEntry(int)>& entry) {
  if (!db.transaction()) return false;
  QSqlQuery test(db);
  QSqlQuery file(db);
  const bool prepared =
      test.prepare(QStringLiteral(
          "INSERT INTO tests (report_number, tested_at, local_time, duration_s, equipment, serial_number,"
          " tested_by, standard, class_or_options, verdict, failures, report_text, station, uid)"
          " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")) &&
      file.prepare(QStringLiteral(
          "INSERT INTO test_files (test_id, role, path, sha256, size, contents) VALUES (?, ?, ?, ?, ?, ?)"));
  for (int i = 0; prepared && i < count; ++i) {
    const ArchiveEntry e = entry(i);
    for (const QVariant& value :
         {QVariant(e.reportNumber), Text(e.testedAt.toUTC().toString(Qt::ISODate)),
          Text(e.testedAt.toString(Qt::ISODate)), QVariant(e.durationSeconds), Text(e.equipment),
          Text(e.serialNumber), Text(e.testedBy), Text(e.standard), Text(e.classOrOptions), Text(e.verdict),
          Text(e.failures.join(QLatin1Char('\n'))), Text(e.reportText), Text(e.station),
          Text(e.uid.isEmpty() ? QStringLiteral("test-%1").arg(i) : e.uid)})
      test.addBindValue(value);
    if (!test.exec()) {
      qWarning() << "archive entry" << i << test.lastError().text();
      break;
    }
    const qint64 id = test.lastInsertId().toLongLong();
    for (const ArchiveFile& f : e.files) {
      for (const QVariant& value : {QVariant(id), QVariant(f.role), QVariant(f.path), QVariant(QString::fromLatin1(f.sha256)),
                                    QVariant(f.size), f.bytes.isEmpty() ? QVariant() : QVariant(f.bytes)})
        file.addBindValue(value);
      if (!file.exec()) {
        qWarning() << "archived file" << f.path << file.lastError().text();
        db.rollback();
        return false;
      }
    }
    if (i == count - 1) return db.commit();
  }
  db.rollback();
  return count == 0 && prepared;
}

bool InsertArchiveEntries(QSqlDatabase& db, const QList<ArchiveEntry>& entries) {
  return InsertArchiveEntries(db, int(entries.size()), [&](int i) { return entries[i]; });
}

ArchiveFile WriteArchivedFile(const QString& role, const QString& path, const QByteArray& bytes) {
  QFile out(path);
  if (out.open(QIODevice::WriteOnly)) out.write(bytes);
  return {role, path, ArchiveHash(bytes), bytes.size(), {}};
}
