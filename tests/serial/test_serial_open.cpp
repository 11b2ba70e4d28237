#include "support/pty_analyser.h"

#include "serial/device_path.h"
#include "serial/dispatcher_list.h"
#include "serial/serial_errors.h"
#include "serial/serial_port.h"

#include <QtTest>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <termios.h>
#include <unistd.h>

using namespace std::chrono_literals;

class TestSerialOpen : public QObject {
  Q_OBJECT

private slots:
  void ComNumberZeroRaisesNoPortSelected();
  void PortPromptChoosesTheNumber();
  void MissingDeviceRaisesBadId();
  void DeviceHeldElsewhereRaisesAlreadyOpen();
  void NonTerminalRaisesInOutError();
  void ComLinkNameIgnoresCase();
  void OpenCloseAndOpenAgain();
  void ComNumberChangeReopensOnTheNewDevice();
  void ComNumberChangeToMissingDeviceLeavesClosed();
  void TransmitSendsBytesInOrder();
  void TransmitLargerThanFreeSpaceQueuesNothing();
  void AutomaticOpeningAfterFailedOpen();
  void WithoutAutoOpenAClosedPortRaisesCommNotOpen();
  void ReceiveCharOutsideHandlerConsumes();
  void OpenRequestDuringLoadWaitsForLoaded();
  void HandshakeThresholdsSettleAtOpen();
  void LineChangesReachTheOpenDevice();
};

namespace {

template <typename TError>
bool Raises(const std::function<void()>& action, int* code = nullptr) {
  try {
    action();
  } catch (const TError& error) {
    if (code)
      *code = error.Code();
    return true;
  } catch (...) {
    return false;
  }
  return false;
}

// A second descriptor on the slave, as another program would hold it. Root
// is let through TIOCEXCL; others are not, and then the test cannot look.
int OpenSlaveBehindThePort(const QString& path) {
  return ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
}

}  // namespace

void TestSerialOpen::ComNumberZeroRaisesNoPortSelected() {
  TSerialPort port;
  QCOMPARE(port.ComNumber(), quint16(0));
  QVERIFY(port.PromptForPort());  // prompting without a prompt to ask
  QVERIFY(Raises<ENoPortSelected>([&] { port.SetOpen(true); }));
  QCOMPARE(port.PortState(), TPortState::Closed);
  port.SetPromptForPort(false);
  int code = 0;
  QVERIFY(Raises<ENoPortSelected>([&] { port.SetOpen(true); }, &code));
  QCOMPARE(code, -2011);
  QVERIFY(!port.Open());
  QCOMPARE(port.PortState(), TPortState::Closed);
}

void TestSerialOpen::PortPromptChoosesTheNumber() {
  TLinkedAnalyser analyser(3);
  QVERIFY(analyser.Linked());
  TSerialPort port;
  int asked = 0;
  port.SetSelectPort([&] { return ++asked == 1 ? quint16(0) : quint16(3); });
  QVERIFY(Raises<ENoPortSelected>([&] { port.SetOpen(true); }));  // prompt cancelled
  port.SetOpen(true);
  QCOMPARE(asked, 2);
  QCOMPARE(port.ComNumber(), quint16(3));
  QVERIFY(port.Open());
}

void TestSerialOpen::MissingDeviceRaisesBadId() {
  TComFolder folder;
  QVERIFY(folder.Valid());
  QVERIFY(folder.Link("COM9", folder.Path() + "/no-such-device"));
  const int dispatchersBefore = TDispatcherList::ActiveCount();
  TSerialPort port;
  ConfigureLikeTheProgram(port, 9);
  int code = 0;
  QVERIFY(Raises<EBadId>([&] { port.SetOpen(true); }, &code));
  QCOMPARE(code, -2001);
  QCOMPARE(port.PortState(), TPortState::Closed);
  QCOMPARE(TDispatcherList::ActiveCount(), dispatchersBefore);

  // Without a link the number names a platform serial device.
  QCOMPARE(QString::fromStdString(DevicePathFor(250)), QStringLiteral("/dev/ttyS249"));
  if (!QFile::exists("/dev/ttyS249")) {
    port.SetComNumber(250);
    QVERIFY(Raises<EBadId>([&] { port.SetOpen(true); }));
    QCOMPARE(port.PortState(), TPortState::Closed);
  }
}

