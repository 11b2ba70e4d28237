// An operator's test day at the window: each test drives the window as an
// operator does, against an analyser on a pseudo-terminal, and checks what
// the operator sees, what reaches the analyser and what the files keep.
#include <QFile>
#include <QTableWidget>
#include <QtTest>

#include "app/comfault.h"
#include "app/qx7300main.h"
#include "app/radio_group.h"
#include "persist/configuration_file.h"
#include "persist/settings_file.h"
#include "serial/serial_port.h"
#include "support/record_builder.h"
#include "support/test_working_folder.h"
#include "support/window_rig.h"
#include "ui_comfault.h"
#include "ui_qx7300main.h"

using namespace std::chrono_literals;

namespace {

// A record of the given status with nothing in its body.
QByteArray StatusLine(const QByteArray& status) {
  RecordBuilder record;
  record.status = status;
  return record.Line('I');
}

QByteArray FlickerLine(const QByteArray& status, const QMap<int, QByteArray>& fields) {
  RecordBuilder record;
  record.status = status;
  return record.Line('H', FlickerBody(fields));
}

QString Cell(QTableWidget* grid, int column, int row) {
  const QTableWidgetItem* item = grid->item(row, column);
  return item != nullptr ? item->text() : QString();
}

// The report's text from `first` to its end.
QStringList ReportText(Tqx7300form& window, int first) {
  QStringList lines;
  for (int i = first; i < window.Report().LineCount(); ++i) lines << window.Report().Text(i);
  return lines;
}

enum class Path { StartUp, StandardChange, Retry };

}  // namespace

Q_DECLARE_METATYPE(Path)

class TestTestDay : public QObject {
  Q_OBJECT

 private slots:
  void twoHourPltTestStaysTwoHours_data();
  void twoHourPltTestStaysTwoHours();
  void setUpStaysLockedForTheWholeTest_data();
  void setUpStaysLockedForTheWholeTest();
  void finishedSequenceKeepsItsResults();
  void manualSwitchingBelongsToTheFlickerStandard();
  void newSequenceStartsWithoutStaleVerdicts();
  void flickerDisplaysShowTheLatestResultsAtOnce();
  void coverPanelBlanksAndAlwaysUncovers();
  void shutDown();

 private:
  // Manual switching of `steps` steps chosen, display as the operator left it.
  static void ChooseManualSwitching(TWindowRig& rig, int steps);
  // One manual step run to its end, d(max) as given.
  static void RunStep(TWindowRig& rig, const QByteArray& dmax);
};

void TestTestDay::ChooseManualSwitching(TWindowRig& rig, int steps) {
  rig.Select(1);
  rig.Ui().RadioButton2->setChecked(true);
  rig.Ui().Edit1->setText(QString::number(steps));
  rig.Sent();
}

void TestTestDay::RunStep(TWindowRig& rig, const QByteArray& dmax) {
  QTest::mouseClick(rig.Ui().Button5, Qt::LeftButton);
  Tqx7300form& window = rig.Window();
  QVERIFY(window.ProcessLine(FlickerLine("T    1", {{25, dmax}})));
  QVERIFY(window.ProcessLine(FlickerLine("Q     ", {{25, dmax}})));
  rig.Sent();
}

void TestTestDay::twoHourPltTestStaysTwoHours_data() {
  QTest::addColumn<Path>("path");
  QTest::newRow("restored at start-up") << Path::StartUp;
  QTest::newRow("change of standard") << Path::StandardChange;
  QTest::newRow("retry") << Path::Retry;
}

