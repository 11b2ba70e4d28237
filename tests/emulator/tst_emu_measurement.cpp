// Readings computed from waveforms: a composed waveform of known content, and
// the modelled loads checked against a textbook DFT written here.

#include "analyser.h"
#include "emu_test_support.h"
#include "supply_checks.h"
#include "waveform_measurement.h"

#include <QtTest>

using namespace qx7300emu;
using emutest::Fields;
using emutest::NaiveHarmonicRms;

namespace {

constexpr int N = 1200;

// sum of a_n * sqrt(2) * sin(n * angle + phase_n)
std::vector<double> Compose(const std::vector<std::tuple<int, double, double>>& parts)
{
    std::vector<double> x(N, 0.0);
    for (int k = 0; k < N; ++k) {
        const double angle = 2.0 * std::numbers::pi * k / N;
        for (const auto& [order, rms, phase] : parts)
            x[k] += rms * std::sqrt(2.0) * std::sin(order * angle + phase);
    }
    return x;
}

double Number(const std::string& text)
{
    return QString::fromStdString(text).trimmed().toDouble();
}

}  // namespace

class TstEmuMeasurement : public QObject {
    Q_OBJECT

private slots:
    void ComposedWaveform();
    void ModelledLoadsAgainstTextbookDft_data();
    void ModelledLoadsAgainstTextbookDft();
    void HarmonicsRecordCarriesTheSpectrum();
    void SupplyFlagsInRecord_data();
    void SupplyFlagsInRecord();
    void SupplyDistortion();
};

void TstEmuMeasurement::ComposedWaveform()
{
    SupplyCycle cycle;
    cycle.volts = Compose({{1, 230.0, 0.0}});
    // 10 A fundamental lagging by 30 degrees, 3 A third, 1 A seventh.
    cycle.amps = Compose({{1, 10.0, -std::numbers::pi / 6}, {3, 3.0, 0.4}, {7, 1.0, 1.0}});
    const Readings r = Measure(cycle);

    QVERIFY(qAbs(r.voltsRms - 230.0) < 1e-9);
    QVERIFY(qAbs(r.voltsPeak - 230.0 * std::sqrt(2.0)) < 0.01);
    QVERIFY(qAbs(r.peakPhase - 90.0) < 0.01);
    QVERIFY(qAbs(r.fundamentalAmps - 10.0) < 1e-9);
    QVERIFY(qAbs(r.current.rms[3] - 3.0) < 1e-9);
    QVERIFY(qAbs(r.current.rms[7] - 1.0) < 1e-9);
    QVERIFY(r.current.rms[5] < 1e-9);
    QVERIFY(qAbs(r.harmonicAmps - std::sqrt(10.0)) < 1e-9);
    QVERIFY(qAbs(r.ampsRms - std::sqrt(110.0)) < 1e-9);
    // Only the fundamental carries power: 230 * 10 * cos 30 degrees.
    QVERIFY(qAbs(r.watts - 2300.0 * std::cos(std::numbers::pi / 6)) < 1e-6);
    QVERIFY(qAbs(r.voltAmps - 230.0 * std::sqrt(110.0)) < 1e-6);
    QVERIFY(qAbs(r.powerFactor - r.watts / r.voltAmps) < 1e-12);

    // A flat-topped voltage peaks later or earlier than 90 degrees when the
    // third harmonic is shifted.
    cycle.volts = Compose({{1, 230.0, 0.0}, {3, 10.0, 0.5}});
    QVERIFY(qAbs(Measure(cycle).peakPhase - 90.0) > 0.5);
}

void TstEmuMeasurement::ModelledLoadsAgainstTextbookDft_data()
{
    QTest::addColumn<QString>("load");
    QTest::newRow("resistive") << "resistive";
    QTest::newRow("smps") << "smps";
    QTest::newRow("flicker") << "flicker";
}

void TstEmuMeasurement::ModelledLoadsAgainstTextbookDft()
{
    QFETCH(QString, load);
    Analyser analyser(MakeLoad(load.toStdString()));
    analyser.SetNoiseEnabled(false);
    const SupplyCycle cycle = analyser.CycleAt(1.0);
    const Readings r = Measure(cycle);
    for (int order = 1; order <= 40; ++order) {
        const double expected = NaiveHarmonicRms(cycle.amps, order);
        QVERIFY2(qAbs(r.current.rms[order] - expected) < 1e-9 + 1e-9 * expected,
                 qPrintable(QString("order %1: %2 against %3").arg(order).arg(r.current.rms[order]).arg(expected)));
    }
    double sumSquares = 0.0;
    for (double a : cycle.amps)
        sumSquares += a * a;
    QVERIFY(qAbs(r.ampsRms - std::sqrt(sumSquares / N)) < 1e-9);
}

