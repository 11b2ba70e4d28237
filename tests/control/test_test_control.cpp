// The left half of the main window against an analyser on a pseudo-terminal:
// what the operator does there, and the exact command bytes that reach the
// analyser, in order; which controls each set-up shows and allows.
#include <QDir>
#include <QtTest>

#include "app/qx7300main.h"
#include "app/radio_group.h"
#include "serial/serial_port.h"
#include "support/window_rig.h"
#include "support/record_builder.h"
#include "ui_qx7300main.h"

using namespace std::chrono_literals;

namespace {

// How the window is set up before a row's action.
enum class Setup { Harmonics, Continuous, ContinuousTwoHour, Manual, CurrentSensing, ClassC, ClassD };

}  // namespace

Q_DECLARE_METATYPE(Setup)

class TestTestControl : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();
  void startSendsTheTestAndItsSetUp_data();
  void startSendsTheTestAndItsSetUp();
  void abortSendsOnlyTheAbort();
  void invalidDurationsAndEvents_data();
  void invalidDurationsAndEvents();
  void setUpCommandGroups_data();
  void setUpCommandGroups();
  void rangingCommandsAndCaptions_data();
  void rangingCommandsAndCaptions();
  void panelsShowWhatTheSetUpAllows_data();
  void panelsShowWhatTheSetUpAllows();

 private:
  Ui::Tqx7300form& Ui() { return window_->Form(); }
  // Everything the analyser has received since the last drain.
  QByteArray Drain() { return analyser_->Read(1 << 16, 150ms); }
  void Prepare(Setup setup);

  std::unique_ptr<TWindowRig> rig_;
  TLinkedAnalyser* analyser_ = nullptr;
  ScriptedOperatorDialogs* dialogs_ = nullptr;
  Tqx7300form* window_ = nullptr;
};

void TestTestControl::init() {
  rig_ = std::make_unique<TWindowRig>();
  QVERIFY(rig_->Ready());
  analyser_ = &rig_->Analyser();
  dialogs_ = &rig_->Dialogs();
  window_ = &rig_->Window();
}

void TestTestControl::cleanup() {
  rig_.reset();
}

void TestTestControl::Prepare(Setup setup) {
  const bool flicker = setup == Setup::Continuous || setup == Setup::ContinuousTwoHour ||
                       setup == Setup::Manual || setup == Setup::CurrentSensing;
  Ui().ComboBox1->setCurrentIndex(flicker ? 1 : 0);
  window_->ReinitialiseForStandard();
  if (setup == Setup::ContinuousTwoHour) Ui().CheckBox5->setChecked(true);
  if (setup == Setup::Manual) Ui().RadioButton2->setChecked(true);
  if (setup == Setup::CurrentSensing) Ui().RadioGroup11->SetItemIndex(1);
  if (setup == Setup::ClassC || setup == Setup::ClassD) {
    Ui().ComboBox3->setCurrentIndex(setup == Setup::ClassC ? 2 : 3);
    window_->HarmonicsSettingChanged();
  }
  Drain();
}

void TestTestControl::startSendsTheTestAndItsSetUp_data() {
  QTest::addColumn<Setup>("setup");
  QTest::addColumn<QByteArray>("sent");
  QTest::addColumn<int>("harmonicsDisplay");
  QTest::addColumn<int>("flickerDisplay");
  QTest::addColumn<bool>("newTest");
  // The display choice that follows the start asks for its records again.
  QTest::newRow("harmonics") << Setup::Harmonics << QByteArray("K:A;E:S;N:75;D:150;T:S;R:H;R:H;") << 2 << 0
                             << true;
  QTest::newRow("continuous flicker") << Setup::Continuous << QByteArray("X:4;C:3.3,3.3,500;D:600;T:S;R:F;R:F;")
                                      << 0 << 1 << true;
  QTest::newRow("manual step") << Setup::Manual << QByteArray("X:4;C:3.3,3.3,500;D:60;T:S;R:F;") << 0 << 0
                               << false;
}

