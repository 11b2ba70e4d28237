// Record lines through the main window's receive path: the status panel, the
// start button, the range and units, the meter panel and the waveform stores.
#include <QLabel>
#include <QtTest>

#include "app/msg.h"
#include "app/qx7300main.h"
#include "app/radio_group.h"
#include "support/record_builder.h"
#include "support/scripted_operator_dialogs.h"
#include "ui_qx7300main.h"

class TestReceivePanel : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();
  void rangeCodes_data();
  void rangeCodes();
  void meterPanel();
  void testRunningWithCountdown();
  void lastSecondsSwitchToTheResults();
  void manualSwitchingPrompts();
  void testCompleteTwiceInManualSwitching();
  void panelsReenabledByStatus();
  void unknownTypeAndLoneLineFeed();
  void waveformStores();

 private:
  void Process(const QByteArray& line) { QVERIFY(window_->ProcessLine(line)); }
  Ui::Tqx7300form& Ui() { return window_->Form(); }

  ScriptedOperatorDialogs* dialogs_ = nullptr;
  Tqx7300form* window_ = nullptr;
  Tmsgform* prompt_ = nullptr;
};

void TestReceivePanel::init() {
  dialogs_ = new ScriptedOperatorDialogs;
  window_ = new Tqx7300form(*dialogs_);
  window_->starttimer().stop();
  prompt_ = new Tmsgform;
  Tqx7300form::Companions companions;
  companions.msgform = prompt_;
  window_->SetCompanions(companions);
}

void TestReceivePanel::cleanup() {
  delete window_;
  delete prompt_;
  delete dialogs_;
}

void TestReceivePanel::rangeCodes_data() {
  QTest::addColumn<QByteArray>("code");
  QTest::addColumn<QString>("label");
  QTest::addColumn<QString>("currentUnit");
  QTest::addColumn<QString>("harmonicsUnit");
  QTest::addColumn<QString>("powerUnit");
  QTest::newRow("2") << QByteArray("2") << "100 A Peak" << "A" << "A" << "kW";
  QTest::newRow("4") << QByteArray("4") << "24 A Peak" << "A" << "A" << "W";
  QTest::newRow("6") << QByteArray("6") << "6 A Peak" << "A" << "mA" << "W";
  QTest::newRow("7") << QByteArray("7") << "3000 mA Peak" << "mA" << "mA" << "W";
  QTest::newRow("E") << QByteArray("E") << "24 mA Peak" << "mA" << "mA" << "W";
}

void TestReceivePanel::rangeCodes() {
  QFETCH(QByteArray, code);
  QFETCH(QString, label);
  QFETCH(QString, currentUnit);
  QFETCH(QString, harmonicsUnit);
  QFETCH(QString, powerUnit);
  RecordBuilder record;
  record.currentRange = code;
  Process(record.Waveform('I', QList<quint8>(301, 150)));
  QCOMPARE(Ui().Label26->text(), label);
  QCOMPARE(Ui().Label27->text(), currentUnit);
  QCOMPARE(Ui().Label79->text(), currentUnit);
  QCOMPARE(Ui().Label94->text(), harmonicsUnit);
  QCOMPARE(Ui().Label81->text(), powerUnit);
  QCOMPARE(Ui().Label58->text(), powerUnit);
  // On every range, "4" included, the type letter is found and the
  // current samples stored.
  QCOMPARE(int(window_->Document().Samples().CurrentSamples[300]), 150);
  QVERIFY(Ui().Label59->text() != QStringLiteral("String Error"));
  QCOMPARE(window_->Fields().CurrentRangeCode, QString::fromLatin1(code));

  // A code outside the tables leaves the labels as they were.
  record.currentRange = "F";
  Process(record.Line('I'));
  QCOMPARE(Ui().Label26->text(), label);
  QCOMPARE(Ui().Label94->text(), harmonicsUnit);
}