void TestTestDay::twoHourPltTestStaysTwoHours() {
  QFETCH(Path, path);
  TWindowRig::Options options;
  options.comNumber = 3;
  if (path == Path::StartUp) {
    options.giveNumber = false;
    options.startupComplete = false;
    options.markBitmaps = true;
  }
  options.linkDialogs = path == Path::Retry;
  TWindowRig rig(options);
  QVERIFY(rig.Ready());
  Tqx7300form& window = rig.Window();

  if (path == Path::StartUp) {
    // Last run's set-up: a continuous two-hour Plt test, saved as it was.
    TestSetupValues setup = SetupDefaults();
    setup.ComboBox1 = 1;
    setup.CheckBox5 = true;
    setup.Edit7 = QStringLiteral("7200");
    QVERIFY(SaveConfiguration(rig.FilePath(QStringLiteral("Startup.hac")), setup));
    QVERIFY(SaveSettingsFile(rig.FilePath(QStringLiteral("QX7300.ini")), ProgramSettings{3, {}, 12},
                             QDateTime::currentDateTime()));
    window.starttimerTimer();
    QVERIFY(rig.Dialogs().shown.isEmpty());
  } else {
    rig.Select(1);
    rig.Ui().CheckBox5->setChecked(true);
    if (path == Path::StandardChange) {
      for (int standard : {0, 1}) {
        rig.Ui().ComboBox1->setCurrentIndex(standard);
        window.StandardChanged();
      }
    } else {
      rig.Comfault()->Form().Edit1->setText(QStringLiteral("3"));
      window.RetryLink();
    }
  }
  QVERIFY(rig.Ui().RadioButton1->isChecked() && rig.Ui().CheckBox5->isChecked());
  QCOMPARE(rig.Ui().Edit7->text(), QStringLiteral("7200"));
  rig.Sent();
  QTest::mouseClick(rig.Ui().Button5, Qt::LeftButton);
  QVERIFY(rig.Sent().contains("D:7200;T:S;"));
  if (path == Path::StartUp) {
    window.close();
    QVERIFY(FileBytes(rig.FilePath(QStringLiteral("Startup.hac"))).contains("\r\n7200\r\n"));
  }
}

void TestTestDay::setUpStaysLockedForTheWholeTest_data() {
  QTest::addColumn<bool>("manualStepTwo");
  QTest::addColumn<QByteArray>("before");  // status of the records still on the line at the start
  QTest::addColumn<QByteArray>("end");     // status that ends the test
  QTest::newRow("results held") << false << QByteArray("Q     ") << QByteArray("Q     ");
  QTest::newRow("on hold") << false << QByteArray("H     ") << QByteArray("I     ");
  QTest::newRow("overload") << false << QByteArray("O     ") << QByteArray("U     ");
  QTest::newRow("manual step 2") << true << QByteArray("Q     ") << QByteArray("Q     ");
}

void TestTestDay::setUpStaysLockedForTheWholeTest() {
  QFETCH(bool, manualStepTwo);
  QFETCH(QByteArray, before);
  QFETCH(QByteArray, end);
  TWindowRig rig;
  QVERIFY(rig.Ready());
  Tqx7300form& window = rig.Window();
  Ui::Tqx7300form& ui = rig.Ui();
  if (manualStepTwo) {
    ChooseManualSwitching(rig, 3);
    RunStep(rig, "1.00");
    QCOMPARE(ui.Button5->text(), QStringLiteral("Start Step 2"));
  } else {
    rig.Select(0);
  }
  const auto locked = [&ui] { return !ui.Panel1->isEnabled() && !ui.Panel2->isEnabled(); };
  QTest::mouseClick(ui.Button5, Qt::LeftButton);
  QVERIFY(locked());
  for (int i = 0; i < 3; ++i) QVERIFY(window.ProcessLine(StatusLine(before)));
  QVERIFY(locked());
  QCOMPARE(int(window.Test().StepNumber), manualStepTwo ? 2 : 1);
  QVERIFY(window.ProcessLine(StatusLine("T   59")));
  QVERIFY(locked());
  QVERIFY(window.ProcessLine(StatusLine(end)));
  QVERIFY(!locked());
  if (manualStepTwo) QCOMPARE(int(window.Test().StepNumber), 3);
}

