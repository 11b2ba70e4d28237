#pragma once

#include <QByteArray>
#include <QtGlobal>

// What a thread of this process, found by the name the system shows for it,
// has done so far: the times it went to sleep and the processor time it has
// used. Both -1 when there is no such thread.
struct TThreadUsage {
  qint64 sleeps = -1;
  qint64 cpuMs = -1;
};

TThreadUsage ThreadUsage(const QByteArray& name);
