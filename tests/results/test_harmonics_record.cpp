// Harmonics records into the result model, and the report rows built from
// it.
#include <QtTest>

#include "report/report_store.h"
#include "results/harmonic_report_rows.h"
#include "results/harmonics_record.h"
#include "support/record_builder.h"

namespace {

// 160 values: group g, harmonic slot q gives g.qq0 (q 40 is "21 - 39").
QList<QByteArray> Values() {
  QList<QByteArray> values;
  for (int g = 1; g <= 4; ++g) {
    for (int q = 1; q <= 40; ++q) values << QByteArray::number(g) + '.' + QByteArray::number(q).rightJustified(2, '0') + '0';
  }
  return values;
}

QByteArray Verdicts() {
  QByteArray verdicts;
  for (int n = 2; n <= 40; ++n) verdicts += n == 3 ? '1' : n == 4 ? '-' : '0';
  return verdicts;
}

}  // namespace

class TestHarmonicsRecord : public QObject {
  Q_OBJECT

 private slots:
  void fullRecord();
  void prefixesAndValuesThatAreNoNumbers();
  void shortAndCutRecords();
  void padColumn_data();
  void padColumn();
  void reportRows();
  void reportRowsStayInTheStore();
};

void TestHarmonicsRecord::fullRecord() {
  const QByteArray line = RecordBuilder().Line('L', HarmonicsBody(Values(), Verdicts()));
  QCOMPARE(line.size(), 1272);
  QCOMPARE(line[1231], 'R');
  HarmonicsModel model;
  QVERIFY(ReadHarmonicsRecord(line, model));
  QCOMPARE(model.HarmonicText[1][2], QStringLiteral("1.010"));
  QCOMPARE(model.HarmonicText[4][41], QStringLiteral("4.400"));
  QCOMPARE(model.HarmonicValue[3][11], 3.1f);
  QCOMPARE(model.HarmonicVerdict[2], quint8(1));
  QCOMPARE(model.HarmonicVerdict[3], quint8(255));
  QCOMPARE(model.HarmonicVerdict[4], quint8(0));
  QCOMPARE(model.HarmonicVerdict[40], quint8(1));
  QCOMPARE(model.HarmonicVerdict[41], quint8(0));
  // The fundamental is not in the record.
  QVERIFY(model.HarmonicText[1][1].isEmpty());
}

void TestHarmonicsRecord::prefixesAndValuesThatAreNoNumbers() {
  QList<QByteArray> values = Values();
  values[0] = "2.300";  // follows the type letter, which counts as its prefix
  values[1] = "X0.512";
  values[2] = "G1";
  values[3] = "N 7.5";
  values[4] = "abc";
  values[5] = "X";
  HarmonicsModel model;
  QVERIFY(ReadHarmonicsRecord(RecordBuilder().Line('L', HarmonicsBody(values)), model));
  QCOMPARE(model.HarmonicText[1][2], QStringLiteral("2.300"));
  QCOMPARE(model.HarmonicText[1][3], QStringLiteral("0.512"));
  QCOMPARE(model.HarmonicValue[1][3], 0.512f);
  QCOMPARE(model.HarmonicText[1][4], QStringLiteral("1"));
  QCOMPARE(model.HarmonicValue[1][5], 7.5f);
  QCOMPARE(model.HarmonicText[1][6], QStringLiteral("-"));
  QCOMPARE(model.HarmonicValue[1][6], 0.0f);
  QCOMPARE(model.HarmonicText[1][7], QStringLiteral("-"));
}

void TestHarmonicsRecord::shortAndCutRecords() {
  HarmonicsModel model;
  QVERIFY(ReadHarmonicsRecord(RecordBuilder().Line('L', HarmonicsBody(Values(), Verdicts())), model));
  const HarmonicsModel before = model;

  // 1231 characters: the tables stay as they were, and processing goes on.
  QByteArray shortLine = RecordBuilder().Line('L', HarmonicsBody(Values())).left(1230) + '\n';
  QCOMPARE(shortLine.size(), 1231);
  QVERIFY(ReadHarmonicsRecord(shortLine, model));
  QCOMPARE(model.HarmonicText[2][5], before.HarmonicText[2][5]);

  // No "R": the verdicts of the earlier record stay.
  QList<QByteArray> changed = Values();
  changed[0] = "9.990";
  QVERIFY(ReadHarmonicsRecord(RecordBuilder().Line('L', HarmonicsBody(changed) + "\n          "), model));
  QCOMPARE(model.HarmonicText[1][2], QStringLiteral("9.990"));
  QCOMPARE(model.HarmonicVerdict[3], quint8(255));

  // An empty value stops the line; what came before it is kept.
  QList<QByteArray> empty = Values();
  empty[0] = "5.550";
  empty[50] = "";
  HarmonicsModel partial;
  QVERIFY(!ReadHarmonicsRecord(RecordBuilder().Line('L', HarmonicsBody(empty, Verdicts())), partial));
  QCOMPARE(partial.HarmonicText[1][2], QStringLiteral("5.550"));
  QCOMPARE(partial.HarmonicText[2][11], QStringLiteral("2.100"));
  QVERIFY(partial.HarmonicText[2][12].isEmpty());
  QCOMPARE(partial.HarmonicVerdict[2], quint8(0));

  // A section whose last value has no separator inside it stops the line.
  QByteArray crowded;
  for (int i = 0; i < 160; ++i) crowded += "1234567,";
  crowded = crowded.left(1123);  // room for 140 values only
  HarmonicsModel cut;
  QVERIFY(!ReadHarmonicsRecord(RecordBuilder().Line('L', crowded + 'R' + Verdicts()), cut));
  QCOMPARE(cut.HarmonicText[4][21], QStringLiteral("1234567"));
  QVERIFY(cut.HarmonicText[4][22].isEmpty());

  // Verdicts cut short: those before the end are stored, then it stops.
  HarmonicsModel verdicts;
  QByteArray cutVerdicts = RecordBuilder().Line('L', HarmonicsBody(Values(), Verdicts())).left(1235);
  QVERIFY(!ReadHarmonicsRecord(cutVerdicts, verdicts));
  QCOMPARE(verdicts.HarmonicVerdict[2], quint8(1));
  QCOMPARE(verdicts.HarmonicVerdict[4], quint8(0));
  QCOMPARE(verdicts.HarmonicText[4][41], QStringLiteral("4.400"));
}