void TestTestDay::finishedSequenceKeepsItsResults() {
  TWindowRig rig;
  QVERIFY(rig.Ready());
  Tqx7300form& window = rig.Window();
  Ui::Tqx7300form& ui = rig.Ui();
  ChooseManualSwitching(rig, 3);
  RunStep(rig, "1.00");
  RunStep(rig, "3.00");
  RunStep(rig, "2.00");
  QCOMPARE(rig.Dialogs().Texts(QStringLiteral("information")), QStringList{QStringLiteral("Test has Finished")});
  const QStringList report = ReportText(window, window.Report().BodyStart());
  QVERIFY(report.contains(QStringLiteral("Combined Result : 2.00")));
  QCOMPARE(report.filter(QRegularExpression(QStringLiteral("^ {7}[123] "))).size(), 3);
  const QString combined = ui.Label12->text();
  QCOMPARE(combined, QStringLiteral("2.00"));
  // Nothing offers to run the sequence again over its results.
  QCOMPARE(ui.Button5->text(), QStringLiteral("Test has Finished"));
  QVERIFY(!ui.Button5->isEnabled());

  // The analyser keeps holding the results, with another "Test Complete"
  // period after a condition; a press of the start button by any means, and
  // a repaint, change nothing.
  for (const char* status : {"Q     ", "A     ", "Q     ", "Q     "})
    QVERIFY(window.ProcessLine(FlickerLine(status, {{25, "9.99"}})));
  window.StartOrAbort();
  QVERIFY(rig.Sent().isEmpty());
  window.repaint();
  QCOMPARE(ReportText(window, window.Report().BodyStart()), report);
  QCOMPARE(ui.Label12->text(), combined);
  QCOMPARE(Cell(ui.StringGrid1, 2, 2), QStringLiteral("3.00"));
  QCOMPARE(Cell(ui.StringGrid1, 3, 2), QStringLiteral(" Max"));
  QCOMPARE(ui.Button5->text(), QStringLiteral("Test has Finished"));
  QCOMPARE(rig.Dialogs().Texts(QStringLiteral("information")).size(), 1);

  // "New Test" begins the next sequence.
  QTest::mouseClick(ui.Button4, Qt::LeftButton);
  QCOMPARE(ui.Button5->text(), QStringLiteral("Start Step 1"));
  QVERIFY(ui.Button5->isEnabled());
}

void TestTestDay::manualSwitchingBelongsToTheFlickerStandard() {
  TWindowRig rig;
  QVERIFY(rig.Ready());
  Tqx7300form& window = rig.Window();
  Ui::Tqx7300form& ui = rig.Ui();
  ChooseManualSwitching(rig, 1);
  ui.ComboBox1->setCurrentIndex(0);
  window.StandardChanged();
  const quint32 counter = window.Test().ReportCounter;
  QTest::mouseClick(ui.Button5, Qt::LeftButton);
  QCOMPARE(window.Test().ReportCounter, counter + 1);
  QVERIFY(!window.Report().Text(1).contains(QStringLiteral("Per Step")));
  for (const char* status : {"T    1", "Q     ", "Q     "}) QVERIFY(window.ProcessLine(StatusLine(status)));
  QCOMPARE(ui.Button5->text(), QStringLiteral("Start Timed Test"));
  QVERIFY(rig.Dialogs().Texts(QStringLiteral("information")).isEmpty());
  QVERIFY(!window.Report().Text(1).contains(QStringLiteral("Per Step")));
}

void TestTestDay::newSequenceStartsWithoutStaleVerdicts() {
  TWindowRig rig;
  QVERIFY(rig.Ready());
  Tqx7300form& window = rig.Window();
  Ui::Tqx7300form& ui = rig.Ui();
  rig.Select(1);
  ui.CheckBox5->setChecked(true);
  QTest::mouseClick(ui.Button5, Qt::LeftButton);
  QCOMPARE(ui.RadioGroup2->ItemIndex(), 1);
  const QMap<int, QByteArray> twoHours{{25, "1.20"}, {55, "0.50"}, {67, "0.70"}};
  QVERIFY(window.ProcessLine(FlickerLine("T   10", twoHours)));
  QVERIFY(window.ProcessLine(FlickerLine("Q     ", twoHours)));
  QVERIFY(Cell(ui.StringGrid2, 0, 19).contains(QStringLiteral("Plt")));
  QVERIFY(Cell(ui.StringGrid2, 0, 19).endsWith(QStringLiteral("FAIL")));

  // A manual sequence judges voltage changes only: nothing of the Plt test
  // may stand beside its steps, on screen or in the report.
  ui.RadioButton2->setChecked(true);
  rig.Sent();
  QTest::mouseClick(ui.Button5, Qt::LeftButton);
  QVERIFY(window.ProcessLine(FlickerLine("T    5", {{25, "2.50"}})));
  for (int row = 17; row <= 19; ++row) QVERIFY2(Cell(ui.StringGrid2, 0, row).isEmpty(), qPrintable(QString::number(row)));
  QCOMPARE(Cell(ui.StringGrid2, 0, 8).left(34), QStringLiteral("                    d(max): 2.50% "));
  const QString report = ReportText(window, 0).join(QLatin1Char('\n'));
  QVERIFY(!report.contains(QStringLiteral("Plt")));
  QVERIFY(!report.contains(QStringLiteral("Pst")));
}

