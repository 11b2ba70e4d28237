#include "support/pty_analyser.h"
#include "support/thread_usage.h"

#include "serial/base_dispatcher.h"
#include "serial/dispatcher_list.h"
#include "serial/notification_events.h"
#include "serial/notify_receiver.h"
#include "serial/serial_errors.h"
#include "serial/serial_port.h"

#include <QScopeGuard>
#include <QtTest>

#include <thread>

using namespace std::chrono_literals;

class TestSerialReceive : public QObject {
  Q_OBJECT

private slots:
  void init();
  void cleanup();

  void CountIsTheUnreadBytes();
  void PartlyReadBytesAreOfferedAgain();
  void UnreadBytesWaitForMoreBeforeANewNotification();
  void EventCharacterAnnouncesLines();
  void LinesGatheredByTheTerminal();
  void HandlerPeeksAndBytesGoWhenItReturns();
  void FullRingHoldsTheRestBack();
  void BulkArrivesCompleteAndInOrder_data();
  void BulkArrivesCompleteAndInOrder();
  void ReadingBesideNotificationsKeepsOrder();
  void ReadingWhileANotificationWaitsConsumes();
  void CloseDuringHandlerIsDeferred();
  void OpenRequestedDuringShutdownFollowsIt();
  void ComNumberChangeInsideHandler();

private:
  std::unique_ptr<TLinkedAnalyser> analyser_;
  std::unique_ptr<TSerialPort> port_;
};

namespace {

QByteArray RandomBytes(qsizetype size, quint32 seed) {
  QRandomGenerator random(seed);
  QByteArray bytes(size, Qt::Uninitialized);
  for (qsizetype i = 0; i < size; ++i)
    bytes[i] = char(random.bounded(256));
  return bytes;
}

// Reads n bytes with the port's own call.
QByteArray Take(TSerialPort& port, int n) {
  QByteArray got;
  for (int i = 0; i < n; ++i)
    got.append(char(port.ReceiveChar()));
  return got;
}

// The dispatcher of an open port.
TBaseDispatcher* DispatcherOf(const TSerialPort& port) {
  for (int handle = 0; handle < 256; ++handle) {
    TBaseDispatcher* dispatcher = TDispatcherList::Find(handle);
    if (dispatcher && dispatcher->Owner() == &port)
      return dispatcher;
  }
  return nullptr;
}

// Reads one byte with the port's own call each time a bytes-available
// notification reaches a watched receiver, before that receiver's handler
// starts: the main thread reading outside any handler while the notification
// is still waiting for it.
class TReadBeforeHandler : public QObject {
public:
  TReadBeforeHandler(TSerialPort& port, QByteArray& got) : port_(port), got_(got) {}
  int delivered = 0;
  bool pendingSeen = true;

protected:
  bool eventFilter(QObject*, QEvent* event) override {
    NotificationReceived(event);  // read here before the receiver has it
    if (event->type() == TAvailEvent::EventType()) {
      ++delivered;
      pendingSeen = pendingSeen && port_.InHandler();
      got_.append(char(port_.ReceiveChar()));
    }
    return false;
  }

private:
  TSerialPort& port_;
  QByteArray& got_;
};

}  // namespace

void TestSerialReceive::init() {
  analyser_ = std::make_unique<TLinkedAnalyser>(1);
  QVERIFY(analyser_->Linked());
  port_ = std::make_unique<TSerialPort>();
  ConfigureLikeTheProgram(*port_, 1);
}

void TestSerialReceive::cleanup() {
  port_.reset();
  analyser_.reset();
}

void TestSerialReceive::CountIsTheUnreadBytes() {
  TSerialPort& port = *port_;
  QList<quint16> counts;
  QByteArray got;
  port.SetOnTriggerAvail([&](TSerialPort& sender, quint16 count) {
    QCOMPARE(&sender, &port);
    QVERIFY(sender.InHandler());
    QCOMPARE(sender.InBuffUsed(), count);
    counts.append(count);
    got += Take(sender, count);
  });
  port.SetOpen(true);
  QVERIFY(analyser_->WriteAll("!first record\n"));
  QTRY_COMPARE(got, QByteArray("!first record\n"));
  QVERIFY(analyser_->WriteAll("!second\n"));
  QTRY_COMPARE(got, QByteArray("!first record\n!second\n"));
  for (quint16 count : counts)
    QVERIFY(count >= 1);
  QTRY_VERIFY(!port.InHandler());
  QCOMPARE(port.InBuffUsed(), quint16(0));
}

