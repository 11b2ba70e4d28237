// Voltage changes and flicker: the Pst curve, the voltage change meter on
// known level sequences, the 10-minute intervals, and the switched load
// through the reference impedance.

#include "analyser.h"
#include "emu_test_support.h"
#include "flicker_curve.h"
#include "flicker_meter.h"
#include "voltage_variation_meter.h"

#include <QtTest>

#include <complex>

using namespace qx7300emu;
using emutest::Fields;

namespace {

// `seconds` of half cycles at 100 a second at one level.
void Hold(VoltageVariationMeter& meter, double level, double seconds)
{
    const int count = static_cast<int>(std::lround(seconds * 100.0));
    for (int i = 0; i < count; ++i)
        meter.Feed(level);
}

double Number(const std::string& text)
{
    return QString::fromStdString(text).trimmed().toDouble();
}

// The flicker section's fields of an "H" record.
std::vector<std::string> FlickerFields(const std::string& line)
{
    return Fields(line.substr(107, 1000));
}

}  // namespace

class TstEmuFlicker : public QObject {
    Q_OBJECT

private slots:
    void UnitCurve_data();
    void UnitCurve();
    void ClassifierGivesPstBack();
    void RectangularSteps_data();
    void RectangularSteps();
    void ExtendedChange();
    void IntervalsAndPlt();
    void SwitchedLoadThroughImpedance();
    void LimitsReachTheVerdicts();
};

void TstEmuFlicker::UnitCurve_data()
{
    QTest::addColumn<double>("rate");
    QTest::addColumn<double>("percent");
    QTest::newRow("1/min") << 1.0 << 2.715;
    QTest::newRow("2/min") << 2.0 << 2.191;
    QTest::newRow("7/min") << 7.0 << 1.450;
    QTest::newRow("39/min") << 39.0 << 0.894;
    QTest::newRow("110/min") << 110.0 << 0.722;
    QTest::newRow("1620/min") << 1620.0 << 0.407;
}

void TstEmuFlicker::UnitCurve()
{
    QFETCH(double, rate);
    QFETCH(double, percent);
    QVERIFY(qAbs(UnitPstChangePercent(rate) - percent) < 1e-9);
    QVERIFY(qAbs(RectangularChangePst(percent, rate) - 1.0) < 1e-9);
    QVERIFY(qAbs(RectangularChangePst(2.0 * percent, rate) - 2.0) < 1e-9);
    // Between the points the curve falls steadily with the rate.
    QVERIFY(UnitPstChangePercent(rate * 1.2) < UnitPstChangePercent(rate) || rate >= 1620.0);
    QVERIFY(UnitPstChangePercent(rate * 1.2) > 0.4);
}

void TstEmuFlicker::ClassifierGivesPstBack()
{
    for (double pst : {0.1, 0.67, 1.0, 2.5}) {
        const ClassifierLevels c = ClassifierFor(pst);
        QVERIFY(qAbs(PstFromClassifier(c.levels) - pst) < 1e-9);
        QVERIFY(std::is_sorted(c.levels.rbegin(), c.levels.rend()));  // falling with the percentile
        QVERIFY(c.peak >= c.levels[0]);
    }
}

void TstEmuFlicker::RectangularSteps_data()
{
    QTest::addColumn<double>("step");        // percent, down from nominal and back
    QTest::addColumn<double>("stepSeconds");
    QTest::addColumn<bool>("dmaxFails");     // limit 4 %
    QTest::addColumn<bool>("dtFails");       // 3.3 % for more than 500 ms
    QTest::addColumn<bool>("dcFails");       // 3.3 %

    QTest::newRow("1 % for 2 s") << 1.0 << 2.0 << false << false << false;
    QTest::newRow("3.5 % for 3 s") << 3.5 << 3.0 << false << true << true;
    QTest::newRow("5 % for 0.3 s") << 5.0 << 0.3 << true << false << false;
}

void TstEmuFlicker::RectangularSteps()
{
    QFETCH(double, step);
    QFETCH(double, stepSeconds);
    QFETCH(bool, dmaxFails);
    QFETCH(bool, dtFails);
    QFETCH(bool, dcFails);

    VoltageVariationMeter meter(100.0);
    Hold(meter, 0.0, 2.0);
    QCOMPARE(meter.StateCode(), 0);
    Hold(meter, -step, stepSeconds);
    Hold(meter, 0.0, 2.0);

    QVERIFY(qAbs(meter.Dmax() - step) < 1e-9);
    QCOMPARE(meter.DmaxFails(), dmaxFails);
    QCOMPARE(meter.DtFails(), dtFails);
    QCOMPARE(meter.DcFails(), dcFails);
    QCOMPARE(meter.LowestLevel(), -step);
    QCOMPARE(meter.HighestLevel(), 0.0);
    QCOMPARE(meter.StateCode(), 0);
    if (stepSeconds >= 2.0) {
        // The step lasted long enough to be a steady state of its own.
        QCOMPARE(meter.SteadyStateCount(), 3);
        QVERIFY(qAbs(meter.MaxDcAdjacent() - step) < 1e-9);
        QVERIFY(qAbs(meter.LowestSteady() + step) < 1e-9);
        // The voltage stays away from the steady level for the first second
        // of the step (until it is steady itself) and again a second after.
        QVERIFY(qAbs(meter.LongestDtOverSeconds() - (step > 3.3 ? 1.0 : 0.0)) < 0.011);
    } else {
        QCOMPARE(meter.SteadyStateCount(), 2);
        QCOMPARE(meter.MaxDcAdjacent(), 0.0);
    }
    // The last second is steady again: no variation within it.
    QCOMPARE(meter.WindowSpan(), 0.0);
}

