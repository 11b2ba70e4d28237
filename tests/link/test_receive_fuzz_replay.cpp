// Replays the receive fuzzer's seed corpus and a few thousand mutations of
// it through the receive path: no input may crash, hang, or spoil the good
// record that follows it (the harness aborts if it does).
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QtTest>

#include "receive_harness.h"
#include "support/test_working_folder.h"

namespace {

QList<QByteArray> SeedCorpus() {
  const QDir folder(SourceFilePath(QStringLiteral("fuzz/corpus/receive")));
  QList<QByteArray> seeds;
  for (const QString& name : folder.entryList(QDir::Files, QDir::Name)) {
    QFile file(folder.filePath(name));
    if (file.open(QIODevice::ReadOnly)) seeds << file.readAll();
  }
  return seeds;
}

void Run(const QByteArray& input) {
  RunReceiveHarness(reinterpret_cast<const std::uint8_t*>(input.constData()),
                    static_cast<std::size_t>(input.size()));
}

QByteArray Mutate(QByteArray input, QRandomGenerator& random) {
  static const char kSpecial[] = {'!', '\n', '\0', ',', ';', '\r', '4', 'L', 'H', 'V', 'T', 'Q'};
  const int edits = random.bounded(1, 8);
  for (int e = 0; e < edits && !input.isEmpty(); ++e) {
    const qsizetype at = random.bounded(input.size());
    switch (random.bounded(6)) {
      case 0: input[at] = static_cast<char>(random.bounded(256)); break;
      case 1: input[at] = kSpecial[random.bounded(int(sizeof kSpecial))]; break;
      case 2: input.insert(at, kSpecial[random.bounded(int(sizeof kSpecial))]); break;
      case 3: input.remove(at, random.bounded(1, 64)); break;
      case 4: input.truncate(at); break;
      case 5: input.insert(at, input.mid(random.bounded(input.size()), random.bounded(1, 200))); break;
    }
  }
  return input;
}

}  // namespace

class TestReceiveFuzzReplay : public QObject {
  Q_OBJECT

 private slots:
  void seedCorpus();
  void mutations();
  void hostileShapes();
};

void TestReceiveFuzzReplay::seedCorpus() {
  const QList<QByteArray> seeds = SeedCorpus();
  QVERIFY2(seeds.size() >= 8, "seed corpus missing");
  for (const QByteArray& seed : seeds) Run(seed);
}

void TestReceiveFuzzReplay::mutations() {
  const QList<QByteArray> seeds = SeedCorpus();
  QVERIFY(!seeds.isEmpty());
  QRandomGenerator random(20261208);
  for (int round = 0; round < 3000; ++round) {
    Run(Mutate(seeds[random.bounded(int(seeds.size()))], random));
  }
}

void TestReceiveFuzzReplay::hostileShapes() {
  Run(QByteArray(70000, 'x') + '\n');
  Run('!' + QByteArray(70000, ',') + '\n');
  Run(QByteArray(5000, '\n'));
  Run(QByteArray(5000, '\0'));
  Run(QByteArray(5000, '!'));
  Run(QByteArray("!,T99999,4,1,") + QByteArray(2000, ';') + '\n');
}

int main(int argc, char** argv) {
  // The harness makes its own offscreen application.
  TestReceiveFuzzReplay test;
  return QTest::qExec(&test, argc, argv);
}

#include "test_receive_fuzz_replay.moc"
