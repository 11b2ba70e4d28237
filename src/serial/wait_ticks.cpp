#include "serial/wait_ticks.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <climits>
#include <thread>

namespace {

// The code the wait's own timer ends its loop with; any other code means the
// application asked every loop to exit.
constexpr int kTickTimerExit = 0x57a17;

}  // namespace

quint64 MillisecondCounter() {
  using namespace std::chrono;
  return static_cast<quint64>(
      duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void WaitTicks(int ticks, bool processMessages) {
  if (ticks < 1)
    return;
  const quint64 count = static_cast<quint64>(std::min<qint64>(ticks, kMaxWaitTicks));
  const quint64 startMs = MillisecondCounter();
  const quint64 endMs = (startMs / kTickMs + count + 1) * kTickMs;

  QCoreApplication* app = QCoreApplication::instance();
  const bool dispatch = processMessages && app && QThread::currentThread() == app->thread();
  if (!dispatch) {
    std::this_thread::sleep_until(std::chrono::steady_clock::time_point(
        std::chrono::milliseconds(endMs)));
    return;
  }

  QEventLoop loop;
  QTimer tickEnd;
  tickEnd.setSingleShot(true);
  tickEnd.setTimerType(Qt::PreciseTimer);
  QObject::connect(&tickEnd, &QTimer::timeout, &loop, [&loop] { loop.exit(kTickTimerExit); });
  while (true) {
    const quint64 now = MillisecondCounter();
    if (now >= endMs || now < startMs)
      return;
    tickEnd.start(static_cast<int>(std::min<quint64>(endMs - now, INT_MAX)));
    if (loop.exec() != kTickTimerExit)
      return;
  }
}
