#include "app/link_recovery.h"

#include <QDir>
#include <QFileInfo>

namespace {

// Links followed before the way is taken for a loop.
constexpr int kMostLinks = 16;

// The folders of each name on the way from `path` to what it finally
// names, as far as the way goes now.
QStringList FoldersOnTheWay(QString path) {
  QStringList folders{QDir::currentPath()};  // where COM<n> is made again
  for (int hop = 0; hop < kMostLinks; ++hop) {
    const QFileInfo name(path);
    folders << name.absolutePath();
    if (!name.isSymLink()) break;
    path = name.symLinkTarget();
  }
  return folders;
}

}  // namespace

LinkRecovery::LinkRecovery(PortPath portPath, Reopen reopen, QObject* parent)
    : QObject(parent), portPath_(std::move(portPath)), reopen_(std::move(reopen)), folders_(this) {
  again_.setSingleShot(true);
  again_.setInterval(kRetryMilliseconds);
  connect(&again_, &QTimer::timeout, this, &LinkRecovery::Look);
  connect(&folders_, &FolderWatch::Changed, this, &LinkRecovery::Look);
}

void LinkRecovery::Follow() {
  following_ = true;
  Look();
}

void LinkRecovery::Stop() {
  following_ = false;
  folders_.Stop();
  again_.stop();
}

void LinkRecovery::Look() {
  if (!following_) return;
  const QString path = portPath_();
  // Watched again each time: a folder on the way may have come or gone.
  folders_.Watch(FoldersOnTheWay(path));
  if (!QFileInfo::exists(path)) {
    again_.stop();
    return;
  }
  if (reopen_()) {
    Stop();
    return;
  }
  again_.start();
}
