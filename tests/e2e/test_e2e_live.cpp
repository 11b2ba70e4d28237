// The program against the analyser emulator: readings reach the meter panel,
// commands reach the analyser in order, and closing returns it to free run.
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "app/program.h"
#include "app/qx7300main.h"
#include "app/radio_group.h"
#include "app/string_grid.h"
#include "record/recording_format.h"
#include "emulator_process.h"
#include "link/command_vocabulary.h"
#include "link/decimal_text.h"
#include "serial/serial_port.h"
#include "support/pdf_tools.h"
#include "support/scripted_operator_dialogs.h"
#include "support/test_working_folder.h"
#include "ui_qx7300main.h"

namespace {

// Another program holds the device (the program locks the port it opens).
bool DeviceHeld(const QString& path) {
  const int fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return false;
  const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
  if (!held) ::flock(fd, LOCK_UN);
  ::close(fd);
  return held;
}

// What start-up tells the analyser with the window's design set-up: the
// harmonics method, class A, standard equipment, the 75 W threshold, and a
// request for waveforms.
const QStringList kStartUpCommands{"M:H,3;", "K:A;", "E:S;", "N:75;", "R:W;"};

// The program brought up in a folder against an emulator publishing COM1
// there, its start-up run at once rather than two seconds later.
// None of these tests is about the link's watchdog (the line-fault tests
// are): a sanitized emulator starved by a busy machine may be silent for
// seconds, so the no-response dialog waits ten of them here rather than
// two. A window of the program's own that waits for the operator all the
// same fails the test there and then, named, and is closed so that the
// test goes on, rather than holding everything until the test runner's
// watchdog.
struct StartedProgram {
  StartedProgram(const QString& folder, const QStringList& emulatorArguments)
      : emulator(folder, 1, emulatorArguments), program(dialogs) {
    WriteSettingsFile(folder, 1);
    program.ShowMainWindow();
    program.MainWindow().Comstimer().setInterval(10000);
    if (emulator.Ready()) program.MainWindow().starttimerTimer();
    QObject::connect(&modalWatch, &QTimer::timeout, [] {
      QWidget* modal = QApplication::activeModalWidget();
      auto* dialog = qobject_cast<QDialog*>(modal);
      if (dialog == nullptr) return;
      const QByteArray what = "a dialog waits for the operator: " + dialog->windowTitle().toUtf8();
      QTest::qFail(what.constData(), __FILE__, __LINE__);
      dialog->reject();
    });
    modalWatch.start(250);
  }
  bool Connected() { return emulator.Ready() && Window().Shell().PortConnected; }
  Tqx7300form& Window() { return program.MainWindow(); }

  EmulatorProcess emulator;
  ScriptedOperatorDialogs dialogs;
  VeltrixProgram program;
  QTimer modalWatch;
};

// The PDF report saved from the File menu, its pages rendered into the test
// output folder for a look: <name>-1.png (the report), <name>-2.png (the
// graph). The report's first line is real text in the PDF.
void SavePdfReport(StartedProgram& started, const QString& folder, const QString& name) {
  const QString pdf = QDir(folder).filePath(name + QStringLiteral(".pdf"));
  started.dialogs.saveAnswers << pdf;
  started.Window().Form().SaveReportasPDFFile1->trigger();
  QVERIFY(Poppler(QStringLiteral("pdftotext"), {QStringLiteral("-l"), QStringLiteral("1"), pdf, QStringLiteral("-")})
              .simplified()
              .startsWith(QStringLiteral("Report Number : ")));
  const QString output = QStringLiteral(QX7300_TEST_OUTPUT);
  QDir().mkpath(output);
  Poppler(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("60"), QStringLiteral("-png"), pdf,
                                      QDir(output).filePath(name)});
  QVERIFY(QImage(QDir(output).filePath(name + QStringLiteral("-1.png"))).height() > 600);
  QVERIFY(QFile::exists(QDir(output).filePath(name + QStringLiteral("-2.png"))));
}