void TestTestDay::flickerDisplaysShowTheLatestResultsAtOnce() {
  TWindowRig rig;
  QVERIFY(rig.Ready());
  Tqx7300form& window = rig.Window();
  Ui::Tqx7300form& ui = rig.Ui();
  rig.Select(1);
  // Seen while the grids were shown, then superseded while the waveform was.
  for (const char* dmax : {"1.11", "2.22"}) {
    ui.RadioGroup2->SetItemIndex(qstrcmp(dmax, "1.11") == 0 ? 1 : 0);
    QVERIFY(window.ProcessLine(FlickerLine("U     ", {{25, dmax}, {38, dmax}})));
  }
  // The link is down from here: what the grids show comes from what is kept.
  rig.Analyser().Hangup();
  QTRY_VERIFY(!window.SerialPort1().Open());
  window.Shell().ComPortNumber = 0;
  window.SerialPort1().SetComNumber(0);
  ui.RadioGroup2->SetItemIndex(1);
  QCOMPARE(Cell(ui.StringGrid2, 0, 8).left(33), QStringLiteral("                    d(max): 2.22%"));
  ui.RadioGroup2->SetItemIndex(2);
  QCOMPARE(Cell(ui.StringGrid3, 0, 3), QStringLiteral("  0.1%       2.22"));
}

void TestTestDay::coverPanelBlanksAndAlwaysUncovers() {
  TWindowRig rig;
  QVERIFY(rig.Ready());
  Tqx7300form& window = rig.Window();
  Ui::Tqx7300form& ui = rig.Ui();
  rig.Select(0);
  // While it covers the area, no trace of the waveform shows through.
  ui.Panel8->raise();
  ui.Panel8->show();
  // Inside its raised border, as the window shows it.
  const QRect inside(ui.Panel8->mapTo(&window, QPoint(2, 2)), ui.Panel8->size() - QSize(4, 4));
  const QImage covered = window.grab(inside).toImage();
  const QRgb face = covered.pixel(0, 0);
  for (int y = 0; y < covered.height(); y += 2)
    for (int x = 0; x < covered.width(); x += 2) QCOMPARE(covered.pixel(x, y), face);
  ui.Panel8->hide();

  // The analyser's adapter is pulled: the change of standard fails at its
  // first command, and the display area is uncovered all the same.
  QVERIFY(rig.Analyser().Folder().Link(QStringLiteral("COM3"), rig.FilePath(QStringLiteral("unplugged"))));
  rig.Analyser().Hangup();
  QTRY_VERIFY(!window.SerialPort1().Open());
  ui.ComboBox1->setCurrentIndex(1);
  bool failed = false;
  try {
    window.StandardChanged();
  } catch (const std::exception&) {
    failed = true;
  }
  QVERIFY(failed);
  QVERIFY(ui.Panel8->isHidden());
}

void TestTestDay::shutDown() {
  // Closed in the first moments, before start-up has read them: the
  // operator's settings and set-up stay as they are, and the port that was
  // never opened hears nothing.
  {
    TWindowRig::Options options;
    options.giveNumber = false;
    options.startupComplete = false;
    TWindowRig rig(options);
    QVERIFY(rig.Ready());
    const QString settings = rig.FilePath(QStringLiteral("QX7300.ini"));
    const QString setup = rig.FilePath(QStringLiteral("startup.HAC"));
    QVERIFY(SaveSettingsFile(settings, ProgramSettings{3, {QStringLiteral("Courier New"), 10, 0}, 41},
                             QDateTime::currentDateTime()));
    TestSetupValues values = SetupDefaults();
    values.Edit10 = QStringLiteral("A. Tester");
    QVERIFY(SaveConfiguration(setup, values));
    const QByteArray settingsBefore = FileBytes(settings);
    const QByteArray setupBefore = FileBytes(setup);
    QVERIFY(rig.Window().close());
    QCOMPARE(FileBytes(settings), settingsBefore);
    QCOMPARE(FileBytes(setup), setupBefore);
    QVERIFY(rig.Sent().isEmpty());
  }
  // The port failed to open at start-up and a Retry opened it: closing
  // returns the analyser to free run all the same.
  {
    TWindowRig::Options options;
    options.openPort = false;
    options.linkDialogs = true;
    TWindowRig rig(options);
    QVERIFY(rig.Ready());
    rig.Comfault()->Form().Edit1->setText(QStringLiteral("3"));
    rig.Window().RetryLink();
    QVERIFY(rig.Window().SerialPort1().Open());
    rig.Sent();
    QVERIFY(rig.Window().close());
    QCOMPARE(rig.Sent(), QByteArray("T:F;M:L;"));
  }
}

QTEST_MAIN(TestTestDay)
#include "test_test_day.moc"
