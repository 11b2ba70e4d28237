#include "archive/archive_sync.h"

#include <QDateTime>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>
#include <QVariant>

#include "archive/archive_files.h"

namespace {

// The columns of a test that travel to the server, its number there aside.
const QStringList kTestColumns{"uid",       "station",         "report_number", "tested_at",   "local_time",
                               "duration_s", "equipment",      "serial_number", "tested_by",   "standard",
                               "class_or_options", "verdict",  "failures",      "report_text"};

QString Failed(const QSqlQuery& query) { return query.lastError().text(); }

// Notes a failed attempt on the entry's queue row.
void NoteAttempt(QSqlDatabase& station, const QString& uid, const QString& error) {
  QSqlQuery note(station);
  note.prepare(QStringLiteral("UPDATE outbox SET attempts = attempts + 1, last_error = ? WHERE uid = ?"));
  note.addBindValue(error);
  note.addBindValue(uid);
  note.exec();
}

// The entry's row and files put on the server in its transaction; empty on
// success.
QString PutOnServer(QSqlDatabase& station, QSqlDatabase& server, const QString& uid) {
  QSqlQuery test(station);
  test.prepare(QStringLiteral("SELECT id, %1 FROM tests WHERE uid = ?").arg(kTestColumns.join(QLatin1String(", "))));
  test.addBindValue(uid);
  if (!test.exec()) return Failed(test);
  if (!test.next()) return QStringLiteral("the entry is no longer in the station's archive");
  const qint64 stationId = test.value(0).toLongLong();

  QSqlQuery put(server);
  QStringList marks;
  QStringList updates;
  for (const QString& column : kTestColumns) {
    marks << QStringLiteral("?");
    if (column != QLatin1String("uid")) updates << column + QStringLiteral(" = excluded.") + column;
  }
  put.prepare(QStringLiteral("INSERT INTO tests (%1) VALUES (%2) ON CONFLICT (uid) DO UPDATE SET %3 RETURNING id")
                  .arg(kTestColumns.join(QLatin1String(", ")), marks.join(QLatin1String(", ")),
                       updates.join(QLatin1String(", "))));
  for (int i = 0; i < kTestColumns.size(); ++i) put.addBindValue(test.value(i + 1));
  if (!put.exec() || !put.next()) return Failed(put);
  const qint64 serverId = put.value(0).toLongLong();

  QSqlQuery files(station);
  files.prepare(QStringLiteral("SELECT role, path, sha256, size, contents FROM test_files WHERE test_id = ?"));
  files.addBindValue(stationId);
  if (!files.exec()) return Failed(files);
  while (files.next()) {
    QSqlQuery file(server);
    file.prepare(QStringLiteral(
        "INSERT INTO test_files (test_id, role, path, sha256, size, contents) VALUES (?, ?, ?, ?, ?, ?) "
        "ON CONFLICT (test_id, role) DO UPDATE SET path = excluded.path, sha256 = excluded.sha256, "
        "size = excluded.size, contents = excluded.contents"));
    file.addBindValue(serverId);
    for (int i = 0; i < 5; ++i) file.addBindValue(files.value(i));
    if (!file.exec()) return Failed(file);
  }
  return {};
}

}  // namespace

QString QueueForServer(QSqlDatabase& station, const QString& uid) {
  // The bytes the server will keep, taken while the files are as filed.
  QSqlQuery files(station);
  files.prepare(QStringLiteral(
      "SELECT test_files.test_id, role, path, sha256 FROM test_files JOIN tests ON tests.id = test_files.test_id "
      "WHERE tests.uid = ? AND test_files.contents IS NULL"));
  files.addBindValue(uid);
  if (!files.exec()) return Failed(files);
  while (files.next()) {
    QFile file(files.value(2).toString());
    if (!file.open(QIODevice::ReadOnly)) return file.fileName() + QStringLiteral(": ") + file.errorString();
    const QByteArray bytes = file.readAll();
    if (ArchiveHash(bytes) != files.value(3).toByteArray())
      return file.fileName() + QStringLiteral(": changed while it was being filed");
    QSqlQuery keep(station);
    keep.prepare(QStringLiteral("UPDATE test_files SET contents = ? WHERE test_id = ? AND role = ?"));
    keep.addBindValue(bytes);
    keep.addBindValue(files.value(0));
    keep.addBindValue(files.value(1));
    if (!keep.exec()) return Failed(keep);
  }
  QSqlQuery queue(station);
  // Queued again when it is queued already (another form of its report
  // saved meanwhile): a send under way then does not let it go.
  queue.prepare(QStringLiteral("INSERT INTO outbox (uid, queued_at) VALUES (?, ?) "
                               "ON CONFLICT (uid) DO UPDATE SET queued_at = excluded.queued_at"));
  queue.addBindValue(uid);
  queue.addBindValue(QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs));
  if (!queue.exec()) return Failed(queue);
  return {};
}

int QueuedCount(QSqlDatabase& station) {
  QSqlQuery count(station);
  if (!count.exec(QStringLiteral("SELECT COUNT(*) FROM outbox")) || !count.next()) return 0;
  return count.value(0).toInt();
}

SyncOutcome SendQueued(QSqlDatabase& station, QSqlDatabase& server) {
  SyncOutcome outcome;
  QList<std::pair<QString, QString>> queued;  // uid, when queued
  {
    QSqlQuery list(station);
    if (!list.exec(QStringLiteral("SELECT uid, queued_at FROM outbox ORDER BY queued_at, uid"))) {
      outcome.error = Failed(list);
      outcome.left = QueuedCount(station);
      return outcome;
    }
    while (list.next()) queued.append({list.value(0).toString(), list.value(1).toString()});
  }
  for (const auto& [uid, queuedAt] : queued) {
    QString error;
    if (!server.transaction()) {
      error = server.lastError().text();
    } else if (error = PutOnServer(station, server, uid); !error.isEmpty() || !server.commit()) {
      if (error.isEmpty()) error = server.lastError().text();
      server.rollback();
    }
    if (!error.isEmpty()) {
      NoteAttempt(station, uid, error);
      outcome.error = error;
      break;
    }
    // Acknowledged: the server has it, as it was queued. Were the station
    // to stop before the queue lets go, the entry goes again and updates
    // itself there; queued again meanwhile, it stays for the next round.
    if (!station.transaction()) continue;
    QSqlQuery done(station);
    done.prepare(QStringLiteral("DELETE FROM outbox WHERE uid = ? AND queued_at = ?"));
    done.addBindValue(uid);
    done.addBindValue(queuedAt);
    const bool removed = done.exec() && done.numRowsAffected() == 1;
    done.prepare(QStringLiteral(
        "UPDATE test_files SET contents = NULL WHERE test_id = (SELECT id FROM tests WHERE uid = ?)"));
    done.addBindValue(uid);
    if (removed && done.exec() && station.commit()) {
      ++outcome.sent;
    } else {
      station.rollback();
    }
  }
  outcome.left = QueuedCount(station);
  return outcome;
}