// The text and CSV reports saved from the window keep the test's recording
// beside them; the program rebuilds the same reports from that recording
// alone, in its own process and without a display.
void ReportRebuiltFromRecording(StartedProgram& started, const QString& folder, const QString& name) {
  const QDir dir(folder);
  const QString recording = dir.filePath(name + QStringLiteral(".qxr"));
  for (const QString& form : {QStringLiteral("TXT"), QStringLiteral("CSV")}) {
    const QString report = dir.filePath(name + QLatin1Char('.') + form);
    started.dialogs.saveAnswers << report;
    (form == QStringLiteral("TXT") ? started.Window().Form().SaveReportasTextFile1 : started.Window().Form().SaveReportasCSVFile1)
        ->trigger();
    QVERIFY(QFile::exists(recording));
    const QString rebuilt = dir.filePath(name + QStringLiteral("-rebuilt.") + form.toLower());
    QProcess veltrix;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    environment.remove(QStringLiteral("DISPLAY"));
    veltrix.setProcessEnvironment(environment);
    veltrix.setWorkingDirectory(QDir::tempPath());
    veltrix.start(QStringLiteral(QX7300_VELTRIX), {QStringLiteral("--report-from"), recording, QStringLiteral("--out"), rebuilt});
    QVERIFY(veltrix.waitForFinished(60000));
    QVERIFY2(veltrix.exitCode() == 0, veltrix.readAllStandardError().constData());
    QCOMPARE(FileBytes(rebuilt), FileBytes(report));
  }
}

}  // namespace

class TestE2eLive : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();
  void liveReadingsCommandsAndShutDown();
  void programProcessClosesTheLinkInOrder();
  void noAnalyserAtStartUp();
  void graphsFromEmulatorData();
  void timedHarmonicsTestThroughTheWindow();
  void flickerTestsFillTheDisplays();
  void recordingReplayedIntoTheProgram();

 private:
  TestWorkingFolder* folder_ = nullptr;
};

void TestE2eLive::init() {
  folder_ = new TestWorkingFolder;
  QVERIFY(folder_->Valid());
}

void TestE2eLive::cleanup() { delete folder_; }

void TestE2eLive::liveReadingsCommandsAndShutDown() {
  EmulatorProcess emulator(folder_->Path(), 1, {QStringLiteral("--load"), QStringLiteral("resistive")});
  QVERIFY(emulator.Ready());
  WriteSettingsFile(folder_->Path(), 1);

  ScriptedOperatorDialogs dialogs;
  VeltrixProgram program(dialogs);
  program.ShowMainWindow();
  Tqx7300form& window = program.MainWindow();
  QTRY_VERIFY_WITH_TIMEOUT(window.Shell().StartupComplete, 5000);
  QVERIFY(window.Shell().PortConnected);
  QVERIFY(dialogs.Texts(QStringLiteral("warning")).isEmpty());
  // Start-up gives the analyser the harmonics set-up of the window.
  QTRY_COMPARE_WITH_TIMEOUT(emulator.Commands(), kStartUpCommands, 5000);

  // The emulator's supply is a nominal 230 V, 50 Hz.
  QTRY_VERIFY_WITH_TIMEOUT(!window.Form().Label42->text().isEmpty(), 5000);
  const float volts = ParseSingle(window.Form().Label42->text()).value_or(0);
  QVERIFY2(volts > 200 && volts < 260, qPrintable(window.Form().Label42->text()));
  const float hertz = ParseSingle(window.Form().Label91->text()).value_or(0);
  QVERIFY2(hertz > 49 && hertz < 51, qPrintable(window.Form().Label91->text()));
  QVERIFY(window.Form().Label26->text().endsWith(QStringLiteral("Peak")));
  QTRY_VERIFY_WITH_TIMEOUT(window.Document().Samples().VoltageSamples[75] > 150, 5000);

  // Commands go out in order; the harmonics request brings harmonics
  // records with the limits of class B.
  const QList<QByteArray> commands = {Command::HarmonicMethod(0), Command::ClassB(), Command::Professional(false),
                                      Command::NoLimitsBelow(QStringLiteral("75")), Command::RequestHarmonics()};
  for (const QByteArray& command : commands) window.SendCommand(command);
  QTRY_VERIFY_WITH_TIMEOUT(window.Harmonics().HarmonicValue[1][3] > 0.0f, 5000);
  const qsizetype before = kStartUpCommands.size();
  QTRY_COMPARE_WITH_TIMEOUT(emulator.Commands().mid(before, commands.size()),
                            QStringList({"M:H,3;", "K:B;", "E:S;", "N:75;", "R:H;"}), 5000);

  // Closing returns the analyser to free run, then says goodbye.
  window.close();
  QTRY_COMPARE_WITH_TIMEOUT(emulator.Commands().mid(before + commands.size()), QStringList({"T:F;", "M:L;"}), 5000);
  QVERIFY(!window.SerialPort1().Open());
}

