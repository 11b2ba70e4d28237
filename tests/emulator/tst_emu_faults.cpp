// The line's faults: how they are given, when they act, and what they do to
// the bytes, deterministically for a seed.

#include "emulator_options.h"
#include "line_faults.h"

#include <QtTest>

#include <bit>
#include <string>

using namespace qx7300emu;

namespace {

// A record-like line: no "!" or line feed inside, 400 characters in all.
std::string Record(int n)
{
    std::string line = "!" + std::to_string(n) + ",W     ,4,0,+230.1,325.3,50.00";
    line.resize(399, 'x');
    return line + "\n";
}

LineFault Parsed(const std::string& text)
{
    LineFault fault;
    std::string error;
    if (!ParseFault(text, fault, error))
        qFatal("%s", error.c_str());
    return fault;
}

std::string ShapeMany(LineFaults& faults, int records)
{
    std::string out;
    for (int n = 0; n < records; ++n)
        out += faults.Shape(Record(n));
    return out;
}

std::string Joined(const std::vector<LineFaults::Change>& changes)
{
    std::string text;
    for (const LineFaults::Change& change : changes)
        text += change.report + "|";
    return text;
}

}  // namespace

class TstEmuFaults : public QObject {
    Q_OBJECT

private slots:
    void ParsesTheFaults_data();
    void ParsesTheFaults();
    void RefusesBadFaults_data();
    void RefusesBadFaults();
    void OptionsCollectFaultsSeedAndTap();
    void ActsInItsWindowFromTheFirstCommand();
    void SameSeedSameDamage_data();
    void SameSeedSameDamage();
    void DropLosesBytesAtItsRate();
    void CorruptFlipsOneBitAtItsRate();
    void GarbageComesBetweenRecordsWithoutLineFeed();
};

void TstEmuFaults::ParsesTheFaults_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("kind");
    QTest::addColumn<double>("probability");
    QTest::addColumn<int>("burst");
    QTest::addColumn<double>("at");
    QTest::addColumn<double>("seconds");
    const double endless = LineFault::Forever;
    QTest::newRow("drop") << "drop:0.01" << int(FaultKind::Drop) << 0.01 << 0 << 0.0 << endless;
    QTest::newRow("drop window") << "drop:1:2.5:3" << int(FaultKind::Drop) << 1.0 << 0 << 2.5 << 3.0;
    QTest::newRow("corrupt at") << "corrupt:0:4" << int(FaultKind::Corrupt) << 0.0 << 0 << 4.0 << endless;
    QTest::newRow("garbage") << "garbage:64:1:2" << int(FaultKind::Garbage) << 0.0 << 64 << 1.0 << 2.0;
    QTest::newRow("stall") << "stall:3:4" << int(FaultKind::Stall) << 0.0 << 0 << 3.0 << 4.0;
    QTest::newRow("hangup for good") << "hangup:2" << int(FaultKind::Hangup) << 0.0 << 0 << 2.0 << endless;
    QTest::newRow("hangup, replug") << "hangup:2:5" << int(FaultKind::Hangup) << 0.0 << 0 << 2.0 << 5.0;
    QTest::newRow("flood") << "flood" << int(FaultKind::Flood) << 0.0 << 0 << 0.0 << endless;
    QTest::newRow("flood window") << "flood:0.5:1" << int(FaultKind::Flood) << 0.0 << 0 << 0.5 << 1.0;
}

void TstEmuFaults::ParsesTheFaults()
{
    QFETCH(QString, text);
    LineFault fault;
    std::string error;
    QVERIFY2(ParseFault(text.toStdString(), fault, error), error.c_str());
    QTEST(int(fault.kind), "kind");
    QTEST(fault.probability, "probability");
    QTEST(int(fault.burst), "burst");
    QTEST(fault.at, "at");
    QTEST(fault.seconds, "seconds");
    QCOMPARE(QString::fromStdString(fault.text), text);
}

