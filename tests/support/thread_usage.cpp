#include "support/thread_usage.h"

#include <QDir>
#include <QFile>

#include <unistd.h>

TThreadUsage ThreadUsage(const QByteArray& name) {
  TThreadUsage usage;
  const QString tasks = QStringLiteral("/proc/self/task");
  for (const QString& task : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
    QFile comm(QStringLiteral("%1/%2/comm").arg(tasks, task));
    if (!comm.open(QIODevice::ReadOnly) || comm.readAll().trimmed() != name) continue;
    QFile status(QStringLiteral("%1/%2/status").arg(tasks, task));
    if (status.open(QIODevice::ReadOnly))
      for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("voluntary_ctxt_switches:")) usage.sleeps = line.mid(24).trimmed().toLongLong();
    // The fields after the name, which may hold spaces, closed by ")": user
    // and system time are the 12th and 13th of them, in clock ticks.
    QFile stat(QStringLiteral("%1/%2/stat").arg(tasks, task));
    if (stat.open(QIODevice::ReadOnly)) {
      const QByteArray text = stat.readAll();
      const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
      if (fields.size() > 12)
        usage.cpuMs = (fields[11].toLongLong() + fields[12].toLongLong()) * 1000 / ::sysconf(_SC_CLK_TCK);
    }
    return usage;
  }
  return usage;
}
