// Manual-switching results: the steps a sequence collects through the main
// window, the marks and the combined result, and the report's step table.
#include <QtTest>

#include "app/qx7300main.h"
#include "app/radio_group.h"
#include "app/string_grid.h"
#include "display/manual_switching_view.h"
#include "support/record_builder.h"
#include "support/scripted_operator_dialogs.h"
#include "ui_qx7300main.h"

class TestManualSwitching : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();
  void marksAndCombinedResult_data();
  void marksAndCombinedResult();
  void sequenceThroughTheWindow_data();
  void sequenceThroughTheWindow();

 private:
  // One step as the analyser runs it: running, then complete twice.
  void RunStep(const QByteArray& dmax);
  Ui::Tqx7300form& Ui() { return window_->Form(); }

  ScriptedOperatorDialogs* dialogs_ = nullptr;
  Tqx7300form* window_ = nullptr;
};

void TestManualSwitching::init() {
  dialogs_ = new ScriptedOperatorDialogs;
  window_ = new Tqx7300form(*dialogs_);
  window_->starttimer().stop();
  window_->Shell().StartupComplete = true;
  Ui().ComboBox1->setCurrentIndex(1);
  window_->ReinitialiseForStandard();
  Ui().RadioButton2->setChecked(true);
  Ui().RadioGroup2->SetItemIndex(3);
}

void TestManualSwitching::cleanup() {
  delete window_;
  delete dialogs_;
}

void TestManualSwitching::RunStep(const QByteArray& dmax) {
  window_->StartOrAbort();
  RecordBuilder record;
  for (const QByteArray status : {"T   30", "Q     ", "Q     "}) {
    record.status = status;
    QVERIFY(window_->ProcessLine(record.Line('H', FlickerBody({{25, dmax}}))));
  }
}

void TestManualSwitching::marksAndCombinedResult_data() {
  QTest::addColumn<QStringList>("dmax");  // steps 1.. of this sequence
  QTest::addColumn<int>("stepNumber");
  QTest::addColumn<bool>("finished");
  QTest::addColumn<QStringList>("status");  // status cells of steps 1.. ("" not written)
  QTest::addColumn<QString>("combined");
  QTest::newRow("S = 1") << QStringList{} << 1 << false << QStringList{""} << " -";
  QTest::newRow("S = 2") << QStringList{"2.0"} << 2 << false << QStringList{"", ""} << " -";
  QTest::newRow("S = 3") << QStringList{"2.0", "3.0"} << 3 << false << QStringList{" Min", " Max", ""} << " -";
  QTest::newRow("S = 4") << QStringList{"2.0", "3.0", "1.0"} << 4 << false
                         << QStringList{" - ", " Max", " Min", ""} << "2.00";
  // Equal values still leave out two steps: the mean is the value itself.
  QTest::newRow("equal values") << QStringList{"1.5", "1.5", "1.5", "1.5"} << 4 << true
                                << QStringList{" Max", " Min", " - ", " - "} << "1.50";
  QTest::newRow("a step without a number") << QStringList{"2.0", "n/a", "3.0", "1.0", "2.5"} << 5 << true
                                           << QStringList{" - ", " - ", " Max", " Min", " - "} << "2.25";
  QStringList all;
  for (int k = 1; k <= 24; ++k) all << QString::number(k);
  QStringList marks(24, QStringLiteral(" - "));
  marks[23] = QStringLiteral(" Max");
  marks[0] = QStringLiteral(" Min");
  QTest::newRow("24 finished") << all << 24 << true << marks << "12.50";
}

