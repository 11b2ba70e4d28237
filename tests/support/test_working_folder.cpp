#include "support/test_working_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

TestWorkingFolder::TestWorkingFolder(Marks marks) : previous_(QDir::currentPath()) {
  if (!folder_.isValid()) return;
  QDir::setCurrent(folder_.path());
  if (marks == Marks::With) CopyMarkBitmaps(folder_.path());
}

TestWorkingFolder::~TestWorkingFolder() {
  QDir::setCurrent(previous_);
  if (folder_.isValid()) KeepRecordings(folder_.path());
}

void KeepRecordings(const QString& folder) {
  const QString keep = qEnvironmentVariable("VELTRIX_KEEP_RECORDINGS");
  if (keep.isEmpty()) return;
  static int kept = 0;
  QDirIterator found(folder, {QStringLiteral("*.qxr")}, QDir::Files, QDirIterator::Subdirectories);
  while (found.hasNext()) {
    const QFileInfo recording(found.next());
    QFile::copy(recording.filePath(), QStringLiteral("%1/%2-%3-%4").arg(keep, QCoreApplication::applicationName())
                                          .arg(++kept).arg(recording.fileName()));
  }
}

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
