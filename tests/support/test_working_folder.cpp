#include "support/test_working_folder.h"

#include <QDir>
#include <QFile>

TestWorkingFolder::TestWorkingFolder(Marks marks) : previous_(QDir::currentPath()) {
  if (!folder_.isValid()) return;
  QDir::setCurrent(folder_.path());
  if (marks == Marks::With) CopyMarkBitmaps(folder_.path());
}

TestWorkingFolder::~TestWorkingFolder() { QDir::setCurrent(previous_); }

QString SourceFilePath(const QString& relative) {
  return QStringLiteral(QX7300_SOURCE_DIR "/") + relative;
}

QByteArray FileBytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void CopyMarkBitmaps(const QString& folder) {
  const QString resources = SourceFilePath(QStringLiteral("resources/"));
  for (const char* name : {"tick.bmp", "cross.bmp", "fill.bmp", "tick@2x.bmp", "cross@2x.bmp"}) {
    QFile::copy(resources + QLatin1String(name), folder + QLatin1Char('/') + QLatin1String(name));
  }
}
