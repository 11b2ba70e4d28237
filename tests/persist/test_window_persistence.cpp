// The main window keeping its set-up and settings: a configuration applied
// control by control with the controls' own reactions, the settings file
// read at start-up, the defaults procedure and its port prompt, and saves
// that fail without losing anything.
#include <QDir>
#include <QFile>
#include <QtTest>

#include "app/qx7300main.h"
#include "persist/configuration_file.h"
#include "persist/settings_file.h"
#include "serial/serial_port.h"
#include "support/scripted_operator_dialogs.h"
#include "support/test_working_folder.h"
#include "ui_qx7300main.h"

namespace {

void WriteFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  file.write(bytes);
}

QByteArray SettingsWithPortLine(const QByteArray& portLine, const QByteArray& fontSize = "8") {
  return "1.14 2nd September 2007;    Software Version\r\n\r\n08 December 2026 09:00;    Date & Time Saved\r\n" +
         portLine + ";    Com Port\r\n" + fontSize + "\r\n0\r\nCourier New\r\n17\r\n";
}

}  // namespace

class TestWindowPersistence : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();
  void configurationRoundTripThroughTheWindow();
  void loadRewritesTheDurationAsTheControlsReact_data();
  void loadRewritesTheDurationAsTheControlsReact();
  void settingsFileAtStartUp_data();
  void settingsFileAtStartUp();
  void portPromptAnswers_data();
  void portPromptAnswers();
  void failedSavesAreReportedAndLoseNothing();

 private:
  Ui::Tqx7300form& Ui() { return window_->Form(); }

  TestWorkingFolder* folder_ = nullptr;
  ScriptedOperatorDialogs* dialogs_ = nullptr;
  Tqx7300form* window_ = nullptr;
};

void TestWindowPersistence::init() {
  folder_ = new TestWorkingFolder;
  dialogs_ = new ScriptedOperatorDialogs;
  window_ = new Tqx7300form(*dialogs_);
  window_->starttimer().stop();
}

void TestWindowPersistence::cleanup() {
  delete window_;
  delete dialogs_;
  delete folder_;
}

void TestWindowPersistence::configurationRoundTripThroughTheWindow() {
  // Values whose reactions agree with one another: manual switching forces
  // its duration and voltage fluctuations on, flicker off.
  TestSetupValues values;
  values.Edit1 = "7", values.Edit2 = " 2.5", values.Edit5 = "55", values.Edit7 = "60", values.Edit10 = "";
  values.Edit13 = "240", values.Edit14 = "12.5", values.Edit15 = "0.9";
  values.RadioGroup2 = 2, values.RadioGroup5 = 1, values.RadioGroup11 = 1;
  values.ComboBox2 = 1, values.ComboBox3 = 2, values.ComboBox4 = 1, values.ComboBox5 = 2, values.ComboBox7 = 1;
  values.RadioButton1 = false, values.RadioButton2 = true;
  values.CheckBox1 = true, values.CheckBox2 = true, values.CheckBox4 = true, values.CheckBox6 = false;
  values.CheckBox7 = true, values.ComboBox1 = 1;
  const QString path = folder_->FilePath(QStringLiteral("ROUND.HAC"));
  QVERIFY(SaveConfiguration(path, values));
  Ui().Edit10->setText(QStringLiteral("someone"));

  window_->LoadConfiguration(path);
  QVERIFY(dialogs_->shown.isEmpty());
  QCOMPARE(window_->TakeTestSetup(), values);
  QVERIFY(Ui().RadioButton2->isChecked() && !Ui().RadioButton1->isChecked());
  const QString again = folder_->FilePath(QStringLiteral("AGAIN.HAC"));
  window_->SaveConfigurationFile(again);
  QCOMPARE(FileBytes(again), FileBytes(path));
}

