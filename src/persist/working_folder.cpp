#include "persist/working_folder.h"

#include <QDir>

QString WorkingFolderPath(const QString& fileName) {
  return PathIgnoringCase(QDir::current().filePath(fileName));
}

QString PathIgnoringCase(const QString& path) {
  const qsizetype nameStart = path.lastIndexOf(QLatin1Char('/')) + 1;
  const QString folderPart = path.left(nameStart);
  const QString name = path.mid(nameStart);
  if (name.isEmpty()) return path;
  const QDir folder(folderPart.isEmpty() ? QStringLiteral(".") : folderPart);
  QString found;
  const QStringList entries = folder.entryList(QDir::Files | QDir::System | QDir::Hidden, QDir::Unsorted);
  for (const QString& entry : entries) {
    if (entry.compare(name, Qt::CaseInsensitive) == 0 && (found.isEmpty() || entry < found)) found = entry;
  }
  return found.isEmpty() ? path : folderPart + found;
}
