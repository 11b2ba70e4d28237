#include "support/pty_analyser.h"

#include "serial/posix_dispatcher.h"
#include "serial/serial_port.h"

#include <QtTest>

#include <condition_variable>
#include <mutex>
#include <poll.h>
#include <thread>

using namespace std::chrono_literals;

namespace {

// The modem lines of the port's device as the analyser sees them. A
// pseudo-terminal has none, so the test plays them: it watches DTR and sets
// DSR. Dispatch rounds are counted so that the analyser can send at the pace
// the port takes bytes in.
struct TModemLines {
  std::mutex lock;
  std::condition_variable changed;
  bool dtr = true;
  std::vector<std::size_t> unreadAtDrops;  // the port's unread bytes at each drop of DTR
  int raises = 0;
  quint64 rounds = 0;
  std::atomic<bool> dsr{true};
  std::atomic<int> dsrLooks{0};
};

// The real pseudo-terminal dispatcher, with its modem lines in the test's hands.
class TLinedDispatcher : public TPosixDispatcher {
public:
  TLinedDispatcher(TCustomSerialPort* owner, std::shared_ptr<TModemLines> lines)
      : TPosixDispatcher(owner), lines_(std::move(lines)) {}
  ~TLinedDispatcher() override { ShutDown(); }

protected:
  int SetModemLine(TModemLine line, bool state) override {
    if (line == TModemLine::DTR) {
      const std::size_t unread = UnreadCount();
      std::lock_guard lock(lines_->lock);
      if (lines_->dtr && !state)
        lines_->unreadAtDrops.push_back(unread);
      if (!lines_->dtr && state)
        ++lines_->raises;
      lines_->dtr = state;
      lines_->changed.notify_all();
    }
    return TPosixDispatcher::SetModemLine(line, state);
  }
  bool ModemLineAsserted(TModemLine line) override {
    if (line != TModemLine::DSR)
      return TPosixDispatcher::ModemLineAsserted(line);
    ++lines_->dsrLooks;
    return lines_->dsr;
  }
  std::size_t DeviceInputQueued() override {
    const std::size_t queued = TPosixDispatcher::DeviceInputQueued();
    std::lock_guard lock(lines_->lock);
    ++lines_->rounds;
    lines_->changed.notify_all();
    return queued;
  }

private:
  std::shared_ptr<TModemLines> lines_;
};

class TLinedPort : public TSerialPort {
public:
  std::shared_ptr<TModemLines> lines = std::make_shared<TModemLines>();

protected:
  std::unique_ptr<TBaseDispatcher> CreateDispatcher() override {
    return std::make_unique<TLinedDispatcher>(this, lines);
  }
};

// The analyser obeying the handshake: it sends a piece only while DTR is
// high, and one piece per dispatch round, so that the port sees its input
// queue grow as it would at the line rate.
class TObedientWriter {
public:
  TObedientWriter(TPtyAnalyser& analyser, TModemLines& lines, QByteArray data)
      : lines_(lines), thread_([this, &analyser, data = std::move(data)] {
          quint64 lastRound = 0;
          for (qsizetype at = 0; at < data.size(); at += kPiece) {
            {
              std::unique_lock lock(lines_.lock);
              lines_.changed.wait(lock, [&] {
                return cancel_.load() || (lines_.dtr && lines_.rounds > lastRound);
              });
              lastRound = lines_.rounds;
            }
            if (cancel_ || !analyser.WriteAll(data.mid(at, kPiece), &cancel_))
              return;
          }
          finished_ = true;
        }) {}
  ~TObedientWriter() {
    {
      std::lock_guard lock(lines_.lock);
      cancel_ = true;
    }
    lines_.changed.notify_all();
    thread_.join();
  }
  bool Finished() const { return finished_.load(); }

private:
  static constexpr qsizetype kPiece = 500;
  TModemLines& lines_;
  std::atomic<bool> cancel_{false};
  std::atomic<bool> finished_{false};
  std::thread thread_;
};

QByteArray Pattern(qsizetype size) {
  QByteArray bytes(size, Qt::Uninitialized);
  for (qsizetype i = 0; i < size; ++i)
    bytes[i] = char((i * 7 + i / 251) & 0xff);
  return bytes;
}

}  // namespace

class TestSerialHandshake : public QObject {
  Q_OBJECT

private slots:
  void init();
  void cleanup();

