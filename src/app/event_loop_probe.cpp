#include "app/event_loop_probe.h"

#include <QCoreApplication>
#include <QEvent>
#include <QtGlobal>

#include <algorithm>

std::unique_ptr<EventLoopProbe> EventLoopProbe::FromEnvironment() {
  const QString path = qEnvironmentVariable(kEnvironmentVariable);
  if (path.isEmpty()) return nullptr;
  return std::make_unique<EventLoopProbe>(path, kReportPeriod, qEnvironmentVariable(kBlocksVariable) != u"0");
}

EventLoopProbe::EventLoopProbe(const QString& filePath, std::chrono::milliseconds reportPeriod, bool measureBlocks)
    : previous_(running_),
      file_(filePath),
      measureBlocks_(measureBlocks),
      reportPeriodNs_(std::chrono::duration_cast<std::chrono::nanoseconds>(reportPeriod).count()) {
  // A file that cannot be opened leaves the count and the timer running, and
  // the figures unwritten.
  (void)file_.open(QIODevice::WriteOnly | QIODevice::Append);
  running_ = this;
  // A precise timer: a coarse one may be moved by up to 5 % of its interval,
  // which would read as a block.
  timer_.setTimerType(Qt::PreciseTimer);
  timer_.setInterval(measureBlocks_ ? kTick : reportPeriod);
  QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] { Tick(); });
  if (QCoreApplication::instance() != nullptr) QCoreApplication::instance()->installEventFilter(this);
  clock_.start();
  timer_.start();
}

EventLoopProbe::~EventLoopProbe() {
  timer_.stop();
  WriteLine();
  if (running_ == this) running_ = previous_;
}

bool EventLoopProbe::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Paint) ++repaints_;
  return QObject::eventFilter(watched, event);
}

void EventLoopProbe::Tick() {
  const qint64 now = clock_.nsecsElapsed();
  const qint64 tickNs = std::chrono::duration_cast<std::chrono::nanoseconds>(kTick).count();
  const qint64 block = measureBlocks_ ? std::max<qint64>(0, now - lastTickNs_ - tickNs) : 0;
  longestBlockNs_ = std::max(longestBlockNs_, block);
  periodBlockNs_ = std::max(periodBlockNs_, block);
  if (now - lastLineNs_ >= reportPeriodNs_) {
    WriteLine();
    lastLineNs_ = now;
  }
  // The probe's own writing is not the program's: the next gap starts after it.
  lastTickNs_ = clock_.nsecsElapsed();
}

void EventLoopProbe::WriteLine() {
  if (!file_.isOpen()) return;
  const QByteArray line =
      QStringLiteral("t_s=%1 records=%2 longest_block_ms=%3 period_block_ms=%4 notifications=%5 repaints=%6\n")
          .arg(Milliseconds(clock_.nsecsElapsed()) / 1000.0, 0, 'f', 1)
          .arg(records_)
          .arg(LongestBlockMs(), 0, 'f', 1)
          .arg(Milliseconds(periodBlockNs_), 0, 'f', 1)
          .arg(notifications_)
          .arg(repaints_)
          .toLatin1();
  file_.write(line);
  file_.flush();
  periodBlockNs_ = 0;
}