void TestE2eLive::programProcessClosesTheLinkInOrder() {
  EmulatorProcess emulator(folder_->Path(), 1);
  QVERIFY(emulator.Ready());
  WriteSettingsFile(folder_->Path(), 1);

  QProcess veltrix;
  QVERIFY(StartProgramProcess(veltrix, QStringLiteral(QX7300_VELTRIX), folder_->Path()));
  // Start-up opens the port two seconds after the window appears.
  QTRY_VERIFY_WITH_TIMEOUT(DeviceHeld(emulator.SlavePath()), 10000);
  QTRY_COMPARE_WITH_TIMEOUT(emulator.Commands(), kStartUpCommands, 5000);

  veltrix.terminate();
  QVERIFY(veltrix.waitForFinished(10000));
  QCOMPARE(veltrix.exitStatus(), QProcess::NormalExit);
  QCOMPARE(veltrix.exitCode(), 0);
  QTRY_COMPARE_WITH_TIMEOUT(emulator.Commands(), kStartUpCommands + QStringList({"T:F;", "M:L;"}), 5000);
  QVERIFY(!DeviceHeld(emulator.SlavePath()));
}

void TestE2eLive::noAnalyserAtStartUp() {
  // No settings file and no port: start-up warns and completes offline;
  // closing sends nothing and closes at once.
  ScriptedOperatorDialogs dialogs;
  dialogs.inputAnswers.enqueue(QStringLiteral("0"));
  VeltrixProgram program(dialogs);
  program.ShowMainWindow();
  Tqx7300form& window = program.MainWindow();
  QTRY_VERIFY_WITH_TIMEOUT(window.Shell().StartupComplete, 5000);
  QCOMPARE(dialogs.Texts(QStringLiteral("warning")),
           (QStringList{"INI File Error. Defaults Loaded", "Invalid Com Port"}));
  QVERIFY(!window.Shell().PortConnected);
  QElapsedTimer clock;
  clock.start();
  window.close();
  QVERIFY(clock.elapsed() < 200);
}

void TestE2eLive::graphsFromEmulatorData() {
  // The graphs as the operator sees them, kept as pictures in the build's
  // test-output folder for a look.
  StartedProgram started(folder_->Path(), {QStringLiteral("--load"), QStringLiteral("smps")});
  QVERIFY(started.Connected());
  Tqx7300form& window = started.Window();
  window.Form().CheckBox7->setChecked(true);
  QTRY_VERIFY_WITH_TIMEOUT(window.Document().Samples().CurrentSamples[75] != 0 && window.Document().Samples().VoltageSamples[75] != 0, 5000);
  const QImage before = window.GraphBitmap();
  QTRY_VERIFY_WITH_TIMEOUT(window.GraphBitmap() != before, 5000);
  const QString output = QStringLiteral(QX7300_TEST_OUTPUT);
  QDir().mkpath(output);
  QVERIFY(window.GraphBitmap().save(output + QStringLiteral("/waveform.png")));

  window.Form().RadioGroup1->SetItemIndex(1);
  window.SendCommand(Command::RequestHarmonics());
  QTRY_COMPARE_WITH_TIMEOUT(window.GraphBitmap().width(), 540, 5000);
  QVERIFY(window.Harmonics().HarmonicValue[2][3] > 0.0f);
  QVERIFY(window.GraphBitmap().save(output + QStringLiteral("/histogram.png")));
  QVERIFY(window.grab().save(output + QStringLiteral("/main-window-histogram.png")));
}

