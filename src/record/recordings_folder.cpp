#include "record/recordings_folder.h"

#include <QDir>
#include <QFileInfo>

#include "record/recording_format.h"

namespace {

QFileInfoList Recordings(const QString& folder) {
  return QDir(folder).entryInfoList({QStringLiteral("*.") + QLatin1String(kRecordingExtension)}, QDir::Files,
                                    QDir::Name);
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