void TestTestControl::startSendsTheTestAndItsSetUp() {
  QFETCH(Setup, setup);
  QFETCH(QByteArray, sent);
  QFETCH(int, harmonicsDisplay);
  QFETCH(int, flickerDisplay);
  QFETCH(bool, newTest);
  Prepare(setup);
  window_->Document().Harmonics().HarmonicText[2][5] = QStringLiteral("0.12");
  const quint32 counter = window_->Test().ReportCounter;
  QTest::mouseClick(Ui().Button5, Qt::LeftButton);
  QCOMPARE(Drain(), sent);
  QCOMPARE(Ui().RadioGroup1->ItemIndex(), harmonicsDisplay);
  QCOMPARE(Ui().RadioGroup2->ItemIndex(), flickerDisplay);
  // A new test clears the results and numbers a new report; a manual step
  // keeps both.
  QCOMPARE(window_->Test().ReportCounter, counter + (newTest ? 1 : 0));
  QCOMPARE(window_->Harmonics().HarmonicText[2][5].isEmpty(), newTest);
  QVERIFY(!Ui().Panel1->isEnabled());
  QVERIFY(!Ui().Panel2->isEnabled());
  QVERIFY(dialogs_->shown.isEmpty());

  // A record already on its way when the test started still says "Free
  // Run."; the set-up comes back only once the test has run.
  RecordBuilder record;
  const QList<std::pair<QByteArray, bool>> statuses{{"U     ", false}, {"T   30", false}, {"U     ", true}};
  for (const auto& [status, enabled] : statuses) {
    record.status = status;
    QVERIFY(window_->ProcessLine(record.Line('X')));
    QCOMPARE(Ui().Panel1->isEnabled(), enabled);
    QCOMPARE(Ui().Panel2->isEnabled(), enabled);
  }

  // "Free Run" gives the set-up back to the operator at once.
  window_->StartOrAbort();
  QVERIFY(!Ui().Panel1->isEnabled());
  Drain();
  QTest::mouseClick(Ui().Button1, Qt::LeftButton);
  QVERIFY(Ui().Panel1->isEnabled() && Ui().Panel2->isEnabled());
  QVERIFY(Drain().startsWith("T:F;R:"));
}

void TestTestControl::abortSendsOnlyTheAbort() {
  Prepare(Setup::Harmonics);
  window_->Document().Fields().StatusCode = QStringLiteral("T   42");
  const QDateTime before = QDateTime::currentDateTime();
  QTest::mouseClick(Ui().Button5, Qt::LeftButton);
  QCOMPARE(Drain(), QByteArray("T:A;"));
  QVERIFY(Ui().Panel1->isEnabled());
  QVERIFY(window_->Document().TestStartTime() >= before);
  QCOMPARE(window_->Test().ReportCounter, 0u);
}

void TestTestControl::invalidDurationsAndEvents_data() {
  QTest::addColumn<QString>("duration");
  QTest::addColumn<QString>("events");
  QTest::addColumn<QByteArray>("durationSent");
  QTest::addColumn<bool>("warned");
  QTest::addColumn<int>("eventsCollected");
  QTest::newRow("0 and 0") << "0" << "0" << QByteArray("D:150;") << true << 24;
  QTest::newRow("-5 and 25") << "-5" << "25" << QByteArray("D:150;") << true << 24;
  QTest::newRow("text and 1") << "ten" << "1" << QByteArray("D:150;") << true << 1;
  QTest::newRow("60001 and text") << "60001" << "x" << QByteArray("D:150;") << true << 24;
  QTest::newRow("10.5") << "10.5" << "24" << QByteArray("D:150;") << true << 24;
  QTest::newRow("60000 and 12") << "60000" << "12" << QByteArray("D:60000;") << false << 12;
}

void TestTestControl::invalidDurationsAndEvents() {
  QFETCH(QString, duration);
  QFETCH(QString, events);
  QFETCH(QByteArray, durationSent);
  QFETCH(bool, warned);
  QFETCH(int, eventsCollected);
  Prepare(Setup::Continuous);
  Ui().Edit7->setText(duration);
  Ui().Edit1->setText(events);
  window_->StartOrAbort();
  QCOMPARE(Drain(), "X:4;C:3.3,3.3,500;" + durationSent + "T:S;R:F;R:F;");
  QCOMPARE(dialogs_->Texts(QStringLiteral("warning")),
           warned ? QStringList{QStringLiteral("Invalid Entry. Default Value Set")} : QStringList{});
  QCOMPARE(Ui().Edit7->text(), warned ? QStringLiteral("150") : duration);
  QCOMPARE(int(window_->Test().EventsToCollect), eventsCollected);
  QCOMPARE(Ui().Edit1->text(), QString::number(eventsCollected));
}

