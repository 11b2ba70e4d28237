// The analyser's test states, held results, meter reset, ranging and the
// choice of records, driven with explicit times.

#include "analyser.h"
#include "current_ranges.h"
#include "emu_test_support.h"

#include <QtTest>

using namespace qx7300emu;
using emutest::At;
using emutest::Fields;

namespace {

std::unique_ptr<Analyser> QuietAnalyser(const char* load)
{
    auto analyser = std::make_unique<Analyser>(MakeLoad(load));
    analyser->SetNoiseEnabled(false);
    return analyser;
}

QString Status(Analyser& analyser, double now)
{
    return QString::fromStdString(Fields(analyser.NextRecord(now))[2]);
}

// Positions 108 to the end: the body of an unshifted record.
std::string Body(const std::string& line)
{
    return line.substr(107);
}

double Number(const std::string& text)
{
    std::string t = text;
    if (!t.empty() && t.front() == 'X')
        t.erase(0, 1);
    return QString::fromStdString(t).trimmed().toDouble();
}

}  // namespace

class TstEmuSequence : public QObject {
    Q_OBJECT

private slots:
    void TimedTestCountsDownThenHolds();
    void StateCommands();
    void CompletedResultsAreHeld();
    void MeterResetClearsMaxima();
    void AutoRange_data();
    void AutoRange();
    void RangeCommands();
    void RecordChoice();
    void HarmonicMethodSetsSmoothing();
};

void TstEmuSequence::TimedTestCountsDownThenHolds()
{
    auto a = QuietAnalyser("resistive");
    QCOMPARE(Status(*a, 1.0), QString("W     "));
    QVERIFY(a->Apply("D:3;", 10.0));
    QVERIFY(a->Apply("T:S;", 10.0));
    QCOMPARE(Status(*a, 10.0), QString("T    3"));
    QCOMPARE(Status(*a, 10.5), QString("T    3"));
    QCOMPARE(Status(*a, 11.2), QString("T    2"));
    QCOMPARE(Status(*a, 12.5), QString("T    1"));
    QCOMPARE(Status(*a, 13.0), QString("Q     "));
    QCOMPARE(Status(*a, 60.0), QString("Q     "));  // held until told otherwise

    // A long test shows its seconds right-aligned in five characters.
    QVERIFY(a->Apply("D:120;", 70.0));
    QVERIFY(a->Apply("T:S;", 70.0));
    QCOMPARE(Status(*a, 70.0), QString("T  120"));
    QCOMPARE(Status(*a, 71.5), QString("T  119"));
    QVERIFY(a->Apply("D:60000;", 80.0));
    QVERIFY(a->Apply("T:S;", 80.0));
    QCOMPARE(Status(*a, 80.0), QString("T60000"));

    // A test whose end passes before its first record (a clock run far
    // ahead, a slow reader) is still seen running once, then complete.
    QVERIFY(a->Apply("D:2;", 90.0));
    QVERIFY(a->Apply("T:S;", 90.0));
    QCOMPARE(Status(*a, 95.0), QString("T    0"));
    QCOMPARE(Status(*a, 95.1), QString("Q     "));
}

void TstEmuSequence::StateCommands()
{
    auto a = QuietAnalyser("resistive");
    QVERIFY(a->Apply("T:F;", 1.0));
    QCOMPARE(Status(*a, 1.0), QString("U     "));
    QVERIFY(a->Apply("D:5;", 2.0));
    QVERIFY(a->Apply("T:S;", 2.0));
    QCOMPARE(Status(*a, 3.0), QString("T    4"));
    QVERIFY(a->Apply("T:A;", 3.0));
    QCOMPARE(Status(*a, 3.0), QString("I     "));
    QCOMPARE(Status(*a, 20.0), QString("I     "));  // an aborted test does not complete later
    QVERIFY(a->Apply("T:S;", 21.0));
    QVERIFY(a->Apply("T:H;", 22.0));
    QCOMPARE(Status(*a, 22.0), QString("H     "));
    QCOMPARE(Status(*a, 40.0), QString("H     "));
    QVERIFY(a->Apply("T:F;", 41.0));
    QCOMPARE(Status(*a, 41.0), QString("U     "));
    // A command outside the vocabulary changes nothing.
    QVERIFY(!a->Apply("T:G;", 42.0));
    QVERIFY(!a->Apply("T:S,1;", 42.0));
    QCOMPARE(Status(*a, 42.0), QString("U     "));
}

