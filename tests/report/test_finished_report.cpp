// A finished test's report stays as the test left it: a recalled report,
// the set-up of the next test, "New Test" and a Retry of the link change
// nothing in it, a test that starts has its header at once, and the report
// rebuilt from its recording is the one saved.
#include <QCheckBox>
#include <QTextStream>
#include <QtTest>

#include "app/comfault.h"
#include "app/preview.h"
#include "app/qx7300main.h"
#include "app/radio_group.h"
#include "app/report_from_recording.h"
#include "persist/configuration_file.h"
#include "support/record_builder.h"
#include "support/test_working_folder.h"
#include "support/window_rig.h"
#include "ui_comfault.h"
#include "ui_preview.h"
#include "ui_qx7300main.h"

namespace {

// The window's report and its lines, by this one way only.
const ReportStore& LiveReport(Tqx7300form& window) { return window.Report(); }

bool Feed(Tqx7300form& window, const QByteArray& line) { return window.ProcessLine(line); }

QStringList ReportLines(Tqx7300form& window) {
  QStringList lines;
  for (int i = 0; i <= LiveReport(window).LineCount(); ++i) lines << LiveReport(window).Text(i);
  return lines;
}

QByteArray FlickerLine(const QByteArray& status, const QMap<int, QByteArray>& fields, const QByteArray& watts = "P250.5") {
  RecordBuilder record;
  record.status = status;
  record.watts = watts;
  return record.Line('H', FlickerBody(fields));
}

QByteArray HarmonicsLine(const QByteArray& status, const QByteArray& watts = "P250.5",
                         const QByteArray& volts = "V230.1") {
  RecordBuilder record;
  record.status = status;
  record.watts = watts;
  record.voltsRms = volts;
  return record.Line('L', HarmonicsBody(QList<QByteArray>(160, "1.500")));
}

// The start button, which aborts a running test.
void PressStart(TWindowRig& rig) {
  QTest::mouseClick(rig.Ui().Button5, Qt::LeftButton);
  rig.Sent();
}

// A harmonics test run to its held results.
void RunHarmonicsTest(TWindowRig& rig) {
  PressStart(rig);
  for (const char* status : {"T   05", "Q     ", "Q     "}) QVERIFY(Feed(rig.Window(), HarmonicsLine(status)));
}

// Manual switching of `steps` steps chosen.
void ChooseManualSwitching(TWindowRig& rig, int steps) {
  rig.Select(1);
  rig.Ui().RadioButton2->setChecked(true);
  rig.Ui().Edit1->setText(QString::number(steps));
  rig.Sent();
}

void RunStep(TWindowRig& rig, const QByteArray& dmax) {
  PressStart(rig);
  for (const char* status : {"T    1", "Q     "}) QVERIFY(Feed(rig.Window(), FlickerLine(status, {{25, dmax}})));
}

void RunManualSequence(TWindowRig& rig) {
  for (const char* dmax : {"1.00", "3.00", "2.00"}) RunStep(rig, dmax);
  QCOMPARE(rig.Ui().Button5->text(), QStringLiteral("Test has Finished"));
}

TWindowRig::Options WithPreview() {
  TWindowRig::Options options;
  options.preview = true;
  return options;
}

}  // namespace

class TestFinishedReport : public QObject {
  Q_OBJECT

 private slots:
  void recallLeavesTheLiveReport_data();
  void recallLeavesTheLiveReport();
  void nextSetUpLeavesTheFinishedReport_data();
  void nextSetUpLeavesTheFinishedReport();
  void newTestLeavesTheSequenceReportUntilItsFirstStep();
  void retryKeepsTheManualSequence();
  void startedTestHasItsHeader();
  void rebuiltReportIsTheSavedOne_data();
  void rebuiltReportIsTheSavedOne();
};