void TestReceivePanel::meterPanel() {
  RecordBuilder record;
  Process(record.Line('H'));
  QCOMPARE(Ui().Label42->text(), QStringLiteral("230.1"));
  QCOMPARE(Ui().Label83->text(), QStringLiteral("325.3"));
  QCOMPARE(Ui().Label91->text(), QStringLiteral("50.00"));
  QCOMPARE(Ui().Label5->text(), QStringLiteral("90"));
  QCOMPARE(Ui().Label17->text(), QStringLiteral("1.234"));
  QCOMPARE(Ui().Label93->text(), QStringLiteral("2.345"));
  QCOMPARE(Ui().Label85->text(), QStringLiteral("0.456"));
  QCOMPARE(Ui().Label80->text(), QStringLiteral("250.5"));
  QCOMPARE(Ui().Label96->text(), QStringLiteral("270.1"));
  QCOMPARE(Ui().Label97->text(), QStringLiteral(" 0.927"));
  QCOMPARE(Ui().Label3->text(), QStringLiteral(" 1.414"));
  QCOMPARE(Ui().Label78->text(), QStringLiteral(" 1.900"));
  // The first line after a reset shows the maximum of the earlier lines.
  QCOMPARE(Ui().Label57->text(), QStringLiteral("  0.00"));
  QCOMPARE(window_->Document().Extremes().WattsMax, 250.5f);
  QCOMPARE(window_->Harmonics().HarmonicText[2][1], QStringLiteral("1.100"));
  QCOMPARE(window_->Harmonics().HarmonicValue[2][1], 1.1f);

  record.watts = "P99.25";
  record.voltAmps = "0";
  record.fundamental = "n/a";
  Process(record.Line('H'));
  QCOMPARE(Ui().Label57->text(), QStringLiteral("250.50"));
  QCOMPARE(Ui().Label97->text(), QStringLiteral(" 0.000"));
  QCOMPARE(window_->Document().Extremes().WattsMin, 99.25f);
  QCOMPARE(window_->Harmonics().HarmonicText[2][1], QStringLiteral("n/a"));
  QCOMPARE(window_->Harmonics().HarmonicValue[2][1], 0.0f);

  window_->Document().ResetMeterExtremes();
  Process(record.Line('H'));
  QCOMPARE(Ui().Label57->text(), QStringLiteral("  0.00"));
}

void TestReceivePanel::testRunningWithCountdown() {
  RecordBuilder record;
  record.status = "T  120";
  Process(record.Line('H'));
  QCOMPARE(Ui().Label59->text(), QStringLiteral("Test Running"));
  QCOMPARE(Ui().Button5->text(), QStringLiteral("Abort Test"));
  QVERIFY(!Ui().Label43->isHidden());
  QCOMPARE(Ui().Label43->text(), QStringLiteral("120 Seconds to Go."));
  QCOMPARE(Ui().RadioGroup1->ItemIndex(), 0);

  record.status = "W     ";
  Process(record.Line('H'));
  QVERIFY(Ui().Label43->isHidden());
  QCOMPARE(Ui().Button5->text(), QStringLiteral("Start Timed Test"));
  QCOMPARE(Ui().Label59->text(), QStringLiteral("Ready to Start Timed Test."));
}

void TestReceivePanel::lastSecondsSwitchToTheResults() {
  RecordBuilder record;
  record.status = "T    3";
  Process(record.Line('H'));
  QCOMPARE(Ui().RadioGroup1->ItemIndex(), 0);
  record.status = "T    2";
  Process(record.Line('H'));
  QCOMPARE(Ui().RadioGroup1->ItemIndex(), 2);

  // Under the flicker standard the voltage fluctuations come up instead.
  Ui().ComboBox1->setCurrentIndex(1);
  Process(record.Line('H'));
  QCOMPARE(Ui().RadioGroup2->ItemIndex(), 1);

  // Manual switching under the harmonics standard also moves to the table.
  Ui().ComboBox1->setCurrentIndex(0);
  Ui().RadioGroup1->SetItemIndex(0);
  Ui().RadioButton2->setChecked(true);
  record.status = "T    1";
  Process(record.Line('H'));
  QCOMPARE(Ui().RadioGroup1->ItemIndex(), 2);
  QVERIFY(prompt_->isHidden());
}

void TestReceivePanel::manualSwitchingPrompts() {
  Ui().ComboBox1->setCurrentIndex(1);
  Ui().RadioButton2->setChecked(true);
  window_->Document().Test().TestDuration = 30;
  RecordBuilder record;
  const auto at = [&](int secs) {
    record.status = QByteArray("T") + QByteArray::number(secs).rightJustified(5, ' ');
    Process(record.Line('H'));
  };
  at(28);
  QVERIFY(prompt_->isHidden());
  at(25);
  QVERIFY(prompt_->isVisible());
  QCOMPARE(prompt_->PromptLabel()->text(), QStringLiteral("Switch ON Unit Under Test."));
  QCOMPARE(prompt_->palette().color(QPalette::Window), QColor(0, 255, 0));
  at(15);
  QVERIFY(prompt_->isVisible());
  at(14);
  QVERIFY(prompt_->isHidden());
  at(6);
  QVERIFY(prompt_->isHidden());
  at(5);
  QVERIFY(prompt_->isVisible());
  QCOMPARE(prompt_->PromptLabel()->text(), QStringLiteral("Switch OFF Unit Under Test."));
  QCOMPARE(prompt_->palette().color(QPalette::Window), QColor(255, 0, 0));
  // The display is the operator's during a manual step.
  QCOMPARE(Ui().RadioGroup2->ItemIndex(), 0);
  // An aborted test takes the prompt away.
  record.status = "I     ";
  Process(record.Line('H'));
  QVERIFY(prompt_->isHidden());
  QCOMPARE(Ui().Label59->text(), QStringLiteral("Results Invalid. Test Aborted."));
}

