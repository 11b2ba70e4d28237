#include "archive/report_import.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <optional>

#include "archive/archive_store.h"
#include "archive/entry_from_report.h"
#include "archive/station_archive.h"
#include "persist/configuration_file.h"
#include "persist/working_folder.h"
#include "record/recording_format.h"

namespace {

// Far more than any report the program writes: a larger file is not read
// in to find out that it is not one.
constexpr qint64 kLargestReport = qint64(16) << 20;

std::optional<QByteArray> Contents(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  return file.readAll();
}

}  // namespace

QString ImportSummary::Text() const {
  QString text = QStringLiteral("%1 report%2 imported, %3 skipped (already in the archive), %4 unreadable")
                     .arg(imported)
                     .arg(imported == 1 ? QString() : QStringLiteral("s"))
                     .arg(skipped)
                     .arg(unreadable.size());
  text += unreadable.isEmpty() ? QStringLiteral(".") : QStringLiteral(":");
  for (const QString& line : unreadable) text += QStringLiteral("\n  ") + line;
  if (!error.isEmpty()) text += QStringLiteral("\nThe import stopped: ") + error;
  return text;
}

ImportSummary ImportReports(QSqlDatabase& db, const QString& folder, const QString& station) {
  ImportSummary summary;
  const QDir dir(folder);
  const QStringList names = dir.entryList({QStringLiteral("*.TXT")}, QDir::Files, QDir::Name | QDir::IgnoreCase);
  for (const QString& name : names) {
    const QString path = dir.absoluteFilePath(name);
    if (QFileInfo(path).size() > kLargestReport) {
      summary.unreadable << name + QStringLiteral(": it is too large to be a report");
      continue;
    }
    const std::optional<QByteArray> report = Contents(path);
    if (!report) {
      summary.unreadable << name + QStringLiteral(": it cannot be read");
      continue;
    }
    QString error;
    const bool known = IsFileArchived(db, ArchiveHash(*report), &error);
    if (!error.isEmpty()) {
      summary.error = error;
      break;
    }
    if (known) {
      ++summary.skipped;
      continue;
    }
    const QString setupPath = PathIgnoringCase(CompanionConfigurationPath(path));
    const std::optional<QByteArray> setup = Contents(setupPath);
    QString why;
    std::optional<ArchiveEntry> entry = EntryFromReportText(*report, setup, &why);
    if (!entry) {
      summary.unreadable << name + QStringLiteral(": ") + why;
      continue;
    }
    entry->station = station;
    QList<FiledFile> files{{QStringLiteral("text"), path, *report}};
    if (setup) files << FiledFile{QStringLiteral("setup"), setupPath, *setup};
    const QString recordingPath = RecordingPathForReport(path);
    if (const std::optional<QByteArray> recording = Contents(recordingPath))
      files << FiledFile{QStringLiteral("recording"), recordingPath, *recording};
    entry->files = ArchiveFilesOf(files);
    if (const QString failed = FileEntry(db, *entry); !failed.isEmpty()) {
      summary.error = failed;
      break;
    }
    ++summary.imported;
  }
  return summary;
}