void TestSerialReceive::PartlyReadBytesAreOfferedAgain() {
  TSerialPort& port = *port_;
  QList<quint16> counts;
  QByteArray got;
  port.SetOnTriggerAvail([&](TSerialPort& sender, quint16 count) {
    counts.append(count);
    got += Take(sender, qMin<int>(count, 2));
  });
  // The line may split a write; the threshold makes the first notification
  // wait for all six bytes.
  port.SetAvailThreshold(6);
  port.SetOpen(true);
  QVERIFY(analyser_->WriteAll("abcdef"));
  QTRY_COMPARE(got, QByteArray("ab"));
  QCOMPARE(port.InBuffUsed(), quint16(4));
  port.SetAvailThreshold(1);
  // The next notification reports the four left plus the new one.
  QVERIFY(analyser_->WriteAll("g"));
  QTRY_COMPARE(got, QByteArray("abcd"));
  QCOMPARE(counts, (QList<quint16>{6, 5}));
  QCOMPARE(port.InBuffUsed(), quint16(3));
  QCOMPARE(Take(port, 3), QByteArray("efg"));
}

void TestSerialReceive::UnreadBytesWaitForMoreBeforeANewNotification() {
  TSerialPort& port = *port_;
  QList<quint16> counts;
  port.SetOnTriggerAvail([&](TSerialPort&, quint16 count) { counts.append(count); });
  port.SetOpen(true);
  const QByteArray sent = "!0123456789abcdefghij\n";
  QVERIFY(analyser_->WriteAll(sent));
  QTRY_VERIFY(!counts.isEmpty() && counts.last() == sent.size());
  QVERIFY(analyser_->WriteAll("+"));
  QTRY_COMPARE(counts.last(), quint16(sent.size() + 1));
  // Nothing is read, so every notification must bring new bytes: the
  // counts only grow, and each offers all the unread bytes again.
  for (qsizetype i = 1; i < counts.size(); ++i)
    QVERIFY2(counts[i] > counts[i - 1], qPrintable(QString::number(counts[i])));
  QCOMPARE(Take(port, int(sent.size()) + 1), sent + "+");
}

