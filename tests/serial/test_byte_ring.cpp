#include "serial/byte_ring.h"

#include <QtTest>

#include <numeric>
#include <vector>

class TestByteRing : public QObject {
  Q_OBJECT

private slots:
  void FullFlagTellsFullFromEmpty();
  void WrapsInTwoPieces();
  void PutIsAllOrNothing();
  void PeekDoesNotConsume();
  void ZeroCapacityTakesNothing();
};

namespace {

std::vector<quint8> Sequence(std::size_t n, quint8 first) {
  std::vector<quint8> bytes(n);
  std::iota(bytes.begin(), bytes.end(), first);
  return bytes;
}

std::vector<quint8> Drain(TByteRing& ring) {
  std::vector<quint8> out;
  while (!ring.Empty()) {
    const auto run = ring.ReadableRun();
    out.insert(out.end(), run.begin(), run.end());
    ring.CommitRead(run.size());
  }
  return out;
}

}  // namespace

void TestByteRing::FullFlagTellsFullFromEmpty() {
  TByteRing ring(8);
  QVERIFY(ring.Empty());
  QVERIFY(ring.Put(Sequence(8, 1)));
  // Indexes are equal again, but the ring is full, not empty.
  QCOMPARE(ring.WriteIndex(), ring.ReadIndex());
  QVERIFY(ring.Full());
  QVERIFY(!ring.Empty());
  QCOMPARE(ring.Count(), std::size_t(8));
  QVERIFY(ring.WritableRun().empty());
  ring.CommitRead(1);
  QVERIFY(!ring.Full());
  QCOMPARE(ring.Free(), std::size_t(1));
  ring.CommitRead(7);
  QVERIFY(ring.Empty());
}

void TestByteRing::WrapsInTwoPieces() {
  TByteRing ring(10);
  QVERIFY(ring.Put(Sequence(7, 0)));
  ring.CommitRead(5);
  // 2 unread at index 5..6; 8 bytes must go as 3 at the end and 5 at the start.
  QCOMPARE(ring.WritableRun().size(), std::size_t(3));
  QVERIFY(ring.Put(Sequence(8, 100)));
  QVERIFY(ring.Full());
  std::vector<quint8> expected{5, 6};
  const auto more = Sequence(8, 100);
  expected.insert(expected.end(), more.begin(), more.end());
  QCOMPARE(ring.ReadableRun().size(), std::size_t(5));  // up to the ring's end
  QCOMPARE(Drain(ring), expected);
}

void TestByteRing::PutIsAllOrNothing() {
  TByteRing ring(16);
  QVERIFY(ring.Put(Sequence(10, 0)));
  QVERIFY(!ring.Put(Sequence(7, 50)));
  QCOMPARE(ring.Count(), std::size_t(10));
  QVERIFY(ring.Put(Sequence(6, 50)));
  QVERIFY(ring.Full());
}

void TestByteRing::PeekDoesNotConsume() {
  TByteRing ring(4);
  QVERIFY(ring.Put(Sequence(3, 0)));
  ring.CommitRead(2);
  QVERIFY(ring.Put(Sequence(3, 10)));  // wraps
  QCOMPARE(ring.PeekAt(0), quint8(2));
  QCOMPARE(ring.PeekAt(1), quint8(10));
  QCOMPARE(ring.PeekAt(3), quint8(12));
  QCOMPARE(ring.Count(), std::size_t(4));
}

void TestByteRing::ZeroCapacityTakesNothing() {
  TByteRing ring(0);
  QVERIFY(ring.Empty());
  QVERIFY(!ring.Put(Sequence(1, 0)));
  QVERIFY(ring.Put({}));
  ring.CommitRead(1);
  QVERIFY(ring.Empty());
}

QTEST_APPLESS_MAIN(TestByteRing)
#include "test_byte_ring.moc"