void TstEmuSequence::CompletedResultsAreHeld()
{
    // The switched load changes state every 60/39 s, so live harmonic figures
    // keep moving; the held ones must not.
    auto a = QuietAnalyser("flicker");
    a->Apply("I:9;", 0.0);
    a->Apply("R:H;", 0.0);
    a->Apply("D:2;", 0.0);
    a->Apply("T:S;", 0.0);
    for (double t = 0.0; t < 2.0; t += 0.1)
        a->Advance(t);
    const std::string atEnd = a->NextRecord(2.5);
    const std::string later = a->NextRecord(3.3);
    QCOMPARE(Fields(later)[2], std::string("Q     "));
    QCOMPARE(Body(later), Body(atEnd));

    a->Apply("T:F;", 4.0);
    const std::string freeRun = a->NextRecord(4.7);
    QVERIFY(Body(freeRun) != Body(atEnd));
}

void TstEmuSequence::MeterResetClearsMaxima()
{
    // On: 860 W, off: 60 W. The 3rd harmonic current (mA on range 9) comes
    // from the supply's own 3rd harmonic, in proportion to the load.
    auto a = QuietAnalyser("flicker");
    a->Apply("I:9;", 0.0);
    a->Apply("R:H;", 0.0);
    for (double t = 0.0; t <= 3.0; t += 0.1)
        a->Advance(t);
    const double onMaximum = a->Harmonics().Maximum()[1];
    QVERIFY(onMaximum > 2.0);  // smoothed: most of the way to 3.7 A
    const double thirdMaximum = Number(Fields(Body(a->NextRecord(3.1)).substr(1))[122]);

    QVERIFY(a->Apply("M:R;", 3.2));  // off since 3.08 s
    for (double t = 3.3; t <= 4.0; t += 0.1)
        a->Advance(t);
    QVERIFY(a->Harmonics().Maximum()[1] < 0.5);
    const double thirdAfter = Number(Fields(Body(a->NextRecord(4.1)).substr(1))[122]);
    QVERIFY2(thirdAfter < 0.25 * thirdMaximum, qPrintable(QString("%1 then %2").arg(thirdMaximum).arg(thirdAfter)));
    QCOMPARE(Status(*a, 4.2), QString("W     "));  // the state is not touched
}

void TstEmuSequence::AutoRange_data()
{
    QTest::addColumn<int>("present");
    QTest::addColumn<double>("peak");
    QTest::addColumn<int>("expected");

    QTest::newRow("14 A from the top") << 0 << 14.1 << 4;
    QTest::newRow("22 A stays on 24 A") << 4 << 22.0 << 4;
    QTest::newRow("23 A leaves 24 A") << 4 << 23.0 << 3;
    QTest::newRow("19 A fits 24 A well") << 3 << 19.0 << 4;
    QTest::newRow("19.5 A stays on 48 A") << 3 << 19.5 << 3;
    QTest::newRow("nothing, smallest") << 0 << 0.0 << 14;
    QTest::newRow("500 A, largest") << 14 << 500.0 << 0;
    QTest::newRow("0.37 A from 6 A") << 6 << 0.37 << 9;
}

void TstEmuSequence::AutoRange()
{
    QFETCH(int, present);
    QFETCH(double, peak);
    QFETCH(int, expected);
    QCOMPARE(AutoCurrentRange(present, peak), expected);
}