void TestHarmonicsRecord::padColumn_data() {
  QTest::addColumn<QString>("text");
  QTest::addColumn<int>("width");
  QTest::addColumn<QString>("expected");
  QTest::newRow("four-character number") << "2.30" << 12 << "2.30        ";
  QTest::newRow("lone dash, 12") << "-" << 12 << "       -    ";
  QTest::newRow("lone dash, 14") << "-" << 14 << "        -     ";
  QTest::newRow("longer than the column") << "1234567890123" << 12 << "1234567890123";
  QTest::newRow("empty") << "" << 3 << "   ";
  QTest::newRow("dash inside text is text") << "-1.5" << 6 << "-1.5  ";
}

void TestHarmonicsRecord::padColumn() {
  QFETCH(QString, text);
  QFETCH(int, width);
  QFETCH(QString, expected);
  QCOMPARE(PadColumn(text, width), expected);
}

void TestHarmonicsRecord::reportRows() {
  HarmonicsModel model;
  model.HarmonicText[1][1] = QStringLiteral("-");
  model.HarmonicText[2][1] = QStringLiteral("0.512");
  // Harmonic 3: limit 2.3, average 1.15, maximum 2.53, failing.
  model.HarmonicText[1][3] = QStringLiteral("2.300");
  model.HarmonicValue[1][3] = 2.3f;
  model.HarmonicText[3][3] = QStringLiteral("1.150");
  model.HarmonicValue[3][3] = 1.15f;
  model.HarmonicText[4][3] = QStringLiteral("2.530");
  model.HarmonicValue[4][3] = 2.53f;
  model.HarmonicVerdict[3] = 255;
  // Harmonic 5 without a limit.
  model.HarmonicText[1][5] = QStringLiteral("0");
  model.HarmonicText[3][5] = QStringLiteral("0.100");
  model.HarmonicValue[3][5] = 0.1f;
  model.HarmonicVerdict[5] = 1;

  ReportStore report;
  report.SetBodyStart(18);
  WriteHarmonicReportRows(model, report);
  QCOMPARE(report.LineCount(), 62);
  QCOMPARE(report.Text(19), QStringLiteral("Fundamental :        -    0.512       "));
  QCOMPARE(report.Text(21), QStringLiteral("  3 :         2.300       1.150        50.0       2.530       110.0        Fail"));
  QCOMPARE(report.Csv(21), QStringLiteral("3,2.300,1.150, 50.0,2.530,110.0, Fail"));
  QCOMPARE(report.Text(23), QStringLiteral("  5 :         0           0.100              -                       -     Pass"));
  QCOMPARE(report.Csv(23), QStringLiteral("5,0,0.100,-,,-, Pass"));
  QCOMPARE(report.Text(59).left(14), QStringLiteral("21 - 39 :     "));
  QVERIFY(report.Text(59).endsWith(QStringLiteral(" - ")));
  QVERIFY(report.Csv(59).startsWith(QStringLiteral("21 - 39:,")));
  // The fundamental has no CSV row.
  QVERIFY(report.Csv(19).isEmpty());
}

void TestHarmonicsRecord::reportRowsStayInTheStore() {
  // A body start too far down cannot write past the store's last line.
  ReportStore report;
  report.SetBodyStart(60);
  WriteHarmonicReportRows(HarmonicsModel(), report);
  QCOMPARE(report.LineCount(), 80);
  QVERIFY(!report.Text(80).isEmpty());
  QVERIFY(report.Text(81).isEmpty());
}

QTEST_APPLESS_MAIN(TestHarmonicsRecord)
#include "test_harmonics_record.moc"
