// The watchdog and its no-response dialog, and the Settings dialog, against
// an analyser on a pseudo-terminal; errors that escape a reaction go to the
// program's error box, as they do in the program.
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "app/comfault.h"
#include "app/connect.h"
#include "app/link_recovery.h"
#include "app/qt_operator_dialogs.h"
#include "app/qx7300main.h"
#include "app/veltrix_application.h"
#include "serial/serial_port.h"
#include "support/record_builder.h"
#include "support/window_rig.h"
#include "ui_comfault.h"
#include "ui_connect.h"
#include "ui_qx7300main.h"

using namespace std::chrono_literals;

namespace {

// Once the dialog is up: types into its edit and presses a button.
void AnswerWhenShown(QDialog* dialog, QLineEdit* edit, const QString& text, QPushButton* button) {
  QTimer::singleShot(0, [=] {
    QTRY_VERIFY(dialog->isVisible());
    if (edit != nullptr) edit->setText(text);
    QTest::mouseClick(button, Qt::LeftButton);
  });
}

}  // namespace

class TestLinkSupervision : public QObject {
  Q_OBJECT

 public:
  explicit TestLinkSupervision(ScriptedOperatorDialogs& dialogs) : dialogs_(dialogs) {}

 private slots:
  void init();
  void cleanup();
  void suppressedWatchdogKeepsCounting();
  void noResponseDialog_data();
  void noResponseDialog();
  void settingsDialog_data();
  void settingsDialog();
  void transmitPanel();
  void retryAfterTheAnalyserReturns();
  void pulledAdapterLookedFor_data();
  void pulledAdapterLookedFor();
  void dialogPictures();

 private:
  QByteArray Sent() { return analyser_->Read(1 << 16, 150ms); }
  Ui::Tqx7300form& Ui() { return window_->Form(); }

  ScriptedOperatorDialogs& dialogs_;
  std::unique_ptr<TWindowRig> rig_;
  TLinkedAnalyser* analyser_ = nullptr;
  Tcomfaultform* comfault_ = nullptr;
  TConnectform* settings_ = nullptr;
  Tqx7300form* window_ = nullptr;
};

void TestLinkSupervision::init() {
  dialogs_.shown.clear();
  dialogs_.whileNextWarningShown = nullptr;
  // The program's own dialogs, its port open, the watchdog free to speak.
  TWindowRig::Options options;
  options.comNumber = 6;
  options.linkFaultsShown = true;
  options.linkDialogs = true;
  options.dialogs = &dialogs_;
  rig_ = std::make_unique<TWindowRig>(options);
  QVERIFY(rig_->Ready());
  analyser_ = &rig_->Analyser();
  comfault_ = rig_->Comfault();
  settings_ = rig_->Settings();
  window_ = &rig_->Window();
}

void TestLinkSupervision::cleanup() { rig_.reset(); }

void TestLinkSupervision::suppressedWatchdogKeepsCounting() {
  window_->Shell().LinkFaultSuppressed = true;
  window_->Comstimer().start();
  window_->ComstimerTimer();
  QVERIFY(window_->Comstimer().isActive());
  QVERIFY(!comfault_->isVisible());
}

void TestLinkSupervision::noResponseDialog_data() {
  QTest::addColumn<QString>("button");  // "retry", "cancel", "offline"
  QTest::addColumn<QString>("port");
  QTest::addColumn<bool>("armedAfter");
  QTest::addColumn<QByteArray>("sent");
  QTest::addColumn<QString>("status");
  // The same port: the set-up goes out again on it.
  QTest::newRow("retry") << "retry" << "6" << true << QByteArray("M:H,3;K:A;E:S;N:75;R:W;")
                         << "Ready to Start Timed Test.";
  QTest::newRow("retry 0") << "retry" << "0" << true << QByteArray() << "Ready to Start Timed Test.";
  QTest::newRow("retry 256") << "retry" << "256" << true << QByteArray() << "Ready to Start Timed Test.";
  QTest::newRow("retry text") << "retry" << "six" << true << QByteArray() << "Ready to Start Timed Test.";
  QTest::newRow("cancel") << "cancel" << "6" << false << QByteArray() << "Not Connected";
  QTest::newRow("use offline") << "offline" << "6" << false << QByteArray() << "Offline. Not Connected.";
  // From the keyboard: the number typed replaces the one shown, Enter
  // retries; Escape and the close box cancel.
  QTest::newRow("typed, Enter") << "enter" << "6" << true << QByteArray("M:H,3;K:A;E:S;N:75;R:W;")
                                << "Ready to Start Timed Test.";
  QTest::newRow("Escape") << "escape" << "6" << false << QByteArray() << "Not Connected";
  QTest::newRow("close box") << "close" << "6" << false << QByteArray() << "Not Connected";
}