// With the line feed as event character a line is announced once it has
// come whole, however many pieces it came in, and bytes that never end a
// line are announced all the same, once.
void TestSerialReceive::EventCharacterAnnouncesLines() {
  TSerialPort& port = *port_;
  port.SetEventChar('\n');
  QList<QByteArray> notified;
  port.SetOnTriggerAvail([&](TSerialPort& sender, quint16 count) { notified.append(Take(sender, count)); });
  port.SetOpen(true);
  QVERIFY(analyser_->WriteAll("!partial, no end"));
  QTRY_COMPARE(notified, QList<QByteArray>{"!partial, no end"});
  QVERIFY(analyser_->WriteAll("!a line\n!another\n"));
  QTRY_COMPARE(notified.join(), QByteArray("!partial, no end!a line\n!another\n"));

  // As the analyser's records come: a piece every few milliseconds.
  for (const bool ended : {true, false}) {
    notified.clear();
    const QByteArray line = ended ? "!0001,T  120, 230.1,325.2,50.00\n" : "!0002,T  119, 230.0";
    QElapsedTimer writing;
    writing.start();
    for (qsizetype at = 0; at < line.size(); at += 4) {
      QVERIFY(analyser_->WriteAll(line.mid(at, 4)));
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    const bool inTime = writing.elapsed() < TBaseDispatcher::kGatherLimit.count() / 2;
    QTRY_COMPARE(notified.join(), line);
    // A machine too busy to write the pieces within the limit may see the
    // line announced in parts; the bytes and their order stay right.
    if (inTime)
      QCOMPARE(notified.size(), 1);
  }
}

// Lines gathered by the terminal: a line arriving in pieces at about the
// line's rate (the analyser's longest record, some 100 ms) wakes the receive
// thread about once and makes one notification; no byte value is taken as a
// terminal's editing, signal or end-of-file character; and once the device
// hands over more than its line can carry (a pseudo-terminal written in
// bursts), a run without a line feed longer than a terminal keeps of a line
// arrives whole, with the record after it.
void TestSerialReceive::LinesGatheredByTheTerminal() {
  TSerialPort& port = *port_;
  port.SetEventChar('\n');
  QByteArray got;
  int notifications = 0;
  port.SetOnTriggerAvail([&](TSerialPort& sender, quint16 count) {
    ++notifications;
    got.append(Take(sender, count));
  });
  port.SetOpen(true);
  QByteArray sent;
  const auto send = [&](const QByteArray& bytes) {
    sent += bytes;
    return analyser_->WriteAll(bytes);
  };

  constexpr int kLines = 10;
  constexpr int kPieces = 8;
  const qint64 before = ThreadUsage("serial-receive").sleeps;
  QVERIFY(before >= 0);
  for (int n = 0; n < kLines; ++n) {
    const QByteArray line = "!" + QByteArray("0001,L,1.500,").repeated(100) + QByteArray::number(n) + "\r\n";
    for (int piece = 0; piece < kPieces; ++piece) {
      QVERIFY(send(line.mid(piece * line.size() / kPieces,
                            (piece + 1) * line.size() / kPieces - piece * line.size() / kPieces)));
      std::this_thread::sleep_for(12ms);
    }
    QTRY_COMPARE(got, sent);
  }
  const qint64 wakeUps = ThreadUsage("serial-receive").sleeps - before;
  // Each piece waking it would be kLines * kPieces, a line cut by the
  // gathering limit two or three notifications; a busy machine may let a
  // line outlast the limit now and then.
  QVERIFY2(wakeUps <= 2 * kLines, qPrintable(QStringLiteral("%1 wake-ups for %2 lines").arg(wakeUps).arg(kLines)));
  QVERIFY2(notifications <= kLines + kLines / 2, qPrintable(QString::number(notifications)));

  QByteArray everyByte;
  for (int value = 0; value < 256; ++value)
    if (value != '\n') everyByte.append(char(value));
  QVERIFY(send((everyByte + '\n').repeated(2)));
  QTRY_COMPARE(got, sent);
  QVERIFY(send(("!" + QByteArray(1998, 'a') + "\n").repeated(3)));
  QTRY_COMPARE(got, sent);
  QVERIFY(send(QByteArray(5000, 'x') + "\n!0001,record\n"));
  QTRY_COMPARE(got.size(), sent.size());
  QCOMPARE(got, sent);
}

void TestSerialReceive::HandlerPeeksAndBytesGoWhenItReturns() {
  TSerialPort& port = *port_;
  int calls = 0;
  port.SetOnTriggerAvail([&](TSerialPort& sender, quint16 count) {
    ++calls;
    QCOMPARE(count, quint16(5));
    QCOMPARE(Take(sender, 3), QByteArray("vwx"));
    QCOMPARE(sender.InBuffUsed(), quint16(2));
    QCOMPARE(Take(sender, 2), QByteArray("yz"));
    // Asking beyond the unread bytes fails and does not move on.
    QVERIFY_THROWS_EXCEPTION(EBufferIsEmpty, sender.ReceiveChar());
    QVERIFY_THROWS_EXCEPTION(EBufferIsEmpty, sender.ReceiveChar());
    QCOMPARE(sender.InBuffUsed(), quint16(0));
  });
  port.SetAvailThreshold(5);
  port.SetOpen(true);
  QVERIFY(analyser_->WriteAll("vwxyz"));
  QTRY_COMPARE(calls, 1);
  QTRY_VERIFY(!port.InHandler());
  QCOMPARE(port.InBuffUsed(), quint16(0));
  QVERIFY_THROWS_EXCEPTION(EBufferIsEmpty, port.ReceiveChar());
  QVERIFY(analyser_->WriteAll("!"));
  QTRY_COMPARE(port.InBuffUsed(), quint16(1));
  QCOMPARE(port.ReceiveChar(), quint8('!'));
}

void TestSerialReceive::FullRingHoldsTheRestBack() {
  TSerialPort& port = *port_;
  QList<quint16> counts;
  port.SetOnTriggerAvail([&](TSerialPort&, quint16 count) { counts.append(count); });
  port.SetOpen(true);
  const QByteArray sent = RandomBytes(20000, 7);
  TBackgroundWriter writer(*analyser_, sent, 7);
  QTRY_COMPARE(port.InBuffUsed(), quint16(8192));
  QTRY_VERIFY(!counts.isEmpty() && counts.last() == 8192);
  // The ring stays full: the rest waits in the device, none of it is lost.
  QByteArray got = Take(port, 100);
  QTRY_COMPARE(port.InBuffUsed(), quint16(8192));
  QTRY_VERIFY_WITH_TIMEOUT(
      [&] {
        while (port.CharReady())
          got.append(char(port.ReceiveChar()));
        return got.size() >= sent.size();
      }(),
      10000);
  QVERIFY(writer.Finished());
  QCOMPARE(got.size(), sent.size());
  QVERIFY(got == sent);
  for (quint16 count : counts)
    QVERIFY(count >= 1 && count <= 8192);
}

void TestSerialReceive::BulkArrivesCompleteAndInOrder_data() {
  QTest::addColumn<bool>("readAll");
  QTest::addColumn<int>("handlerDelayUs");
  QTest::addColumn<int>("eventChar");
  // A slow handler that reads half of each Count keeps the ring busy.
  QTest::newRow("half of each count, slow") << false << 500 << -1;
  // A slow handler that empties the ring lets the next round fill all of it
  // in one go, bringing the write index round to where it was.
  QTest::newRow("all of each count, slow") << true << 2000 << -1;
  // Notified at line ends (random bytes hold one now and then) and by the
  // gathering limit between them.
  QTest::newRow("waiting for line feeds") << false << 500 << int('\n');
}

void TestSerialReceive::BulkArrivesCompleteAndInOrder() {
  QFETCH(bool, readAll);
  QFETCH(int, handlerDelayUs);
  QFETCH(int, eventChar);
  TSerialPort& port = *port_;
  port.SetEventChar(eventChar);
  const QByteArray sent = RandomBytes(1 << 20, 1234);
  QByteArray got;
  got.reserve(sent.size() + 1);
  bool drain = false;
  int calls = 0;
  quint16 largest = 0;
  bool countsMatched = true;
  port.SetOnTriggerAvail([&](TSerialPort& sender, quint16 count) {
    ++calls;
    largest = qMax(largest, count);
    countsMatched = countsMatched && sender.InBuffUsed() == count;
    const int wanted = (readAll || drain) ? count : qMax(1, count / 2);
    for (int i = 0; i < wanted; ++i)
      got.append(char(sender.ReceiveChar()));
    std::this_thread::sleep_for(std::chrono::microseconds(handlerDelayUs));
  });
  port.SetOpen(true);
  {
    TBackgroundWriter writer(*analyser_, sent, 99);
    QTRY_VERIFY_WITH_TIMEOUT(writer.Finished(), 30000);
  }
  // A last byte makes one more notification, which takes everything left.
  drain = true;
  QVERIFY(analyser_->WriteAll("\n"));
  QTRY_COMPARE_WITH_TIMEOUT(got.size(), sent.size() + 1, 10000);
  QVERIFY(got.startsWith(sent));
  QVERIFY(countsMatched);
  QVERIFY(largest <= 8192);
  QVERIFY(calls > 1);
}

void TestSerialReceive::ReadingBesideNotificationsKeepsOrder() {
  // The main thread reads outside any handler while notifications keep
  // coming and going: reads that fall between a handler's return and the
  // release of its bytes must neither repeat nor lose a byte.
  TSerialPort& port = *port_;
  int calls = 0;
  port.SetOnTriggerAvail([&](TSerialPort&, quint16) { ++calls; });
  port.SetOpen(true);
  const QByteArray sent = RandomBytes(64 * 1024, 4321);
  QByteArray got;
  {
    TBackgroundWriter writer(*analyser_, sent, 8);
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
          while (port.CharReady() && got.size() <= sent.size())
            got.append(char(port.ReceiveChar()));
          return got.size() >= sent.size();
        }(),
        30000);
  }
  QVERIFY(calls > 1);  // notifications came and went meanwhile
  QCOMPARE(got.size(), sent.size());
  QVERIFY(got == sent);
}