void TestWindowPersistence::loadRewritesTheDurationAsTheControlsReact_data() {
  QTest::addColumn<bool>("continuousBefore");
  QTest::addColumn<bool>("twoHourBefore");
  QTest::addColumn<bool>("twoHourInFile");
  QTest::addColumn<QString>("duration");
  // Nothing changes state: the file's own duration stays.
  QTest::newRow("as it was") << true << false << false << "1234";
  QTest::newRow("two hours already") << true << true << true << "1234";
  // The Plt box turned on ends at two hours whatever the file says.
  QTest::newRow("two hours turned on") << true << false << true << "7200";
  QTest::newRow("two hours turned off") << true << true << false << "600";
  // "Continuous" chosen again: its duration, with the box as it is then.
  QTest::newRow("continuous again") << false << false << false << "600";
  QTest::newRow("continuous again, two hours") << false << true << true << "7200";
}

void TestWindowPersistence::loadRewritesTheDurationAsTheControlsReact() {
  QFETCH(bool, continuousBefore);
  QFETCH(bool, twoHourBefore);
  QFETCH(bool, twoHourInFile);
  QFETCH(QString, duration);
  if (!continuousBefore) Ui().RadioButton2->setChecked(true);
  Ui().CheckBox5->setChecked(twoHourBefore);
  TestSetupValues values;
  values.Edit7 = QStringLiteral("1234");
  values.CheckBox5 = twoHourInFile;
  const QString path = folder_->FilePath(QStringLiteral("D.HAC"));
  QVERIFY(SaveConfiguration(path, values));
  window_->LoadConfiguration(path);
  QCOMPARE(Ui().Edit7->text(), duration);
}

void TestWindowPersistence::settingsFileAtStartUp_data() {
  QTest::addColumn<QByteArray>("file");
  QTest::addColumn<int>("port");        // ComPortNumber afterwards
  QTest::addColumn<int>("comNumber");   // the serial component's
  QTest::addColumn<bool>("defaults");   // the defaults procedure ran
  QTest::addColumn<int>("fontSize");
  QTest::newRow("2.5 rounds to 2") << SettingsWithPortLine("2.5") << 2 << 2 << false << 8;
  QTest::newRow("3.5 rounds to 4") << SettingsWithPortLine("3.5") << 4 << 4 << false << 8;
  QTest::newRow("comma after the number") << SettingsWithPortLine("6,") << 6 << 6 << false << 8;
  QTest::newRow("COM3 is port 0, the component keeps its port") << SettingsWithPortLine("COM3") << 0 << 5 << false
                                                                 << 8;
  QTest::newRow("256") << SettingsWithPortLine("256") << 0 << 5 << true << 8;
  QTest::newRow("-1") << SettingsWithPortLine("-1") << 0 << 5 << true << 8;
  QTest::newRow("font size 4 reads as 8") << SettingsWithPortLine("1", "4") << 1 << 1 << false << 8;
  QTest::newRow("font size 6") << SettingsWithPortLine("1", "6") << 1 << 1 << false << 6;
  QTest::newRow("missing") << QByteArray() << 0 << 5 << true << 8;
}

void TestWindowPersistence::settingsFileAtStartUp() {
  QFETCH(QByteArray, file);
  QFETCH(int, port);
  QFETCH(int, comNumber);
  QFETCH(bool, defaults);
  QFETCH(int, fontSize);
  if (!file.isEmpty()) WriteFile(folder_->FilePath(QStringLiteral("qx7300.INI")), file);
  window_->SerialPort1().SetComNumber(5);
  // The port prompt, if it comes, is answered with a port that is no port.
  dialogs_->inputAnswers.enqueue(QStringLiteral("0"));
  window_->ReadSettings();
  QCOMPARE(int(window_->Shell().ComPortNumber), port);
  QCOMPARE(int(window_->SerialPort1().ComNumber()), comNumber);
  QCOMPARE(dialogs_->Texts(QStringLiteral("warning")),
           defaults ? QStringList{QStringLiteral("INI File Error. Defaults Loaded")} : QStringList{});
  QCOMPARE(window_->Shell().PrinterFont.Size, fontSize);
  QCOMPARE(window_->Shell().PrinterFont.Name, defaults ? QStringLiteral("Courier") : QStringLiteral("Courier New"));
  if (!defaults) QCOMPARE(window_->Test().ReportCounter, 17u);
  // Whatever was read, the next save writes the port kept, into the one
  // settings file however its name is spelt.
  window_->SaveSettings();
  const QStringList files = QDir(folder_->Path()).entryList({QStringLiteral("*.ini"), QStringLiteral("*.INI")}, QDir::Files);
  QCOMPARE(files.size(), 1);
  QVERIFY(FileBytes(folder_->FilePath(files.first())).contains("\r\n" + QByteArray::number(port) + ";    Com Port\r\n"));
}