void TstEmuFlicker::ExtendedChange()
{
    VoltageVariationMeter meter(100.0);
    Hold(meter, 0.0, 1.5);
    // A slow fall of 0.5 % a second never settles.
    for (int i = 0; i < 700; ++i)
        meter.Feed(-0.005 * i);
    QCOMPARE(meter.StateCode(), 2);
    QVERIFY(meter.StateSeconds() >= VoltageVariationMeter::ExtendedChangeSeconds);
    VoltageVariationMeter brief(100.0);
    Hold(brief, 0.0, 1.5);
    Hold(brief, -1.0, 0.5);
    QCOMPARE(brief.StateCode(), 1);
    QVERIFY(qAbs(brief.StateLevel() + 1.0) < 1e-9);
}

void TstEmuFlicker::IntervalsAndPlt()
{
    FlickerMeter meter;
    QCOMPARE(meter.IntervalPst(1), -1.0);
    meter.Advance(0.5, 0.0);
    QCOMPARE(meter.PresentInterval(), 1);
    QCOMPARE(meter.IntervalPst(1), 0.5);  // shown from the first moment
    meter.Advance(0.5, 600.0);
    QCOMPARE(meter.IntervalPst(1), 0.5);
    meter.Advance(1.5, 300.0);
    meter.Advance(0.5, 300.0);
    QCOMPARE(meter.IntervalPst(2), 1.0);
    QCOMPARE(meter.IntervalPst(4), -1.0);
    for (int i = 3; i <= 12; ++i)
        meter.Advance(0.5, 600.0);
    // Eleven intervals at 0.5, one at 1.0: the cube mean.
    QVERIFY(qAbs(meter.Plt() - std::cbrt((11 * 0.125 + 1.0) / 12.0)) < 1e-9);
    QCOMPARE(meter.HighestPst(), 1.0);
    QCOMPARE(meter.PresentInterval(), 12);
    // After the twelfth the intervals start again.
    meter.Advance(0.3, 1.0);
    QCOMPARE(meter.PresentInterval(), 1);
    QCOMPARE(meter.IntervalPst(1), 0.3);
    QCOMPARE(meter.IntervalPst(2), -1.0);
}

void TstEmuFlicker::SwitchedLoadThroughImpedance()
{
    // 60 W always on and 800 W switched 39 times a minute, both rated at
    // 230 V; the supply level is the source less the current through the
    // impedance, and Pst follows from the size of the change.
    auto expectedPst = [](std::complex<double> z) {
        auto level = [z](double watts) {
            const double ohms = 230.0 * 230.0 / watts;
            return std::abs(230.0 - z * (230.0 / ohms));
        };
        const double change = 100.0 * (level(60.0) - level(860.0)) / 230.0;
        return change / 0.894;
    };

    for (const bool currentSensing : {false, true}) {
        Analyser a(MakeLoad("flicker"));
        a.SetNoiseEnabled(false);
        a.Apply("R:F;", 0.0);
        if (currentSensing) {
            a.Apply("Z:0.8,0.5;", 0.0);
            a.Apply("Z:I;", 0.0);
        }
        a.Apply("T:S;", 0.0);
        const auto f = FlickerFields(a.NextRecord(30.0));
        const double expected = expectedPst(currentSensing ? std::complex<double>(0.8, 0.5)
                                                           : std::complex<double>(0.4, 0.25));
        QVERIFY2(qAbs(Number(f[55]) - expected) < 0.002,
                 qPrintable(QString("Pst %1 against %2").arg(f[55].c_str()).arg(expected)));
        QVERIFY(qAbs(Number(f[67]) - expected) < 0.002);  // one interval so far
        QCOMPARE(f[54], std::string("1"));
        // The classifier levels give the same Pst by the multipoint formula.
        std::array<double, 15> levels{};
        for (int i = 0; i < 15; ++i)
            levels[i] = Number(f[38 + i]);
        QVERIFY(qAbs(PstFromClassifier(levels) - expected) < 0.01);
        // Steady states on and off: d(max) and dc are the change itself.
        const double change = expected * 0.894;
        QVERIFY(qAbs(Number(f[25]) - change) < 0.01);
        QVERIFY(qAbs(Number(f[34]) - change) < 0.01);
        QVERIFY(Number(f[33]) >= 10.0);
    }
}

void TstEmuFlicker::LimitsReachTheVerdicts()
{
    // The switched load changes the voltage by about 0.6 %; limits below
    // that fail it.
    Analyser a(MakeLoad("flicker"));
    a.SetNoiseEnabled(false);
    a.Apply("R:F;", 0.0);
    a.Apply("T:S;", 0.0);
    auto f = FlickerFields(a.NextRecord(10.0));
    QCOMPARE(f[26], std::string("0"));
    QCOMPARE(f[28], std::string("0"));
    QCOMPARE(f[35], std::string("0"));
    QCOMPARE(f[2], std::string("4.00"));

    QVERIFY(a.Apply("X:0.5;", 10.0));
    QVERIFY(a.Apply("C:0.5,0.5,200;", 10.0));
    a.Apply("T:S;", 10.0);
    f = FlickerFields(a.NextRecord(20.0));
    QCOMPARE(f[26], std::string("1"));
    QCOMPARE(f[28], std::string("1"));  // 0.6 % lasts a second before it is steady
    QCOMPARE(f[35], std::string("1"));
    QCOMPARE(f[3], std::string("0.50"));
    QCOMPARE(f[5], std::string("200"));
}

QTEST_APPLESS_MAIN(TstEmuFlicker)
#include "tst_emu_flicker.moc"
