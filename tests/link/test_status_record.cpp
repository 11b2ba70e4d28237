// The status and range tables and the small rules of the meter panel.
#include <QRandomGenerator>
#include <QtTest>

#include <cstring>
#include <limits>

#include "link/command_vocabulary.h"
#include "link/meter_extremes.h"
#include "link/status_record.h"

class TestStatusRecord : public QObject {
  Q_OBJECT

 private slots:
  void units_data();
  void units();
  void rangeLabels();
  void statusTable();
  void secondsToGo_data();
  void secondsToGo();
  void manualSwitchingPrompt();
  void derivedValues();
  void extremes();
  void commandVocabulary();
};

void TestStatusRecord::units_data() {
  QTest::addColumn<char>("code");
  QTest::addColumn<QString>("current");
  QTest::addColumn<QString>("harmonics");
  QTest::addColumn<QString>("power");
  QTest::newRow("0") << '0' << "A" << "A" << "kW";
  QTest::newRow("2") << '2' << "A" << "A" << "kW";
  QTest::newRow("3") << '3' << "A" << "A" << "W";
  QTest::newRow("4") << '4' << "A" << "A" << "W";
  QTest::newRow("5") << '5' << "A" << "mA" << "W";
  QTest::newRow("6") << '6' << "A" << "mA" << "W";
  QTest::newRow("7") << '7' << "mA" << "mA" << "W";
  QTest::newRow("E") << 'E' << "mA" << "mA" << "W";
  // Punctuation between "9" and "A" falls inside the character ranges.
  QTest::newRow(":") << ':' << "mA" << "mA" << "W";
}

void TestStatusRecord::units() {
  QFETCH(char, code);
  QFETCH(QString, current);
  QFETCH(QString, harmonics);
  QFETCH(QString, power);
  const std::optional<RangeUnits> units = UnitsForRange(code);
  QVERIFY(units.has_value());
  QCOMPARE(units->current, current);
  QCOMPARE(units->harmonics, harmonics);
  QCOMPARE(units->power, power);
}

void TestStatusRecord::rangeLabels() {
  QCOMPARE(CurrentRangeLabel('0'), QStringLiteral("400 A Peak"));
  QCOMPARE(CurrentRangeLabel('6'), QStringLiteral("6 A Peak"));
  QCOMPARE(CurrentRangeLabel('7'), QStringLiteral("3000 mA Peak"));
  QCOMPARE(CurrentRangeLabel('8'), QStringLiteral("1500 mA Peak"));
  QCOMPARE(CurrentRangeLabel('A'), QStringLiteral("400 mA Peak"));
  QCOMPARE(CurrentRangeLabel('E'), QStringLiteral("24 mA Peak"));
  for (char other : {'F', ':', '/', 'a', '\0'}) QVERIFY(!CurrentRangeLabel(other).has_value());
  for (char other : {'F', '/', 'a', '\0'}) QVERIFY(!UnitsForRange(other).has_value());
}

void TestStatusRecord::statusTable() {
  QCOMPARE(StatusText('Q'), QStringLiteral("Test Complete. Results Held."));
  QCOMPARE(StatusText('I'), QStringLiteral("Results Invalid. Test Aborted."));
  QCOMPARE(StatusText('W'), QStringLiteral("Ready to Start Timed Test."));
  QVERIFY(!StatusText('X').has_value());
  QVERIFY(!StatusText('\0').has_value());
  QString enabling;
  QString clearing;
  for (char s = 'A'; s <= 'Z'; ++s) {
    if (StatusEnablesPanels(s)) enabling += QLatin1Char(s);
    if (StatusClearsResultsLatched(s)) clearing += QLatin1Char(s);
  }
  QCOMPARE(enabling, QStringLiteral("HIOQUW"));
  QCOMPARE(clearing, QStringLiteral("AFHIOTUW"));
  QVERIFY(!StatusEnablesPanels('\0'));
  QVERIFY(!StatusClearsResultsLatched('\0'));
}

void TestStatusRecord::secondsToGo_data() {
  QTest::addColumn<QString>("status");
  QTest::addColumn<int>("seconds");  // -1: does not convert
  QTest::addColumn<QString>("label");
  QTest::newRow("T, two blanks, 120") << "T  120" << 120 << "120 Seconds to Go.";
  QTest::newRow("blanks inside") << "T1 2 3" << 123 << "1 2 3 Seconds to Go.";
  QTest::newRow("longest") << "T65535" << 65535 << "65535 Seconds to Go.";
  QTest::newRow("too large") << "T99999" << -1 << "99999 Seconds to Go.";
  QTest::newRow("not digits") << "T  abc" << -1 << "abc Seconds to Go.";
  QTest::newRow("no seconds") << "T" << -1 << "Seconds to Go.";
  QTest::newRow("beyond six characters") << "T    12345" << 1 << "1 Seconds to Go.";
}

void TestStatusRecord::secondsToGo() {
  QFETCH(QString, status);
  QFETCH(int, seconds);
  QFETCH(QString, label);
  const std::optional<quint16> secs = SecondsToGo(status);
  QCOMPARE(secs.has_value(), seconds >= 0);
  if (secs) QCOMPARE(int(*secs), seconds);
  QCOMPARE(SecondsToGoText(status), label);
}

