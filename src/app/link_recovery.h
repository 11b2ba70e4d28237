#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>

#include "app/folder_watch.h"

// Finds a device that went away again. While it is followed, the folders of
// every name on the way from the port's name to the device node are watched
// (the working folder with COM<n>, a by-id or by-path folder, /dev); when
// the whole way leads to a device again, the owner is asked to reopen it. A
// device that is there but does not open yet (the system may still be
// giving it its group and mode) is asked for again shortly, for as long as
// it is there; a device that is missing costs nothing until a folder
// changes.
class LinkRecovery : public QObject {
  Q_OBJECT

 public:
  // The path the port opens now; true when the port is open again.
  using PortPath = std::function<QString()>;
  using Reopen = std::function<bool()>;

  // How soon a device that is there but did not open is asked for again.
  static constexpr int kRetryMilliseconds = 500;

  LinkRecovery(PortPath portPath, Reopen reopen, QObject* parent = nullptr);

  void Follow();
  void Stop();
  bool Following() const { return following_; }

 private:
  void Look();

  PortPath portPath_;
  Reopen reopen_;
  FolderWatch folders_;
  QTimer again_;
  bool following_ = false;
};