  void HoldOffNeedsAFullRingAndEndsWhenItDrains();
  void BytesLeftUnreadDoNotHoldTheAnalyserOff();
  void OutputWaitsForDsr();

private:
  // The handler takes every unread byte unless told to hold them.
  void HandleAll(bool& holding, QByteArray& got);

  std::unique_ptr<TLinkedAnalyser> analyser_;
  std::unique_ptr<TLinedPort> port_;
};

void TestSerialHandshake::init() {
  analyser_ = std::make_unique<TLinkedAnalyser>(1);
  QVERIFY(analyser_->Linked());
  port_ = std::make_unique<TLinedPort>();
  ConfigureLikeTheProgram(*port_, 1);
  // A pseudo-terminal's input queue shows at most 4095 bytes; the thresholds
  // sit below that.
  port_->SetBufferFull(3000);
  port_->SetBufferResume(1000);
}

void TestSerialHandshake::cleanup() {
  port_.reset();
  analyser_.reset();
}

void TestSerialHandshake::HandleAll(bool& holding, QByteArray& got) {
  port_->SetOnTriggerAvail([&holding, &got](TSerialPort& sender, quint16 count) {
    for (int i = 0; i < count && !holding; ++i)
      got.append(char(sender.ReceiveChar()));
  });
}

void TestSerialHandshake::HoldOffNeedsAFullRingAndEndsWhenItDrains() {
  TModemLines& lines = *port_->lines;
  bool holding = true;
  QByteArray got;
  HandleAll(holding, got);
  port_->SetOpen(true);
  const QByteArray sent = Pattern(30000);
  TObedientWriter writer(*analyser_, lines, sent);

  const auto drops = [&] {
    std::lock_guard lock(lines.lock);
    return lines.unreadAtDrops;
  };
  QTRY_VERIFY_WITH_TIMEOUT(!drops().empty(), 10000);
  QCOMPARE(port_->InBuffUsed(), quint16(TBaseDispatcher::kReceiveRingSize));
  // The full ring is offered again although nothing new can come in.
  holding = false;
  QTRY_VERIFY_WITH_TIMEOUT(writer.Finished(), 10000);
  QTRY_COMPARE(got.size(), sent.size());
  QVERIFY(got == sent);
  QTRY_VERIFY([&] {
    std::lock_guard lock(lines.lock);
    return lines.dtr && lines.raises >= 1;
  }());
  for (std::size_t unread : drops())
    QCOMPARE(unread, TBaseDispatcher::kReceiveRingSize);
}

void TestSerialHandshake::BytesLeftUnreadDoNotHoldTheAnalyserOff() {
  // The handler ends its notifications early and leaves more than the full
  // threshold unread; the ring still has room, so the analyser goes on.
  TModemLines& lines = *port_->lines;
  bool holding = true;
  QByteArray got;
  HandleAll(holding, got);
  port_->SetOpen(true);
  const QByteArray sent = Pattern(6000);
  {
    TObedientWriter writer(*analyser_, lines, sent);
    QTRY_VERIFY_WITH_TIMEOUT(writer.Finished(), 10000);
  }
  QTRY_COMPARE(port_->InBuffUsed(), quint16(sent.size()));
  holding = false;
  // Its next record brings a notification with everything unread.
  QVERIFY(analyser_->WriteAll("!"));
  QTRY_COMPARE(got.size(), sent.size() + 1);
  QVERIFY(got == sent + "!");
  std::lock_guard lock(lines.lock);
  QVERIFY(lines.unreadAtDrops.empty());
}

void TestSerialHandshake::OutputWaitsForDsr() {
  TModemLines& lines = *port_->lines;
  lines.dsr = false;
  port_->SetOpen(true);
  port_->TransmitString("RUN\r");
  // The transmitter looks at DSR only while it has bytes to send: after two
  // looks at a low DSR the command is still queued and nothing reached the
  // analyser.
  QTRY_VERIFY(lines.dsrLooks >= 2);
  QCOMPARE(port_->OutBuffUsed(), quint16(4));
  pollfd master{analyser_->MasterFd(), POLLIN, 0};
  QCOMPARE(::poll(&master, 1, 0), 0);
  lines.dsr = true;
  QCOMPARE(analyser_->Read(4, 5s), QByteArray("RUN\r"));
  QTRY_COMPARE(port_->OutBuffUsed(), quint16(0));
}

QTEST_GUILESS_MAIN(TestSerialHandshake)
#include "test_serial_handshake.moc"