void TstEmuSequence::RangeCommands()
{
    // Switched load: 0.37 A peak off, 5.3 A peak on (on from 1.54 s to 3.08 s).
    auto a = QuietAnalyser("flicker");
    a->Advance(0.5);
    QCOMPARE(a->CurrentRange(), 9);
    a->Advance(2.0);
    QCOMPARE(a->CurrentRange(), 6);
    QCOMPARE(Fields(a->NextRecord(2.0))[3], std::string("6"));

    QVERIFY(a->Apply("I:L;", 2.0));
    a->Advance(3.5);
    QCOMPARE(a->CurrentRange(), 6);
    QVERIFY(a->Apply("I:U;", 3.6));
    a->Advance(3.7);
    QCOMPARE(a->CurrentRange(), 9);

    QVERIFY(a->Apply("I:C;", 3.8));
    QCOMPARE(a->CurrentRange(), 12);
    QVERIFY(a->RangeLocked());
    QCOMPARE(Fields(a->NextRecord(3.9))[3], std::string("C"));
    QVERIFY(a->Apply("I:F;", 4.0));  // below the smallest: stays the smallest
    QCOMPARE(a->CurrentRange(), 14);
    QVERIFY(!a->Apply("I:G;", 4.0));
    QVERIFY(!a->Apply("I:;", 4.0));
    QVERIFY(!a->Apply("I:AB;", 4.0));
    QCOMPARE(a->CurrentRange(), 14);

    // Locked too low for the current: overload while no test runs.
    auto r = QuietAnalyser("resistive");
    QVERIFY(r->Apply("I:7;", 0.0));
    QCOMPARE(Status(*r, 0.5), QString("O     "));
    QVERIFY(r->Apply("T:S;", 1.0));
    QCOMPARE(Status(*r, 1.5).at(0), QChar('T'));
    QVERIFY(r->Apply("I:U;", 2.0));
    r->Advance(2.1);
    QCOMPARE(r->CurrentRange(), 4);
}

void TstEmuSequence::RecordChoice()
{
    auto a = QuietAnalyser("smps");
    QCOMPARE(At(a->NextRecord(1.0), 108), 'V');  // waveforms until asked otherwise
    QCOMPARE(At(a->NextRecord(1.1), 108), 'I');
    QCOMPARE(At(a->NextRecord(1.2), 108), 'V');
    QVERIFY(a->Apply("R:H;", 1.3));
    QCOMPARE(At(a->NextRecord(1.3), 108), 'L');
    QCOMPARE(At(a->NextRecord(1.4), 108), 'L');
    QVERIFY(a->Apply("R:F;", 1.5));
    QCOMPARE(At(a->NextRecord(1.5), 108), 'H');
    QVERIFY(!a->Apply("R:Q;", 1.6));
    QCOMPARE(At(a->NextRecord(1.6), 108), 'H');
    QVERIFY(a->Apply("R:W;", 1.7));
    QCOMPARE(At(a->NextRecord(1.7), 108), 'V');  // a new choice starts with the voltage
}

void TstEmuSequence::HarmonicMethodSetsSmoothing()
{
    // The switched load turns on at 60/39 = 1.54 s.
    for (const bool raw : {false, true}) {
        auto a = QuietAnalyser("flicker");
        QVERIFY(a->Apply(raw ? "M:H,1;" : "M:H,3;", 0.0));
        for (double t : {0.0, 0.5, 1.0, 1.5, 1.6})
            a->Advance(t);
        const double present = a->Harmonics().Present()[1];
        if (raw)
            QVERIFY2(present > 3.5, qPrintable(QString::number(present)));
        else
            QVERIFY2(present < 1.0, qPrintable(QString::number(present)));
    }
}

QTEST_APPLESS_MAIN(TstEmuSequence)
#include "tst_emu_sequence.moc"