void TestFinishedReport::recallLeavesTheLiveReport_data() {
  QTest::addColumn<bool>("manual");
  QTest::newRow("harmonics test") << false;
  QTest::newRow("manual sequence") << true;
}

// The recalled report is only shown; its set-up comes to the panels, and
// the live report and the meter's extremes stay as the test left them.
void TestFinishedReport::recallLeavesTheLiveReport() {
  QFETCH(bool, manual);
  TWindowRig rig(WithPreview());
  QVERIFY(rig.Ready());
  Ui::Tqx7300form& ui = rig.Ui();
  Tqx7300form& window = rig.Window();
  if (manual) {
    ChooseManualSwitching(rig, 3);
  } else {
    rig.Select(0);
  }
  // An earlier report, saved with a set-up of another nominal voltage.
  const QString nominal = ui.Edit13->text();
  ui.Edit13->setText(QStringLiteral("241"));
  const QString older = rig.FilePath(QStringLiteral("RUN1.TXT"));
  rig.Dialogs().saveAnswers << older;
  ui.SaveReportasTextFile1->trigger();
  QVERIFY(QFile::exists(rig.FilePath(QStringLiteral("RUN1.HAC"))));
  ui.Edit13->setText(nominal);
  rig.Sent();

  if (manual) {
    RunManualSequence(rig);
  } else {
    RunHarmonicsTest(rig);
  }
  const QStringList before = ReportLines(window);
  QVERIFY(before.size() > 20);
  QCOMPARE(before[1].endsWith(QStringLiteral(" Per Step")), manual);
  const QString maxPower = ui.Label57->text();

  rig.Dialogs().openAnswers << older;
  Tpreviewform* preview = rig.Preview();
  QTimer::singleShot(0, preview, [preview] {
    QTRY_VERIFY(preview->isVisible());
    QTest::mouseClick(preview->Form().Button4, Qt::LeftButton);
  });
  ui.ReCallReport1->trigger();
  QCOMPARE(ReportLines(window), before);
  QCOMPARE(ui.Edit13->text(), QStringLiteral("241"));
  // The maximum shown with the next reading is still the test's.
  QVERIFY(Feed(window, manual ? FlickerLine("Q     ", {{25, "2.00"}}, "P100.0") : HarmonicsLine("Q     ", "P100.0")));
  QCOMPARE(ui.Label57->text(), maxPower);
}

void TestFinishedReport::nextSetUpLeavesTheFinishedReport_data() {
  QTest::addColumn<QString>("control");  // a check box is clicked, an edit given other text
  QTest::newRow("nothing") << QString();
  QTest::newRow("Flicker unticked") << QStringLiteral("CheckBox6");
  QTest::newRow("two-hour Plt unticked") << QStringLiteral("CheckBox5");
  QTest::newRow("equipment") << QStringLiteral("Edit8");
  QTest::newRow("serial number") << QStringLiteral("Edit9");
  QTest::newRow("tested by") << QStringLiteral("Edit10");
}

