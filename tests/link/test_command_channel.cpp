// The command channel and the receive path over a real pseudo-terminal: the
// test plays the analyser on the master side.
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QLabel>
#include <QtTest>

#include "app/qx7300main.h"
#include "app/radio_group.h"
#include "link/command_vocabulary.h"
#include "serial/serial_errors.h"
#include "serial/serial_port.h"
#include "support/window_rig.h"
#include "support/record_builder.h"
#include "ui_qx7300main.h"

using namespace std::chrono_literals;

class TestCommandChannel : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();
  void commandsLeaveInOrderATickApart();
  void noPortNumberSendsNothing();
  void missingDeviceRaisesIntoTheReaction();
  void requestDataFollowsTheDisplayChoice();
  void recordsReachThePanel();
  void shutDownWithTheDeviceGoneShowsTheErrorAndCloses();

 private:
  QByteArray Drain() { return analyser_->Read(1 << 16, 200ms); }

  std::unique_ptr<TWindowRig> rig_;
  TLinkedAnalyser* analyser_ = nullptr;
  ScriptedOperatorDialogs* dialogs_ = nullptr;
  Tqx7300form* window_ = nullptr;
};

void TestCommandChannel::init() {
  // A hidden window without a port number: each test gives its own.
  TWindowRig::Options options;
  options.comNumber = 5;
  options.giveNumber = false;
  options.startupComplete = false;
  options.show = false;
  rig_ = std::make_unique<TWindowRig>(options);
  QVERIFY(rig_->Ready());
  analyser_ = &rig_->Analyser();
  dialogs_ = &rig_->Dialogs();
  window_ = &rig_->Window();
}

void TestCommandChannel::cleanup() {
  rig_.reset();
}

void TestCommandChannel::commandsLeaveInOrderATickApart() {
  window_->SerialPort1().SetComNumber(5);
  window_->SerialPort1().SetOpen(true);
  const QList<QByteArray> commands = {Command::HarmonicMethod(0), Command::ClassC("16.0", "0.75"),
                                      Command::Professional(false), Command::NoLimitsBelow("75"),
                                      Command::RequestHarmonics()};
  QElapsedTimer clock;
  clock.start();
  QList<qint64> returned;
  for (const QByteArray& command : commands) {
    window_->SendCommand(command);
    returned << clock.elapsed();
  }
  // Each command waits more than one 55 ms tick before the next may leave.
  for (int i = 0; i < returned.size(); ++i) {
    const qint64 since = i == 0 ? 0 : returned[i - 1];
    QVERIFY2(returned[i] - since > 55, qPrintable(QString::number(returned[i] - since)));
  }
  QCOMPARE(Drain(), commands.join());

  // The watchdog was armed by the first command and not restarted since.
  QVERIFY(window_->Comstimer().isActive());
  QVERIFY(window_->Comstimer().remainingTime() <= 2000 - 4 * 55);
}

void TestCommandChannel::noPortNumberSendsNothing() {
  QElapsedTimer clock;
  clock.start();
  window_->SendCommand(Command::FreeRun());
  QVERIFY(clock.elapsed() < 55);
  QVERIFY(!window_->Comstimer().isActive());
  QVERIFY(!window_->SerialPort1().Open());
  QVERIFY(Drain().isEmpty());
}

void TestCommandChannel::missingDeviceRaisesIntoTheReaction() {
  window_->SerialPort1().SetComNumber(6);  // no COM6 here, and no /dev/ttyS5 to speak of
  QVERIFY(analyser_->Folder().Link(QStringLiteral("COM6"), analyser_->Folder().Path() + QStringLiteral("/nothing-here")));
  QVERIFY_THROWS_EXCEPTION(EBadId, window_->SendCommand(Command::FreeRun()));
  // The watchdog was armed before the port was tried.
  QVERIFY(window_->Comstimer().isActive());

  // Once the device is there, the next command opens the port by itself.
  QVERIFY(analyser_->Folder().Link(QStringLiteral("COM6"), analyser_->SlavePath()));
  window_->SendCommand(Command::FreeRun());
  QVERIFY(window_->SerialPort1().Open());
  QCOMPARE(Drain(), QByteArray("T:F;"));
}

void TestCommandChannel::requestDataFollowsTheDisplayChoice() {
  window_->SerialPort1().SetComNumber(5);
  Ui::Tqx7300form& ui = window_->Form();
  QByteArray requested;
  for (int standard = 0; standard < 2; ++standard) {
    ui.ComboBox1->setCurrentIndex(standard);
    RadioGroup* group = standard == 0 ? ui.RadioGroup1 : ui.RadioGroup2;
    for (int item = 0; item < group->Items().size(); ++item) {
      // The choice's own reaction asks for its records too; only what
      // RequestData sends is looked at here.
      group->SetItemIndex(item);
      Drain();
      window_->RequestData();
      requested += Drain();
    }
  }
  // No choice at all sends nothing.
  ui.RadioGroup2->SetItemIndex(-1);
  Drain();
  window_->RequestData();
  requested += Drain();
  QCOMPARE(requested, QByteArray("R:W;R:H;R:H;R:W;R:F;R:F;R:F;"));
}

void TestCommandChannel::recordsReachThePanel() {
  window_->SerialPort1().SetComNumber(5);
  window_->SerialPort1().SetOpen(true);
  window_->Comstimer().start();
  RecordBuilder record;
  record.status = "T   42";
  record.currentRange = "7";
  record.voltsRms = "V231.7";
  // Two records and the start of a third, written in one go.
  QVERIFY(analyser_->WriteAll(record.Line('I', QByteArray(301, 'x')) + record.Line('H') + "!partial"));
  QTRY_COMPARE(window_->Form().Label42->text(), QStringLiteral("231.7"));
  QCOMPARE(window_->Form().Label26->text(), QStringLiteral("3000 mA Peak"));
  QCOMPARE(window_->Form().Label43->text(), QStringLiteral("42 Seconds to Go."));
  QCOMPARE(window_->Form().Button5->text(), QStringLiteral("Abort Test"));
  // Any data stops the link watchdog.
  QVERIFY(!window_->Comstimer().isActive());
  QTRY_COMPARE(window_->Document().Framer().RxLine(), QByteArray("!partial"));
}


void TestCommandChannel::shutDownWithTheDeviceGoneShowsTheErrorAndCloses() {
  window_->SerialPort1().SetComNumber(5);
  window_->SerialPort1().SetOpen(true);
  window_->Shell().PortConnected = true;
  window_->show();
  // The adapter is pulled: the port closes itself, and its device is gone.
  QVERIFY(analyser_->Folder().Link(QStringLiteral("COM5"), analyser_->Folder().Path() + QStringLiteral("/unplugged")));
  analyser_->Hangup();
  QTRY_VERIFY(!window_->SerialPort1().Open());

  QSignalSpy closed(window_, &Tqx7300form::Closed);
  QVERIFY(window_->close());
  QCOMPARE(closed.count(), 1);
  QVERIFY(!window_->isVisible());
  // Reopening for the free-run command failed; the operator is told once.
  QCOMPARE(dialogs_->Texts(QStringLiteral("error")).size(), 1);
}

QTEST_MAIN(TestCommandChannel)
#include "test_command_channel.moc"
