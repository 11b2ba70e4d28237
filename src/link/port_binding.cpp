#include "link/port_binding.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "persist/working_folder.h"

namespace {

QString ComEntry(quint16 comNumber) { return WorkingFolderPath(QStringLiteral("COM%1").arg(comNumber)); }

}  // namespace

QString ComLinkTarget(quint16 comNumber) {
  const QFileInfo entry(ComEntry(comNumber));
  return entry.isSymLink() ? entry.symLinkTarget() : QString();
}

BindResult BindComPort(quint16 comNumber, const QString& target,
                       const std::function<bool(const QString& question)>& confirmReplace, QString* error) {
  const QString entry = ComEntry(comNumber);
  const QFileInfo existing(entry);
  const bool present = existing.exists() || existing.isSymLink();
  if (present) {
    if (existing.isSymLink() && existing.symLinkTarget() == QFileInfo(target).absoluteFilePath()) return BindResult::Unchanged;
    const QString now = existing.isSymLink() ? QStringLiteral("a link to ") + existing.symLinkTarget()
                                             : QStringLiteral("a file of its own");
    const QString question = QStringLiteral("%1 in the working folder is %2.\nMake it a link to %3 instead?")
                                 .arg(existing.fileName(), now, target);
    if (!confirmReplace(question)) return BindResult::Declined;
    if (!QFile::remove(entry)) {
      if (error) *error = QStringLiteral("%1 cannot be replaced").arg(entry);
      return BindResult::Failed;
    }
  }
  if (!QFile::link(target, entry)) {
    if (error) *error = QStringLiteral("%1 cannot be made a link to %2").arg(entry, target);
    return BindResult::Failed;
  }
  return BindResult::Bound;
}
