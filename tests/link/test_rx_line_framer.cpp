// Gathering received characters into lines, whatever the notifications'
// boundaries.
#include <QRandomGenerator>
#include <QtTest>

#include "link/rx_line_framer.h"
#include "support/record_builder.h"

namespace {

QList<QByteArray> FeedAll(RxLineFramer& framer, const QByteArray& bytes) {
  QList<QByteArray> lines;
  QByteArray line;
  for (char ch : bytes) {
    if (framer.Feed(ch, &line)) lines << line;
  }
  return lines;
}

}  // namespace

class TestRxLineFramer : public QObject {
  Q_OBJECT

 private slots:
  void startAndEndOfLine();
  void anySplitGivesTheSameLines();
  void garbageNeverCorruptsTheNextGoodLine();
  void overlongGarbageIsBounded();
};

void TestRxLineFramer::startAndEndOfLine() {
  RxLineFramer framer;
  // "!" in the middle discards the partial line; the new one starts there.
  QCOMPARE(FeedAll(framer, "!abc!def\n"), QList<QByteArray>{"!def\n"});
  // Two line feeds: the second completes a line of a line feed alone.
  QCOMPARE(FeedAll(framer, "!x\n\n"), (QList<QByteArray>{"!x\n", "\n"}));
  // Characters without a "!" are gathered like any others.
  QCOMPARE(FeedAll(framer, "junk\n"), QList<QByteArray>{"junk\n"});
  // A partial line waits for the next notification.
  QVERIFY(FeedAll(framer, "!partial").isEmpty());
  QCOMPARE(framer.RxLine(), QByteArray("!partial"));
  QCOMPARE(FeedAll(framer, " end\n"), QList<QByteArray>{"!partial end\n"});
  QVERIFY(framer.RxLine().isEmpty());
}

void TestRxLineFramer::anySplitGivesTheSameLines() {
  RecordBuilder record;
  QList<quint8> samples;
  for (int k = 0; k < 301; ++k) samples << static_cast<quint8>(44 + (k * 7) % 200);
  QByteArray stream = record.Line('L', QByteArray(1124, '1')) + record.Waveform('V', samples);
  record.status = "T  120";
  record.currentRange = "4";
  stream += record.Line('H', "H,1,2,3") + "\n";
  RxLineFramer whole;
  const QList<QByteArray> expected = FeedAll(whole, stream);
  QCOMPARE(expected.size(), 4);
  for (qsizetype cut = 0; cut <= stream.size(); ++cut) {
    RxLineFramer framer;
    QList<QByteArray> lines = FeedAll(framer, stream.left(cut));
    lines += FeedAll(framer, stream.mid(cut));
    QCOMPARE(lines, expected);
  }
}

void TestRxLineFramer::garbageNeverCorruptsTheNextGoodLine() {
  const QByteArray good = RecordBuilder().Line('I', QByteArray(301, 'x'));
  auto* random = QRandomGenerator::global();
  for (int round = 0; round < 200; ++round) {
    QByteArray garbage(random->bounded(1, 3000), '\0');
    for (char& ch : garbage) ch = static_cast<char>(random->bounded(256));
    RxLineFramer framer;
    const QList<QByteArray> lines = FeedAll(framer, garbage + good);
    QVERIFY(!lines.isEmpty());
    QCOMPARE(lines.last(), good);
  }
}

void TestRxLineFramer::overlongGarbageIsBounded() {
  RxLineFramer framer;
  QByteArray line;
  for (qsizetype i = 0; i < RxLineFramer::kMaxLine * 3; ++i) {
    QVERIFY(!framer.Feed('x', &line));
    QVERIFY(framer.RxLine().size() <= RxLineFramer::kMaxLine);
  }
  const QByteArray good = RecordBuilder().Line('V', QByteArray(301, 'x'));
  QCOMPARE(FeedAll(framer, good), QList<QByteArray>{good});
  // A 70,000-character line is far below the bound and arrives whole.
  const QByteArray longLine = '!' + QByteArray(70000, 'y') + '\n';
  QCOMPARE(FeedAll(framer, longLine), QList<QByteArray>{longLine});
}

QTEST_APPLESS_MAIN(TestRxLineFramer)
#include "test_rx_line_framer.moc"
