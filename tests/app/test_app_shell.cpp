// The program's windows, their order and roles, the clock, activation, the
// splash and the start timer.
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

#include "app/About.h"
#include "app/msg.h"
#include "app/program.h"
#include "app/qx7300main.h"
#include "app/splash.h"
#include "app/test_clock.h"
#include "support/scripted_operator_dialogs.h"
#include "support/test_working_folder.h"
#include "ui_qx7300main.h"

class TestAppShell : public QObject {
  Q_OBJECT

 private slots:
  void clockText_data();
  void clockText();
  void updateClockWritesTheBox();
  void windowsComeIntoBeingInOrder();
  void timersCountFromTheWindowsCreation();
  void activationPutsSettingsPanelsBack();
  void splashAcceptBeforeStartUp();
  void startTimerRunsOnceAndClosesTheSplash();
  void startUpStopsAtAMissingBitmap();
  void aboutBoxActivationTexts();
  void exitClosesTheMainWindow();
  void operatorPromptWindow();
};

void TestAppShell::clockText_data() {
  QTest::addColumn<QDateTime>("moment");
  QTest::addColumn<QString>("expected");
  QTest::newRow("morning, one-digit day") << QDateTime(QDate(2008, 3, 3), QTime(9, 5))
                                          << QStringLiteral("  3 Mar 2008  09:05");
  QTest::newRow("two-digit day, evening") << QDateTime(QDate(2026, 12, 13), QTime(23, 59))
                                          << QStringLiteral("  13 Dec 2026  23:59");
  QTest::newRow("midnight") << QDateTime(QDate(2000, 1, 1), QTime(0, 0))
                            << QStringLiteral("  1 Jan 2000  00:00");
}

void TestAppShell::clockText() {
  QFETCH(QDateTime, moment);
  QFETCH(QString, expected);
  QCOMPARE(FormatTestClock(moment, QLocale(QLocale::English, QLocale::UnitedKingdom)), expected);
}

void TestAppShell::updateClockWritesTheBox() {
  ScriptedOperatorDialogs dialogs;
  Tqx7300form window(dialogs);
  window.Form().Edit11->clear();
  const QString before = FormatTestClock(QDateTime::currentDateTime());
  window.UpdateClock();
  const QString after = FormatTestClock(QDateTime::currentDateTime());
  const QString shown = window.Form().Edit11->text();
  QVERIFY2(shown == before || shown == after, qPrintable(shown));
  QVERIFY(shown.startsWith(QStringLiteral("  ")));
  // The box is for reading only: no tab stop.
  QCOMPARE(window.Form().Edit11->focusPolicy(), Qt::NoFocus);
}