void TestSerialOpen::DeviceHeldElsewhereRaisesAlreadyOpen() {
  TLinkedAnalyser analyser(2);
  QVERIFY(analyser.Linked());
  TSerialPort first;
  ConfigureLikeTheProgram(first, 2);
  first.SetOpen(true);
  TSerialPort second;
  ConfigureLikeTheProgram(second, 2);
  int code = 0;
  QVERIFY(Raises<EAlreadyOpen>([&] { second.SetOpen(true); }, &code));
  QCOMPARE(code, -2008);
  QCOMPARE(second.PortState(), TPortState::Closed);
  // The refused open leaves the holder working.
  QVERIFY(analyser.WriteAll("ok"));
  QTRY_COMPARE(first.InBuffUsed(), quint16(2));
  first.SetOpen(false);

  // Another program's lock on the device refuses the open the same way.
  const int other = OpenSlaveBehindThePort(analyser.SlavePath());
  QVERIFY(other >= 0);
  QCOMPARE(::flock(other, LOCK_EX | LOCK_NB), 0);
  QVERIFY(Raises<EAlreadyOpen>([&] { second.SetOpen(true); }));
  QCOMPARE(second.PortState(), TPortState::Closed);
  ::close(other);
  second.SetOpen(true);
  QVERIFY(second.Open());
}

void TestSerialOpen::NonTerminalRaisesInOutError() {
  TComFolder folder;
  QVERIFY(folder.Valid());
  QFile plain(folder.Path() + "/plain.txt");
  QVERIFY(plain.open(QIODevice::WriteOnly));
  plain.close();
  QVERIFY(folder.Link("COM4", plain.fileName()));
  TSerialPort port;
  ConfigureLikeTheProgram(port, 4);
  int code = 0;
  QVERIFY(Raises<EInOutError>([&] { port.SetOpen(true); }, &code));
  QCOMPARE(code, ENOTTY);
  QCOMPARE(port.PortState(), TPortState::Closed);
}

void TestSerialOpen::ComLinkNameIgnoresCase() {
  TComFolder folder;
  TPtyAnalyser analyser;
  QVERIFY(folder.Valid() && analyser.Valid());
  QVERIFY(folder.Link("cOm5", analyser.SlavePath()));
  QCOMPARE(QString::fromStdString(DevicePathFor(5)), folder.Path() + "/cOm5");
  TSerialPort port;
  ConfigureLikeTheProgram(port, 5);
  port.SetOpen(true);
  QCOMPARE(QString::fromStdString(port.DeviceName()), QStringLiteral("COM5"));
  port.TransmitString("T:G;");
  QCOMPARE(analyser.Read(4, 2s), QByteArray("T:G;"));
}

void TestSerialOpen::OpenCloseAndOpenAgain() {
  TLinkedAnalyser analyser(1);
  QVERIFY(analyser.Linked());
  const int dispatchersBefore = TDispatcherList::ActiveCount();
  TSerialPort port;
  ConfigureLikeTheProgram(port, 1);
  int opened = 0;
  int closed = 0;
  port.SetOnPortOpen([&](TSerialPort& sender) {
    QCOMPARE(&sender, &port);
    QVERIFY(sender.Open());
    ++opened;
  });
  port.SetOnPortClose([&](TSerialPort& sender) {
    QVERIFY(!sender.Open());
    ++closed;
  });

  for (int cycle = 1; cycle <= 3; ++cycle) {
    port.SetOpen(true);
    port.SetOpen(true);  // already open: nothing
    QCOMPARE(opened, cycle);
    QCOMPARE(TDispatcherList::ActiveCount(), dispatchersBefore + 1);
    const QByteArray line = "!cycle " + QByteArray::number(cycle) + "\n";
    QVERIFY(analyser.WriteAll(line));
    QTRY_COMPARE(port.InBuffUsed(), quint16(line.size()));
    QByteArray got;
    while (port.CharReady())
      got.append(char(port.ReceiveChar()));
    QCOMPARE(got, line);
    port.TransmitString("M:L;");
    QCOMPARE(analyser.Read(4, 2s), QByteArray("M:L;"));
    port.SetOpen(false);
    port.SetOpen(false);  // already closed: nothing
    QCOMPARE(closed, cycle);
    QCOMPARE(port.PortState(), TPortState::Closed);
    QCOMPARE(TDispatcherList::ActiveCount(), dispatchersBefore);
  }
}

