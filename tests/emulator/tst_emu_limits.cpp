// EN61000-3-2 limits and classification for known powers, and how they reach
// the records.

#include "analyser.h"
#include "emu_test_support.h"
#include "harmonic_limits.h"
#include "harmonic_statistics.h"

#include <QtTest>

using namespace qx7300emu;
using emutest::Fields;

namespace {

double Number(const std::string& text)
{
    return QString::fromStdString(text).trimmed().toDouble();
}

// Values 1..160 of an "L" record, markers dropped.
std::vector<double> HarmonicValues(const std::string& line)
{
    auto values = Fields(line.substr(107, 1124).substr(1));
    std::vector<double> numbers;
    for (std::size_t i = 1; i + 1 < values.size(); ++i) {
        std::string v = values[i];
        if (!v.empty() && v.front() == 'X')
            v.erase(0, 1);
        numbers.push_back(Number(v));
    }
    return numbers;
}

}  // namespace

class TstEmuLimits : public QObject {
    Q_OBJECT

private slots:
    void LimitsForKnownPower_data();
    void LimitsForKnownPower();
    void ClassCodes_data();
    void ClassCodes();
    void PartialOddAllowance();
    void RecordsCarryClassAndVerdict_data();
    void RecordsCarryClassAndVerdict();
};

void TstEmuLimits::LimitsForKnownPower_data()
{
    QTest::addColumn<QChar>("equipmentClass");
    QTest::addColumn<double>("watts");
    QTest::addColumn<int>("order");
    QTest::addColumn<double>("limit");  // amperes

    QTest::newRow("A 3rd") << QChar('A') << 500.0 << 3 << 2.30;
    QTest::newRow("A 2nd") << QChar('A') << 500.0 << 2 << 1.08;
    QTest::newRow("A 5th") << QChar('A') << 500.0 << 5 << 1.14;
    QTest::newRow("A 11th") << QChar('A') << 500.0 << 11 << 0.33;
    QTest::newRow("A 15th") << QChar('A') << 500.0 << 15 << 0.15;
    QTest::newRow("A 39th") << QChar('A') << 500.0 << 39 << 0.15 * 15 / 39;
    QTest::newRow("A 8th") << QChar('A') << 500.0 << 8 << 0.23;
    QTest::newRow("A 40th") << QChar('A') << 500.0 << 40 << 0.046;
    QTest::newRow("B 3rd") << QChar('B') << 500.0 << 3 << 3.45;
    QTest::newRow("B 7th") << QChar('B') << 500.0 << 7 << 1.155;
    QTest::newRow("D 3rd at 250 W") << QChar('D') << 250.0 << 3 << 0.85;
    QTest::newRow("D 5th at 250 W") << QChar('D') << 250.0 << 5 << 0.475;
    QTest::newRow("D 13th at 250 W") << QChar('D') << 250.0 << 13 << 3.85 / 13 * 0.25;
    QTest::newRow("D 2nd not limited") << QChar('D') << 250.0 << 2 << 0.0;
    QTest::newRow("D 3rd at 600 W") << QChar('D') << 600.0 << 3 << 2.04;
    QTest::newRow("D 11th at 600 W") << QChar('D') << 600.0 << 11 << 0.21;
    QTest::newRow("D above 600 W, class A") << QChar('D') << 700.0 << 3 << 2.30;
}

void TstEmuLimits::LimitsForKnownPower()
{
    QFETCH(QChar, equipmentClass);
    QFETCH(double, watts);
    QFETCH(int, order);
    QFETCH(double, limit);

    LimitSetup setup;
    setup.equipmentClass = equipmentClass.toLatin1();
    const Classification c = Classify(setup, {watts, 1.0, 0.9});
    QVERIFY2(qAbs(c.limitAmps[order] - limit) < 1e-9,
             qPrintable(QString("%1 against %2").arg(c.limitAmps[order]).arg(limit)));
}

