// The report header and body heads built from a snapshot of the window.
#include <QtTest>

#include "report/report_forms.h"
#include "report/report_text.h"
#include "results/harmonic_report_rows.h"

namespace {

// One harmonics test as the window would hand it over.
ReportSnapshot Kettle() {
  ReportSnapshot s;
  s.ReportCounter = 1042;
  s.TestStartTime = QDateTime(QDate(2024, 3, 7), QTime(9, 5));
  s.TimedTestDuration = "150", s.EquipmentUnderTest = "  Kettle KX-2 ", s.SerialNumber = "SN 0042", s.TestedBy = " A. Smith";
  MeterExtremes& e = s.Extremes;
  e.VoltsRmsMax = 231.2f, e.VoltsRmsMin = 229.8f, e.VoltsPeakMax = 325.9f, e.FrequencyMax = 50.004f, e.FrequencyMin = 49.998f;
  e.WattsMax = e.WattsMin = 1998.7f;
  e.AmpsRmsMax = 8.72f, e.AmpsRmsMin = 8.70f, e.AmpsPeakMax = 12.6f, e.AmpsPeakMin = 11.4f;
  s.CurrentRangeCode = "5", s.VoltAmps = "2010.5", s.PowerFactor = " 0.994", s.CurrentCrestFactor = " 1.449";
  s.TestMethodStandard = "EN61000-4-7 2002";
  s.SummaryMemo = {"Supply Fails :", "Harmonic Requirements", "Voltage Limits", "Frequency Limits"};
  s.ClassCode = "C", s.ClassVerdict = "Class C.", s.SummaryValue1 = "0.51 A", s.SummaryValue2 = "0.95";
  return s;
}

ReportStore Built(const ReportSnapshot& s) {
  ReportStore report;
  report.SetBoth(17, "before");
  BuildReport(s, report);
  return report;
}

}  // namespace

class TestReportText : public QObject {
  Q_OBJECT