void TestE2eLive::timedHarmonicsTestThroughTheWindow() {
  // Ten times the analyser's pace: a 30 s test runs in about 3 s.
  StartedProgram started(folder_->Path(), {QStringLiteral("--fast"), QStringLiteral("--speed"), QStringLiteral("10")});
  QVERIFY(started.Connected());
  Tqx7300form& window = started.Window();
  Ui::Tqx7300form& ui = window.Form();
  QCOMPARE(ui.Edit7->text(), QStringLiteral("150"));
  ui.Edit7->setText(QStringLiteral("30"));
  // Identified before it starts: the report describes the test as it began.
  ui.Edit8->setText(QStringLiteral("Kettle KX-2"));
  ui.Edit9->setText(QStringLiteral("SN 1042"));
  ui.Edit10->setText(QStringLiteral("A. Tester"));
  QTest::mouseClick(ui.Button5, Qt::LeftButton);

  QTRY_COMPARE_WITH_TIMEOUT(ui.Label59->text(), QStringLiteral("Test Running"), 5000);
  QVERIFY(!ui.Panel1->isEnabled());
  QCOMPARE(ui.Button5->text(), QStringLiteral("Abort Test"));
  QTRY_VERIFY_WITH_TIMEOUT(!ui.Label43->text().isEmpty(), 5000);
  const QString early = ui.Label43->text();
  QTRY_VERIFY_WITH_TIMEOUT(ui.Label43->text() != early, 5000);

  QTRY_COMPARE_WITH_TIMEOUT(ui.Label59->text(), QStringLiteral("Test Complete. Results Held."), 10000);
  QVERIFY(ui.Panel1->isEnabled());
  QCOMPARE(ui.Button5->text(), QStringLiteral("Start Timed Test"));
  QCOMPARE(ui.RadioGroup1->ItemIndex(), 2);
  QTRY_VERIFY_WITH_TIMEOUT(window.Harmonics().HarmonicValue[4][3] > 0.0f, 5000);
  const QStringList sent = started.emulator.Commands();
  const qsizetype start = sent.indexOf(QStringLiteral("T:S;"));
  QVERIFY2(start >= 4, qPrintable(sent.join(' ')));
  QCOMPARE(sent.mid(start - 4, 5), QStringList({"K:A;", "E:S;", "N:75;", "D:30;", "T:S;"}));
  QCOMPARE(window.Test().ReportCounter, 1u);
  // Filed as a lab files it, with the histogram of the held results as its
  // graph; the next test's identification typed meanwhile is not its own.
  ui.Edit8->setText(QStringLiteral("Toaster T-1"));
  ui.RadioGroup1->SetItemIndex(1);
  QCOMPARE(window.Report().Text(2), QStringLiteral("Equipment Under Test : Kettle KX-2"));
  const QImage cleared = window.GraphBitmap();
  QTRY_VERIFY_WITH_TIMEOUT(window.GraphBitmap() != cleared, 5000);
  SavePdfReport(started, folder_->Path(), QStringLiteral("report-harmonics"));
  ReportRebuiltFromRecording(started, folder_->Path(), QStringLiteral("HARMONICS"));
}

