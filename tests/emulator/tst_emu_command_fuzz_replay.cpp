// Replays the command fuzzer's seed corpus and a few thousand mutations of it
// through the emulator's command input: whatever the program sends, the
// parser keeps its promises and the analyser keeps streaming records of its
// layout (the harness aborts when not). Then commands at the edges of what
// the analyser accepts, each followed by records of every kind.

#include "analyser.h"
#include "command_harness.h"
#include "load_model.h"
#include "replay_mutations.h"

#include <QRandomGenerator>
#include <QtTest>

#include <string>

using namespace qx7300emu;

namespace {

void Run(const QByteArray& input)
{
    RunCommandHarness(reinterpret_cast<const std::uint8_t*>(input.constData()),
                      static_cast<std::size_t>(input.size()));
}

// Two bytes of piece size and pacing, then the commands, as the corpus holds them.
QByteArray Input(const char* commands, char piece = 64, char gap = 1)
{
    return QByteArray(1, piece) + QByteArray(1, gap) + commands;
}

}  // namespace

class TstEmuCommandFuzzReplay : public QObject {
    Q_OBJECT

private slots:
    void SeedCorpusAndMutations();
    void EdgeSettings_data();
    void EdgeSettings();
};

void TstEmuCommandFuzzReplay::SeedCorpusAndMutations()
{
    const QList<QByteArray> seeds = fuzzreplay::SeedCorpus(QStringLiteral(VELTRIX_FUZZ_CORPUS "/command"));
    QVERIFY2(seeds.size() >= 6, "seed corpus missing");
    for (const QByteArray& seed : seeds)
        Run(seed);
    QRandomGenerator random(20261208);
    for (int round = 0; round < 2000; ++round)
        Run(fuzzreplay::Mutate(seeds[random.bounded(int(seeds.size()))], random, ":;,.-+0123456789eRTMIKZDENXCVFHSAWL "));
}

void TstEmuCommandFuzzReplay::EdgeSettings_data()
{
    QTest::addColumn<QByteArray>("commands");
    QTest::addColumn<bool>("accepted");

    // The largest and smallest values each command takes, on every record kind.
    QTest::newRow("supply at 1000 V") << QByteArray("V:1000;") << true;
    QTest::newRow("supply at a microvolt") << QByteArray("V:0.000001;") << true;
    QTest::newRow("class C at a huge current") << QByteArray("K:C,1e300,1;") << true;
    QTest::newRow("class D at a huge power") << QByteArray("K:D,1e300;") << true;
    QTest::newRow("no limits below a huge power") << QByteArray("N:1e300;") << true;
    QTest::newRow("huge reference impedance") << QByteArray("Z:1e300,1e300;") << true;
    QTest::newRow("zero reference impedance") << QByteArray("Z:0,0;") << true;
    QTest::newRow("tiny voltage change limits") << QByteArray("X:1e-300;") << true;
    QTest::newRow("huge voltage change limits") << QByteArray("C:1e300,1e300,1e300;") << true;
    QTest::newRow("longest timed test") << QByteArray("D:99999;") << true;
    QTest::newRow("smallest current range") << QByteArray("I:F;") << true;
    QTest::newRow("past the longest test") << QByteArray("D:100000;") << false;
    QTest::newRow("supply above 1000 V") << QByteArray("V:1000.001;") << false;
}

void TstEmuCommandFuzzReplay::EdgeSettings()
{
    QFETCH(QByteArray, commands);
    QFETCH(bool, accepted);

    Analyser analyser(MakeLoad("smps"));
    QCOMPARE(analyser.Apply(commands.toStdString(), 0.1), accepted);
    for (const char* mode : {"R:W;T:S;", "R:H;", "R:F;"})
        Run(Input((commands + mode).constData()));
}

QTEST_GUILESS_MAIN(TstEmuCommandFuzzReplay)
#include "tst_emu_command_fuzz_replay.moc"
