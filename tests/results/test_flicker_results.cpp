// Voltage-variation and flicker records: the summary lines with their
// verdicts, Pst and Plt, the report rows, and the flicker tables view.
#include <QtTest>

#include "display/flicker_views.h"
#include "results/flicker_results.h"
#include "support/record_builder.h"

Q_DECLARE_METATYPE(FlickerOptions)

namespace {

using Fields = QMap<int, QByteArray>;

FlickerResults Read(const Fields& fields) {
  FlickerResults results;
  ReadFlickerFields(RecordBuilder().Line('H', FlickerBody(fields)), results);
  return results;
}

FlickerOptions Options(bool fluctuations, bool flicker, bool twoHour, bool continuous = true) {
  return {fluctuations, flicker, twoHour, continuous};
}

// Twelve interval values, the first ones given.
Fields Intervals(const QList<QByteArray>& values) {
  Fields fields;
  for (int i = 0; i < values.size(); ++i) fields[55 + i] = values[i];
  return fields;
}

}  // namespace

class TestFlickerResults : public QObject {
  Q_OBJECT

 private slots:
  void summaryLines_data();
  void summaryLines();
  void pstAndPlt_data();
  void pstAndPlt();
  void reportRows_data();
  void reportRows();
  void flickerTablesView_data();
  void flickerTablesView();
};

void TestFlickerResults::summaryLines_data() {
  QTest::addColumn<Fields>("fields");
  QTest::addColumn<bool>("fluctuations");
  QTest::addColumn<int>("line");
  QTest::addColumn<QString>("text");
  const Fields state{{20, "1"}, {21, "2.5"}, {22, "12"}, {17, "D0.123456789xyz"}, {18, "0.4"}, {19, "-0.3"}};
  QTest::newRow("transition") << state << true << 4 << "             Present State: Transition 2.5%";
  QTest::newRow("steady") << Fields{{20, "0"}, {21, "0.1"}} << true << 4 << "             Present State: Steady at 0.1%";
  QTest::newRow("extended") << Fields{{20, "2"}} << true << 4 << "             Present State: Extended Change";
  QTest::newRow("no state") << Fields{{20, "7"}} << true << 4 << "             Present State: ";
  QTest::newRow("variation keeps ten characters") << state << true << 1
                                                  << "Variation over last 1000ms: 0.12345678% ";
  QTest::newRow("band, first bound first") << state << true << 2 << "                    within: -0.3% and 0.4% ";
  QTest::newRow("duration") << state << true << 5 << "                  Duration: 12Seconds";
  const QString dmax = QStringLiteral("                    d(max): 3.2% ");
  QTest::newRow("d(max) passes") << Fields{{25, "3.2"}, {26, "0"}} << true << 8
                                 << dmax.leftJustified(48) + QStringLiteral("PASS");
  QTest::newRow("d(max) fails") << Fields{{25, "3.2"}, {26, "1"}} << true << 8
                                << dmax.leftJustified(48) + QStringLiteral("FAIL");
  QTest::newRow("no verdict without fluctuations") << Fields{{25, "3.2"}, {26, "1"}} << false << 8 << dmax;
  QTest::newRow("empty verdict field") << Fields{{25, "3.2"}} << true << 8 << dmax;
  QTest::newRow("d(c) verdict") << Fields{{34, "1.1"}, {35, "0"}} << true << 15
                                << QStringLiteral(" Max d(c) Between Adjacent: 1.1%").leftJustified(48) + "PASS";
}

void TestFlickerResults::summaryLines() {
  QFETCH(Fields, fields);
  QFETCH(bool, fluctuations);
  QFETCH(int, line);
  QFETCH(QString, text);
  FlickerResults results = Read(fields);
  UpdateFlickerSummary(results, Options(fluctuations, true, false));
  QCOMPARE(results.FlickerDisplayLines[static_cast<size_t>(line)], text);
  QCOMPARE(results.FlickerDisplayLines[0], QStringLiteral("Voltage Variations :"));
}

