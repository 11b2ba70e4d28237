#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QStringList>
#include <QTimer>

// Watches a set of folders and says once, after a burst of changes has
// settled, that something in them changed. A folder that does not exist
// yet is watched through the nearest folder above it, so that its coming
// is seen too; the owner gives the set again after each change.
class FolderWatch : public QObject {
  Q_OBJECT

 public:
  // How long a burst of changes (a node, then its links) is let settle.
  static constexpr int kSettleMilliseconds = 50;

  explicit FolderWatch(QObject* parent = nullptr);

  // Watches these folders from now on, and no others; an empty set stops.
  void Watch(QStringList folders);
  void Stop();

 signals:
  void Changed();

 private:
  QFileSystemWatcher watcher_;
  QTimer settle_;
};
