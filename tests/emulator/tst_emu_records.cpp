// Record layout: every record type on ordinary ranges and on range "4",
// whose common section is two characters shorter.

#include "analyser.h"
#include "current_ranges.h"
#include "emu_test_support.h"
#include "record_format.h"

#include <QtTest>

using namespace qx7300emu;
using emutest::At;
using emutest::Fields;
using emutest::Positions;

namespace {

std::unique_ptr<Analyser> QuietAnalyser(const char* load)
{
    auto analyser = std::make_unique<Analyser>(MakeLoad(load));
    analyser->SetNoiseEnabled(false);
    return analyser;
}

// The next record of type `type` (waveform records come in turns).
std::string RecordOfType(Analyser& analyser, char type, int range, double now)
{
    const int typePosition = range == 4 ? 106 : 108;
    for (int attempt = 0; attempt < 4; ++attempt) {
        const std::string line = analyser.NextRecord(now);
        if (At(line, typePosition) == type)
            return line;
    }
    return {};
}

// What the reader does to a range "4" line: two blanks before position 106
// put the type letter back at 108.
std::string Aligned(const std::string& line)
{
    std::string aligned = line;
    if (Fields(line)[3] == "4")
        aligned.insert(105, "  ");
    return aligned;
}

double Number(const std::string& text)
{
    bool ok = false;
    const double value = QString::fromStdString(text).trimmed().toDouble(&ok);
    return ok ? value : std::nan("");
}

}  // namespace

class TstEmuRecords : public QObject {
    Q_OBJECT

private slots:
    void Layout_data();
    void Layout();
    void HarmonicsSection();
    void FlickerSection();
    void SamplesAvoidFramingBytes();
    void CommonFieldUnits_data();
    void CommonFieldUnits();
};

void TstEmuRecords::Layout_data()
{
    QTest::addColumn<QString>("request");
    QTest::addColumn<QString>("rangeCommand");
    QTest::addColumn<int>("range");
    QTest::addColumn<char>("type");
    QTest::addColumn<int>("length");

    QTest::newRow("V, range 5") << "R:W;" << "I:5;" << 5 << 'V' << 410;
    QTest::newRow("I, range 5") << "R:W;" << "I:5;" << 5 << 'I' << 410;
    QTest::newRow("L, range 5") << "R:H;" << "I:5;" << 5 << 'L' << 1272;
    QTest::newRow("H, range 5") << "R:F;" << "I:5;" << 5 << 'H' << 1108;
    QTest::newRow("V, range 4") << "R:W;" << "I:4;" << 4 << 'V' << 408;
    QTest::newRow("I, range 4") << "R:W;" << "I:4;" << 4 << 'I' << 408;
    QTest::newRow("L, range 4") << "R:H;" << "I:4;" << 4 << 'L' << 1270;
    QTest::newRow("H, range 4") << "R:F;" << "I:4;" << 4 << 'H' << 1106;
    QTest::newRow("L, range 0") << "R:H;" << "I:0;" << 0 << 'L' << 1272;
    QTest::newRow("L, range E") << "R:H;" << "I:E;" << 14 << 'L' << 1272;
    QTest::newRow("V, range 3") << "R:W;" << "I:3;" << 3 << 'V' << 410;
}

void TstEmuRecords::Layout()
{
    QFETCH(QString, request);
    QFETCH(QString, rangeCommand);
    QFETCH(int, range);
    QFETCH(char, type);
    QFETCH(int, length);

    auto analyser = QuietAnalyser("smps");
    QVERIFY(analyser->Apply(request.toStdString(), 1.0));
    QVERIFY(analyser->Apply(rangeCommand.toStdString(), 1.0));
    const std::string line = RecordOfType(*analyser, type, range, 2.0);
    QCOMPARE(static_cast<int>(line.size()), length);

    // One line: "!" only at the start, the line feed only at the end.
    QCOMPARE(line.front(), '!');
    QCOMPARE(line.find('!', 1), std::string::npos);
    QCOMPARE(line.find('\n'), line.size() - 1);

    // The common section: 19 fields, the separator after field 19 closing it.
    const int common = range == 4 ? 105 : 107;
    const std::string section = line.substr(0, static_cast<std::size_t>(common));
    QCOMPARE(std::count(section.begin(), section.end(), ','), 19L);
    QCOMPARE(At(line, common), ',');
    const auto fields = Fields(line);
    QCOMPARE(fields[2].size(), std::size_t(6));
    QCOMPARE(fields[3], std::string(1, CurrentRangeCode(range)));
    QCOMPARE(At(line, common + 1), type);

    const std::string aligned = Aligned(line);
    QCOMPARE(At(aligned, 108), type);
    if (type == 'V' || type == 'I') {
        QCOMPARE(static_cast<int>(aligned.size()), 410);  // 301 samples at 109..409
    } else if (type == 'L') {
        QCOMPARE(At(aligned, 1232), 'R');
        const std::string verdicts = Positions(aligned, 1233, 1271);
        QCOMPARE(verdicts.find_first_not_of("-01"), std::string::npos);
        QCOMPARE(static_cast<int>(aligned.size()), 1272);
    } else {
        QCOMPARE(static_cast<int>(aligned.size()), 107 + 1000 + 1);
    }
}