void TestManualSwitching::marksAndCombinedResult() {
  QFETCH(QStringList, dmax);
  QFETCH(int, stepNumber);
  QFETCH(bool, finished);
  QFETCH(QStringList, status);
  QFETCH(QString, combined);
  ManualSteps steps;
  // What an earlier sequence left in the step still to run.
  steps.Step(stepNumber).value = 99.0f;
  steps.StartSequence();
  for (int k = 1; k <= dmax.size(); ++k) {
    steps.Step(k).time = QStringLiteral("10:00:%1").arg(k, 2, 10, QLatin1Char('0'));
    steps.Step(k).dmax = dmax[k - 1];
  }
  const ManualSwitchingView view = EvaluateManualSteps(steps, stepNumber, dmax.size(), finished);
  QCOMPARE(view.combined, combined);
  for (int k = 1; k <= status.size(); ++k) {
    const StepCellPlace place = StepCellsAt(k);
    QString written;
    for (const GridCell& cell : view.cells) {
      if (cell.column == place.column + 3 && cell.row == place.row) written = cell.text;
    }
    QVERIFY2(written == status[k - 1], qPrintable(QStringLiteral("step %1: %2").arg(k).arg(written)));
  }
}

void TestManualSwitching::sequenceThroughTheWindow_data() {
  QTest::addColumn<int>("events");
  QTest::newRow("3 events") << 3;
  QTest::newRow("14 events") << 14;
}

void TestManualSwitching::sequenceThroughTheWindow() {
  QFETCH(int, events);
  Ui().Edit1->setText(QString::number(events));
  for (int s = 1; s <= events; ++s) {
    RunStep(QByteArray::number(s) + ".5");
    QCOMPARE(int(window_->Test().StepNumber), std::min(s + 1, events));
  }
  QCOMPARE(dialogs_->Texts(QStringLiteral("information")), QStringList{QStringLiteral("Test has Finished")});
  QVERIFY(window_->Test().ManualSequenceFinished);

  // Highest and lowest left out of the mean of the rest.
  const QString combined = QString::number((events * (events + 1) / 2.0 + events * 0.5 - (events + 0.5) - 1.5) /
                                               (events - 2), 'f', 2);
  QCOMPARE(Ui().Label12->text(), combined);
  const ReportStore& report = window_->Report();
  // The flicker report's body starts after its head.
  const int b = report.BodyStart();
  QCOMPARE(b, 10);
  QCOMPARE(report.Text(b + 2), QStringLiteral("Manual Results : "));
  QCOMPARE(report.Csv(b + 2), QStringLiteral("Manual Results :"));
  QCOMPARE(report.Text(b + 6 + events), QStringLiteral("Combined Result : ") + combined);
  QCOMPARE(report.LineCount(), b + 8 + events);
  for (int s = 1; s <= events; ++s) {
    const QString mark = s == 1 ? QStringLiteral(" Min") : s == events ? QStringLiteral(" Max") : QStringLiteral(" - ");
    const QString time = report.Csv(b + 4 + s).section(QLatin1Char(','), 1, 1);
    QCOMPARE(report.Csv(b + 4 + s), QStringLiteral("%1,%2,%1.5,%3").arg(s).arg(time, mark));
    QCOMPARE(report.Text(b + 4 + s), QStringLiteral("       ") + QString::number(s).leftJustified(3) +
                                         time.leftJustified(11) + (QString::number(s) + ".5").leftJustified(8) +
                                         mark.leftJustified(5));
  }
  // The last step comes from the grid's right half when there are more
  // than twelve.
  if (events > 12) {
    QCOMPARE(GridCellText(Ui().StringGrid1, 7, events - 12), QString::number(events) + ".5");
    QCOMPARE(GridCellText(Ui().StringGrid1, 8, events - 12), QStringLiteral(" Max"));
  }

  // Another step after the end: no message, the results stay.
  RunStep("77.0");
  QCOMPARE(dialogs_->Texts(QStringLiteral("information")).size(), 1);
  QCOMPARE(window_->Document().Steps().Step(events).dmax, QString::number(events) + ".5");
  QVERIFY(window_->Test().StepNumber <= 24);
}

QTEST_MAIN(TestManualSwitching)
#include "test_manual_switching.moc"