void TestSerialOpen::ComNumberChangeReopensOnTheNewDevice() {
  TComFolder folder;
  TPtyAnalyser first;
  TPtyAnalyser second;
  QVERIFY(folder.Valid() && first.Valid() && second.Valid());
  QVERIFY(folder.Link("COM1", first.SlavePath()));
  QVERIFY(folder.Link("COM2", second.SlavePath()));
  TSerialPort port;
  ConfigureLikeTheProgram(port, 1);
  port.SetAvailThreshold(3);
  int opened = 0;
  int closed = 0;
  port.SetOnPortOpen([&](TSerialPort&) { ++opened; });
  port.SetOnPortClose([&](TSerialPort&) { ++closed; });
  QList<quint16> counts;
  port.SetOnTriggerAvail([&](TSerialPort&, quint16 count) { counts.append(count); });
  port.SetOpen(true);

  port.SetComNumber(1);  // the same number: nothing happens
  QCOMPARE(opened, 1);
  QCOMPARE(closed, 0);

  port.SetComNumber(2);
  QCOMPARE(opened, 2);
  QCOMPARE(closed, 1);
  QVERIFY(port.Open());
  port.TransmitString("S:1;");
  QCOMPARE(second.Read(4, 2s), QByteArray("S:1;"));
  QCOMPARE(first.Read(1, 100ms), QByteArray());
  // The threshold came along to the new device.
  QVERIFY(second.WriteAll("ab"));
  QTRY_COMPARE(port.InBuffUsed(), quint16(2));
  QVERIFY(second.WriteAll("c"));
  QTRY_COMPARE(counts, QList<quint16>{3});
}

void TestSerialOpen::ComNumberChangeToMissingDeviceLeavesClosed() {
  TComFolder folder;
  TPtyAnalyser analyser;
  QVERIFY(folder.Valid() && analyser.Valid());
  QVERIFY(folder.Link("COM1", analyser.SlavePath()));
  QVERIFY(folder.Link("COM8", folder.Path() + "/gone"));
  TSerialPort port;
  ConfigureLikeTheProgram(port, 1);
  port.SetOpen(true);
  QVERIFY(Raises<EBadId>([&] { port.SetComNumber(8); }));
  QCOMPARE(port.ComNumber(), quint16(8));
  QCOMPARE(port.PortState(), TPortState::Closed);
}

void TestSerialOpen::TransmitSendsBytesInOrder() {
  TLinkedAnalyser analyser(1);
  QVERIFY(analyser.Linked());
  TSerialPort port;
  ConfigureLikeTheProgram(port, 1);
  port.SetOpen(true);
  QByteArray expected;
  for (int i = 0; i < 200; ++i) {
    const QByteArray command = "N:" + QByteArray::number(i) + ";";
    port.TransmitString(command);
    expected += command;
  }
  port.TransmitString(QByteArray());  // nothing to queue
  // Every byte value passes unaltered: no CR/LF translation, no flow bytes eaten.
  QByteArray binary(256, '\0');
  for (int i = 0; i < 256; ++i)
    binary[i] = char(i);
  port.TransmitString(binary);
  expected += binary;
  QCOMPARE(analyser.Read(int(expected.size()), 3s), expected);
}

