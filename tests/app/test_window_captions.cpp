// The captions a window manager shows: read from the X server's window
// properties, not from Qt, because Qt may add to a window's title on its
// way to the window system. The test brings up its own virtual display so
// it runs the same under CTest and by hand.
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QTimer>
#include <QtTest>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "app/program.h"
#include "app/qt_operator_dialogs.h"
#include "app/veltrix_application.h"
#include "support/scripted_operator_dialogs.h"

extern char** environ;

namespace {

// What a window manager reads as the window's name.
QString WindowManagerName(const QWidget& window) {
  QProcess xprop;
  xprop.start(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(window.winId()),
                                        QStringLiteral("_NET_WM_NAME")});
  if (!xprop.waitForFinished(10000)) return QStringLiteral("<xprop did not answer>");
  // _NET_WM_NAME(UTF8_STRING) = "caption"
  const QString out = QString::fromUtf8(xprop.readAllStandardOutput()).trimmed();
  const int first = out.indexOf(QLatin1Char('"'));
  if (first < 0 || !out.endsWith(QLatin1Char('"'))) return QStringLiteral("<no name: %1>").arg(out);
  return out.mid(first + 1, out.size() - first - 2).replace(QStringLiteral("\\\""), QStringLiteral("\""));
}

}  // namespace

class TestWindowCaptions : public QObject {
  Q_OBJECT

 private slots:
  void everyWindowShowsItsCaptionExactly();
  void messageBoxesCarryTheProgramTitle();
};

void TestWindowCaptions::everyWindowShowsItsCaptionExactly() {
  ScriptedOperatorDialogs dialogs;
  VeltrixProgram program(dialogs);
  const QStringList expected{"Veltrix",
                             "Orvane QX7300 POWER & HARMONICS ANALYSER Veltrix",
                             "ORVANE - QX7300",
                             "About ",
                             "Veltrix V1.0 Settings",
                             "ORVANE QX7300 Report Preview ",
                             "QX7300 COM Fault"};
  QStringList shown;
  for (QWidget* window : program.WindowsInCreationOrder()) {
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    shown << WindowManagerName(*window);
  }
  QCOMPARE(shown, expected);
}

void TestWindowCaptions::messageBoxesCarryTheProgramTitle() {
  QtOperatorDialogs dialogs;
  QString shown;
  QTimer::singleShot(0, [&shown] {
    QTRY_VERIFY(qobject_cast<QMessageBox*>(QApplication::activeModalWidget()) != nullptr);
    QWidget* box = QApplication::activeModalWidget();
    QVERIFY(QTest::qWaitForWindowExposed(box));
    shown = WindowManagerName(*box);
    box->close();
  });
  dialogs.ShowMessage(QStringLiteral("Invalid Com Port"));
  QCOMPARE(shown, QString::fromLatin1(kApplicationTitle));
}

// A virtual X display for the test's life, on the first free number.
class VirtualDisplay {
 public:
  VirtualDisplay() {
    for (number_ = 90; number_ < 200; ++number_) {
      if (!QFileInfo::exists(QStringLiteral("/tmp/.X%1-lock").arg(number_)) &&
          !QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(number_)))
        break;
    }
    const QByteArray display = ":" + QByteArray::number(number_);
    char* argv[] = {const_cast<char*>("Xvfb"), const_cast<char*>(display.constData()),
                    const_cast<char*>("-screen"), const_cast<char*>("0"),
                    const_cast<char*>("1280x1024x24"), const_cast<char*>("-nolisten"),
                    const_cast<char*>("tcp"), nullptr};
    if (posix_spawnp(&pid_, "Xvfb", nullptr, nullptr, argv, environ) != 0) pid_ = -1;
    const QString socket = QStringLiteral("/tmp/.X11-unix/X%1").arg(number_);
    for (int i = 0; pid_ > 0 && i < 100 && !QFileInfo::exists(socket); ++i) usleep(50000);
    ready_ = QFileInfo::exists(socket);
    if (ready_) {
      qputenv("DISPLAY", display);
      qputenv("QT_QPA_PLATFORM", QByteArray("xcb"));
    }
  }
  ~VirtualDisplay() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
  bool Ready() const { return ready_; }

 private:
  int number_ = 90;
  pid_t pid_ = -1;
  bool ready_ = false;
};

int main(int argc, char** argv) {
  VirtualDisplay display;
  if (!display.Ready()) {
    // Without a display server there are no window properties to read.
    qWarning("SKIP: Xvfb could not be started; window captions not checked");
    return 0;
  }
  VeltrixApplication app(argc, argv);
  TestWindowCaptions test;
  return QTest::qExec(&test, argc, argv);
}

#include "test_window_captions.moc"
