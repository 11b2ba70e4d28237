#include "serial/wait_ticks.h"

#include <QtTest>

#include <sys/resource.h>

class TestWaitTicks : public QObject {
  Q_OBJECT

private slots:
  void OneTickBounds();
  void SeveralTicksBounds();
  void DispatchesMessagesWhileWaiting();
  void WithoutMessagesNothingIsDispatched();
  void BelowOneTickReturnsAtOnce();
  void IdleWaitDoesNotSpin();
  void QuitEndsWaitAndStillQuitsTheLoop();
};

namespace {

// Time the scheduler may add to a wake-up on a busy machine; far below the
// 55 ms that a wrongly counted tick would add.
constexpr qint64 kWakeAllowanceMs = 15;

qint64 ElapsedNs(int ticks, bool processMessages) {
  QElapsedTimer timer;
  timer.start();
  WaitTicks(ticks, processMessages);
  return timer.nsecsElapsed();
}

qint64 ThreadCpuUs() {
  rusage usage{};
  getrusage(RUSAGE_THREAD, &usage);
  return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000000LL + usage.ru_utime.tv_usec +
         usage.ru_stime.tv_usec;
}

}  // namespace

void TestWaitTicks::OneTickBounds() {
  // Several waits start at different points of a tick; every one must last
  // more than one tick and end within the tick after.
  for (int round = 0; round < 6; ++round) {
    const qint64 ns = ElapsedNs(1, true);
    QVERIFY2(ns > 55'000'000LL, qPrintable(QString::number(ns)));
    QVERIFY2(ns <= (110 + kWakeAllowanceMs) * 1'000'000LL, qPrintable(QString::number(ns)));
  }
}

void TestWaitTicks::SeveralTicksBounds() {
  const quint64 startTick = MillisecondCounter() / kTickMs;
  const qint64 ns = ElapsedNs(3, true);
  QVERIFY(ns > 165'000'000LL);
  QVERIFY(ns <= (220 + kWakeAllowanceMs) * 1'000'000LL);
  QVERIFY(MillisecondCounter() / kTickMs > startTick + 3);
  const qint64 quietNs = ElapsedNs(2, false);
  QVERIFY(quietNs > 110'000'000LL);
  QVERIFY(quietNs <= (165 + kWakeAllowanceMs) * 1'000'000LL);
}

void TestWaitTicks::DispatchesMessagesWhileWaiting() {
  bool timerRan = false;
  bool postedRan = false;
  QTimer::singleShot(10, this, [&] { timerRan = true; });
  QMetaObject::invokeMethod(this, [&] { postedRan = true; }, Qt::QueuedConnection);
  WaitTicks(1, true);
  QVERIFY(timerRan);
  QVERIFY(postedRan);
}

void TestWaitTicks::WithoutMessagesNothingIsDispatched() {
  bool postedRan = false;
  QMetaObject::invokeMethod(this, [&] { postedRan = true; }, Qt::QueuedConnection);
  WaitTicks(1, false);
  QVERIFY(!postedRan);
  QTRY_VERIFY(postedRan);
}

void TestWaitTicks::BelowOneTickReturnsAtOnce() {
  bool postedRan = false;
  QMetaObject::invokeMethod(this, [&] { postedRan = true; }, Qt::QueuedConnection);
  QVERIFY(ElapsedNs(0, true) < 55'000'000LL);
  QVERIFY(ElapsedNs(-5, true) < 55'000'000LL);
  QVERIFY(!postedRan);
  QTRY_VERIFY(postedRan);
}

void TestWaitTicks::IdleWaitDoesNotSpin() {
  const qint64 before = ThreadCpuUs();
  const qint64 ns = ElapsedNs(4, true);
  const qint64 cpuUs = ThreadCpuUs() - before;
  // A busy loop would burn about the whole wait.
  QVERIFY2(cpuUs * 1000 < ns / 10, qPrintable(QStringLiteral("%1 us CPU in %2 ms")
                                                  .arg(cpuUs)
                                                  .arg(ns / 1'000'000)));
}

void TestWaitTicks::QuitEndsWaitAndStillQuitsTheLoop() {
  qint64 waitedNs = -1;
  QTimer::singleShot(0, this, [&] {
    QTimer::singleShot(20, QCoreApplication::instance(), [] { QCoreApplication::quit(); });
    waitedNs = ElapsedNs(40, true);  // 2.2 s unless the quit ends it
  });
  // Should the quit be lost, this ends the loop with a code the test rejects.
  QTimer failSafe;
  failSafe.setSingleShot(true);
  connect(&failSafe, &QTimer::timeout, QCoreApplication::instance(), [] { QCoreApplication::exit(7); });
  failSafe.start(10000);
  const int code = QCoreApplication::exec();
  QCOMPARE(code, 0);
  QVERIFY(waitedNs > 0);
  QVERIFY2(waitedNs < 1'000'000'000LL, qPrintable(QString::number(waitedNs)));
  // Nothing of the quit lingers for the waits that follow.
  QVERIFY(ElapsedNs(1, true) > 55'000'000LL);
}

QTEST_GUILESS_MAIN(TestWaitTicks)
#include "test_wait_ticks.moc"
