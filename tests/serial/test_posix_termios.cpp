#include "serial/posix_termios.h"

#include <QtTest>

#include <cerrno>

class TestPosixTermios : public QObject {
  Q_OBJECT

private slots:
  void AnalyserLineIsRaw115200_8N1WithRtsCts();
  void FrameSettings_data();
  void FrameSettings();
  void SoftwareFlow_data();
  void SoftwareFlow();
  void RefusesWhatTheLineCannotCarry_data();
  void RefusesWhatTheLineCannotCarry();
};

namespace {

// A terminal as a shell would leave it: cooked, echoing, translating.
termios CookedTerminal() {
  termios t{};
  t.c_iflag = ICRNL | IXON | BRKINT | ISTRIP;
  t.c_oflag = OPOST | ONLCR;
  t.c_cflag = CS7 | PARENB | CSTOPB | HUPCL;
  t.c_lflag = ICANON | ECHO | ISIG | IEXTEN;
  cfsetispeed(&t, B9600);
  cfsetospeed(&t, B9600);
  return t;
}

}  // namespace

void TestPosixTermios::AnalyserLineIsRaw115200_8N1WithRtsCts() {
  termios t = CookedTerminal();
  TLineSettings line;
  line.baud = 115200;
  QCOMPARE(ComposeTermios(t, line, hwfUseDTR | hwfUseRTS | hwfRequireDSR | hwfRequireCTS), 0);
  QCOMPARE(cfgetispeed(&t), speed_t(B115200));
  QCOMPARE(cfgetospeed(&t), speed_t(B115200));
  QCOMPARE(t.c_cflag & CSIZE, tcflag_t(CS8));
  QCOMPARE(t.c_cflag & (PARENB | CSTOPB), tcflag_t(0));
  QVERIFY(t.c_cflag & CRTSCTS);
  QVERIFY(t.c_cflag & CREAD);
  QVERIFY(t.c_cflag & CLOCAL);
  // No byte may be altered, swallowed or echoed on the way.
  QCOMPARE(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), tcflag_t(0));
  QCOMPARE(t.c_iflag & (ICRNL | IXON | IXOFF | ISTRIP | BRKINT), tcflag_t(0));
  QCOMPARE(t.c_oflag & OPOST, tcflag_t(0));
  QCOMPARE(int(t.c_cc[VMIN]), 1);
  QCOMPARE(int(t.c_cc[VTIME]), 0);
}

void TestPosixTermios::FrameSettings_data() {
  QTest::addColumn<int>("dataBits");
  QTest::addColumn<int>("parity");
  QTest::addColumn<int>("stopBits");
  QTest::addColumn<int>("handshake");
  QTest::addColumn<uint>("size");
  QTest::addColumn<uint>("parityFlags");
  QTest::addColumn<bool>("twoStops");
  QTest::addColumn<bool>("rtscts");
  QTest::newRow("7E2, CTS only") << 7 << int(pEven) << 2 << int(hwfRequireCTS) << uint(CS7)
                                  << uint(PARENB) << true << true;
  QTest::newRow("5O1, DTR only") << 5 << int(pOdd) << 1 << int(hwfUseDTR) << uint(CS5)
                                  << uint(PARENB | PARODD) << false << false;
  QTest::newRow("6 mark") << 6 << int(pMark) << 1 << 0 << uint(CS6)
                          << uint(PARENB | PARODD | CMSPAR) << false << false;
  QTest::newRow("8 space, RTS") << 8 << int(pSpace) << 1 << int(hwfUseRTS) << uint(CS8)
                                << uint(PARENB | CMSPAR) << false << true;
}

void TestPosixTermios::FrameSettings() {
  QFETCH(int, dataBits);
  QFETCH(int, parity);
  QFETCH(int, stopBits);
  QFETCH(int, handshake);
  QFETCH(uint, size);
  QFETCH(uint, parityFlags);
  QFETCH(bool, twoStops);
  QFETCH(bool, rtscts);
  termios t = CookedTerminal();
  TLineSettings line;
  line.dataBits = dataBits;
  line.parity = static_cast<TParity>(parity);
  line.stopBits = stopBits;
  QCOMPARE(ComposeTermios(t, line, THWFlowOptions(handshake)), 0);
  QCOMPARE(uint(t.c_cflag & CSIZE), size);
  QCOMPARE(uint(t.c_cflag & (PARENB | PARODD | CMSPAR)), parityFlags);
  QCOMPARE(bool(t.c_cflag & CSTOPB), twoStops);
  QCOMPARE(bool(t.c_cflag & CRTSCTS), rtscts);
  QCOMPARE(cfgetospeed(&t), speed_t(B19200));
}

void TestPosixTermios::SoftwareFlow_data() {
  QTest::addColumn<int>("flow");
  QTest::addColumn<bool>("ixon");
  QTest::addColumn<bool>("ixoff");
  QTest::newRow("none") << int(swfNone) << false << false;
  QTest::newRow("receive") << int(swfReceive) << false << true;
  QTest::newRow("transmit") << int(swfTransmit) << true << false;
  QTest::newRow("both") << int(swfBoth) << true << true;
}

void TestPosixTermios::SoftwareFlow() {
  QFETCH(int, flow);
  QFETCH(bool, ixon);
  QFETCH(bool, ixoff);
  termios t = CookedTerminal();
  TLineSettings line;
  line.swFlow = static_cast<TSWFlowOptions>(flow);
  line.xonChar = 0x11;
  line.xoffChar = 0x13;
  QCOMPARE(ComposeTermios(t, line, {}), 0);
  QCOMPARE(bool(t.c_iflag & IXON), ixon);
  QCOMPARE(bool(t.c_iflag & IXOFF), ixoff);
  QCOMPARE(int(t.c_cc[VSTART]), 0x11);
  QCOMPARE(int(t.c_cc[VSTOP]), 0x13);
}

void TestPosixTermios::RefusesWhatTheLineCannotCarry_data() {
  QTest::addColumn<int>("baud");
  QTest::addColumn<int>("dataBits");
  QTest::addColumn<int>("stopBits");
  QTest::newRow("odd baud") << 12345 << 8 << 1;
  QTest::newRow("zero baud") << 0 << 8 << 1;
  QTest::newRow("9 data bits") << 9600 << 9 << 1;
  QTest::newRow("4 data bits") << 9600 << 4 << 1;
  QTest::newRow("3 stop bits") << 9600 << 8 << 3;
}

void TestPosixTermios::RefusesWhatTheLineCannotCarry() {
  QFETCH(int, baud);
  QFETCH(int, dataBits);
  QFETCH(int, stopBits);
  const termios before = CookedTerminal();
  termios t = before;
  TLineSettings line;
  line.baud = baud;
  line.dataBits = dataBits;
  line.stopBits = stopBits;
  QCOMPARE(ComposeTermios(t, line, {}), -EINVAL);
  QCOMPARE(t.c_cflag, before.c_cflag);
  QCOMPARE(t.c_lflag, before.c_lflag);
}

QTEST_APPLESS_MAIN(TestPosixTermios)
#include "test_posix_termios.moc"
