#include "link/port_binding.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

#include "persist/working_folder.h"

namespace {

// COM<n> of the working folder: the name as written when it is there (no
// other spelling comes before it), else whatever spelling the folder has.
QString ComEntry(quint16 comNumber) {
  const QString name = QStringLiteral("COM%1").arg(comNumber);
  const QFileInfo exact(QDir::current().filePath(name));
  if (exact.isSymLink() || exact.exists()) return exact.filePath();
  return WorkingFolderPath(name);
}

QString SystemReason() { return QString::fromLocal8Bit(std::strerror(errno)); }

// What an entry that is not a link is, for a message.
QString KindOf(const QFileInfo& entry) {
  if (entry.isDir()) return QStringLiteral("a folder");
  if (entry.isFile()) return QStringLiteral("a file");
  return QStringLiteral("a device or special file");
}

// Makes `entry` a link to `target` in one step: the link is made under a
// temporary name in the same folder and renamed over `entry`, which is
// absent or a link (the callers see to that).
bool LinkAtomically(const QString& entry, const QString& target, QString* error) {
  const QFileInfo info(entry);
  const QString temporary = info.absolutePath() + QStringLiteral("/.") + info.fileName() + QStringLiteral(".new");
  const QByteArray temporaryName = QFile::encodeName(temporary);
  // A link left behind by a binding cut short is ours to remove; anything
  // else of that name makes the symlink below fail with its reason.
  if (QFileInfo(temporary).isSymLink()) ::unlink(temporaryName.constData());
  if (::symlink(QFile::encodeName(target).constData(), temporaryName.constData()) != 0) {
    if (error) *error = QStringLiteral("%1 cannot be made a link to %2: %3").arg(entry, target, SystemReason());
    return false;
  }
  if (::rename(temporaryName.constData(), QFile::encodeName(entry).constData()) != 0) {
    const QString reason = SystemReason();
    ::unlink(temporaryName.constData());
    if (error) *error = QStringLiteral("%1 cannot be made a link to %2: %3").arg(entry, target, reason);
    return false;
  }
  return true;
}

// The link's own text, as it was made (relative or not), to make it again.
QString LinkText(const QString& link) {
  QByteArray text(4096, '\0');
  const ssize_t length = ::readlink(QFile::encodeName(link).constData(), text.data(), text.size());
  return length < 0 ? QString() : QFile::decodeName(text.left(length));
}

}  // namespace

QString ComLinkTarget(quint16 comNumber) {
  const QFileInfo entry(ComEntry(comNumber));
  return entry.isSymLink() ? entry.symLinkTarget() : QString();
}

BindResult BindComPort(quint16 comNumber, const QString& target,
                       const std::function<bool(const QString& question)>& confirmReplace, QString* error,
                       ComLinkBefore* before) {
  const QString entry = ComEntry(comNumber);
  const QFileInfo existing(entry);
  QString previous;
  if (existing.isSymLink()) {
    if (existing.symLinkTarget() == QFileInfo(target).absoluteFilePath()) return BindResult::Unchanged;
    previous = LinkText(entry);
    const QString question = QStringLiteral("%1 in the working folder is a link to %2.\nMake it a link to %3 instead?")
                                 .arg(existing.fileName(), existing.symLinkTarget(), target);
    if (!confirmReplace(question)) return BindResult::Declined;
  } else if (existing.exists()) {
    if (error) {
      *error = QStringLiteral("%1 in the working folder is %2, not a link; it is left alone.\n"
                              "Rename or remove it to link the number to %3.")
                   .arg(existing.fileName(), KindOf(existing), target);
    }
    return BindResult::Failed;
  }
  if (!LinkAtomically(entry, target, error)) return BindResult::Failed;
  if (before) before->Target = previous;
  return BindResult::Bound;
}

QString RestoreComPort(quint16 comNumber, const ComLinkBefore& before) {
  const QString entry = ComEntry(comNumber);
  const QString name = QFileInfo(entry).fileName();
  if (!before.Target.isEmpty()) {
    QString error;
    if (!LinkAtomically(entry, before.Target, &error)) return QStringLiteral("%1 could not be put back: %2").arg(name, error);
    return QStringLiteral("%1 leads to %2 again.").arg(name, before.Target);
  }
  if (QFileInfo(entry).isSymLink() && ::unlink(QFile::encodeName(entry).constData()) != 0) {
    return QStringLiteral("%1 could not be removed again: %2").arg(name, SystemReason());
  }
  return QStringLiteral("%1, made for the device chosen, was removed again.").arg(name);
}