void TestAppShell::windowsComeIntoBeingInOrder() {
  ScriptedOperatorDialogs dialogs;
  VeltrixProgram program(dialogs);
  QStringList captions;
  QStringList classes;
  for (QWidget* window : program.WindowsInCreationOrder()) {
    captions << window->windowTitle();
    classes << QString::fromLatin1(window->metaObject()->className());
  }
  QCOMPARE(classes, (QStringList{"Tsplashform", "Tqx7300form", "Tmsgform", "TAboutBox", "TConnectform",
                                 "Tpreviewform", "Tcomfaultform"}));
  QCOMPARE(captions, (QStringList{"Veltrix", "Orvane QX7300 POWER & HARMONICS ANALYSER Veltrix",
                                  "ORVANE - QX7300", "About ", "Veltrix V1.0 Settings",
                                  "ORVANE QX7300 Report Preview ", "QX7300 COM Fault"}));
  // The splash shows at once, before the main window; it stays on top and
  // offers no title-bar buttons.
  QVERIFY(program.Splash().isVisible());
  QVERIFY(!program.MainWindow().isVisible());
  QVERIFY(program.Splash().windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  QVERIFY(!program.Splash().windowFlags().testFlag(Qt::WindowCloseButtonHint));
  QCOMPARE(program.Splash().size(), QSize(660, 341));
  program.ShowMainWindow();
  QVERIFY(program.MainWindow().isVisible());
  QVERIFY(program.Splash().isVisible());
}

void TestAppShell::timersCountFromTheWindowsCreation() {
  ScriptedOperatorDialogs dialogs;
  Tqx7300form window(dialogs);
  QVERIFY(window.starttimer().isActive());
  QVERIFY(window.starttimer().isSingleShot());
  QCOMPARE(window.starttimer().interval(), 2000);
  QVERIFY(window.clocktimer().isActive());
  QCOMPARE(window.clocktimer().interval(), 30000);
  QVERIFY(!window.Comstimer().isActive());
  QCOMPARE(window.Comstimer().interval(), 2000);
  // Load-time values of the shared state.
  QCOMPARE(window.Shell().StartupComplete, false);
  QCOMPARE(window.Shell().LinkFaultSuppressed, true);
  QCOMPARE(window.Shell().PortConnected, false);
  QCOMPARE(window.Fields().StatusCode, QStringLiteral("W"));
  QCOMPARE(window.Fields().CurrentRangeCode, QStringLiteral("0"));
  QCOMPARE(window.Fields().VoltageRangeCode, QStringLiteral("0"));
  QCOMPARE(window.Document().Graph().AutoScale, true);
  QCOMPARE(window.Document().Graph().GraphBackColour, QColor(0, 255, 255));
  QCOMPARE(window.Test().RangeLocked, false);
  QCOMPARE(int(window.Test().StepNumber), 3);
}

void TestAppShell::activationPutsSettingsPanelsBack() {
  ScriptedOperatorDialogs dialogs;
  VeltrixProgram program(dialogs);
  program.Splash().close();
  Tqx7300form& window = program.MainWindow();
  window.show();
  window.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&window));
  QCOMPARE(window.Form().Panel1->pos(), QPoint(8, 222));
  QCOMPARE(window.Form().Panel2->pos(), QPoint(8, 222));

  // Something moves them and recolours the meter panel; a dialog takes the
  // focus and gives it back.
  window.Form().Panel1->move(8, 300);
  window.Form().Panel2->move(30, 100);
  QPalette green = window.Form().Panel7->palette();
  green.setColor(QPalette::Window, Qt::green);
  window.Form().Panel7->setPalette(green);
  TAboutBox& other = program.AboutBox();
  other.show();
  other.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&other));
  other.close();
  window.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&window));

  QCOMPARE(window.Form().Panel1->pos(), QPoint(8, 222));
  QCOMPARE(window.Form().Panel2->pos(), QPoint(8, 222));
  QCOMPARE(window.Form().Panel7->palette().color(QPalette::Window), QColor(Qt::red));
  QVERIFY(window.Form().Panel7->autoFillBackground());
}

void TestAppShell::splashAcceptBeforeStartUp() {
  ScriptedOperatorDialogs dialogs;
  VeltrixProgram program(dialogs);
  program.ShowMainWindow();
  Tqx7300form& window = program.MainWindow();
  QVERIFY(window.Shell().LinkFaultSuppressed);
  auto* accept = program.Splash().findChild<QPushButton*>(QStringLiteral("Button1"));
  QVERIFY(accept != nullptr);
  QCOMPARE(accept->text(), QStringLiteral("Accept"));
  QTest::mouseClick(accept, Qt::LeftButton);
  QVERIFY(!program.Splash().isVisible());
  QVERIFY(!window.Shell().LinkFaultSuppressed);
  // Start-up itself has not run yet.
  QVERIFY(!window.Shell().StartupComplete);
  QVERIFY(window.starttimer().isActive());
}

