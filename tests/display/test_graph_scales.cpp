// The scale tables of both graphs and the histogram's scale buttons.
#include <QtTest>

#include "display/graph_scales.h"

class TestGraphScales : public QObject {
  Q_OBJECT

 private slots:
  void rangeIndexFromCode();
  void waveformLabels();
  void automaticAndManualRows();
  void scaleButtonsWalk();
  void unitsOfTheValues();
};

void TestGraphScales::rangeIndexFromCode() {
  QCOMPARE(int(RangeIndexFromCode('0')), 0);
  QCOMPARE(int(RangeIndexFromCode('9')), 9);
  QCOMPARE(int(RangeIndexFromCode('A')), 10);
  QCOMPARE(int(RangeIndexFromCode('F')), 15);
  for (char other : {'G', 'a', ':', '\0'}) QCOMPARE(int(RangeIndexFromCode(other)), 5);
}

void TestGraphScales::waveformLabels() {
  const WaveformCurrentScale milliamps = WaveformCurrentScaleFor('7');
  QCOMPARE(milliamps.top, QStringLiteral("3000 mA"));
  QCOMPARE(milliamps.middle, QStringLiteral("0"));
  QCOMPARE(milliamps.bottom, QStringLiteral("-3000 mA"));
  QCOMPARE(milliamps.perDivision, QStringLiteral("750mA/div"));
  QCOMPARE(WaveformCurrentScaleFor('3').perDivision, QStringLiteral("12.5A/div"));
  QCOMPARE(WaveformCurrentScaleFor('D').bottom, QStringLiteral("-48 mA"));
  const WaveformCurrentScale none = WaveformCurrentScaleFor('F');
  QVERIFY(none.top.isEmpty() && none.middle.isEmpty() && none.perDivision.isEmpty());
  QCOMPARE(WaveformVoltageScaleFor('1').top, QStringLiteral("200 V"));
  QCOMPARE(WaveformVoltageScaleFor('0').bottom, QStringLiteral("-400 V"));
  QVERIFY(WaveformVoltageScaleFor('2').middle.isEmpty());
}

void TestGraphScales::automaticAndManualRows() {
  GraphState state;
  HistogramScale row = ChooseHistogramScale(state, '7');
  QCOMPARE(row.label, QStringLiteral("2000mA"));
  QCOMPARE(row.fullScale, 2000.0f);
  QCOMPARE(row.perDivision, QStringLiteral("200mA/div"));
  QCOMPARE(int(state.RangeIndex), 7);
  // The automatic table follows the instrument: "3" is 5A/div, "A" 400mA.
  QCOMPARE(ChooseHistogramScale(state, '3').perDivision, QStringLiteral("5A/div"));
  QCOMPARE(ChooseHistogramScale(state, 'A').label, QStringLiteral("400mA"));
  row = ChooseHistogramScale(state, 'F');
  QVERIFY(row.label.isEmpty() && row.perDivision.isEmpty());
  QCOMPARE(row.fullScale, 1.0f);
  QCOMPARE(int(state.RangeIndex), 15);
  // Manual rows go by index; RangeIndex keeps what it had.
  state.AutoScale = false;
  state.ManualScaleIndex = 3;
  state.RangeIndex = 9;
  QCOMPARE(ChooseHistogramScale(state, '7').perDivision, QStringLiteral("5.0A/div"));
  QCOMPARE(int(state.RangeIndex), 9);
  state.ManualScaleIndex = 10;
  QCOMPARE(ChooseHistogramScale(state, '7').label, QStringLiteral("200mA"));
  state.ManualScaleIndex = 15;
  QCOMPARE(ChooseHistogramScale(state, '7').fullScale, 1.0f);
}

void TestGraphScales::scaleButtonsWalk() {
  GraphState state;
  ScaleUp(state, '7');
  QVERIFY(!state.AutoScale);
  QCOMPARE(int(state.ManualScaleIndex), 8);
  QCOMPARE(ChooseHistogramScale(state, '7').label, QStringLiteral("1000mA"));
  QCOMPARE(ChooseHistogramScale(state, '7').perDivision, QStringLiteral("100mA/div"));

  AutoSetScale(state);
  ScaleUp(state, 'D');
  QCOMPARE(int(state.ManualScaleIndex), 14);
  QCOMPARE(ChooseHistogramScale(state, 'D').label, QStringLiteral("10mA"));
  ScaleUp(state, 'D');
  QCOMPARE(int(state.ManualScaleIndex), 14);

  AutoSetScale(state);
  ScaleUp(state, 'A');
  QCOMPARE(int(state.ManualScaleIndex), 11);
  QCOMPARE(ChooseHistogramScale(state, 'A').label, QStringLiteral("100mA"));
  AutoSetScale(state);
  ScaleDown(state, 'A');
  QCOMPARE(int(state.ManualScaleIndex), 9);
  QCOMPARE(ChooseHistogramScale(state, 'A').label, QStringLiteral("500mA"));

  AutoSetScale(state);
  ScaleDown(state, '0');
  QCOMPARE(int(state.ManualScaleIndex), 0);
  ScaleDown(state, '0');
  QCOMPARE(int(state.ManualScaleIndex), 0);
  // Once manual, the range code no longer moves the index.
  ScaleUp(state, 'E');
  QCOMPARE(int(state.ManualScaleIndex), 1);
}

void TestGraphScales::unitsOfTheValues() {
  GraphState state;
  // Amperes on ranges up to 4: 2.3 A of 100000 mA.
  const HistogramScale amps = ChooseHistogramScale(state, '2');
  QCOMPARE(FractionOfFullScale(2.3f, amps, state.RangeIndex), 2.3f * 1000.0f / 100000.0f);
  // Milliamperes above: 1000 mA of 2000 mA.
  const HistogramScale milliamps = ChooseHistogramScale(state, '7');
  QCOMPARE(FractionOfFullScale(1000.0f, milliamps, state.RangeIndex), 0.5f);
}

QTEST_APPLESS_MAIN(TestGraphScales)
#include "test_graph_scales.moc"