void TestLinkSupervision::noResponseDialog() {
  QFETCH(QString, button);
  QFETCH(QString, port);
  QFETCH(bool, armedAfter);
  QFETCH(QByteArray, sent);
  QFETCH(QString, status);
  Ui::Tcomfaultform& form = comfault_->Form();
  const bool retried = button == QLatin1String("retry") || button == QLatin1String("enter");
  Ui().Label43->setText(QStringLiteral("12 Seconds to Go."));
  window_->Comstimer().start();
  if (button == QLatin1String("enter") || button == QLatin1String("escape") || button == QLatin1String("close")) {
    QTimer::singleShot(0, [=, this] {
      QTRY_VERIFY(comfault_->isVisible());
      if (button == QLatin1String("close")) {
        comfault_->close();
        return;
      }
      QTest::keyClicks(form.Edit1, port);
      QTest::keyClick(form.Edit1, button == QLatin1String("enter") ? Qt::Key_Return : Qt::Key_Escape);
    });
  } else {
    QPushButton* press = button == QLatin1String("retry")    ? form.Button3
                         : button == QLatin1String("cancel") ? form.Button2
                                                             : form.Button1;
    AnswerWhenShown(comfault_, form.Edit1, port, press);
  }
  window_->ComstimerTimer();
  QVERIFY(!comfault_->isVisible());
  QCOMPARE(window_->Comstimer().isActive(), armedAfter);
  QCOMPARE(Sent(), sent);
  QCOMPARE(Ui().Label59->text(), status);
  QCOMPARE(Ui().Label43->text().isEmpty(), !retried);
  QCOMPARE(int(window_->Shell().ComPortNumber), 6);
  // "Use Offline" silences the watchdog for the rest of the run.
  QCOMPARE(window_->Shell().LinkFaultSuppressed, button == QLatin1String("offline"));
  QVERIFY(dialogs_.shown.isEmpty());
}

void TestLinkSupervision::settingsDialog_data() {
  QTest::addColumn<QString>("port");
  QTest::addColumn<QString>("next");
  QTest::addColumn<int>("portAfter");
  QTest::addColumn<bool>("connected");
  QTest::addColumn<quint32>("counter");
  QTest::addColumn<QString>("box");  // "kind: text" of the one box shown, or empty
  QTest::newRow("unchanged") << "6" << "42" << 6 << true << 41u << "";
  QTest::newRow("port 0") << "0" << "42" << 6 << false << 41u << "warning: Invalid Com Port. No Change Made";
  QTest::newRow("port 300") << "300" << "50" << 6 << true << 41u << "error: Range check error";
  QTest::newRow("report number text") << "6" << "x1" << 6 << true << 41u << "error: 'x1' is not a valid integer value";
}

void TestLinkSupervision::settingsDialog() {
  QFETCH(QString, port);
  QFETCH(QString, next);
  QFETCH(int, portAfter);
  QFETCH(bool, connected);
  QFETCH(quint32, counter);
  QFETCH(QString, box);
  window_->Document().Test().ReportCounter = 41;
  Ui::TConnectform& form = settings_->Form();
  QTimer::singleShot(0, [&] {
    QTRY_VERIFY(settings_->isVisible());
    // What the dialog shows when it comes up.
    QCOMPARE(form.Edit1->text(), QStringLiteral("6"));
    QCOMPARE(form.Edit2->text(), QStringLiteral("42"));
    QVERIFY(form.Panel3->isHidden());
    form.Edit1->setText(port);
    form.Edit2->setText(next);
    QTest::mouseClick(form.Button2, Qt::LeftButton);
  });
  Ui().Settings2->trigger();
  QVERIFY(!settings_->isVisible());
  QCOMPARE(int(window_->Shell().ComPortNumber), portAfter);
  QCOMPARE(int(window_->SerialPort1().ComNumber()), portAfter);
  QCOMPARE(window_->Shell().PortConnected, connected);
  QCOMPARE(window_->Test().ReportCounter, counter);
  QStringList shown;
  for (const auto& s : dialogs_.shown) shown << s.kind + QStringLiteral(": ") + s.text;
  QCOMPARE(shown, box.isEmpty() ? QStringList{} : QStringList{box});
}