void TestSerialReceive::ReadingWhileANotificationWaitsConsumes() {
  // A read outside any handler takes its byte at once, even while a
  // notification is on its way to the main thread; the handler that runs
  // next starts after it, and so does a second receiver's handler of the same
  // notification, after the bytes the first handler has taken.
  TSerialPort& port = *port_;
  QByteArray got;
  QList<quint16> counts;
  port.SetOnTriggerAvail([&](TSerialPort& sender, quint16 count) {
    counts.append(count);
    got.append(char(sender.ReceiveChar()));
  });
  port.SetAvailThreshold(5);  // one notification for all five bytes
  port.SetOpen(true);
  TBaseDispatcher* dispatcher = DispatcherOf(port);
  QVERIFY(dispatcher);
  auto* own = port.findChild<TNotifyReceiver*>();
  QVERIFY(own);
  TNotifyReceiver second;
  dispatcher->RegisterReceiver(&second);
  auto unregister = qScopeGuard([&] {
    if (TBaseDispatcher* current = DispatcherOf(port))
      current->UnregisterReceiver(&second);
  });
  TReadBeforeHandler reader(port, got);
  own->installEventFilter(&reader);
  second.installEventFilter(&reader);

  QVERIFY(analyser_->WriteAll("abcde"));
  QTRY_COMPARE(counts.size(), 2);
  QTRY_VERIFY(!port.InHandler());
  QCOMPARE(reader.delivered, 2);
  QVERIFY(reader.pendingSeen);
  QCOMPARE(counts, (QList<quint16>{5, 5}));
  // Outside read, first handler, outside read, second handler: each byte once.
  QCOMPARE(got, QByteArray("abcd"));
  QCOMPARE(port.InBuffUsed(), quint16(1));
  QCOMPARE(port.ReceiveChar(), quint8('e'));
  QVERIFY_THROWS_EXCEPTION(EBufferIsEmpty, port.ReceiveChar());
}

