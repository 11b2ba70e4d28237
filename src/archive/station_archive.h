#pragma once

#include <QList>
#include <QSqlDatabase>
#include <QString>

#include <optional>

#include "archive/archive_entry.h"

// The station's archive as a window keeps it: opened on first use (the
// file in the working folder of that moment) and then kept open, one
// connection while its file stays where it is. An archive that cannot be
// opened is tried again at the next use; one whose file has been deleted,
// moved or replaced is closed and the file now at its path opened.
class StationArchive {
 public:
  StationArchive();
  ~StationArchive();
  StationArchive(const StationArchive&) = delete;
  StationArchive& operator=(const StationArchive&) = delete;

  // The open archive, or nullptr with `*error` saying why not.
  QSqlDatabase* Database(QString* error);

 private:
  void Close();

  QString connection_;
  QString path_;
  QByteArray identity_;
  // The write-ahead log this archive was last seen with.
  QByteArray logIdentity_;
  std::optional<QSqlDatabase> db_;
};

// A file saved with a report, and the role it is filed under ("text",
// "csv", "pdf", "setup", "recording").
struct FiledFile {
  QString role;
  QString path;
  QByteArray bytes;
};

// The files of an entry as saved now: absolute paths, SHA-256 and size.
QList<ArchiveFile> ArchiveFilesOf(const QList<FiledFile>& files);

// A report's entry written alongside its files: Begin writes it in an open
// transaction before the files are saved; Abandon takes it back (the files
// failed); Finish commits it (the files are saved). Where no archive is
// open, nothing is written, and Finish tells why. On a station with a lab's
// server, Finish also queues the entry for the server, its files' bytes
// read back as saved, in the same transaction.
class ReportFiling {
 public:
  // `db` nullptr: the archive could not be opened, for `openError`.
  ReportFiling(QSqlDatabase* db, const QString& openError, bool forLabServer = false);
  ~ReportFiling();
  ReportFiling(const ReportFiling&) = delete;
  ReportFiling& operator=(const ReportFiling&) = delete;

  void Begin(ArchiveEntry entry);
  void Abandon();
  // Empty when the entry is filed, else why it is not.
  QString Finish();

 private:
  QSqlDatabase* db_;
  QString error_;
  bool forLabServer_;
  QString uid_;
  bool open_ = false;
};