 private slots:
  // Month names and decimal points must not follow the operator's locale:
  // every text below, the whole report's date included, is built under German.
  void initTestCase() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }
  void cleanupTestCase() { QLocale::setDefault(QLocale::c()); }

  void roundedDecimal_data() {
    QTest::addColumn<float>("value");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QString>("expected");
    QTest::newRow("reading 0.35, single below it") << 0.35f << 1 << "0.4";
    QTest::newRow("reading 2.675") << 2.675f << 2 << "2.68";
    QTest::newRow("carry through nines") << 49.995f << 2 << "50.00";
    QTest::newRow("no minus zero") << -0.04f << 1 << "0.0";
    QTest::newRow("negative half") << -1.25f << 1 << "-1.3";
  }
  void roundedDecimal() {
    QFETCH(float, value);
    QFETCH(int, decimals);
    QTEST(RoundedDecimal(value, decimals), "expected");
  }

  // Each quantity's threshold and unit texts, in the line that prints it.
  void singleOrRange_data() {
    QTest::addColumn<QString>("quantity");
    QTest::addColumn<float>("max");
    QTest::addColumn<float>("min");
    QTest::addColumn<QString>("range");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("expected");
    const QString v = "Supply Voltage : %1Vrms  0.0 Vpk   Frequency : %2 Hz", w = "Load Power     : %1W 80.1 VA  Power Factor 0.936";
    const QString i = "Load Current   : %1 Crest Factor: 1.4";
    QTest::newRow("no reading yet") << "" << 0.f << 0.f << "0" << 6 << v.arg("0.0 ", "0.00");
    QTest::newRow("V 0.09") << "V" << 230.05f << 229.96f << "0" << 6 << v.arg("230.1 ", "0.00");
    QTest::newRow("V 0.15") << "V" << 230.05f << 229.9f << "0" << 6 << v.arg("229.9 to 230.1 ", "0.00");
    QTest::newRow("V 0.1") << "V" << 100.1f << 100.0f << "0" << 6 << v.arg("100.0 to 100.1 ", "0.00");
    QTest::newRow("Hz 0.009") << "Hz" << 50.009f << 50.0f << "0" << 6 << v.arg("0.0 ", "50.01");
    QTest::newRow("Hz 0.01") << "Hz" << 50.01f << 50.0f << "0" << 6 << v.arg("0.0 ", "50.00 to 50.01");
    QTest::newRow("W 0.3") << "W" << 75.2f << 74.9f << "0" << 9 << w.arg("74.9 to 75.2 ");
    QTest::newRow("A rms 0.05") << "rms" << 0.35f << 0.3f << "5" << 10 << i.arg("0.4 Arms  0.0 Apk");
    QTest::newRow("A rms 0.2") << "rms" << 0.5f << 0.3f << "6" << 10 << i.arg("0.3 to 0.5 Arms    0.0 Apk");
    QTest::newRow("mA rms 0.3") << "rms" << 120.3f << 120.0f << "E" << 10 << i.arg("120.0 to 120.3mArms  0.0mApk");
    QTest::newRow("A peak 0.9") << "pk" << 5.0f << 4.1f << "F" << 10 << i.arg("0.0 Arms  5.0 Apk");
    QTest::newRow("A peak 1.0") << "pk" << 5.0f << 4.0f << "" << 10 << i.arg("0.0 Arms  4.0 to 5.0 Apk");
    QTest::newRow("mA peak, : is mA") << "pk" << 300.0f << 299.0f << ":" << 10 << i.arg("0.0mArms  299.0 to 300.0mApk");
  }
  void singleOrRange() {
    QFETCH(QString, quantity);
    QFETCH(float, max);
    QFETCH(float, min);
    ReportSnapshot s;
    MeterExtremes& e = s.Extremes;
    const QHash<QString, std::pair<float*, float*>> pairs{{"V", {&e.VoltsRmsMax, &e.VoltsRmsMin}},
        {"Hz", {&e.FrequencyMax, &e.FrequencyMin}}, {"W", {&e.WattsMax, &e.WattsMin}},
        {"rms", {&e.AmpsRmsMax, &e.AmpsRmsMin}}, {"pk", {&e.AmpsPeakMax, &e.AmpsPeakMin}}};
    if (pairs.contains(quantity)) *pairs[quantity].first = max, *pairs[quantity].second = min;
    QFETCH(QString, range);
    s.CurrentRangeCode = range, s.VoltAmps = "80.1", s.PowerFactor = " 0.936", s.CurrentCrestFactor = "1.4 ";
    QFETCH(int, line);
    QTEST(Built(s).Text(line), "expected");
  }

  void summaryLine_data() {
    QTest::addColumn<int>("lines");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("csv");
    QTest::newRow("none") << 0 << "." << "";
    QTest::newRow("1") << 1 << "Supply Fails :." << "Supply Fails :";
    QTest::newRow("2") << 2 << "Supply Fails : Harmonic Requirements." << ",Supply Fails :,Harmonic Requirements";
    QTest::newRow("3") << 3 << "Supply Fails : Harmonic Requirements and Voltage Limits."
                       << ",Supply Fails :,Harmonic Requirements,Voltage Limits";
    QTest::newRow("5") << 5 << "Supply Fails : Harmonic Requirements,Voltage Limits,Frequency Limits and Crest Limits."
                       << ",Supply Fails :,Harmonic Requirements,Voltage Limits,Frequency Limits,Crest Limits";
    QTest::newRow("6") << 6 << "." << ",Supply Fails :,Harmonic Requirements,Voltage Limits,Frequency Limits,Crest Limits,x";
  }
  void summaryLine() {
    QFETCH(int, lines);
    const QStringList memo = QStringList{"Supply Fails :", "Harmonic Requirements", "Voltage Limits", "Frequency Limits",
                                         "Crest Limits", "x"}.mid(0, lines);
    QTEST(SummaryLine(memo), "text");
    QTEST(SummaryCsvLine(memo), "csv");
  }

  void limitsLine_data() {
    QTest::addColumn<QString>("code");
    QTest::addColumn<bool>("professional");
    QTest::addColumn<QString>("verdict");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QString>("tail");
    QTest::newRow("C") << "C" << false << "Class C." << "" << "Class C.limits for 0.51 A at 0.95 PF";
    QTest::newRow("D professional") << "D" << true << "Class D." << "" << "Class D.  Professional,limits for 0.95 Watts.";
    QTest::newRow("0") << "0" << false << "No Limits, actual power" << " over professional threshold."
                       << "No Limits, actual power over professional threshold.";
    QTest::newRow("Z") << "Z" << false << "No Limits, actual power" << "below minimum threshold."
                       << "No Limits, actual power below minimum threshold.";
    QTest::newRow("X") << "X" << false << "Class D but A Limits Apply." << "" << "Class D but A Limits Apply.";
    QTest::newRow("no code") << "" << true << "Class C." << "x" << "Class C.  Professional,";
  }
  void limitsLine() {
    ReportSnapshot s = Kettle();
    QFETCH(QString, code);
    QFETCH(bool, professional);
    QFETCH(QString, verdict);
    QFETCH(QString, reason);
    s.ClassCode = code, s.Professional = professional, s.ClassVerdict = verdict, s.ClassReason = reason;
    const ReportStore report = Built(s);
    QFETCH(QString, tail);
    QCOMPARE(report.Text(13), "Limits Applied       : EN61000-3-2 " + tail);
    QCOMPARE(report.Csv(13), report.Text(13));
  }

  void unitsLine_data() {
    QTest::addColumn<QString>("range");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("csv");
    const QString amp = "               Amp          Amp                       Amp";
    const QString mA = "                mA           mA                       mA";
    QTest::newRow("4") << "4" << amp << ",Amp,Amp,,Amp";
    QTest::newRow("= is mA") << "=" << mA << ",mA,mA,,mA";
    QTest::newRow("F keeps") << "F" << "before" << "before";
    QTest::newRow("empty keeps") << "" << "before" << "before";
  }
  void unitsLine() {
    ReportSnapshot s = Kettle();
    QFETCH(QString, range);
    s.CurrentRangeCode = range;
    const ReportStore report = Built(s);
    QTEST(report.Text(17), "text");
    QTEST(report.Csv(17), "csv");
  }

  void harmonicsReport() {
    ReportStore report;
    report.SetBoth(18, "left over");
    ClearReport(Kettle(), report);
    const QStringList text{"Report Number        : 1042", "Tested On            : 07 March 2024 09:05 for 150 Seconds.",
        "Equipment Under Test : Kettle KX-2", "Serial Number        : SN 0042", "Tested by            : A. Smith", "",
        "Supply Voltage : 229.8 to 231.2 Vrms  325.9 Vpk   Frequency : 50.00 Hz",
        "Supply Fails : Harmonic Requirements,Voltage Limits and Frequency Limits.", "",
        "Load Power     : 1998.7 W 2010.5 VA  Power Factor 0.994",
        "Load Current   : 8.7 Arms  11.4 to 12.6 Apk Crest Factor: 1.449", "", "Measurement Standard : EN61000-4-7 2002",
        "Limits Applied       : EN61000-3-2 Class C.limits for 0.51 A at 0.95 PF", "",
        "Harmonic       Limit       Average       %       max. Value     %       Assessment",
        " Number       Current    (filtered)    Limit     (Filtered)    Limit",
        "                mA           mA                       mA", ""};
    const QStringList csv = QStringList{"Report Number:, 1042", "Tested On : ,07 March 2024 09:05, for 150 Seconds.",
        "Equipment Under Test : ,Kettle KX-2", "Serial Number : ,SN 0042", "Tested by : ,A. Smith", "",
        "Supply Voltage :, 229.8 to 231.2 Vrms  ,50.00 Hz",
        ",Supply Fails :,Harmonic Requirements,Voltage Limits,Frequency Limits"} + text.mid(8, 7) +
        QStringList{"Harmonic,Limit,Average,%,max. Value,%,Assessment", "Number,Current,(filtered),Limit,(Filtered),Limit",
        ",mA,mA,,mA", ""};
    for (int i = 0; i <= 18; ++i) {
      QCOMPARE(report.Text(i), text[i]);
      QCOMPARE(report.Csv(i), csv[i]);
    }
    QCOMPARE(report.BodyStart(), 18);
    QCOMPARE(report.LineCount(), 18);

    // A rebuild keeps the result rows already written.
    HarmonicsModel model;
    model.HarmonicText[1][3] = "2.30";
    WriteHarmonicReportRows(model, report);
    const QString row = report.Text(21);
    BuildReport(Kettle(), report);
    QCOMPARE(report.Text(21), row);
    QCOMPARE(report.Text(7), text[7]);
    // ... and still emits them.
    QCOMPARE(report.LineCount(), 18 + 44);
    // A clear starts the count again.
    ClearReport(Kettle(), report);
    QCOMPARE(report.LineCount(), 18);
    QVERIFY(report.Text(21).isEmpty());
  }

  void flickerReport_data() {
    QTest::addColumn<bool>("manual");
    QTest::addColumn<QString>("tested");
    QTest::addColumn<QString>("method");
    QTest::newRow("continuous") << false << " for 600 Seconds." << "Test Method: EN61000-3-3 +A1:2001";
    QTest::newRow("manual") << true << " for 600 Seconds. Per Step" << "Test Method: EN61000-3-3 +A1:2001 Annex B";
  }
  void flickerReport() {
    ReportSnapshot s = Kettle();
    QFETCH(bool, manual);
    s.ManualSwitching = manual, s.Measurement = 1, s.TimedTestDuration = "600";
    const ReportStore report = Built(s);
    QTEST(report.Text(1).mid(42), "tested");
    QCOMPARE(report.Csv(1), "Tested On : ,07 March 2024 09:05, for 600 Seconds.");
    QFETCH(QString, method);
    const QStringList body{"Load Current   : 8.7 Arms  11.4 to 12.6 Apk Crest Factor: 1.449", "", method};
    for (int i = 7; i <= 9; ++i) {
      QCOMPARE(report.Text(i), body[i - 7]);
      QCOMPARE(report.Csv(i), body[i - 7]);
    }
    QCOMPARE(report.Text(17), "before");
    QCOMPARE(report.BodyStart(), 10);
    QCOMPARE(report.LineCount(), 10);
  }
};

QTEST_GUILESS_MAIN(TestReportText)
#include "test_report_text.moc"