void TstEmuFaults::RefusesBadFaults_data()
{
    QTest::addColumn<QString>("text");
    for (const char* bad : {"", "drop", "drop:", "drop:1.5", "drop:-0.1", "drop:0.1:-1", "drop:0.1:1:0",
                            "drop:0.1:1:2:3", "corrupt:x", "garbage:0", "garbage:2.5", "garbage:65537", "stall",
                            "stall:1", "stall:1:0", "hangup", "hangup:1:0", "hangup:1:2:3", "flood:1:2:3",
                            "flood:nan", "noise:0.1"})
        QTest::newRow(bad) << QString::fromLatin1(bad);
}

void TstEmuFaults::RefusesBadFaults()
{
    QFETCH(QString, text);
    LineFault fault;
    std::string error;
    QVERIFY(!ParseFault(text.toStdString(), fault, error));
    QVERIFY2(error.find("--fault") != std::string::npos, error.c_str());
}

void TstEmuFaults::OptionsCollectFaultsSeedAndTap()
{
    const ParsedOptions parsed = ParseOptions(
        {"--fault", "drop:0.1", "--fault=stall:1:2", "--seed", "42", "--tap", "/tmp/tap", "--fault", "flood"});
    QVERIFY2(parsed.error.empty(), parsed.error.c_str());
    QCOMPARE(parsed.options.faults.size(), std::size_t(3));
    QCOMPARE(int(parsed.options.faults[1].kind), int(FaultKind::Stall));
    QCOMPARE(parsed.options.seed, 42u);
    QCOMPARE(parsed.options.tapPath, std::string("/tmp/tap"));
    for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
             {"--fault", "hangup"}, {"--seed", "-1"}, {"--seed", "x"}, {"--tap"}, {"--tap="}}) {
        QVERIFY2(!ParseOptions(bad).error.empty(), bad.front().c_str());
    }
}

void TstEmuFaults::ActsInItsWindowFromTheFirstCommand()
{
    LineFaults faults({Parsed("stall:1:2"), Parsed("flood:0.5:1"), Parsed("hangup:2:3"), Parsed("drop:1")}, 1);
    // Time passes without a command: nothing acts, nothing is due.
    QVERIFY(faults.Advance(100.0).empty());
    QCOMPARE(faults.UntilNextChange(100.0), LineFault::Forever);
    QCOMPARE(faults.Shape(Record(1)), Record(1));

    faults.CommandReceived(10.0);
    faults.CommandReceived(10.4);  // only the first starts the clock
    QCOMPARE(Joined(faults.Advance(10.0)), std::string("fault drop:1 begins|"));
    QVERIFY(faults.Shape(Record(1)).empty());  // every byte lost
    QCOMPARE(faults.UntilNextChange(10.2), 0.3);
    QVERIFY(!faults.Flooding() && !faults.Stalled() && !faults.LineGone());

    // Late: all that fell due meanwhile, in the order it fell due.
    QCOMPARE(Joined(faults.Advance(11.6)),
             std::string("fault flood:0.5:1 begins|fault stall:1:2 begins|fault flood:0.5:1 ends: 0 bytes sent unpaced|"));
    QVERIFY(faults.Stalled() && !faults.Flooding());
    QVERIFY(faults.Advance(11.9).empty());  // reported once
    QCOMPARE(Joined(faults.Advance(12.0)), std::string("fault hangup:2:3 begins|"));
    QVERIFY(faults.LineGone());
    QCOMPARE(Joined(faults.Advance(13.0)), std::string("fault stall:1:2 ends|"));
    QCOMPARE(faults.UntilNextChange(13.0), 2.0);
    QCOMPARE(Joined(faults.Advance(15.0)), std::string("fault hangup:2:3 ends|"));
    QVERIFY(!faults.LineGone() && !faults.Stalled());
    QCOMPARE(faults.UntilNextChange(15.0), LineFault::Forever);  // drop lasts to the end
}

void TstEmuFaults::SameSeedSameDamage_data()
{
    QTest::addColumn<QString>("fault");
    QTest::newRow("drop") << "drop:0.02";
    QTest::newRow("corrupt") << "corrupt:0.02";
    QTest::newRow("garbage") << "garbage:16";
}