void TestTestControl::setUpCommandGroups_data() {
  QTest::addColumn<Setup>("setup");
  QTest::addColumn<QString>("edit");  // object name of an edit to type into, or empty
  QTest::addColumn<QString>("text");
  QTest::addColumn<QString>("box");  // object name of a check box to click, or empty
  QTest::addColumn<QByteArray>("sent");
  QTest::addColumn<QString>("unitLabel");
  QTest::newRow("class C at 16") << Setup::ClassC << "Edit14" << "16" << "" << QByteArray("M:H,3;K:C,16,0.75;E:S;N:75;R:W;")
                                 << "Amps";
  QTest::newRow("class C at 16.5") << Setup::ClassC << "Edit14" << "16.5" << ""
                                   << QByteArray("M:H,3;K:C,16.5,0.75;E:S;N:75;R:W;") << "mA";
  QTest::newRow("class C automatic with text") << Setup::ClassC << "Edit14" << "abc" << "CheckBox1"
                                               << QByteArray("M:H,3;E:S;N:75;R:W;") << "mA";
  QTest::newRow("class D automatic") << Setup::ClassD << "" << "" << "CheckBox2" << QByteArray("M:H,3;K:D,0;E:S;N:75;R:W;")
                                     << "";
  QTest::newRow("d(c) with blanks") << Setup::Continuous << "Edit2" << "  3.0  " << ""
                                    << QByteArray("M:F,0;Z:V;X:4;C:3.0,3.3,500;R:W;") << "";
  QTest::newRow("nominal 100") << Setup::Harmonics << "Edit13" << "100" << "" << QByteArray() << "";
  QTest::newRow("nominal 100.5") << Setup::Harmonics << "Edit13" << "100.5" << "" << QByteArray("V:100.5;F:50.0;R:W;")
                                 << "";
  QTest::newRow("two-hour Plt") << Setup::Continuous << "" << "" << "CheckBox5"
                                << QByteArray("M:F,1;Z:V;X:4;C:3.3,3.3,500;R:W;") << "";
}

void TestTestControl::setUpCommandGroups() {
  QFETCH(Setup, setup);
  QFETCH(QString, edit);
  QFETCH(QString, text);
  QFETCH(QString, box);
  QFETCH(QByteArray, sent);
  QFETCH(QString, unitLabel);
  Prepare(setup);
  // The box is clicked first; with an edit to type into, what is sent
  // after the typing counts.
  if (!box.isEmpty()) Ui().centralwidget->findChild<QCheckBox*>(box)->setChecked(true);
  if (!edit.isEmpty()) {
    Drain();
    Ui().centralwidget->findChild<QLineEdit*>(edit)->setText(text);
  }
  QCOMPARE(Drain(), sent);
  if (!unitLabel.isEmpty()) QCOMPARE(Ui().Label115->text(), unitLabel);
  if (box == QLatin1String("CheckBox2")) {
    QVERIFY(!Ui().Edit5->isEnabled() && !Ui().Label117->isEnabled() && !Ui().Label118->isEnabled());
  }
  if (box == QLatin1String("CheckBox5")) QCOMPARE(Ui().Edit7->text(), QStringLiteral("7200"));
}

void TestTestControl::rangingCommandsAndCaptions_data() {
  QTest::addColumn<int>("startIndex");
  QTest::addColumn<QString>("presses");  // U range up, D range down, L lock button, H harmonics standard
  QTest::addColumn<QByteArray>("sent");
  QTest::addColumn<QString>("caption");
  QTest::newRow("up at the largest") << 0 << "U" << QByteArray("I:0;R:W;") << "Unlock Range";
  QTest::newRow("down at the end") << 15 << "D" << QByteArray("I:F;R:W;") << "Unlock Range";
  QTest::newRow("down from 9") << 9 << "D" << QByteArray("I:A;R:W;") << "Unlock Range";
  QTest::newRow("lock") << 4 << "L" << QByteArray("I:L;R:W;") << "Auto Range";
  QTest::newRow("lock twice") << 4 << "LL" << QByteArray("I:L;R:W;I:U;R:W;") << "Lock Range";
  QTest::newRow("up, then the lock button") << 4 << "UL" << QByteArray("I:3;R:W;I:U;R:W;") << "Lock Range";
  QTest::newRow("harmonics while locked") << 4 << "LH" << QByteArray("I:L;R:W;M:H,3;K:A;E:S;N:75;R:W;I:U;R:W;")
                                          << "Lock Range";
}

void TestTestControl::rangingCommandsAndCaptions() {
  QFETCH(int, startIndex);
  QFETCH(QString, presses);
  QFETCH(QByteArray, sent);
  QFETCH(QString, caption);
  Prepare(Setup::Harmonics);
  window_->Document().Graph().RangeIndex = static_cast<quint8>(startIndex);
  for (QChar press : presses) {
    if (press == QLatin1Char('U')) QTest::mouseClick(Ui().Button6, Qt::LeftButton);
    if (press == QLatin1Char('D')) QTest::mouseClick(Ui().Button7, Qt::LeftButton);
    if (press == QLatin1Char('L')) QTest::mouseClick(Ui().Button8, Qt::LeftButton);
    if (press == QLatin1Char('H')) window_->StandardChanged();
  }
  QCOMPARE(Drain(), sent);
  QCOMPARE(Ui().Button8->text(), caption);
  QCOMPARE(window_->Test().RangeLocked, caption != QLatin1String("Lock Range"));
}

