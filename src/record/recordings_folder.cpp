#include "record/recordings_folder.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include "record/recording_format.h"

namespace {

// The recordings the program made there, named after their start
// (2026-12-08_101530_123.qxr), oldest first. Anything else there (a report
// saved into the folder with its recording) is the operator's, neither
// counted nor removed.
QFileInfoList Recordings(const QString& folder) {
  static const QRegularExpression kMadeHere(
      QStringLiteral("^\\d{4}-\\d{2}-\\d{2}_\\d{6}_\\d{3}\\.%1$").arg(QLatin1String(kRecordingExtension)),
      QRegularExpression::CaseInsensitiveOption);
  QFileInfoList recordings;
  for (const QFileInfo& file : QDir(folder).entryInfoList(
           {QStringLiteral("*.") + QLatin1String(kRecordingExtension)}, QDir::Files, QDir::Name)) {
    if (kMadeHere.match(file.fileName()).hasMatch()) recordings << file;
  }
  return recordings;
}

}  // namespace

qint64 RecordingsFolderUse(const QString& folder) {
  qint64 bytes = 0;
  for (const QFileInfo& recording : Recordings(folder)) bytes += recording.size();
  return bytes;
}

QStringList PruneRecordings(const QString& folder, qint64 limitBytes, const QStringList& keep) {
  QStringList removed;
  QStringList kept;
  for (const QString& path : keep) kept << QFileInfo(path).absoluteFilePath();
  const QFileInfoList recordings = Recordings(folder);
  qint64 bytes = 0;
  for (const QFileInfo& recording : recordings) bytes += recording.size();
  for (const QFileInfo& recording : recordings) {
    if (bytes <= limitBytes) break;
    if (kept.contains(recording.absoluteFilePath())) continue;
    if (!QFile::remove(recording.absoluteFilePath())) continue;
    bytes -= recording.size();
    removed << recording.fileName();
  }
  return removed;
}
