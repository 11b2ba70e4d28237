// The measuring point of whole-program runs: the received lines the window
// handled and the longest block of its event loop, as written to the file.
#include <QFile>
#include <QRegularExpression>
#include <QThread>
#include <QtTest>

#include "app/event_loop_probe.h"
#include "app/qx7300main.h"
#include "support/record_builder.h"
#include "support/scripted_operator_dialogs.h"
#include "support/test_working_folder.h"

namespace {

struct ProbeLine {
  double seconds = -1;
  qint64 records = -1;
  double longestBlockMs = -1;
  double periodBlockMs = -1;
  qint64 notifications = -1;
  qint64 repaints = -1;
};

QList<ProbeLine> ReadProbeFile(const QString& path) {
  QList<ProbeLine> lines;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return lines;
  static const QRegularExpression format(
      QStringLiteral("^t_s=([0-9.]+) records=([0-9]+) longest_block_ms=([0-9.]+) period_block_ms=([0-9.]+) "
                     "notifications=([0-9]+) repaints=([0-9]+)$"));
  for (const QByteArray& text : file.readAll().split('\n')) {
    if (text.isEmpty()) continue;
    const QRegularExpressionMatch match = format.match(QString::fromLatin1(text));
    if (!match.hasMatch()) return {};  // one malformed line spoils the file
    lines.append({match.captured(1).toDouble(), match.captured(2).toLongLong(), match.captured(3).toDouble(),
                  match.captured(4).toDouble(), match.captured(5).toLongLong(), match.captured(6).toLongLong()});
  }
  return lines;
}

void Feed(Tqx7300form& window, const QByteArray& bytes) {
  qsizetype position = 0;
  window.ConsumeReceived(static_cast<quint16>(bytes.size()),
                         [&]() -> quint8 { return static_cast<quint8>(bytes[position++]); });
}

}  // namespace

class TestEventLoopProbe : public QObject {
  Q_OBJECT

 private slots:
  void recordsAndABlockedLoopReachTheFile();
  void environmentAsksForTheProbe();
};

void TestEventLoopProbe::recordsAndABlockedLoopReachTheFile() {
  TestWorkingFolder folder;
  QVERIFY(folder.Valid());
  const QString path = folder.FilePath(QStringLiteral("probe.txt"));
  ScriptedOperatorDialogs dialogs;
  Tqx7300form window(dialogs);
  window.starttimer().stop();

  auto probe = std::make_unique<EventLoopProbe>(path, std::chrono::milliseconds(100));
  // Three whole lines in two notifications, and the start of a fourth.
  const QByteArray line = RecordBuilder().Line('X');
  Feed(window, line + line.left(50));
  Feed(window, line.mid(50) + line + line.left(20));
  QCOMPARE(probe->Records(), 3u);

  // The loop runs freely for a while, then cannot run for 200 ms.
  QTest::qWait(50);
  QThread::msleep(200);
  QTRY_VERIFY_WITH_TIMEOUT(!ReadProbeFile(path).isEmpty() && ReadProbeFile(path).last().longestBlockMs >= 150,
                           5000);
  const ProbeLine blocked = ReadProbeFile(path).last();
  QCOMPARE(blocked.records, 3);
  QVERIFY(blocked.periodBlockMs >= 150);
  QVERIFY(probe->LongestBlockMs() >= 150);

  // Later periods report their own longest block; the longest stays.
  QTRY_VERIFY_WITH_TIMEOUT(ReadProbeFile(path).size() >= 2 && ReadProbeFile(path).last().periodBlockMs < 150,
                           5000);
  QVERIFY(ReadProbeFile(path).last().longestBlockMs >= 150);

  // The end writes a last line; with no probe running nothing is counted.
  Feed(window, line.mid(20));
  // A widget painted counts as one repaint.
  QWidget painted;
  painted.resize(20, 20);
  painted.show();
  QTRY_VERIFY(probe->Repaints() >= 1);
  probe.reset();
  const QList<ProbeLine> lines = ReadProbeFile(path);
  QCOMPARE(lines.last().records, 4);
  QCOMPARE(lines.last().notifications, 3);
  QVERIFY(lines.last().repaints >= 1);
  for (qsizetype i = 1; i < lines.size(); ++i) {
    QVERIFY(lines[i].seconds >= lines[i - 1].seconds);
    QVERIFY(lines[i].records >= lines[i - 1].records);
  }
  EventLoopProbe::CountRecord();
  Feed(window, line);
  QCOMPARE(ReadProbeFile(path).size(), lines.size());
}

// Counting only (VELTRIX_PROBE_BLOCKS=0): no 10 ms timer wakes the program;
// the report still comes.
void TestEventLoopProbe::environmentAsksForTheProbe() {
  TestWorkingFolder folder;
  QVERIFY(folder.Valid());
  qunsetenv(EventLoopProbe::kEnvironmentVariable);
  QVERIFY(EventLoopProbe::FromEnvironment() == nullptr);

  const QString path = folder.FilePath(QStringLiteral("figures.txt"));
  qputenv(EventLoopProbe::kEnvironmentVariable, path.toLocal8Bit());
  qputenv(EventLoopProbe::kBlocksVariable, "0");
  std::unique_ptr<EventLoopProbe> probe = EventLoopProbe::FromEnvironment();
  qunsetenv(EventLoopProbe::kEnvironmentVariable);
  qunsetenv(EventLoopProbe::kBlocksVariable);
  QVERIFY(probe != nullptr);
  EventLoopProbe::CountRecord();
  EventLoopProbe::CountRecord();
  QThread::msleep(100);
  QTRY_VERIFY_WITH_TIMEOUT(ReadProbeFile(path).size() == 1, 3000);
  QCOMPARE(ReadProbeFile(path).first().longestBlockMs, 0.0);
  probe.reset();
  const QList<ProbeLine> lines = ReadProbeFile(path);
  QCOMPARE(lines.size(), 2);
  QCOMPARE(lines.last().records, 2);
}

QTEST_MAIN(TestEventLoopProbe)
#include "test_event_loop_probe.moc"
