#include "support/pty_analyser.h"
#include "support/thread_usage.h"

#include "serial/base_dispatcher.h"
#include "serial/serial_errors.h"
#include "serial/serial_port.h"

#include <QtTest>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <thread>
#include <unistd.h>

using namespace std::chrono_literals;

class TestSerialFaults : public QObject {
  Q_OBJECT

private slots:
  void init();
  void cleanup();

  void UnansweredNotificationReleasesOnlyBytesTaken();
  void NotificationLeftQueuedTooLongIsDropped();
  void ReceiveThreadRestsWhileAClosingHandlerOutlastsTheLimit();
  void FarEndHangupClosesThePort();
  void VanishedDeviceClosesThePortAndOpensAgain();

private:
  std::unique_ptr<TLinkedAnalyser> analyser_;
  std::unique_ptr<TSerialPort> port_;
};

namespace {

// Polls without dispatching events, as a busy main thread would.
template <typename TCondition>
bool BusyUntil(TCondition condition, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline)
      return false;
    std::this_thread::sleep_for(2ms);
  }
  return true;
}

}  // namespace

void TestSerialFaults::init() {
  analyser_ = std::make_unique<TLinkedAnalyser>(1);
  QVERIFY(analyser_->Linked());
  port_ = std::make_unique<TSerialPort>();
  ConfigureLikeTheProgram(*port_, 1);
}

void TestSerialFaults::cleanup() {
  port_.reset();
  analyser_.reset();
}

void TestSerialFaults::UnansweredNotificationReleasesOnlyBytesTaken() {
  TSerialPort& port = *port_;
  int calls = 0;
  bool gaveUp = false;
  QByteArray got;
  QList<quint16> laterCounts;
  port.SetOnTriggerAvail([&](TSerialPort& sender, quint16 count) {
    if (++calls == 1) {
      for (int i = 0; i < 3; ++i)
        got.append(char(sender.ReceiveChar()));
      // Outlast the dispatcher's patience.
      gaveUp = BusyUntil([&] { return !sender.InHandler(); }, 8000ms);
      return;
    }
    laterCounts.append(count);
    for (int i = 0; i < count; ++i)
      got.append(char(sender.ReceiveChar()));
  });
  port.SetAvailThreshold(10);  // one notification for all ten bytes
  port.SetOpen(true);
  QVERIFY(analyser_->WriteAll("0123456789"));
  QTRY_VERIFY_WITH_TIMEOUT(calls == 1 && gaveUp, 10000);
  // The three bytes taken are gone; the other seven wait for new bytes.
  QCOMPARE(port.InBuffUsed(), quint16(7));
  port.SetAvailThreshold(1);
  QVERIFY(analyser_->WriteAll("A"));
  QTRY_COMPARE(got, QByteArray("0123456789A"));
  QCOMPARE(laterCounts, QList<quint16>{8});
}

void TestSerialFaults::NotificationLeftQueuedTooLongIsDropped() {
  TSerialPort& port = *port_;
  QList<quint16> counts;
  QByteArray got;
  port.SetOnTriggerAvail([&](TSerialPort& sender, quint16 count) {
    counts.append(count);
    for (int i = 0; i < count; ++i)
      got.append(char(sender.ReceiveChar()));
  });
  port.SetAvailThreshold(3);
  port.SetOpen(true);
  QVERIFY(analyser_->WriteAll("abc"));
  // The main thread is busy while the notification waits for it.
  QVERIFY(BusyUntil([&] { return port.InHandler(); }, 3000ms));
  QVERIFY(BusyUntil([&] { return !port.InHandler(); }, 8000ms));
  QCOMPARE(port.InBuffUsed(), quint16(3));
  // The stale notification is not run when the thread gets to it.
  QCoreApplication::processEvents();
  QCOMPARE(counts.size(), 0);
  QVERIFY(analyser_->WriteAll("d"));
  QTRY_COMPARE(got, QByteArray("abcd"));
  QCOMPARE(counts, QList<quint16>{4});
}