void TestAppShell::startTimerRunsOnceAndClosesTheSplash() {
  TestWorkingFolder folder;
  ScriptedOperatorDialogs dialogs;
  // No port is named: the program comes up offline.
  dialogs.inputAnswers.enqueue(QStringLiteral("0"));
  VeltrixProgram program(dialogs);
  program.ShowMainWindow();
  Tqx7300form& window = program.MainWindow();
  window.Form().Edit11->clear();
  const QDateTime before = QDateTime::currentDateTime();
  QTRY_VERIFY_WITH_TIMEOUT(window.Shell().StartupComplete, 5000);
  QVERIFY(!window.starttimer().isActive());
  QVERIFY(window.Document().TestStartTime() >= before.addMSecs(1500));
  QVERIFY(!window.Form().Edit11->text().isEmpty());
  QVERIFY(!program.Splash().isVisible());
  QVERIFY(!window.Shell().LinkFaultSuppressed);
  QVERIFY(!window.Marks().tick.isNull() && !window.Marks().fill.isNull());
  // A first start in an empty folder: no start-up configuration, no
  // settings file, the port asked for, and no port to open.
  QStringList shown;
  for (const auto& box : dialogs.shown) shown << box.kind + QStringLiteral(": ") + box.text;
  QCOMPARE(shown, (QStringList{"message: Configuration File Read Error", "warning: INI File Error. Defaults Loaded",
                               "input: Communication Port Required|Enter Com Port Number : ", "warning: Invalid Com Port"}));
  QCOMPARE(int(window.Shell().ComPortNumber), 0);
  // Both files are written afresh, the set-up defaults in the configuration.
  QFile configuration(folder.FilePath(QStringLiteral("startup.HAC")));
  QVERIFY(configuration.open(QIODevice::ReadOnly));
  const QList<QByteArray> lines = configuration.readAll().split('\n');
  QCOMPARE(lines.value(4), QByteArray("0.75\r"));
  QCOMPARE(lines.value(5), QByteArray("600\r"));
  QVERIFY(QFile::exists(folder.FilePath(QStringLiteral("QX7300.ini"))));
  QCOMPARE(window.Form().ComboBox1->currentIndex(), 0);
  QVERIFY(window.Form().Panel1->isVisible());
}

void TestAppShell::startUpStopsAtAMissingBitmap() {
  // A mark bitmap that cannot be opened ends start-up at that step with the
  // file error; the splash stays until the operator accepts it.
  TestWorkingFolder folder;
  QVERIFY(QFile::remove(folder.FilePath(QStringLiteral("cross.bmp"))));
  ScriptedOperatorDialogs dialogs;
  VeltrixProgram program(dialogs);
  Tqx7300form& window = program.MainWindow();
  QVERIFY_THROWS_EXCEPTION(std::runtime_error, window.starttimerTimer());
  QVERIFY(!window.Shell().StartupComplete);
  QVERIFY(window.Shell().LinkFaultSuppressed);
  QVERIFY(program.Splash().isVisible());
  try {
    window.starttimerTimer();
  } catch (const std::exception& error) {
    QCOMPARE(QString::fromLatin1(error.what()), QStringLiteral("Cannot open file cross.bmp"));
  }
}

void TestAppShell::aboutBoxActivationTexts() {
  ScriptedOperatorDialogs dialogs;
  TAboutBox about;
  QCOMPARE(about.windowTitle(), QStringLiteral("About "));
  about.show();
  about.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&about));
  QCOMPARE(about.windowTitle(), QStringLiteral("About Veltrix"));
  QCOMPARE(about.VersionText(), QStringLiteral("Software Version 1.14 2nd September 2007"));
  auto* accept = about.findChild<QPushButton*>(QStringLiteral("OKButton"));
  QVERIFY(accept != nullptr);
  QCOMPARE(accept->text(), QStringLiteral("Accept"));
  QTest::mouseClick(accept, Qt::LeftButton);
  QVERIFY(!about.isVisible());
  QCOMPARE(about.result(), int(QDialog::Accepted));
}

void TestAppShell::exitClosesTheMainWindow() {
  ScriptedOperatorDialogs dialogs;
  Tqx7300form window(dialogs);
  window.show();
  QSignalSpy closed(&window, &Tqx7300form::Closed);
  window.Form().Exit1->trigger();
  QCOMPARE(closed.count(), 1);
  QVERIFY(!window.isVisible());
}

void TestAppShell::operatorPromptWindow() {
  Tmsgform prompt;
  prompt.show();
  QVERIFY(QTest::qWaitForWindowExposed(&prompt));
  QCOMPARE(prompt.windowTitle(), QStringLiteral("ORVANE - QX7300"));
  QVERIFY(!prompt.windowFlags().testFlag(Qt::WindowCloseButtonHint));
  QLabel* label = prompt.PromptLabel();
  QCOMPARE(label->pos(), QPoint(18, 28));
  QCOMPARE(label->text(), QStringLiteral("Turn ON Unit Under Test"));
  QVERIFY(label->font().bold());
  QCOMPARE(label->font().pixelSize(), 15);
  QCOMPARE(label->palette().color(QPalette::WindowText), QColor(Qt::black));
}

QTEST_MAIN(TestAppShell)
#include "test_app_shell.moc"