// A continuous two-hour flicker test ends with Pst and Plt failing; the
// panels are then prepared for the next test while the analyser goes on
// holding the results.
void TestFinishedReport::nextSetUpLeavesTheFinishedReport() {
  QFETCH(QString, control);
  TWindowRig rig;
  QVERIFY(rig.Ready());
  Ui::Tqx7300form& ui = rig.Ui();
  Tqx7300form& window = rig.Window();
  rig.Select(1);
  ui.Edit8->setText(QStringLiteral("Kettle KX-2"));
  ui.Edit9->setText(QStringLiteral("SN 42"));
  ui.Edit10->setText(QStringLiteral("A. Tester"));
  ui.CheckBox6->setChecked(true);
  ui.CheckBox5->setChecked(true);
  PressStart(rig);
  const QMap<int, QByteArray> results{{25, "1.20"}, {55, "1.50"}, {67, "0.80"}};
  for (const char* status : {"T   10", "Q     ", "Q     "}) QVERIFY(Feed(window, FlickerLine(status, results)));
  const QStringList finished = ReportLines(window);
  QVERIFY(finished[1].contains(QStringLiteral(" for 7200 Seconds.")));
  QVERIFY(finished.filter(QRegularExpression(QStringLiteral("Pst.*FAIL$"))).size() == 1);
  QVERIFY(finished.filter(QRegularExpression(QStringLiteral("Plt.*FAIL$"))).size() == 1);

  if (QWidget* widget = window.findChild<QWidget*>(control)) {
    if (auto* box = qobject_cast<QCheckBox*>(widget)) box->click();
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) edit->setText(QStringLiteral("changed"));
  }
  rig.Sent();
  QVERIFY(Feed(window, FlickerLine("Q     ", results)));
  QCOMPARE(ReportLines(window), finished);
  // Saved now, the report stands beside the set-up its test ran with.
  rig.Dialogs().saveAnswers << rig.FilePath(QStringLiteral("RUN3.TXT"));
  rig.Ui().SaveReportasTextFile1->trigger();
  const ConfigurationRead saved = ReadConfiguration(rig.FilePath(QStringLiteral("RUN3.HAC")));
  QVERIFY(!saved.Failed);
  const auto item = [&saved](ConfigurationControl control) {
    for (const ConfigurationItem& i : saved.Items) {
      if (i.Control == control) return i;
    }
    return ConfigurationItem{};
  };
  QVERIFY(item(ConfigurationControl::CheckBox5).Checked && item(ConfigurationControl::CheckBox6).Checked);
  QCOMPARE(item(ConfigurationControl::Edit10).Text, QStringLiteral("A. Tester"));
}

// "New Test" after a finished sequence: the sequence's report stands until
// the first step of the next one starts.
void TestFinishedReport::newTestLeavesTheSequenceReportUntilItsFirstStep() {
  TWindowRig rig;
  QVERIFY(rig.Ready());
  Tqx7300form& window = rig.Window();
  ChooseManualSwitching(rig, 3);
  RunManualSequence(rig);
  const QStringList finished = ReportLines(window);
  QVERIFY(finished.contains(QStringLiteral("Combined Result : 2.00")));

  QTest::mouseClick(rig.Ui().Button4, Qt::LeftButton);
  QCOMPARE(rig.Ui().Button5->text(), QStringLiteral("Start Step 1"));
  QVERIFY(Feed(window, FlickerLine("Q     ", {{25, "2.00"}})));
  QCOMPARE(ReportLines(window), finished);
  PressStart(rig);
  QVERIFY(!ReportLines(window).contains(QStringLiteral("Combined Result : 2.00")));
}

// The analyser fell silent between two steps; Retry gives it the set-up
// again and the sequence goes on where it stood.
void TestFinishedReport::retryKeepsTheManualSequence() {
  TWindowRig::Options options;
  options.linkDialogs = true;
  TWindowRig rig(options);
  QVERIFY(rig.Ready());
  Ui::Tqx7300form& ui = rig.Ui();
  ChooseManualSwitching(rig, 3);
  RunStep(rig, "1.00");
  rig.Sent();
  QCOMPARE(ui.Button5->text(), QStringLiteral("Start Step 2"));
  const QString duration = ui.Edit7->text();

  rig.Comfault()->Form().Edit1->setText(QStringLiteral("3"));
  rig.Window().RetryLink();
  QVERIFY(rig.Sent().contains("Z:V;"));
  QVERIFY(ui.RadioButton2->isChecked());
  QCOMPARE(ui.Edit7->text(), duration);
  QCOMPARE(ui.Button5->text(), QStringLiteral("Start Step 2"));
}

