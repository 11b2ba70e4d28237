#include "archive/station_archive.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>

#include "archive/archive_database.h"
#include "archive/archive_files.h"
#include "archive/archive_store.h"
#include "archive/archive_sync.h"

StationArchive::StationArchive()
    : connection_(QStringLiteral("station-archive-%1").arg(reinterpret_cast<quintptr>(this), 0, 16)) {}

StationArchive::~StationArchive() { Close(); }

void StationArchive::Close() {
  if (db_) {
    db_->close();
    db_.reset();
  }
  if (QSqlDatabase::contains(connection_)) QSqlDatabase::removeDatabase(connection_);
}

QSqlDatabase* StationArchive::Database(QString* error) {
  const QString log = path_ + QStringLiteral("-wal");
  if (db_ && ArchiveFileIdentity(path_) == identity_) {
    logIdentity_ = ArchiveFileIdentity(log);
    return &*db_;
  }
  if (db_) {
    // The file was taken away: its log, left at the path when it is closed,
    // belongs to it, not to the file now there, which would take the log's
    // pages in as its own.
    Close();
    if (!logIdentity_.isEmpty() && ArchiveFileIdentity(log) == logIdentity_) {
      QFile::remove(log);
      QFile::remove(path_ + QStringLiteral("-shm"));
    }
  }
  Close();
  logIdentity_.clear();
  path_ = QDir::current().absoluteFilePath(QString::fromLatin1(kStationArchiveName));
  QSqlDatabase db = OpenStationArchive(path_, connection_, error);
  if (!db.isOpen()) return nullptr;
  identity_ = ArchiveFileIdentity(path_);
  logIdentity_ = ArchiveFileIdentity(path_ + QStringLiteral("-wal"));
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
  if (error_ = BeginWriting(*db_); !error_.isEmpty()) return;
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