void TstEmuMeasurement::HarmonicsRecordCarriesTheSpectrum()
{
    // The rectifier load is rich in odd harmonics and has almost no even
    // ones; the record's present values (mA on range 5) follow its current.
    Analyser analyser(MakeLoad("smps"));
    analyser.SetNoiseEnabled(false);
    analyser.Apply("I:5;", 0.0);
    analyser.Apply("R:H;", 0.0);
    const std::vector<double> amps = analyser.CycleAt(1.0).amps;
    const std::string line = analyser.NextRecord(1.0);
    auto values = Fields(line.substr(107, 1124).substr(1));
    values.erase(values.begin());
    for (int order = 2; order <= 40; ++order) {
        std::string present = values[40 + order - 2];
        if (!present.empty() && present.front() == 'X')
            present.erase(0, 1);
        const double expected = NaiveHarmonicRms(amps, order) * 1000.0;
        // The record has six or seven characters for a value.
        QVERIFY2(qAbs(Number(present) - expected) <= 0.001 * expected + 0.01,
                 qPrintable(QString("order %1: %2 against %3").arg(order).arg(present.c_str()).arg(expected)));
    }
    QVERIFY(Number(values[40 + 1]) > 0.5 * Number(Fields(line)[12]));  // 3rd above half the fundamental
    QVERIFY(Number(values[40 + 0]) < 1.0);                               // 2nd next to nothing
    // Field 13, the harmonic current, is the root sum of squares of 2..40.
    double sum = 0.0;
    for (int order = 2; order <= 40; ++order)
        sum += std::pow(NaiveHarmonicRms(amps, order), 2.0);
    QVERIFY(qAbs(Number(Fields(line)[13]) - 1000.0 * std::sqrt(sum)) < 1.0);
}

void TstEmuMeasurement::SupplyFlagsInRecord_data()
{
    QTest::addColumn<double>("voltsFactor");
    QTest::addColumn<double>("hzOffset");
    QTest::addColumn<QString>("flags");

    QTest::newRow("clean supply") << 1.0 << 0.0 << "0";
    QTest::newRow("3 % high") << 1.03 << 0.0 << "2";
    QTest::newRow("1.5 % low, within") << 0.985 << 0.0 << "0";
    QTest::newRow("0.4 Hz off") << 1.0 << 0.4 << "4";
    QTest::newRow("both") << 0.97 << -0.3 << "6";
}

void TstEmuMeasurement::SupplyFlagsInRecord()
{
    QFETCH(double, voltsFactor);
    QFETCH(double, hzOffset);
    QFETCH(QString, flags);

    Analyser analyser(MakeLoad("resistive"));
    analyser.SetNoiseEnabled(false);
    analyser.SetSupplyDeviation({voltsFactor, hzOffset});
    QCOMPARE(QString::fromStdString(Fields(analyser.NextRecord(1.0))[9]), flags);
}

void TstEmuMeasurement::SupplyDistortion()
{
    auto flagsFor = [](std::vector<std::tuple<int, double, double>> parts) {
        SupplyCycle cycle;
        cycle.volts = Compose(parts);
        cycle.amps.assign(N, 0.0);
        return SupplyCheckFlags(Measure(cycle), 230.0, 50.0);
    };
    QCOMPARE(flagsFor({{1, 230.0, 0.0}}), 0);
    // 0.5 % of 3rd is allowed, 1 % is not; 0.15 % of 13th is not.
    QCOMPARE(flagsFor({{1, 230.0, 0.0}, {3, 1.15, std::numbers::pi / 2}}) & SupplyHarmonicsFailed, 0);
    QCOMPARE(flagsFor({{1, 230.0, 0.0}, {3, 2.3, std::numbers::pi / 2}}) & SupplyHarmonicsFailed,
             int(SupplyHarmonicsFailed));
    QCOMPARE(flagsFor({{1, 230.0, 0.0}, {13, 0.345, 0.0}}) & SupplyHarmonicsFailed, int(SupplyHarmonicsFailed));
    // 3 % of 3rd flattening the top: the crest factor drops below 1.40.
    QCOMPARE(flagsFor({{1, 230.0, 0.0}, {3, 6.9, 0.0}}), SupplyHarmonicsFailed | SupplyCrestFailed);
}

QTEST_APPLESS_MAIN(TstEmuMeasurement)
#include "tst_emu_measurement.moc"