void TestReceivePanel::testCompleteTwiceInManualSwitching() {
  Ui().ComboBox1->setCurrentIndex(1);
  Ui().RadioButton2->setChecked(true);
  prompt_->show();
  RecordBuilder record;
  record.status = "Q     ";
  const auto phase = [this] { return window_->Document().Phase(); };
  Process(record.Line('H'));
  QCOMPARE(phase(), TestPhase::ResultsHeld);
  QVERIFY(prompt_->isHidden());
  QCOMPARE(Ui().Label59->text(), QStringLiteral("Test Complete. Results Held."));
  QCOMPARE(Ui().Button5->text(), QStringLiteral("Start Step 1"));
  Process(record.Line('H'));
  QCOMPARE(phase(), TestPhase::ResultsHeld);
  // The next code other than "Q" re-arms the end-of-step actions; codes
  // outside the table leave the held results alone.
  record.status = "Z     ";
  Process(record.Line('H'));
  QCOMPARE(phase(), TestPhase::ResultsHeld);
  record.status = "T   10";
  Process(record.Line('H'));
  QCOMPARE(phase(), TestPhase::Running);
  // With no number of events given, the first step is the last.
  record.status = "Q     ";
  Process(record.Line('H'));
  QCOMPARE(phase(), TestPhase::SequenceFinished);
  QVERIFY(window_->Test().ManualSequenceFinished);
}

void TestReceivePanel::panelsReenabledByStatus() {
  RecordBuilder record;
  QString enabledBy;
  for (char status : QByteArray("AFHIOQTUWX")) {
    Ui().Panel1->setEnabled(false);
    Ui().Panel2->setEnabled(false);
    record.status = QByteArray(1, status) + "     ";
    Process(record.Line('H'));
    QCOMPARE(Ui().Panel1->isEnabled(), Ui().Panel2->isEnabled());
    if (Ui().Panel1->isEnabled()) enabledBy += QLatin1Char(status);
  }
  QCOMPARE(enabledBy, QStringLiteral("HIOQUW"));
}

void TestReceivePanel::unknownTypeAndLoneLineFeed() {
  RecordBuilder record;
  record.status = "U     ";
  Process(record.Line('X'));
  QCOMPARE(Ui().Label59->text(), QStringLiteral("String Error"));
  // The common section was still taken.
  QCOMPARE(Ui().Label42->text(), QStringLiteral("230.1"));

  Process("\n");
  QCOMPARE(window_->Fields().StatusCode, QStringLiteral("W"));
  QCOMPARE(window_->Fields().CurrentRangeCode, QStringLiteral("0"));
  QCOMPARE(window_->Fields().VoltageRangeCode, QStringLiteral("0"));
  QCOMPARE(Ui().Label59->text(), QStringLiteral("String Error"));
  QCOMPARE(Ui().Label26->text(), QStringLiteral("400 A Peak"));
}

void TestReceivePanel::waveformStores() {
  RecordBuilder record;
  QList<quint8> samples;
  for (int k = 0; k < 301; ++k) samples << static_cast<quint8>(44 + k % 200);
  const QByteArray full = record.Waveform('V', samples);
  QCOMPARE(full.size(), 410);
  // A line of 408 characters is short of the samples: nothing stored.
  Process(full.left(407) + '\n');
  QCOMPARE(int(window_->Document().Samples().VoltageSamples[0]), 0);
  Process(full);
  for (int k = 0; k < 301; ++k) QCOMPARE(int(window_->Document().Samples().VoltageSamples[k]), int(samples[k]));
  QCOMPARE(int(window_->Document().Samples().CurrentSamples[5]), 0);
  QCOMPARE(int(window_->Document().Samples().VoltageSamples[301]), 0);

  // Range "4": the shorter common section is padded back into place.
  record.currentRange = "4";
  const QByteArray shortCommon = record.Waveform('I', samples);
  QCOMPARE(shortCommon.size(), 408);
  QCOMPARE(shortCommon[105], 'I');
  Process(shortCommon);
  for (int k = 0; k < 301; ++k) QCOMPARE(int(window_->Document().Samples().CurrentSamples[k]), int(samples[k]));
}

QTEST_MAIN(TestReceivePanel)
#include "test_receive_panel.moc"