void TstEmuRecords::HarmonicsSection()
{
    auto analyser = QuietAnalyser("smps");
    analyser->Apply("K:A;", 0.0);
    analyser->Apply("I:5;", 0.0);  // harmonic values in mA
    analyser->Apply("R:H;", 0.0);
    const std::string line = analyser->NextRecord(5.0);

    const std::string section = Positions(line, 108, 1231);
    QCOMPARE(section.front(), 'L');
    QCOMPARE(std::count_if(section.begin(), section.end(), [](char c) { return c == ',' || c == ';'; }), 160L);
    QVERIFY(section.back() == ',' || section.back() == ';');

    // 160 values: limit, present, average, maximum, each orders 2..40 and the
    // partial odd figure; a leading type letter or marker is not part of it.
    auto values = Fields(section.substr(1));
    values.erase(values.begin());
    values.pop_back();  // after the last separator
    QCOMPARE(values.size(), std::size_t(160));
    std::vector<double> numbers;
    for (std::string value : values) {
        if (!value.empty() && std::string("GLNX").find(value.front()) != std::string::npos)
            value.erase(0, 1);
        const double number = Number(value);
        QVERIFY2(!std::isnan(number), value.c_str());
        numbers.push_back(number);
    }

    // Class A limits in mA: 3rd 2.30 A, 2nd 1.08 A, 40th 0.23 * 8 / 40 A.
    QCOMPARE(numbers[1], 2300.0);
    QCOMPARE(numbers[0], 1080.0);
    QVERIFY(qAbs(numbers[38] - 46.0) < 0.01);
    // Figure 41 of the limit group: the root sum of squares of the odd
    // limits 21..39.
    double partial = 0.0;
    for (int order = 21; order <= 39; order += 2)
        partial += std::pow(2250.0 / order, 2.0);
    QVERIFY(qAbs(numbers[39] - std::sqrt(partial)) < 0.1);
    // The present 3rd harmonic of the load is well above zero and below the
    // class A limit; its average and maximum agree after a steady run.
    QVERIFY(numbers[41] > 500.0 && numbers[41] < 2300.0);
    QVERIFY(qAbs(numbers[81] - numbers[41]) < 1.0);
    QVERIFY(qAbs(numbers[121] - numbers[41]) < 1.0);
    // Orders the class limits are assessed and pass here.
    QCOMPARE(At(line, 1232), 'R');
    QCOMPARE(Positions(line, 1233, 1271), std::string(39, '0'));
}

void TstEmuRecords::FlickerSection()
{
    auto analyser = QuietAnalyser("flicker");
    analyser->Apply("R:F;", 0.0);
    analyser->Advance(0.0);
    const std::string line = analyser->NextRecord(20.0);
    const std::string section = Positions(line, 108, 1107);
    QCOMPARE(section.front(), 'H');
    const auto f = Fields(section);
    QVERIFY(f.size() > 67);

    QVERIFY(!std::isnan(Number(f[17].substr(1))));  // after its one-character prefix
    for (int k : {18, 19, 21, 22, 23, 24, 25, 27, 29, 30, 31, 32, 34, 36, 37})
        QVERIFY2(!std::isnan(Number(f[k])), qPrintable(QString("field %1: %2").arg(k).arg(f[k].c_str())));
    QVERIFY(f[20] == "0" || f[20] == "1" || f[20] == "2");
    for (int k : {26, 28, 35})
        QVERIFY(f[k] == "0" || f[k] == "1");
    for (int k = 38; k <= 52; ++k)
        QVERIFY(!std::isnan(Number(f[k])));
    QCOMPARE(f[54], std::string("1"));  // the first 10-minute interval
    QVERIFY(Number(f[55]) > 0.0);
    QCOMPARE(QString::fromStdString(f[56]).trimmed(), QString("-"));  // not yet measured
    QVERIFY(!std::isnan(Number(f[67])));
}