void TestStatusRecord::manualSwitchingPrompt() {
  // A 30-second step: off first, on from 5 to 15 seconds in, off again in
  // the last five.
  QString shown;
  for (int secs = 30; secs >= 0; --secs) {
    switch (PromptForStep(static_cast<quint16>(secs), 30)) {
      case SwitchingPrompt::Hide: shown += QLatin1Char('-'); break;
      case SwitchingPrompt::SwitchOn: shown += QLatin1Char('N'); break;
      case SwitchingPrompt::SwitchOff: shown += QLatin1Char('F'); break;
    }
  }
  // secs 30..26 hidden, 25..15 on, 14..6 hidden, 5..0 off.
  QCOMPARE(shown, QStringLiteral("-----NNNNNNNNNNN---------FFFFFF"));
}

void TestStatusRecord::derivedValues() {
  QCOMPARE(FormatFixed(RatioOf("250.5", "270.1"), 3, 6), QStringLiteral(" 0.927"));
  QCOMPARE(FormatFixed(RatioOf("250.5", "0"), 3, 6), QStringLiteral(" 0.000"));
  QCOMPARE(FormatFixed(RatioOf("250.5", "---"), 3, 6), QStringLiteral(" 0.000"));
  QCOMPARE(FormatFixed(RatioOf("", "1"), 3, 6), QStringLiteral(" 0.000"));
  QCOMPARE(FormatFixed(0.0f, 2, 6), QStringLiteral("  0.00"));
  QCOMPARE(FormatFixed(12345.678f, 2, 6), QStringLiteral("12345.68"));

  // Written exactly as Qt's "%*.*f" writes it: halves (away from zero) on the
  // binary value, signs of zero, the largest floats, and what is not a
  // number.
  const auto printed = [](float value, int decimals, int width) {
    return QString::asprintf("%*.*f", width, decimals, static_cast<double>(value));
  };
  QList<float> values{0.125f, 0.375f, -0.125f, 0.5f, 2.5f, 2.675f, -0.0f, -0.004f, -1e-30f, 0.05f, 1e20f, -3.4e38f,
                      std::numeric_limits<float>::quiet_NaN(), -std::numeric_limits<float>::infinity(),
                      std::numeric_limits<float>::denorm_min()};
  QRandomGenerator random(3);
  for (int k = 0; k < 5000; ++k) {
    const quint32 bits = random.generate();
    float value;
    std::memcpy(&value, &bits, sizeof value);
    values << value << static_cast<float>(random.bounded(4000.0) - 2000.0);
  }
  for (float value : values) {
    for (int decimals : {0, 1, 2, 3, 5, 8}) {
      QCOMPARE(FormatFixed(value, decimals, 6), printed(value, decimals, 6));
    }
  }
}

void TestStatusRecord::extremes() {
  MeterExtremes extremes;
  extremes.Update("230.1", "325.0", "50.01", "1.2", "2.0", "250");
  extremes.Update("229.9", "x", "49.99", "", "2.5", "240");
  QCOMPARE(extremes.VoltsRmsMax, 230.1f);
  QCOMPARE(extremes.VoltsRmsMin, 229.9f);
  QCOMPARE(extremes.VoltsPeakMax, 325.0f);
  QCOMPARE(extremes.VoltsPeakMin, 325.0f);
  QCOMPARE(extremes.AmpsRmsMin, 1.2f);
  QCOMPARE(extremes.AmpsPeakMax, 2.5f);
  QCOMPARE(extremes.WattsMin, 240.0f);
  extremes.Reset();
  QCOMPARE(extremes.WattsMax, 0.0f);
  QCOMPARE(extremes.FrequencyMin, 1000000.0f);
}

void TestStatusRecord::commandVocabulary() {
  QCOMPARE(Command::SelectRange(11), QByteArray("I:B;"));
  QCOMPARE(Command::SelectRange(0), QByteArray("I:0;"));
  QCOMPARE(Command::SelectRange(15), QByteArray("I:F;"));
  QCOMPARE(Command::ClassC("16.0", "0.75"), QByteArray("K:C,16.0,0.75;"));
  QCOMPARE(Command::DcAndDtLimits("  3.0 ", 2), QByteArray("C:3.0,4.0,200;"));
  QCOMPARE(Command::DcAndDtLimits("3.3", 0), QByteArray("C:3.3,3.3,500;"));
  QCOMPARE(Command::DmaxLimit(1), QByteArray("X:5.33;"));
  QCOMPARE(Command::Duration(60000), QByteArray("D:60000;"));
  QCOMPARE(Command::Duration(150), QByteArray("D:150;"));
  QCOMPARE(Command::HarmonicMethod(0), QByteArray("M:H,3;"));
  QCOMPARE(Command::HarmonicMethod(1), QByteArray("M:H,1;"));
  QCOMPARE(Command::NominalVoltage("100.5"), QByteArray("V:100.5;"));
  QCOMPARE(Command::NominalFrequency(1), QByteArray("F:60.0;"));
}

QTEST_APPLESS_MAIN(TestStatusRecord)
#include "test_status_record.moc"