void TstEmuLimits::ClassCodes_data()
{
    QTest::addColumn<QChar>("equipmentClass");
    QTest::addColumn<bool>("professional");
    QTest::addColumn<double>("minimumWatts");
    QTest::addColumn<double>("ratedWatts");
    QTest::addColumn<double>("watts");
    QTest::addColumn<QChar>("code");
    QTest::addColumn<double>("summary2");

    QTest::newRow("A") << QChar('A') << false << 75.0 << 0.0 << 500.0 << QChar('A') << 0.0;
    QTest::newRow("A below 75 W") << QChar('A') << false << 75.0 << 0.0 << 60.0 << QChar('Z') << 75.0;
    QTest::newRow("A at 75 W exactly") << QChar('A') << false << 75.0 << 0.0 << 75.0 << QChar('Z') << 75.0;
    QTest::newRow("A just above 75 W") << QChar('A') << false << 75.0 << 0.0 << 75.1 << QChar('A') << 0.0;
    QTest::newRow("A at 60 W, no minimum") << QChar('A') << false << 0.0 << 0.0 << 60.0 << QChar('A') << 0.0;
    QTest::newRow("B professional 1.5 kW") << QChar('B') << true << 75.0 << 0.0 << 1500.0 << QChar('0') << 1000.0;
    QTest::newRow("A professional 900 W") << QChar('A') << true << 75.0 << 0.0 << 900.0 << QChar('A') << 0.0;
    QTest::newRow("D measured") << QChar('D') << false << 75.0 << 0.0 << 250.0 << QChar('D') << 250.0;
    QTest::newRow("D rated") << QChar('D') << false << 75.0 << 400.0 << 250.0 << QChar('D') << 400.0;
    QTest::newRow("D 700 W") << QChar('D') << false << 75.0 << 0.0 << 700.0 << QChar('X') << 600.0;
    QTest::newRow("D rated 50 W") << QChar('D') << false << 75.0 << 50.0 << 250.0 << QChar('Z') << 75.0;
}

void TstEmuLimits::ClassCodes()
{
    QFETCH(QChar, equipmentClass);
    QFETCH(bool, professional);
    QFETCH(double, minimumWatts);
    QFETCH(double, ratedWatts);
    QFETCH(double, watts);
    QFETCH(QChar, code);
    QFETCH(double, summary2);

    LimitSetup setup;
    setup.equipmentClass = equipmentClass.toLatin1();
    setup.professional = professional;
    setup.minimumWatts = minimumWatts;
    setup.classDWatts = ratedWatts;
    const Classification c = Classify(setup, {watts, 1.0, 0.9});
    QCOMPARE(QChar(c.code), code);
    QCOMPARE(c.summary1, watts);
    if (code != 'A' && code != 'B')
        QCOMPARE(c.summary2, summary2);
    const bool limited = code != 'Z' && code != '0';
    QCOMPARE(c.limitAmps[3] > 0.0, limited);
}

void TstEmuLimits::PartialOddAllowance()
{
    // Class A 21st limit is 0.107 A. An average of 130 % of it passes while
    // the partial odd figure of 21..39 stays within its own limit, and fails
    // once the other odd orders push that figure over.
    LimitSetup setup;
    const Classification c = Classify(setup, {1000.0, 5.0, 0.9});
    HarmonicRow average{};
    average[21] = 1.3 * c.limitAmps[21];
    HarmonicRow maximum = average;
    QCOMPARE(HarmonicVerdicts(c.limitAmps, average, maximum, 5.0)[21], '0');
    for (int order = 23; order <= 39; order += 2)
        average[order] = maximum[order] = c.limitAmps[order];
    QCOMPARE(HarmonicVerdicts(c.limitAmps, average, maximum, 5.0)[21], '1');
    // Below the 21st no such allowance.
    HarmonicRow low{};
    low[19] = 1.3 * c.limitAmps[19];
    QCOMPARE(HarmonicVerdicts(c.limitAmps, low, low, 5.0)[19], '1');
    // A maximum above 150 % fails even with a good average.
    HarmonicRow peak{};
    peak[5] = 1.6 * c.limitAmps[5];
    QCOMPARE(HarmonicVerdicts(c.limitAmps, HarmonicRow{}, peak, 5.0)[5], '1');
    // Currents under 5 mA are disregarded.
    Classification tiny = c;
    tiny.limitAmps[9] = 0.001;
    HarmonicRow small{};
    small[9] = 0.004;
    QCOMPARE(HarmonicVerdicts(tiny.limitAmps, small, small, 0.1)[9], '0');
}

