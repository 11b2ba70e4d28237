#include "archive/history_export.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "archive/archive_files.h"
#include "archive/history_listing.h"
#include "persist/safe_file_writer.h"

QString FreePath(const QString& path) {
  if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink()) return path;
  const QFileInfo info(path);
  const QString name = info.fileName();
  const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
  const QString base = dot > 0 ? name.left(dot) : name;
  const QString extension = dot > 0 ? name.mid(dot) : QString();
  for (int n = 2;; ++n) {
    const QString candidate = info.dir().filePath(QStringLiteral("%1 (%2)%3").arg(base).arg(n).arg(extension));
    if (!QFileInfo::exists(candidate) && !QFileInfo(candidate).isSymLink()) return candidate;
  }
}

HistoryExport ExportHistory(const QList<ArchiveEntry>& entries, const QString& folder) {
  HistoryExport result;
  const QDir root(QDir(folder).absolutePath());
  if (!QDir().mkpath(root.absolutePath())) {
    result.problems << QStringLiteral("%1: the folder cannot be made").arg(folder);
    return result;
  }
  QJsonArray manifest;
  for (const ArchiveEntry& entry : entries) {
    QJsonObject object = EntryJson(entry);
    const QString subfolder = QFileInfo(FreePath(root.filePath(QStringLiteral("test-%1").arg(entry.id)))).fileName();
    if (!root.mkpath(subfolder)) {
      result.problems << QStringLiteral("%1: the folder cannot be made").arg(root.filePath(subfolder));
      continue;
    }
    QJsonArray files = object.value(QStringLiteral("files")).toArray();
    for (qsizetype i = 0; i < entry.files.size(); ++i) {
      const ArchiveFile& file = entry.files[i];
      QJsonObject described = files[i].toObject();
      QFile source(file.path);
      if (!source.open(QIODevice::ReadOnly)) {
        result.problems << QStringLiteral("%1: %2").arg(file.path, FileStateText(FileState::Missing));
        files[i] = described;
        continue;
      }
      const QByteArray bytes = source.readAll();
      const QString target = FreePath(root.filePath(subfolder + QLatin1Char('/') + QFileInfo(file.path).fileName()));
      if (const QString error = SaveFileBytesOrError(target, bytes); !error.isEmpty()) {
        result.problems << QStringLiteral("%1: %2").arg(target, error);
      } else {
        described.insert(QStringLiteral("copy"), root.relativeFilePath(target));
        ++result.copied;
      }
      files[i] = described;
    }
    object.insert(QStringLiteral("files"), files);
    manifest.append(object);
  }
  const QString manifestPath = FreePath(root.filePath(QStringLiteral("manifest.json")));
  if (const QString error = SaveFileBytesOrError(manifestPath, QJsonDocument(manifest).toJson(QJsonDocument::Indented));
      !error.isEmpty()) {
    result.problems << QStringLiteral("%1: %2").arg(manifestPath, error);
  } else {
    result.manifest = manifestPath;
  }
  return result;
}
