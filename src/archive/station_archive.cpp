#include "archive/station_archive.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlError>

#include "archive/archive_database.h"
#include "archive/archive_files.h"
#include "archive/archive_store.h"
#include "archive/archive_sync.h"

StationArchive::StationArchive()
    : connection_(QStringLiteral("station-archive-%1").arg(reinterpret_cast<quintptr>(this), 0, 16)) {}

StationArchive::~StationArchive() {
  if (db_) {
    db_->close();
    db_.reset();
  }
  if (QSqlDatabase::contains(connection_)) QSqlDatabase::removeDatabase(connection_);
}

QSqlDatabase* StationArchive::Database(QString* error) {
  if (db_) return &*db_;
  if (QSqlDatabase::contains(connection_)) QSqlDatabase::removeDatabase(connection_);
  QSqlDatabase db = OpenStationArchive(QDir::current().absoluteFilePath(QString::fromLatin1(kStationArchiveName)),
                                       connection_, error);
  if (!db.isOpen()) return nullptr;
  db_ = db;
  return &*db_;
}

QList<ArchiveFile> ArchiveFilesOf(const QList<FiledFile>& files) {
  QList<ArchiveFile> filed;
  for (const FiledFile& file : files) {
    ArchiveFile archived;
    archived.role = file.role;
    archived.path = QFileInfo(file.path).absoluteFilePath();
    archived.sha256 = ArchiveHash(file.bytes);
    archived.size = file.bytes.size();
    filed << archived;
  }
  return filed;
}

ReportFiling::ReportFiling(QSqlDatabase* db, const QString& openError, bool forLabServer)
    : db_(db), error_(openError), forLabServer_(forLabServer) {}

ReportFiling::~ReportFiling() { Abandon(); }

void ReportFiling::Begin(ArchiveEntry entry) {
  if (db_ == nullptr) return;
  if (!db_->transaction()) {
    error_ = db_->lastError().text();
    return;
  }
  open_ = true;
  uid_ = entry.uid;
  error_ = UpsertEntry(*db_, entry);
}

void ReportFiling::Abandon() {
  if (!open_) return;
  db_->rollback();
  open_ = false;
}

QString ReportFiling::Finish() {
  if (!open_) return error_;
  if (error_.isEmpty() && forLabServer_) error_ = QueueForServer(*db_, uid_);
  if (error_.isEmpty() && !db_->commit()) error_ = db_->lastError().text();
  if (!error_.isEmpty()) db_->rollback();
  open_ = false;
  return error_;
}