void TestSerialReceive::CloseDuringHandlerIsDeferred() {
  TSerialPort& port = *port_;
  const int dispatchersOpen = TDispatcherList::ActiveCount() + 1;
  int closed = 0;
  int calls = 0;
  port.SetOnPortClose([&](TSerialPort&) { ++closed; });
  port.SetOnTriggerAvail([&](TSerialPort& sender, quint16 count) {
    ++calls;
    QCOMPARE(Take(sender, 1), QByteArray("a"));
    sender.SetOpen(false);
    QCOMPARE(sender.PortState(), TPortState::ShuttingDown);
    QVERIFY(!sender.Open());
    // Shutting down: reads give 0 and transmissions go nowhere.
    QCOMPARE(count, quint16(3));
    QCOMPARE(sender.ReceiveChar(), quint8(0));
    sender.TransmitString("never");
    QCOMPARE(closed, 0);
    QCOMPARE(TDispatcherList::ActiveCount(), dispatchersOpen);
  });
  port.SetAvailThreshold(3);
  port.SetOpen(true);
  QCOMPARE(TDispatcherList::ActiveCount(), dispatchersOpen);
  QVERIFY(analyser_->WriteAll("abc"));
  QTRY_COMPARE(closed, 1);
  QCOMPARE(calls, 1);
  QCOMPARE(port.PortState(), TPortState::Closed);
  QCOMPARE(TDispatcherList::ActiveCount(), dispatchersOpen - 1);
  QCOMPARE(analyser_->Read(1, 100ms), QByteArray());

  // Closed for good: it opens again normally.
  port.SetOnTriggerAvail({});
  port.SetOpen(true);
  QVERIFY(analyser_->WriteAll("z"));
  QTRY_COMPARE(port.InBuffUsed(), quint16(1));
  QCOMPARE(port.ReceiveChar(), quint8('z'));
}

void TestSerialReceive::OpenRequestedDuringShutdownFollowsIt() {
  TSerialPort& port = *port_;
  int opened = 0;
  int closed = 0;
  QByteArray got;
  port.SetOnPortOpen([&](TSerialPort&) { ++opened; });
  port.SetOnPortClose([&](TSerialPort&) { ++closed; });
  port.SetOnTriggerAvail([&](TSerialPort& sender, quint16 count) {
    got += Take(sender, count);
    if (got == "reopen") {
      sender.SetOpen(false);
      sender.SetOpen(true);  // remembered until the shut-down completes
      QCOMPARE(sender.PortState(), TPortState::ShuttingDown);
    }
  });
  port.SetOpen(true);
  QVERIFY(analyser_->WriteAll("reopen"));
  QTRY_COMPARE(opened, 2);
  QCOMPARE(closed, 1);
  QVERIFY(port.Open());
  QVERIFY(analyser_->WriteAll("!"));
  QTRY_COMPARE(got, QByteArray("reopen!"));
}

void TestSerialReceive::ComNumberChangeInsideHandler() {
  TSerialPort& port = *port_;
  TPtyAnalyser other;
  QVERIFY(other.Valid());
  QVERIFY(analyser_->Folder().Link("COM2", other.SlavePath()));
  QByteArray got;
  port.SetOnTriggerAvail([&](TSerialPort& sender, quint16 count) {
    got += Take(sender, count);
    if (got.endsWith("move"))
      sender.SetComNumber(2);
  });
  port.SetOpen(true);
  QVERIFY(analyser_->WriteAll("move"));
  QTRY_COMPARE(port.ComNumber(), quint16(2));
  QTRY_VERIFY(port.Open());
  QVERIFY(other.WriteAll("+2"));
  QTRY_COMPARE(got, QByteArray("move+2"));
  port.TransmitString("k");
  QCOMPARE(other.Read(1, 2s), QByteArray("k"));
}

QTEST_GUILESS_MAIN(TestSerialReceive)
#include "test_serial_receive.moc"