void TstEmuRecords::SamplesAvoidFramingBytes()
{
    // Every value from far below to far above full scale.
    for (int step = -3000; step <= 3000; ++step) {
        const unsigned char byte = SampleByte(step / 1000.0, 1.0);
        QVERIFY(byte != '\n' && byte != '!');
        QVERIFY(byte >= 1);
    }
    QCOMPARE(int(SampleByte(0.0, 1.0)), 144);
    QCOMPARE(int(SampleByte(1.0, 1.0)), 244);
    QCOMPARE(int(SampleByte(-1.0, 1.0)), 44);
    QCOMPARE(int(SampleByte(-1.34, 1.0)), 11);  // would be a line feed
    QCOMPARE(int(SampleByte(-1.11, 1.0)), 34);  // would be "!"

    // A 14 A peak current on the 24 mA range is clipped far beyond its scale;
    // the record still holds no framing byte.
    auto analyser = QuietAnalyser("resistive");
    analyser->Apply("I:E;", 0.0);
    const std::string line = RecordOfType(*analyser, 'I', 14, 1.0);
    const std::string samples = Positions(line, 109, 409);
    QCOMPARE(samples.find('\n'), std::string::npos);
    QCOMPARE(samples.find('!'), std::string::npos);
    QVERIFY(samples.find(char(1)) != std::string::npos);
    QVERIFY(samples.find(char(255)) != std::string::npos);
}

void TstEmuRecords::CommonFieldUnits_data()
{
    QTest::addColumn<QString>("rangeCommand");
    QTest::addColumn<double>("ampsRms");      // field 10 after its prefix
    QTest::addColumn<double>("fundamental");  // field 12
    QTest::addColumn<double>("watts");        // field 14 after its prefix

    // 2.3 kW resistive at 230 V: 10 A.
    QTest::newRow("range 2: A, A, kW") << "I:2;" << 10.0 << 10.0 << 2.3;
    QTest::newRow("range 4: A, A, W") << "I:4;" << 10.0 << 10.0 << 2300.0;
    QTest::newRow("range 5: A, mA, W") << "I:5;" << 10.0 << 10000.0 << 2300.0;
    QTest::newRow("range 7: mA, mA, W") << "I:7;" << 10000.0 << 10000.0 << 2300.0;
}

void TstEmuRecords::CommonFieldUnits()
{
    QFETCH(QString, rangeCommand);
    QFETCH(double, ampsRms);
    QFETCH(double, fundamental);
    QFETCH(double, watts);

    auto analyser = QuietAnalyser("resistive");
    analyser->Apply(rangeCommand.toStdString(), 0.0);
    const auto f = Fields(analyser->NextRecord(1.0));
    QCOMPARE(f[5].front(), 'V');
    QVERIFY(qAbs(Number(f[5].substr(1)) - 230.0) < 1.0);
    QVERIFY(qAbs(Number(f[6]) - 230.0 * std::sqrt(2.0)) < 3.0);
    QVERIFY(qAbs(Number(f[7]) - 50.0) < 0.01);
    QCOMPARE(f[4], std::string("0"));
    QVERIFY(qAbs(Number(f[10].substr(1)) / ampsRms - 1.0) < 0.01);
    QVERIFY(qAbs(Number(f[12]) / fundamental - 1.0) < 0.01);
    QVERIFY(qAbs(Number(f[14].substr(1)) / watts - 1.0) < 0.01);
    QVERIFY(qAbs(Number(f[15]) / watts - 1.0) < 0.01);  // VA in the unit of the power

    // A 120 V supply is measured on the 200 V range.
    analyser->Apply("V:120;", 2.0);
    const auto low = Fields(analyser->NextRecord(3.0));
    QCOMPARE(low[4], std::string("1"));
    QVERIFY(qAbs(Number(low[5].substr(1)) - 120.0) < 1.0);
}

QTEST_APPLESS_MAIN(TstEmuRecords)
#include "tst_emu_records.moc"