void TestFlickerResults::pstAndPlt_data() {
  QTest::addColumn<Fields>("fields");
  QTest::addColumn<QString>("pstLine");
  QTest::addColumn<QString>("pltLine");
  const QString pst = QStringLiteral("    Short Term Flicker Pst: ");
  const QString plt = QStringLiteral("     Long Term Flicker Plt: ");
  Fields mixed = Intervals({"0.45", " 1.1 2", "x.y"});
  mixed[67] = "0.66";
  QTest::newRow("largest, blanks removed") << mixed << (pst + "  1.12").leftJustified(48) + "FAIL"
                                           << (plt + "0.66").leftJustified(48) + "FAIL";
  Fields limits = Intervals({"1.00", "0.2"});
  limits[67] = " 0.65";
  QTest::newRow("at the limits") << limits << (pst + "  1.00").leftJustified(48) + "PASS"
                                 << (plt + " 0.65").leftJustified(48) + "PASS";
  // Nothing measured yet: no verdict either way, the layout kept.
  Fields none = Intervals({"", "--"});
  none[67] = "----";
  QTest::newRow("nothing converts") << none << pst + "     -" << plt + "----";
}

void TestFlickerResults::pstAndPlt() {
  QFETCH(Fields, fields);
  QFETCH(QString, pstLine);
  QFETCH(QString, pltLine);
  FlickerResults results = Read(fields);
  results.FlickerDisplayLines[17] = QStringLiteral("left over");
  UpdateFlickerSummary(results, Options(true, true, true));
  QCOMPARE(results.FlickerDisplayLines[18], pstLine);
  QCOMPARE(results.FlickerDisplayLines[19], pltLine);
  QVERIFY(results.FlickerDisplayLines[17].isEmpty());
  // Without the two-hour test the Plt line goes; without flicker the Pst
  // line goes and line 19 stays as it was.
  UpdateFlickerSummary(results, Options(true, true, false));
  QVERIFY(results.FlickerDisplayLines[19].isEmpty());
  results.FlickerDisplayLines[19] = QStringLiteral("kept");
  UpdateFlickerSummary(results, Options(true, false, true));
  QVERIFY(results.FlickerDisplayLines[18].isEmpty());
  QCOMPARE(results.FlickerDisplayLines[19], QStringLiteral("kept"));
}

void TestFlickerResults::reportRows_data() {
  QTest::addColumn<FlickerOptions>("options");
  QTest::addColumn<int>("lineCount");
  QTest::addColumn<QStringList>("textRows");  // rows b + 21 .. b + 39
  QTest::addColumn<QStringList>("csvRows");
  const QStringList textTable{"Flicker Results : ",
                              "       Pst Classifier          Plt Calculation",
                              "       Duration       Flicker    Interval     Pst",
                              "         0.1%       c38",
                              "         0.7%       c39    1:       p1",
                              "         1.0%       c40    2:       p2"};
  const QStringList csvTable{"Flicker Results", "Pst Classifier,,Plt Calculation", "Duration,Flicker,Interval,Pst",
                             "0.1% ,c38,1: ,p1", "0.7% ,c39,2: ,p2", "1.0% ,c40,3: ,p3"};
  QTest::newRow("continuous, two hours") << Options(true, true, true) << 39 << textTable << csvTable;
  QStringList textPlain = textTable;
  textPlain[4] = "         0.7%       c39";
  textPlain[5] = "         1.0%       c40";
  QStringList csvPlain = csvTable;
  csvPlain[3] = "0.1% ,c38";
  csvPlain[4] = "0.7% ,c39";
  csvPlain[5] = "1.0% ,c40";
  QTest::newRow("continuous") << Options(true, true, false) << 39 << textPlain << csvPlain;
  QTest::newRow("manual switching") << Options(true, true, false, false) << 39 << QStringList(6, QString())
                                    << QStringList(6, QString());
  QTest::newRow("voltage fluctuations only") << Options(true, false, false) << 19 << QStringList(6, QString())
                                             << QStringList(6, QString());
}