// A second harmonics test, the table still shown from the first: its
// report has the new header from its start, while it runs, and once aborted.
void TestFinishedReport::startedTestHasItsHeader() {
  TWindowRig rig;
  QVERIFY(rig.Ready());
  Tqx7300form& window = rig.Window();
  rig.Select(0);
  RunHarmonicsTest(rig);
  QCOMPARE(rig.Ui().RadioGroup1->ItemIndex(), 2);
  const int first = LiveReport(window).Text(0).section(QLatin1Char(':'), 1).trimmed().toInt();

  const QString number = QStringLiteral("Report Number        : ") + QString::number(first + 1);
  for (const QByteArray step : {"start", "T   05", "abort", "I     "}) {
    if (step == "start" || step == "abort") {
      PressStart(rig);
    } else {
      QVERIFY(Feed(window, HarmonicsLine(step)));
    }
    QCOMPARE(LiveReport(window).Text(0), number);
    QCOMPARE(LiveReport(window).Text(1).left(9), QStringLiteral("Tested On"));
    QCOMPARE(LiveReport(window).Text(6).left(14), QStringLiteral("Supply Voltage"));
  }
}

// The report rebuilt from a saved report's recording (--report-from) is the
// saved report, byte for byte, whatever the operator did between the end of
// the test and the save.
void TestFinishedReport::rebuiltReportIsTheSavedOne_data() {
  QTest::addColumn<int>("standard");
  QTest::addColumn<QString>("after");  // what the operator does after the test, before saving
  QTest::newRow("harmonics") << 0 << QString();
  QTest::newRow("tester edited") << 0 << QStringLiteral("edit");
  QTest::newRow("display chosen") << 0 << QStringLiteral("display");
  QTest::newRow("free run, readings go on") << 0 << QStringLiteral("freerun");
  QTest::newRow("range stepped") << 0 << QStringLiteral("range");
  QTest::newRow("range stepped, records while it settles") << 0 << QStringLiteral("range-settle");
  QTest::newRow("aborted") << 0 << QStringLiteral("abort");
  QTest::newRow("same standard chosen again") << 0 << QStringLiteral("standard");
  QTest::newRow("impedance chosen") << 0 << QStringLiteral("impedance");
  QTest::newRow("configuration loaded") << 0 << QStringLiteral("load");
  QTest::newRow("next report number") << 0 << QStringLiteral("number");
  QTest::newRow("lock toggled") << 0 << QStringLiteral("lock");
  QTest::newRow("retry") << 0 << QStringLiteral("retry");
  QTest::newRow("other standard, records still coming") << 0 << QStringLiteral("other-standard");
  QTest::newRow("flicker") << 1 << QString();
  QTest::newRow("defaults restored") << 1 << QStringLiteral("defaults");
  QTest::newRow("harmonics report recalled") << 1 << QStringLiteral("recall");
}

