#include "app/folder_watch.h"

#include <QDir>
#include <QFileInfo>

FolderWatch::FolderWatch(QObject* parent) : QObject(parent) {
  settle_.setSingleShot(true);
  settle_.setInterval(kSettleMilliseconds);
  connect(&settle_, &QTimer::timeout, this, &FolderWatch::Changed);
  connect(&watcher_, &QFileSystemWatcher::directoryChanged, &settle_, qOverload<>(&QTimer::start));
}

void FolderWatch::Watch(QStringList folders) {
  for (QString& folder : folders) {
    folder = QFileInfo(folder).absoluteFilePath();
    while (!QFileInfo(folder).isDir() && folder != QDir::rootPath()) folder = QFileInfo(folder).absolutePath();
  }
  folders.removeDuplicates();
  QStringList stale = watcher_.directories();
  for (const QString& folder : folders) stale.removeAll(folder);
  if (!stale.isEmpty()) watcher_.removePaths(stale);
  QStringList fresh;
  for (const QString& folder : folders) {
    if (!watcher_.directories().contains(folder)) fresh << folder;
  }
  if (!fresh.isEmpty()) watcher_.addPaths(fresh);
}

void FolderWatch::Stop() {
  Watch({});
  settle_.stop();
}