void TestE2eLive::flickerTestsFillTheDisplays() {
  // Twenty minutes a second: a two-hour Plt test takes six seconds, a
  // one-minute manual step a moment. The emulator's flickermeter works
  // through every sample of the analyser's time; faster than this, a
  // sanitized emulator on a busy machine falls behind, its records come
  // seconds apart and the program rightly opens its no-response dialog.
  StartedProgram started(folder_->Path(), {QStringLiteral("--fast"), QStringLiteral("--speed"), QStringLiteral("1200"),
                                           QStringLiteral("--load"), QStringLiteral("flicker")});
  QVERIFY(started.Connected());
  Tqx7300form& window = started.Window();
  ScriptedOperatorDialogs& dialogs = started.dialogs;
  Ui::Tqx7300form& ui = window.Form();
  const QString output = QStringLiteral(QX7300_TEST_OUTPUT);
  QDir().mkpath(output);

  ui.ComboBox1->setCurrentIndex(1);
  window.StandardChanged();
  ui.CheckBox5->setChecked(true);
  QCOMPARE(ui.Edit7->text(), QStringLiteral("7200"));
  QTest::mouseClick(ui.Button5, Qt::LeftButton);
  QCOMPARE(ui.RadioGroup2->ItemIndex(), 1);
  QTRY_COMPARE_WITH_TIMEOUT(ui.Label59->text(), QStringLiteral("Test Complete. Results Held."), 20000);
  QTRY_VERIFY_WITH_TIMEOUT(GridCellText(ui.StringGrid2, 0, 19).endsWith(QStringLiteral("PASS")) ||
                               GridCellText(ui.StringGrid2, 0, 19).endsWith(QStringLiteral("FAIL")),
                           5000);
  QVERIFY(GridCellText(ui.StringGrid2, 0, 18).startsWith(QStringLiteral("    Short Term Flicker Pst: ")));
  QVERIFY(GridCellText(ui.StringGrid2, 0, 8).startsWith(QStringLiteral("                    d(max): ")));
  QVERIFY(window.grab().save(output + QStringLiteral("/flicker-voltage-fluctuations.png")));

  ui.RadioGroup2->SetItemIndex(2);
  QTRY_VERIFY_WITH_TIMEOUT(GridCellText(ui.StringGrid3, 1, 19).startsWith(QStringLiteral("  Plt =      ")), 5000);
  QVERIFY(GridCellText(ui.StringGrid3, 0, 3).startsWith(QStringLiteral("  0.1%       ")));
  QVERIFY(window.grab().save(output + QStringLiteral("/flicker-tables.png")));
  const ReportStore& report = window.Report();
  const int b = report.BodyStart();
  QCOMPARE(report.Text(b + 1), QStringLiteral("Voltage Variations : "));
  QCOMPARE(report.Text(b + 21), QStringLiteral("Flicker Results : "));
  QVERIFY(report.Text(b + 37).contains(QStringLiteral("  Plt =      ")));
  QCOMPARE(report.LineCount(), b + 39);
  SavePdfReport(started, folder_->Path(), QStringLiteral("report-flicker"));
  ReportRebuiltFromRecording(started, folder_->Path(), QStringLiteral("FLICKER"));

  // A manual sequence of five steps.
  ui.RadioButton2->setChecked(true);
  ui.Edit1->setText(QStringLiteral("5"));
  for (int step = 1; step <= 5; ++step) {
    QCOMPARE(ui.Button5->text(), QStringLiteral("Start Step %1").arg(step));
    QTest::mouseClick(ui.Button5, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(window.Test().ManualSequenceFinished || window.Test().StepNumber == step + 1, 20000);
  }
  QCOMPARE(dialogs.Texts(QStringLiteral("information")), QStringList{QStringLiteral("Test has Finished")});
  ui.RadioGroup2->SetItemIndex(3);
  window.ShowManualSwitchingResults();
  QVERIFY(ParseDecimal(ui.Label12->text()).has_value());
  for (int step = 1; step <= 5; ++step) QVERIFY(!GridCellText(ui.StringGrid1, 2, step).isEmpty());
  QCOMPARE(report.Text(report.BodyStart() + 11), QStringLiteral("Combined Result : ") + ui.Label12->text());
  ReportRebuiltFromRecording(started, folder_->Path(), QStringLiteral("MANUAL"));
  QVERIFY(window.grab().save(output + QStringLiteral("/flicker-manual-switching.png")));
}

// A timed test run and saved as the operator does: identified, started,
// completed; the report saved as text as `name`.TXT with its recording.
void RunAndSaveTimedTest(StartedProgram& started, const QString& folder, const QString& name) {
  Ui::Tqx7300form& ui = started.Window().Form();
  ui.Edit7->setText(QStringLiteral("30"));
  ui.Edit8->setText(QStringLiteral("Kettle KX-2"));
  ui.Edit9->setText(QStringLiteral("SN 1042"));
  ui.Edit10->setText(QStringLiteral("A. Tester"));
  QTest::mouseClick(ui.Button5, Qt::LeftButton);
  QTRY_COMPARE_WITH_TIMEOUT(ui.Label59->text(), QStringLiteral("Test Complete. Results Held."), 40000);
  started.dialogs.saveAnswers << QDir(folder).filePath(name + QStringLiteral(".TXT"));
  ui.SaveReportasTextFile1->trigger();
}

QList<QByteArray> ReceivedLines(const QString& recording) {
  QList<QByteArray> lines;
  for (const RecordingEntry& entry : ReadRecordingFile(recording).Entries)
    if (entry.Kind == EntryKind::Received) lines << entry.Payload;
  return lines;
}

// The report's lines but for what is each window's own: its start, and the
// present readings (supply, load, fundamental) of the record in hand when
// the window last built the report, which depends on when its display
// changed. The held results and all the rest must agree.
QStringList ReportBody(const QString& path) {
  QStringList lines = QString::fromLatin1(FileBytes(path)).split(QStringLiteral("\r\n"));
  lines.removeIf([](const QString& line) {
    for (const char* present : {"Tested On", "Supply Voltage", "Load ", "Fundamental"})
      if (line.startsWith(QLatin1String(present))) return true;
    return false;
  });
  return lines;
}

// A test the program recorded against the emulator, played back by the
// emulator into the program: the program receives the recorded lines as
// they came and makes the same report of them.
void TestE2eLive::recordingReplayedIntoTheProgram() {
  const QDir folder(folder_->Path());
  {
    StartedProgram started(folder_->Path(), {QStringLiteral("--fast"), QStringLiteral("--speed"), QStringLiteral("10")});
    QVERIFY(started.Connected());
    RunAndSaveTimedTest(started, folder_->Path(), QStringLiteral("LIVE"));
  }
  {
    // At a quarter of the recorded pace, so that the operator here starts
    // before the recorded test does; the line unpaced, as the quick test's was.
    StartedProgram started(folder_->Path(), {QStringLiteral("--fast"), QStringLiteral("--speed"), QStringLiteral("0.25"),
                                             QStringLiteral("--replay"), folder.filePath(QStringLiteral("LIVE.qxr"))});
    QVERIFY(started.Connected());
    RunAndSaveTimedTest(started, folder_->Path(), QStringLiteral("REPLAYED"));
  }
  const QList<QByteArray> live = ReceivedLines(folder.filePath(QStringLiteral("LIVE.qxr")));
  const QList<QByteArray> replayed = ReceivedLines(folder.filePath(QStringLiteral("REPLAYED.qxr")));
  QVERIFY(live.size() > 3 && !replayed.isEmpty());
  // The replayed test began with the replay under way: the live lines from
  // its first on, one for one.
  const qsizetype first = live.indexOf(replayed.first());
  QVERIFY(first >= 0);
  QCOMPARE(replayed, live.mid(first, replayed.size()));
  QCOMPARE(ReportBody(folder.filePath(QStringLiteral("REPLAYED.TXT"))), ReportBody(folder.filePath(QStringLiteral("LIVE.TXT"))));
}

QTEST_MAIN(TestE2eLive)
#include "test_e2e_live.moc"
