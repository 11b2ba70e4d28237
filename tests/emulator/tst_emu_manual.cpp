// Manual switching: the program's steps run against the analyser with the
// emulated operator switching the equipment at the prompted moments, and
// without it.

#include "analyser.h"
#include "emu_test_support.h"

#include <QtTest>

using namespace qx7300emu;
using emutest::Fields;

namespace {

double Number(const std::string& text)
{
    return QString::fromStdString(text).trimmed().toDouble();
}

// What the records of one step showed, read once a second.
struct StepRecords {
    std::vector<int> countdown;  // seconds to go of the "T" records, in order
    std::string endStatus;       // the status after the countdown
    double dmax = -1.0;          // d(max) when the step completed
    double ampsBeforeOn = -1.0;  // highest load current before "Switch ON"
    double ampsMidStep = -1.0;
    double ampsAtEnd = -1.0;     // after "Switch OFF"
};

// One manual-switching step as the program runs it: the flicker test set-up,
// the duration, start, flicker records.
StepRecords RunStep(Analyser& a, double start, int duration)
{
    for (const std::string& command :
         std::vector<std::string>{"X:4;", "C:3.3,3.3,500;", "D:" + std::to_string(duration) + ";", "T:S;"})
        a.Apply(command, start);
    a.Apply("R:F;", start + 0.1);

    StepRecords r;
    for (double t = start + 0.5; t <= start + duration + 2.0; t += 1.0) {
        const std::string line = a.NextRecord(t);
        const auto fields = Fields(line);
        const double amps = Number(fields[10].substr(1));
        if (t < start + 5.0)
            r.ampsBeforeOn = std::max(r.ampsBeforeOn, amps);
        if (std::fabs(t - (start + duration / 2.0)) < 0.6)
            r.ampsMidStep = amps;
        if (t > start + duration - 4.0 && t < start + duration)
            r.ampsAtEnd = amps;
        if (fields[2][0] == 'T') {
            r.countdown.push_back(std::stoi(fields[2].substr(1)));
        } else if (r.endStatus.empty()) {
            r.endStatus = fields[2];
            r.dmax = Number(emutest::BodyFields(line, 1000)[25]);
        }
    }
    return r;
}

}  // namespace

class TstEmuManual : public QObject {
    Q_OBJECT

private slots:
    void StepsSwitchTheEquipment_data();
    void StepsSwitchTheEquipment();
};

void TstEmuManual::StepsSwitchTheEquipment_data()
{
    QTest::addColumn<QString>("load");
    QTest::addColumn<bool>("operatorSwitches");
    QTest::addColumn<double>("dmaxLow");
    QTest::addColumn<double>("dmaxHigh");

    // 2.3 kW across 0.4 + j0.25 ohm: the supply falls by 1.73 %.
    QTest::newRow("heater switched") << "resistive" << true << 1.70 << 1.76;
    // 60 W (a step within the steady band), then 800 W more at times.
    QTest::newRow("cycling load switched") << "flicker" << true << 0.5 << 0.7;
    QTest::newRow("heater left alone") << "resistive" << false << 0.0 << 0.0;
}

void TstEmuManual::StepsSwitchTheEquipment()
{
    QFETCH(QString, load);
    QFETCH(bool, operatorSwitches);
    QFETCH(double, dmaxLow);
    QFETCH(double, dmaxHigh);

    Analyser a(MakeLoad(load.toStdString()));
    a.SetNoiseEnabled(false);
    a.SetOperatorEnabled(operatorSwitches);
    // Manual switching chosen: the flicker settings, then the records.
    for (const char* command : {"M:F,0;", "Z:V;", "X:4;", "C:3.3,3.3,500;", "R:F;"})
        QVERIFY(a.Apply(command, 1.0));

    double start = 10.0;
    for (int step = 1; step <= 3; ++step, start += 80.0) {
        const StepRecords r = RunStep(a, start, 60);
        QVERIFY(!r.countdown.empty());
        QCOMPARE(r.countdown.front(), 60);
        QVERIFY(std::is_sorted(r.countdown.rbegin(), r.countdown.rend()));
        QCOMPARE(r.countdown.back(), 1);
        QCOMPARE(r.endStatus, std::string("Q     "));
        QVERIFY2(r.dmax >= dmaxLow && r.dmax <= dmaxHigh,
                 qPrintable(QString("step %1: d(max) %2").arg(step).arg(r.dmax)));
        if (operatorSwitches) {
            // Off until "Switch ON", on until "Switch OFF", off again after.
            QCOMPARE(r.ampsBeforeOn, 0.0);
            QVERIFY(r.ampsMidStep > 0.2);
            QCOMPARE(r.ampsAtEnd, 0.0);
        } else {
            QVERIFY(r.ampsBeforeOn > 9.0 && r.ampsMidStep > 9.0 && r.ampsAtEnd > 9.0);
        }
    }

    // A continuous test that follows leaves the equipment to run.
    a.Apply("D:600;", start);
    a.Apply("T:S;", start);
    QVERIFY(Number(Fields(a.NextRecord(start + 2.0))[10].substr(1)) > 0.2);
}

QTEST_APPLESS_MAIN(TstEmuManual)
#include "tst_emu_manual.moc"