void TestFinishedReport::rebuiltReportIsTheSavedOne() {
  QFETCH(int, standard);
  QFETCH(QString, after);
  TWindowRig::Options options;
  options.linkDialogs = true;
  TWindowRig rig(options);
  QVERIFY(rig.Ready());
  Ui::Tqx7300form& ui = rig.Ui();
  Tqx7300form& window = rig.Window();
  rig.Select(0);
  const QString older = rig.FilePath(QStringLiteral("RUN0.TXT"));
  rig.Dialogs().saveAnswers << older;
  ui.SaveReportasTextFile1->trigger();
  rig.Select(standard);
  const auto record = [standard](const QByteArray& status, const QByteArray& watts = "P250.5",
                                 const QByteArray& volts = "V230.1") {
    return standard == 0 ? HarmonicsLine(status, watts, volts)
                         : FlickerLine(status, {{25, "1.20"}, {55, "1.50"}, {67, "0.80"}}, watts);
  };
  PressStart(rig);
  QVERIFY(window.ProcessLine(record("T   05", "P250.5", "V230.1")));
  QVERIFY(window.ProcessLine(record("T   04", "P260.5", "V231.1")));
  if (after == QStringLiteral("abort")) {
    QTest::qWait(1100);  // the abort is a minute's second later
    PressStart(rig);
    QVERIFY(window.ProcessLine(record("I     ", "P255.5")));
  } else {
    for (const char* status : {"Q     ", "Q     "}) QVERIFY(window.ProcessLine(record(status)));
  }
  if (after == QStringLiteral("edit")) ui.Edit10->setText(QStringLiteral("B. Next"));
  if (after == QStringLiteral("display")) {
    ui.RadioGroup1->SetItemIndex(1);
    QVERIFY(window.ProcessLine(record("Q     ")));
  }
  if (after == QStringLiteral("freerun")) {
    QTest::mouseClick(ui.Button1, Qt::LeftButton);
    QVERIFY(window.ProcessLine(record("W     ", "P10.0", "V240.0")));
    ui.RadioGroup1->SetItemIndex(2);
  }
  if (after == QStringLiteral("range")) {
    QTest::mouseClick(ui.Button6, Qt::LeftButton);
    QVERIFY(window.ProcessLine(record("Q     ")));
  }
  if (after == QStringLiteral("range-settle")) {
    // Records come in while the new range settles, before the report is built.
    QTest::mouseClick(ui.Button1, Qt::LeftButton);
    rig.Sent();
    QByteArray lines;
    for (int i = 0; i < 3; ++i) lines += record("W     ", "P12.0", "V240.0");
    QVERIFY(rig.Analyser().WriteAll(lines));
    QTest::mouseClick(ui.Button6, Qt::LeftButton);
    QVERIFY(window.Report().Text(6).contains(QStringLiteral("240.0")));
  }
  if (after == QStringLiteral("standard")) emit ui.ComboBox1->activated(0);
  if (after == QStringLiteral("impedance")) emit ui.ComboBox6->activated(0);
  if (after == QStringLiteral("load")) {
    rig.Dialogs().openAnswers << rig.FilePath(QStringLiteral("RUN0.HAC"));
    ui.LoadConfiguration1->trigger();
  }
  if (after == QStringLiteral("number")) window.Document().SetReportCounter(41);
  if (after == QStringLiteral("lock")) QTest::mouseClick(ui.Button8, Qt::LeftButton);
  if (after == QStringLiteral("retry")) window.RetryLink();
  if (after == QStringLiteral("other-standard")) {
    // Records of the harmonics standard still on the line, a far higher power.
    QVERIFY(rig.Analyser().WriteAll(record("Q     ", "P999.5", "V249.0")));
    ui.ComboBox1->setCurrentIndex(1);
    emit ui.ComboBox1->activated(1);
  }
  if (after == QStringLiteral("defaults")) {
    rig.Dialogs().confirmAnswers << true;
    ui.RestoreDefaultSettings1->trigger();
  }
  if (after == QStringLiteral("recall")) {
    rig.Dialogs().openAnswers << older;
    ui.ReCallReport1->trigger();
  }
  if (standard == 1) QVERIFY(window.ProcessLine(record("Q     ")));
  rig.Sent();

  const QString path = rig.FilePath(QStringLiteral("RUN1.TXT"));
  rig.Dialogs().saveAnswers << path;
  ui.SaveReportasTextFile1->trigger();
  QString messages;
  QTextStream stream(&messages);
  const QString rebuilt = rig.FilePath(QStringLiteral("REBUILT.txt"));
  QCOMPARE(ReportFromRecording(rig.FilePath(QStringLiteral("RUN1.qxr")), rebuilt, stream), 0);
  QCOMPARE(QString::fromLatin1(FileBytes(rebuilt)).split(QStringLiteral("\r\n")),
           QString::fromLatin1(FileBytes(path)).split(QStringLiteral("\r\n")));
  QVERIFY(FileBytes(path).startsWith("Report Number"));
}

QTEST_MAIN(TestFinishedReport)
#include "test_finished_report.moc"