void TstEmuLimits::RecordsCarryClassAndVerdict_data()
{
    QTest::addColumn<QString>("load");
    QTest::addColumn<QStringList>("setup");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("verdict");
    QTest::addColumn<QString>("thirdVerdict");

    // The rectifier load (about 255 W, 3rd harmonic near 1 A) passes class A
    // and fails class D, whose 3rd limit is 3.4 mA/W.
    QTest::newRow("smps class A") << "smps" << QStringList{"K:A;", "E:S;", "N:75;"} << "A" << "0" << "0";
    QTest::newRow("smps class D") << "smps" << QStringList{"K:D,0;"} << "D" << "1" << "1";
    // Rated at 400 W its 3rd passes, the 5th and 7th still fail.
    QTest::newRow("smps class D rated 400 W") << "smps" << QStringList{"K:D,400;"} << "D" << "1" << "0";
    QTest::newRow("smps, minimum 300 W") << "smps" << QStringList{"K:A;", "N:300;"} << "Z" << "0" << "-";
    QTest::newRow("resistive professional") << "resistive" << QStringList{"K:A;", "E:P;"} << "0" << "0" << "-";
    QTest::newRow("resistive class D") << "resistive" << QStringList{"K:D,0;"} << "X" << "0" << "0";
    QTest::newRow("smps class C from the rating") << "smps" << QStringList{"K:C,1.2,0.9;"} << "C" << "1" << "1";
}

void TstEmuLimits::RecordsCarryClassAndVerdict()
{
    QFETCH(QString, load);
    QFETCH(QStringList, setup);
    QFETCH(QString, code);
    QFETCH(QString, verdict);
    QFETCH(QString, thirdVerdict);

    Analyser analyser(MakeLoad(load.toStdString()));
    analyser.SetNoiseEnabled(false);
    for (const QString& command : setup)
        QVERIFY(analyser.Apply(command.toStdString(), 0.0));
    QVERIFY(analyser.Apply("I:5;", 0.0));
    QVERIFY(analyser.Apply("R:H;", 0.0));
    analyser.Advance(0.0);
    const std::string line = analyser.NextRecord(3.0);
    const auto f = Fields(line);
    QCOMPARE(QString::fromStdString(f[17]), code);
    QCOMPARE(QString::fromStdString(f[16]), verdict);
    QCOMPARE(QChar(emutest::At(line, 1231 + 3)), thirdVerdict.at(0));  // order n at 1231 + n

    const auto values = HarmonicValues(line);
    const Readings r = analyser.ReadingsAt(3.0);
    if (code == "D") {
        // Field 18 the actual power, field 19 the basis; limits follow the basis.
        QVERIFY(qAbs(Number(f[18]) - r.watts) < 0.01 * r.watts);
        const double basis = Number(f[19]);
        QVERIFY(qAbs(values[1] - 3.4 * basis) < 0.5);  // mA on range 5
        QVERIFY(qAbs(values[3] - 1.9 * basis) < 0.5);
        QCOMPARE(values[0], 0.0);
    } else if (code == "C") {
        QCOMPARE(Number(f[18]), 1.2);
        QCOMPARE(Number(f[19]), 0.9);
        QVERIFY(qAbs(values[1] - 1200.0 * 0.27) < 0.01);  // 30 % x 0.9 of 1.2 A
        QVERIFY(qAbs(values[0] - 1200.0 * 0.02) < 0.01);
    } else if (code == "Z") {
        QCOMPARE(Number(f[19]), 300.0);
        QCOMPARE(values[1], 0.0);
    } else if (code == "0") {
        QCOMPARE(Number(f[19]), 1000.0);
    } else if (code == "X") {
        QCOMPARE(Number(f[19]), 600.0);
        QCOMPARE(values[1], 2300.0);
    }
}

QTEST_APPLESS_MAIN(TstEmuLimits)
#include "tst_emu_limits.moc"