void TestWindowPersistence::portPromptAnswers_data() {
  QTest::addColumn<QString>("answer");  // "cancel" for a cancelled prompt
  QTest::addColumn<int>("port");
  QTest::newRow("cancel takes the proposed 1") << "cancel" << 1;
  QTest::newRow("7") << "7" << 7;
  QTest::newRow("0") << "0" << 3;
  QTest::newRow("text") << "COM7" << 3;
  QTest::newRow("256") << "256" << 3;
  QTest::newRow("257") << "257" << 3;
}

void TestWindowPersistence::portPromptAnswers() {
  QFETCH(QString, answer);
  QFETCH(int, port);
  window_->Shell().ComPortNumber = 3;
  window_->SerialPort1().SetComNumber(3);
  if (answer == QLatin1String("cancel")) {
    dialogs_->inputAnswers.enqueue(std::nullopt);
  } else {
    dialogs_->inputAnswers.enqueue(answer);
  }
  Ui().Edit7->setText(QStringLiteral("10"));
  window_->DefaultsProcedure();
  QCOMPARE(int(window_->Shell().ComPortNumber), port);
  QCOMPARE(int(window_->SerialPort1().ComNumber()), port);
  QCOMPARE(window_->TakeTestSetup(), SetupDefaults());
  QCOMPARE(Ui().Edit7->text(), QStringLiteral("600"));
  QCOMPARE(window_->Shell().PrinterFont, PrinterFontValues{});
  QVERIFY(QFile::exists(folder_->FilePath(QStringLiteral("startup.HAC"))));
}

void TestWindowPersistence::failedSavesAreReportedAndLoseNothing() {
  // A folder where the settings file should be: it cannot be written, and
  // the start-up configuration is saved all the same.
  QVERIFY(QDir(folder_->Path()).mkdir(QStringLiteral("QX7300.ini")));
  const QString startup = folder_->FilePath(QStringLiteral("Startup.hac"));
  WriteFile(startup, "old\r\n");
  window_->Shell().SettingsLoaded = true;  // as after start-up
  Ui().Edit10->setText(QStringLiteral("A. Smith"));
  window_->SaveSettings();
  QCOMPARE(dialogs_->Texts(QStringLiteral("message")), QStringList{QStringLiteral("INI File Write Error")});
  // The one start-up configuration, whichever way its name is spelt.
  QVERIFY(FileBytes(startup).contains("A. Smith\r\n"));
  QCOMPARE(QDir(folder_->Path()).entryList({QStringLiteral("*.hac"), QStringLiteral("*.HAC")}, QDir::Files).size(), 1);

  // A configuration that cannot be written keeps the file it would replace.
  const QString blocked = folder_->FilePath(QStringLiteral("blocked.HAC"));
  QVERIFY(QDir(folder_->Path()).mkdir(QStringLiteral("blocked.HAC")));
  window_->SaveConfigurationFile(blocked);
  QCOMPARE(dialogs_->Texts(QStringLiteral("message")).last(), QStringLiteral("Configuration File Write Error"));
}

QTEST_MAIN(TestWindowPersistence)
#include "test_window_persistence.moc"