void TestSerialOpen::TransmitLargerThanFreeSpaceQueuesNothing() {
  TLinkedAnalyser analyser(1);
  QVERIFY(analyser.Linked());
  TSerialPort port;
  ConfigureLikeTheProgram(port, 1);
  port.SetOutSize(64);
  port.SetOpen(true);
  QVERIFY(Raises<EOutputBufferTooSmall>([&] { port.TransmitString(QByteArray(65, 'x')); }));

  // Stop the line's output so queued bytes stay in the ring.
  const int other = OpenSlaveBehindThePort(analyser.SlavePath());
  if (other < 0)
    QSKIP("the device cannot be opened a second time here");
  QCOMPARE(::tcflow(other, TCOOFF), 0);
  port.TransmitString(QByteArray(40, 'a'));
  QCOMPARE(port.OutBuffUsed(), quint16(40));
  int code = 0;
  QVERIFY(Raises<EOutputBufferTooSmall>([&] { port.TransmitString(QByteArray(25, 'b')); },
                                        &code));
  QCOMPARE(code, -3006);
  QCOMPARE(port.OutBuffUsed(), quint16(40));
  QCOMPARE(port.OutBuffFree(), quint16(24));
  port.TransmitString(QByteArray(24, 'c'));  // exactly the free space fits
  QCOMPARE(port.OutBuffFree(), quint16(0));
  QCOMPARE(::tcflow(other, TCOON), 0);
  ::close(other);
  QTRY_COMPARE(port.OutBuffUsed(), quint16(0));
  port.TransmitString("END");
  const QByteArray expected = QByteArray(40, 'a') + QByteArray(24, 'c') + "END";
  QCOMPARE(analyser.Read(int(expected.size()), 3s), expected);
}

void TestSerialOpen::AutomaticOpeningAfterFailedOpen() {
  TComFolder folder;
  TPtyAnalyser analyser;
  QVERIFY(folder.Valid() && analyser.Valid());
  TSerialPort port;
  ConfigureLikeTheProgram(port, 6);
  QVERIFY(port.AutoOpen());
  QVERIFY(Raises<EBadId>([&] { port.SetOpen(true); }));  // start-up open fails
  QCOMPARE(port.PortState(), TPortState::Closed);
  // The next command tries again and meets the same error.
  QVERIFY(Raises<EBadId>([&] { port.TransmitString("A:1;"); }));
  QVERIFY(Raises<EBadId>([&] { port.ReceiveChar(); }));
  QCOMPARE(port.PortState(), TPortState::Closed);

  // The analyser is plugged in: the next command opens the port and goes out.
  QVERIFY(folder.Link("COM6", analyser.SlavePath()));
  port.TransmitString("A:2;");
  QVERIFY(port.Open());
  QCOMPARE(analyser.Read(4, 2s), QByteArray("A:2;"));

  port.SetOpen(false);
  QVERIFY(Raises<EBufferIsEmpty>([&] { port.ReceiveChar(); }));  // opened, nothing read
  QVERIFY(port.Open());
  port.SetOpen(false);
  port.TransmitString(QByteArray());  // an empty text still needs the port
  QVERIFY(port.Open());
}

void TestSerialOpen::WithoutAutoOpenAClosedPortRaisesCommNotOpen() {
  TLinkedAnalyser analyser(1);
  QVERIFY(analyser.Linked());
  TSerialPort port;
  ConfigureLikeTheProgram(port, 1);
  port.SetAutoOpen(false);
  int code = 0;
  QVERIFY(Raises<ECommNotOpen>([&] { port.TransmitString("X"); }, &code));
  QCOMPARE(code, -2007);
  QVERIFY(Raises<ECommNotOpen>([&] { port.ReceiveChar(); }));
  QCOMPARE(port.PortState(), TPortState::Closed);
  QCOMPARE(analyser.Read(1, 100ms), QByteArray());
}

void TestSerialOpen::ReceiveCharOutsideHandlerConsumes() {
  TLinkedAnalyser analyser(1);
  QVERIFY(analyser.Linked());
  TSerialPort port;
  ConfigureLikeTheProgram(port, 1);
  port.SetOpen(true);
  QVERIFY(Raises<EBufferIsEmpty>([&] { port.ReceiveChar(); }));
  QByteArray sent("\r\n\x11\x13\0\xff!", 7);
  QVERIFY(analyser.WriteAll(sent));
  QTRY_COMPARE(port.InBuffUsed(), quint16(sent.size()));
  QByteArray got;
  for (int i = 0; i < sent.size(); ++i)
    got.append(char(port.ReceiveChar()));
  QCOMPARE(got, sent);
  QCOMPARE(port.InBuffUsed(), quint16(0));
  int code = 0;
  QVERIFY(Raises<EBufferIsEmpty>([&] { port.ReceiveChar(); }, &code));
  QCOMPARE(code, -3007);
}