void TestFlickerResults::reportRows() {
  QFETCH(FlickerOptions, options);
  QFETCH(int, lineCount);
  QFETCH(QStringList, textRows);
  QFETCH(QStringList, csvRows);
  Fields fields{{25, "2.1"}, {37, "0.93"}, {67, "0.44"}};
  for (int k = 38; k <= 52; ++k) fields[k] = "c" + QByteArray::number(k);
  for (int i = 1; i <= 12; ++i) fields[54 + i] = "p" + QByteArray::number(i);
  FlickerResults results = Read(fields);
  UpdateFlickerSummary(results, options);
  ReportStore report;
  const int b = 10;
  report.SetBodyStart(b);
  WriteFlickerReportRows(results, options, report);
  QCOMPARE(report.LineCount(), b + lineCount);
  QCOMPARE(report.Text(b + 1), QStringLiteral("Voltage Variations : "));
  QCOMPARE(report.Text(b + 4), results.FlickerDisplayLines[8]);
  QCOMPARE(report.Csv(b + 15), results.FlickerDisplayLines[19]);
  for (int i = 0; i < textRows.size(); ++i) {
    QCOMPARE(report.Text(b + 21 + i), textRows[i]);
    QCOMPARE(report.Csv(b + 21 + i), csvRows[i]);
  }
  if (options.flicker && options.continuous) {
    QCOMPARE(report.Text(b + 38), QStringLiteral("          80%       c52"));
    QCOMPARE(report.Csv(b + 39), QStringLiteral("Peak pu ,0.93"));
    QCOMPARE(report.Text(b + 37).endsWith(QStringLiteral("  Plt =      0.44")), options.twoHourPlt);
    QCOMPARE(report.Csv(b + 36).endsWith(QStringLiteral(",Plt =  ,0.44")), options.twoHourPlt);
    QCOMPARE(report.Csv(b + 35).endsWith(QStringLiteral(",12: ,p12")), options.twoHourPlt);
  }
}

void TestFlickerResults::flickerTablesView_data() {
  QTest::addColumn<QByteArray>("marked");
  QTest::addColumn<bool>("twoHour");
  QTest::addColumn<int>("markedRow");  // 0: none
  QTest::newRow("C marks the twelfth") << QByteArray("C") << true << 14;
  QTest::newRow("1 marks the first") << QByteArray("1") << true << 3;
  QTest::newRow("empty marks nothing") << QByteArray() << true << 0;
  QTest::newRow("0 marks nothing") << QByteArray("0") << true << 0;
  QTest::newRow("no intervals shown") << QByteArray("C") << false << 0;
}

void TestFlickerResults::flickerTablesView() {
  QFETCH(QByteArray, marked);
  QFETCH(bool, twoHour);
  QFETCH(int, markedRow);
  Fields fields{{37, "1.7"}, {38, "2.0"}, {52, "0.1"}, {54, marked}, {55, "0.31"}, {66, "0.42"}, {67, "0.5"}};
  const GridCells cells = FlickerTablesCells(Read(fields), twoHour);
  QVERIFY(cells.contains(GridCell{0, 19, QStringLiteral("Peak pu 1.7")}));
  QVERIFY(cells.contains(GridCell{0, 3, QStringLiteral("  0.1%       2.0")}));
  QVERIFY(cells.contains(GridCell{0, 17, QStringLiteral("   80%       0.1")}));
  QCOMPARE(cells.contains(GridCell{1, 19, QStringLiteral("  Plt =      0.5")}), twoHour);
  int marks = 0;
  for (const GridCell& cell : cells) {
    if (!cell.text.endsWith(QStringLiteral(" <"))) continue;
    ++marks;
    QCOMPARE(cell.column, 1);
    QCOMPARE(cell.row, markedRow);
  }
  QCOMPARE(marks, markedRow == 0 ? 0 : 1);
  if (twoHour) QVERIFY(cells.contains(GridCell{1, 3, QStringLiteral("    1:       0.31") + (markedRow == 3 ? " <" : "")}));
}

QTEST_MAIN(TestFlickerResults)
#include "test_flicker_results.moc"
