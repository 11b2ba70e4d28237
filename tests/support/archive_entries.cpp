#include "support/archive_entries.h"

#include <QFile>
#include <QSqlQuery>

#include "archive/archive_files.h"

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
         {QVariant(e.reportNumber), QVariant(e.testedAt.toUTC().toString(Qt::ISODate)),
          QVariant(e.testedAt.toString(Qt::ISODate)), QVariant(e.durationSeconds), QVariant(e.equipment),
          QVariant(e.serialNumber), QVariant(e.testedBy), QVariant(e.standard), QVariant(e.classOrOptions),
          QVariant(e.verdict), QVariant(e.failures.join(QLatin1Char('\n'))), QVariant(e.reportText),
          QVariant(e.station), QVariant(e.uid.isEmpty() ? QStringLiteral("test-%1").arg(i) : e.uid)})
      test.addBindValue(value);
    if (!test.exec()) break;
    const qint64 id = test.lastInsertId().toLongLong();
    for (const ArchiveFile& f : e.files) {
      for (const QVariant& value : {QVariant(id), QVariant(f.role), QVariant(f.path), QVariant(QString::fromLatin1(f.sha256)),
                                    QVariant(f.size), f.bytes.isEmpty() ? QVariant() : QVariant(f.bytes)})
        file.addBindValue(value);
      if (!file.exec()) {
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