void TestSerialOpen::OpenRequestDuringLoadWaitsForLoaded() {
  TLinkedAnalyser analyser(1);
  QVERIFY(analyser.Linked());
  TSerialPort port;
  port.BeginLoad();
  port.SetOpen(true);
  ConfigureLikeTheProgram(port, 1);  // the number arrives after the request
  QCOMPARE(port.PortState(), TPortState::Closed);
  port.Loaded();
  QVERIFY(port.Open());
}

void TestSerialOpen::HandshakeThresholdsSettleAtOpen() {
  TLinkedAnalyser analyser(1);
  QVERIFY(analyser.Linked());
  TSerialPort port;
  ConfigureLikeTheProgram(port, 1);
  port.SetOpen(true);
  QCOMPARE(port.BufferFull(), quint16(6000));  // the program's values stay
  QCOMPARE(port.BufferResume(), quint16(2000));
  port.SetOpen(false);

  port.SetBufferFull(0);
  port.SetBufferResume(7500);
  port.SetOpen(true);
  QCOMPARE(port.BufferFull(), quint16(7200));
  QCOMPARE(port.BufferResume(), quint16(800));
  port.SetBufferFull(9000);  // beyond the input queue
  QCOMPARE(port.BufferFull(), quint16(7200));
  port.SetInSize(4000);  // the full threshold follows a smaller queue
  QCOMPARE(port.BufferFull(), quint16(3600));
  QCOMPARE(port.BufferResume(), quint16(800));
  port.SetOpen(false);

  // Without handshake the thresholds are not checked at all.
  port.SetHWFlowOptions({});
  port.SetBufferFull(60000);
  port.SetOpen(true);
  QVERIFY(port.Open());
  QCOMPARE(port.BufferFull(), quint16(60000));
}

void TestSerialOpen::LineChangesReachTheOpenDevice() {
  TLinkedAnalyser analyser(1);
  QVERIFY(analyser.Linked());
  TSerialPort port;
  ConfigureLikeTheProgram(port, 1);
  QVERIFY(Raises<ESerialError>([&] { port.SetDataBits(9); }));
  QCOMPARE(port.DataBits(), 8);
  port.SetOpen(true);
  const int other = OpenSlaveBehindThePort(analyser.SlavePath());
  if (other < 0)
    QSKIP("the device cannot be opened a second time here");
  termios t{};
  QCOMPARE(::tcgetattr(other, &t), 0);
  QCOMPARE(cfgetospeed(&t), speed_t(B115200));
  QVERIFY(t.c_cflag & CRTSCTS);
  port.SetBaud(9600);
  QCOMPARE(::tcgetattr(other, &t), 0);
  QCOMPARE(cfgetospeed(&t), speed_t(B9600));
  // A pseudo-terminal carries no parity; the refusal keeps the old value.
  int code = 0;
  QVERIFY(Raises<ESerialError>([&] { port.SetParity(pEven); }, &code));
  QCOMPARE(code, -EINVAL);
  QCOMPARE(port.Parity(), pNone);
  QVERIFY(Raises<ESerialError>([&] { port.SetBaud(12345); }, &code));
  QCOMPARE(code, -EINVAL);
  QCOMPARE(port.Baud(), 9600);
  QCOMPARE(::tcgetattr(other, &t), 0);
  QCOMPARE(cfgetospeed(&t), speed_t(B9600));
  port.SetHWFlowOptions({});
  QCOMPARE(::tcgetattr(other, &t), 0);
  QVERIFY(!(t.c_cflag & CRTSCTS));
  ::close(other);
}

QTEST_GUILESS_MAIN(TestSerialOpen)
#include "test_serial_open.moc"