void TestLinkSupervision::transmitPanel() {
  Ui::TConnectform& form = settings_->Form();
  QTimer::singleShot(0, [&] {
    QTRY_VERIFY(settings_->isVisible());
    QVERIFY(form.Panel3->isHidden());
    QTest::mouseClick(settings_, Qt::RightButton, {}, QPoint(4, 4));
    QVERIFY(form.Panel3->isVisible());
    QTest::mouseClick(form.Button3, Qt::LeftButton);
    QTest::mouseClick(form.Button1, Qt::LeftButton);
  });
  Ui().Settings2->trigger();
  QCOMPARE(Sent(), QByteArray("T:G;"));
}

void TestLinkSupervision::retryAfterTheAnalyserReturns() {
  // Start-up could not open port 7: nothing was there.
  window_->SerialPort1().SetOpen(false);
  window_->SerialPort1().SetComNumber(7);
  window_->Shell().ComPortNumber = 7;
  window_->Comstimer().start();
  Ui::Tcomfaultform& form = comfault_->Form();
  QTimer::singleShot(0, [&] {
    QTRY_VERIFY(comfault_->isVisible());
    QCOMPARE(form.Edit1->text(), QStringLiteral("7"));
    // The operator plugs the analyser in, then presses Retry.
    QVERIFY(analyser_->Folder().Link(QStringLiteral("COM7"), analyser_->SlavePath()));
    QTest::mouseClick(form.Button3, Qt::LeftButton);
  });
  window_->ComstimerTimer();
  QVERIFY(window_->SerialPort1().Open());
  QCOMPARE(Sent(), QByteArray("M:H,3;K:A;E:S;N:75;R:W;"));
  QVERIFY(window_->Comstimer().isActive());
}

void TestLinkSupervision::pulledAdapterLookedFor_data() {
  // "replug"; "held": by another program when it comes back; "offline":
  // after Use Offline; "com-gone": COM<n> itself removed meanwhile, as the
  // emulator's hang-up does, on a number whose /dev/ttyS<n-1> is there;
  // "refused": plugged in while the Settings dialog's warning about another
  // number is up.
  QTest::addColumn<QString>("way");
  QTest::addColumn<QString>("status");
  QTest::addColumn<bool>("found");
  QTest::newRow("plugged in again") << "replug" << "Not Connected" << true;
  QTest::newRow("opens only once let go") << "held" << "Not Connected" << true;
  QTest::newRow("after Use Offline") << "offline" << "Offline. Not Connected." << false;
  QTest::newRow("COM<n> gone meanwhile") << "com-gone" << "Not Connected" << true;
  QTest::newRow("back while another number is refused") << "refused" << "Not Connected" << true;
}