void TestTestControl::panelsShowWhatTheSetUpAllows_data() {
  QTest::addColumn<Setup>("setup");
  QTest::addColumn<QStringList>("shown");
  QTest::addColumn<QStringList>("hidden");
  QTest::addColumn<QStringList>("disabled");
  QTest::addColumn<QString>("startCaption");
  QTest::newRow("harmonics class A")
      << Setup::Harmonics << QStringList{"Panel1", "Panel9", "Panel11", "RadioGroup1"}
      << QStringList{"Panel2", "Panel10", "Panel13", "Panel14", "RadioGroup2", "Button4"} << QStringList{}
      << "Start Timed Test";
  QTest::newRow("harmonics class C") << Setup::ClassC << QStringList{"Panel13"} << QStringList{"Panel11", "Panel14"}
                                     << QStringList{} << "Start Timed Test";
  QTest::newRow("harmonics class D") << Setup::ClassD << QStringList{"Panel11", "Panel14"} << QStringList{"Panel13"}
                                     << QStringList{} << "Start Timed Test";
  QTest::newRow("continuous") << Setup::Continuous
                              << QStringList{"Panel2", "Panel10", "RadioGroup2", "ComboBox5", "Edit2", "CheckBox5"}
                              << QStringList{"Panel1", "Panel9", "RadioGroup1", "Button4", "Edit1", "GroupBox2"}
                              << QStringList{"Button8"} << "Start Timed Test";
  QTest::newRow("continuous, two hours") << Setup::ContinuousTwoHour << QStringList{"CheckBox5", "Label128"}
                                         << QStringList{"Edit1"} << QStringList{"Button8"} << "Start Timed Test";
  QTest::newRow("manual switching")
      << Setup::Manual << QStringList{"Button4", "Edit1", "Label127", "ComboBox2"}
      << QStringList{"ComboBox5", "Edit2", "Label123", "CheckBox5", "Label128"}
      << QStringList{"CheckBox3", "CheckBox6", "Button8"} << "Start Step 1";
  QTest::newRow("current sensing") << Setup::CurrentSensing << QStringList{"GroupBox2"} << QStringList{}
                                   << QStringList{"Button6", "Button7", "Button8"} << "Start Timed Test";
}

void TestTestControl::panelsShowWhatTheSetUpAllows() {
  QFETCH(Setup, setup);
  QFETCH(QStringList, shown);
  QFETCH(QStringList, hidden);
  QFETCH(QStringList, disabled);
  QFETCH(QString, startCaption);
  Prepare(setup);
  const auto control = [this](const QString& name) {
    QWidget* found = Ui().centralwidget->findChild<QWidget*>(name);
    if (found == nullptr) qFatal("no control %s", qPrintable(name));
    return found;
  };
  for (const QString& name : shown) QVERIFY2(control(name)->isVisibleTo(window_), qPrintable(name));
  for (const QString& name : hidden) QVERIFY2(!control(name)->isVisibleTo(window_), qPrintable(name));
  for (const QString& name : disabled) QVERIFY2(!control(name)->isEnabled(), qPrintable(name));
  QCOMPARE(Ui().Button5->text(), startCaption);
  if (setup == Setup::Manual) {
    // Manual switching judges voltage fluctuations only.
    QVERIFY(Ui().CheckBox3->isChecked());
    QVERIFY(!Ui().CheckBox6->isChecked());
    Ui().RadioButton1->setChecked(true);
    QVERIFY(Ui().CheckBox3->isEnabled() && Ui().CheckBox6->isEnabled());
    QVERIFY(!Ui().CheckBox6->isChecked());
    Ui().RadioButton2->setChecked(true);
  }

  // A picture of each set-up, to look at.
  const QString output = QStringLiteral(QX7300_TEST_OUTPUT);
  QDir().mkpath(output);
  QString name = QString::fromLatin1(QTest::currentDataTag()).replace(QLatin1Char(' '), QLatin1Char('-'));
  name.remove(QLatin1Char(','));
  window_->grab().save(output + QStringLiteral("/setup-") + name + QStringLiteral(".png"));
}

QTEST_MAIN(TestTestControl)
#include "test_test_control.moc"