void TstEmuFaults::SameSeedSameDamage()
{
    QFETCH(QString, fault);
    auto run = [&](std::uint32_t seed, bool withOthers) {
        std::vector<LineFault> given{Parsed(fault.toStdString())};
        // A fault given after it draws from its own generator.
        if (withOthers)
            given.push_back(Parsed("stall:100:1"));
        LineFaults faults(given, seed);
        faults.CommandReceived(0.0);
        faults.Advance(0.0);
        return ShapeMany(faults, 200);
    };
    const std::string first = run(7, false);
    LineFaults none({}, 7);
    QVERIFY(first != ShapeMany(none, 200));
    QCOMPARE(run(7, false), first);
    QCOMPARE(run(7, true), first);
    QVERIFY(run(8, false) != first);
}

void TstEmuFaults::DropLosesBytesAtItsRate()
{
    LineFaults faults({Parsed("drop:0.1:0:1")}, 3);
    faults.CommandReceived(0.0);
    faults.Advance(0.0);
    const std::size_t sent = 1000 * Record(0).size();
    const std::string out = ShapeMany(faults, 1000);
    const double lost = 1.0 - double(out.size()) / double(sent);
    QVERIFY2(lost > 0.09 && lost < 0.11, qPrintable(QString::number(lost)));
    // The end report counts exactly the bytes that went.
    const std::string report = Joined(faults.Advance(1.0));
    QCOMPARE(report, "fault drop:0.1:0:1 ends: " + std::to_string(sent - out.size()) + " bytes dropped|");
    QCOMPARE(faults.Shape(Record(5)), Record(5));  // over
}

void TstEmuFaults::CorruptFlipsOneBitAtItsRate()
{
    LineFaults faults({Parsed("corrupt:0.05")}, 11);
    faults.CommandReceived(0.0);
    faults.Advance(0.0);
    std::size_t total = 0;
    std::size_t changed = 0;
    for (int n = 0; n < 500; ++n) {
        const std::string clean = Record(n);
        const std::string out = faults.Shape(clean);
        QCOMPARE(out.size(), clean.size());
        for (std::size_t k = 0; k < clean.size(); ++k) {
            const unsigned diff = static_cast<unsigned char>(clean[k] ^ out[k]);
            QVERIFY(diff == 0 || std::popcount(diff) == 1);
            changed += diff != 0;
        }
        total += clean.size();
    }
    const double rate = double(changed) / double(total);
    QVERIFY2(rate > 0.045 && rate < 0.055, qPrintable(QString::number(rate)));
}

void TstEmuFaults::GarbageComesBetweenRecordsWithoutLineFeed()
{
    LineFaults faults({Parsed("garbage:40")}, 5);
    faults.CommandReceived(0.0);
    faults.Advance(0.0);
    int bursts = 0;
    QSet<char> seen;
    for (int n = 0; n < 400; ++n) {
        const std::string clean = Record(n);
        const std::string out = faults.Shape(clean);
        // The record itself arrives whole, after the burst if there is one.
        QVERIFY(out.size() == clean.size() || out.size() == clean.size() + 40);
        QCOMPARE(out.substr(out.size() - clean.size()), clean);
        const std::string burst = out.substr(0, out.size() - clean.size());
        QVERIFY(burst.find('\n') == std::string::npos);
        for (char c : burst)
            seen.insert(c);
        bursts += !burst.empty();
    }
    QVERIFY2(bursts > 160 && bursts < 240, qPrintable(QString::number(bursts)));
    // Random bytes: separators and "!" among them, not only letters.
    QVERIFY(seen.contains('!') && seen.contains(',') && seen.contains('\r') && seen.contains(char(0xFF)));
    QCOMPARE(Joined(faults.Advance(1e9)), std::string());
}

QTEST_APPLESS_MAIN(TstEmuFaults)
#include "tst_emu_faults.moc"
