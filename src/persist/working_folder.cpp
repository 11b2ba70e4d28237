#include "persist/working_folder.h"

#include <QDir>

QString WorkingFolderPath(const QString& fileName) {
  const QDir folder = QDir::current();
  if (folder.exists(fileName)) return folder.filePath(fileName);
  const QStringList entries = folder.entryList(QDir::Files | QDir::System | QDir::Hidden);
  for (const QString& entry : entries) {
    if (entry.compare(fileName, Qt::CaseInsensitive) == 0) return folder.filePath(entry);
  }
  return folder.filePath(fileName);
}