void TestLinkSupervision::pulledAdapterLookedFor() {
  QFETCH(QString, way);
  QFETCH(QString, status);
  QFETCH(bool, found);
  const bool heldAtFirst = way == QLatin1String("held");
  const QString com = way == QLatin1String("com-gone") ? QStringLiteral("COM1") : QStringLiteral("COM6");
  if (way == QLatin1String("com-gone")) {
    const int machines = ::open("/dev/ttyS0", O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (machines < 0) QSKIP("no /dev/ttyS0 to open here");
    ::close(machines);
    cleanup();
    TWindowRig::Options options;
    options.comNumber = 1;
    options.linkDialogs = true;
    options.dialogs = &dialogs_;
    rig_ = std::make_unique<TWindowRig>(options);
    QVERIFY(rig_->Ready());
    analyser_ = &rig_->Analyser();
    window_ = &rig_->Window();
  }
  // Start-up still holds the dialog back: what is watched here is the search.
  window_->Shell().LinkFaultSuppressed = true;
  window_->Shell().WorkingOffline = way == QLatin1String("offline");
  // Pulled in the middle of a line, after a whole one.
  RecordBuilder before;
  before.voltsRms = "V100.0";
  QVERIFY(analyser_->WriteAll(before.Line('P')));
  QTRY_COMPARE(Ui().Label42->text(), QStringLiteral("100.0"));
  RecordBuilder cut;
  cut.voltsRms = "V150.0";
  const QByteArray cutLine = cut.Line('P');
  const qsizetype at = cutLine.indexOf(",I");
  QVERIFY(analyser_->WriteAll(cutLine.left(at)));
  QTRY_VERIFY(!window_->Document().Framer().RxLine().isEmpty());
  if (way == QLatin1String("com-gone")) QVERIFY(analyser_->Folder().Unlink(com));
  analyser_->Hangup();
  QTRY_VERIFY(!window_->SerialPort1().Open());
  QCOMPARE(Ui().Label59->text(), status);

  TPtyAnalyser back;
  QVERIFY(back.Valid());
  int holder = -1;
  if (heldAtFirst) {
    holder = ::open(QFile::encodeName(back.SlavePath()).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    QVERIFY(holder >= 0 && ::flock(holder, LOCK_EX) == 0);
  }
  if (way == QLatin1String("refused")) {
    // The operator tries another number in the Settings dialog and plugs
    // the adapter in while the box saying it will not open is up.
    dialogs_.whileNextWarningShown = [&] {
      dialogs_.whileNextWarningShown = nullptr;
      QVERIFY(analyser_->Folder().Link(com, back.SlavePath()));
      QTest::qWait(3 * FolderWatch::kSettleMilliseconds);
    };
    QTimer::singleShot(0, [&] {
      QTRY_VERIFY(settings_->isVisible());
      settings_->Form().Edit1->setText(QStringLiteral("77"));
      QTest::mouseClick(settings_->Form().Button2, Qt::LeftButton);
    });
    Ui().Settings2->trigger();
    QCOMPARE(dialogs_.Texts(QStringLiteral("warning")), QStringList{"Invalid Com Port. No Change Made"});
  } else {
    QVERIFY(analyser_->Folder().Link(com, back.SlavePath()));
  }
  QTest::qWait(3 * LinkRecovery::kRetryMilliseconds / 2);
  QCOMPARE(window_->SerialPort1().Open(), found && !heldAtFirst);
  if (holder >= 0) ::close(holder);
  QTRY_COMPARE_WITH_TIMEOUT(window_->SerialPort1().Open(), found, 4 * LinkRecovery::kRetryMilliseconds);
  if (!found) return;
  // Nothing is sent on finding it. The line cut short by the pull is not
  // finished by the rest of another line that comes first (its volts would
  // show with that line's amps), and the next whole record shows.
  QCOMPARE(back.Read(64, 150ms), QByteArray());
  RecordBuilder after;
  after.voltsRms = "V231.7";
  const QByteArray afterLine = after.Line('P');
  QVERIFY(back.WriteAll(afterLine.mid(at)));
  QTRY_VERIFY(Ui().Label42->text() != QStringLiteral("100.0"));  // read as a line of its own
  QVERIFY(Ui().Label42->text() != QStringLiteral("150.0"));
  QVERIFY(back.WriteAll(afterLine));
  QTRY_COMPARE(Ui().Label42->text(), QStringLiteral("231.7"));
}

void TestLinkSupervision::dialogPictures() {
  const QString output = QStringLiteral(QX7300_TEST_OUTPUT);
  QDir().mkpath(output);
  comfault_->SetComPort(3);
  comfault_->show();
  QVERIFY(QTest::qWaitForWindowExposed(comfault_));
  QVERIFY(comfault_->grab().save(output + QStringLiteral("/dialog-no-response.png")));
  comfault_->hide();
  settings_->Prepare(3, 41, 2000, 123'400'000);
  settings_->show();
  QVERIFY(QTest::qWaitForWindowExposed(settings_));
  QVERIFY(settings_->grab().save(output + QStringLiteral("/dialog-settings.png")));
  QTest::mouseClick(settings_, Qt::RightButton, {}, QPoint(4, 4));
  QVERIFY(settings_->grab().save(output + QStringLiteral("/dialog-settings-transmit.png")));
  settings_->hide();
  // The port prompt as the program asks it.
  QtOperatorDialogs real;
  QTimer::singleShot(0, [&] {
    QTRY_VERIFY(QApplication::activeModalWidget() != nullptr);
    QWidget* prompt = QApplication::activeModalWidget();
    QVERIFY(QTest::qWaitForWindowExposed(prompt));
    QVERIFY(prompt->grab().save(output + QStringLiteral("/dialog-port-prompt.png")));
    prompt->close();
  });
  real.InputBox(QStringLiteral("Communication Port Required"), QStringLiteral("Enter Com Port Number : "),
                QStringLiteral("1"));
}

int main(int argc, char** argv) {
  VeltrixApplication application(argc, argv);
  ScriptedOperatorDialogs dialogs;
  application.SetDialogs(&dialogs);
  TestLinkSupervision test(dialogs);
  return QTest::qExec(&test, argc, argv);
}

#include "test_link_supervision.moc"