// The close waits for the handler's return; nothing is left for the
// receive thread to do meanwhile, also once the notification's limit has
// passed.
void TestSerialFaults::ReceiveThreadRestsWhileAClosingHandlerOutlastsTheLimit() {
  TSerialPort& port = *port_;
  int closed = 0;
  qint64 busyMs = -1;
  port.SetOnPortClose([&](TSerialPort&) { ++closed; });
  port.SetOnTriggerAvail([&](TSerialPort& sender, quint16) {
    if (busyMs >= 0)
      return;
    sender.SetOpen(false);
    const qint64 before = ThreadUsage("serial-receive").cpuMs;
    std::this_thread::sleep_for(TBaseDispatcher::kNotifyLimit + 1500ms);
    const qint64 after = ThreadUsage("serial-receive").cpuMs;
    busyMs = (before >= 0 && after >= 0) ? after - before : 0x7fffffff;
  });
  port.SetOpen(true);
  QVERIFY(analyser_->WriteAll("!stuck\n"));
  QTRY_VERIFY_WITH_TIMEOUT(busyMs >= 0, 10000);
  QVERIFY2(busyMs < 200, qPrintable(QStringLiteral("the receive thread ran %1 ms").arg(busyMs)));
  QCOMPARE(closed, 1);
  QVERIFY(!port.Open());
}

void TestSerialFaults::FarEndHangupClosesThePort() {
  TSerialPort& port = *port_;
  int closed = 0;
  int lost = 0;
  QByteArray got;
  port.SetOnPortClose([&](TSerialPort&) { ++closed; });
  port.SetOnDeviceLost([&](TSerialPort& sender) {
    QVERIFY(!sender.Open());
    ++lost;
  });
  port.SetOnTriggerAvail([&](TSerialPort& sender, quint16 count) {
    for (int i = 0; i < count; ++i)
      got.append(char(sender.ReceiveChar()));
  });
  port.SetOpen(true);
  QVERIFY(analyser_->WriteAll("!last words\n"));
  QTRY_COMPARE(got, QByteArray("!last words\n"));
  const QString oldSlave = analyser_->SlavePath();
  analyser_->Hangup();
  // Until the port has noticed, commands neither raise nor block.
  port.TransmitString("T:G;");
  QTRY_COMPARE(closed, 1);
  QCOMPARE(lost, 1);
  QCOMPARE(port.PortState(), TPortState::Closed);
  if (!QFile::exists(oldSlave))
    QVERIFY_THROWS_EXCEPTION(EBadId, port.TransmitString("T:G;"));

  // The analyser comes back on a new line: the next command opens it.
  TPtyAnalyser fresh;
  QVERIFY(fresh.Valid());
  QVERIFY(analyser_->Folder().Link("COM1", fresh.SlavePath()));
  port.TransmitString("T:G;");
  QVERIFY(port.Open());
  QCOMPARE(fresh.Read(4, 2s), QByteArray("T:G;"));
  QVERIFY(fresh.WriteAll("!back\n"));
  QTRY_COMPARE(got, QByteArray("!last words\n!back\n"));
  port.SetOpen(false);
  QCOMPARE(closed, 2);
  QCOMPARE(lost, 1);  // a close asked for is not a loss
}

void TestSerialFaults::VanishedDeviceClosesThePortAndOpensAgain() {
  TSerialPort& port = *port_;
  int closed = 0;
  QByteArray got;
  port.SetOnPortClose([&](TSerialPort&) { ++closed; });
  port.SetOnTriggerAvail([&](TSerialPort& sender, quint16 count) {
    for (int i = 0; i < count; ++i)
      got.append(char(sender.ReceiveChar()));
  });
  port.SetOpen(true);
  // A hang-up of the terminal is what the driver does when an adapter is
  // pulled: every open handle on it goes dead.
  const int other = ::open(QFile::encodeName(analyser_->SlavePath()).constData(),
                           O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (other < 0)
    QSKIP("the device cannot be opened a second time here");
  const int hungUp = ::ioctl(other, TIOCVHANGUP);
  ::close(other);
  if (hungUp != 0)
    QSKIP("hanging up a terminal needs more privilege than this test has");
  QTRY_COMPARE(closed, 1);
  QCOMPARE(port.PortState(), TPortState::Closed);

  // Plugged in again: the same device opens and works.
  port.SetOpen(true);
  QVERIFY(analyser_->WriteAll("!again\n"));
  QTRY_COMPARE(got, QByteArray("!again\n"));
  port.TransmitString("M:L;");
  QCOMPARE(analyser_->Read(4, 2s), QByteArray("M:L;"));
}

QTEST_GUILESS_MAIN(TestSerialFaults)
#include "test_serial_faults.moc"
