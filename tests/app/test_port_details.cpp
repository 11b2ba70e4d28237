// The details of the "Invalid Com Port" boxes: which device a port number
// stands for, the system's reason it could not be opened, and the remedy;
// above all the usual case of a fresh install, a user without permission.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QtTest>

#include "app/connect.h"
#include "app/qx7300main.h"
#include "serial/port_access.h"
#include "serial/serial_errors.h"
#include "support/pty_analyser.h"
#include "support/scripted_operator_dialogs.h"
#include "support/test_working_folder.h"
#include "ui_connect.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Set in the copy of this test that runs without privileges: the device
// that user may not open.
constexpr const char* kRefusedDeviceVariable = "VELTRIX_TEST_REFUSED_DEVICE";
constexpr int kPort = 7;

QString Describe(quint16 port, const std::string& message = ErrorMessage(ecAlreadyOpen)) {
  return QString::fromStdString(DescribePortAccess(port, message));
}

void WriteSettingsNamingPort(int port) {
  QFile settings(QStringLiteral("QX7300.ini"));
  QVERIFY(settings.open(QIODevice::WriteOnly));
  settings.write(QStringLiteral("1.14 2nd September 2007;    Software Version\r\n\r\n"
                                "08 December 2026 10:00;    Date & Time Saved\r\n"
                                "%1;    Com Port\r\n8\r\n0\r\nCourier\r\n0\r\n")
                     .arg(port)
                     .toLatin1());
}

QString UserName() {
  const passwd* user = ::getpwuid(::getuid());
  return user ? QString::fromLocal8Bit(user->pw_name) : QString::number(::getuid());
}

}  // namespace

class TestPortDetails : public QObject {
  Q_OBJECT

 private slots:
  void whichDeviceAndWhy_data();
  void whichDeviceAndWhy();
  void refusedDeviceExplainedInTheStartUpBox();
  void portChangeBoxCarriesTheDetails();
};

void TestPortDetails::whichDeviceAndWhy_data() {
  // COM<port> -> this; empty: no link; "pty": a pseudo-terminal; "by-...": a
  // stable link in the working folder's own by-id or by-path folder, made to
  // lead to a node that is gone (by-id) or not made at all (by-path).
  QTest::addColumn<QString>("link");
  QTest::addColumn<int>("port");
  QTest::addColumn<QStringList>("expected");  // "!text": text absent
  QTest::newRow("no link: the serial port of that number")
      << QString() << 3 << QStringList{"COM3 stands for /dev/ttyS2", "has no COM3 link"};
  QTest::newRow("link to a device that is not there")
      << "/dev/ttyUSB-unplugged" << 4
      << QStringList{"COM4 is the link", "-> /dev/ttyUSB-unplugged", "No such file or directory",
                     "ln -sf /dev/ttyUSB0 COM4"};
  QTest::newRow("bound adapter unplugged, its by-id link left behind")
      << "by-id/usb-Orvane_QX_Serial_0042-if00-port0" << 8
      << QStringList{"COM8 is the link", "The adapter usb-Orvane_QX_Serial_0042-if00-port0 is not plugged in",
                     "Retry finds it once it is", "COM8 stays bound to it", "!ln -sf", "!No such file"};
  QTest::newRow("bound adapter unplugged, its by-path link gone")
      << "by-path/pci-0000:00:14.0-usb-0:2:1.0-port0" << 9
      << QStringList{"The adapter pci-0000:00:14.0-usb-0:2:1.0-port0 is not plugged in", "!ln -sf"};
  QTest::newRow("link to a plain file") << "plain.txt" << 5 << QStringList{"is not a serial device (-rw"};
  QTest::newRow("usable device held elsewhere")
      << "pty" << 6 << QStringList{"COM6 is the link", "may read and write", "Device already open", "Another program"};
  QTest::newRow("no port number") << QString() << 0 << QStringList{"No port number has been chosen"};
}

void TestPortDetails::whichDeviceAndWhy() {
  QFETCH(QString, link);
  QFETCH(int, port);
  QFETCH(QStringList, expected);
  TComFolder folder;
  QVERIFY(folder.Valid());
  TPtyAnalyser pty;
  QString target = link;
  if (link == QStringLiteral("pty")) {
    QVERIFY(pty.Valid());
    target = pty.SlavePath();
  } else if (link.startsWith(QStringLiteral("by-"))) {
    target = folder.Path() + QLatin1Char('/') + link;
    if (link.startsWith(QStringLiteral("by-id/"))) {
      QVERIFY(QDir(folder.Path()).mkdir(QStringLiteral("by-id")));
      QVERIFY(QFile::link(QStringLiteral("/dev/ttyUSB-gone"), target));
    }
  } else if (link == QStringLiteral("plain.txt")) {
    QFile plain(folder.Path() + QStringLiteral("/plain.txt"));
    QVERIFY(plain.open(QIODevice::WriteOnly));
    target = plain.fileName();
  }
  if (!target.isEmpty()) QVERIFY(folder.Link(QStringLiteral("COM%1").arg(port), target));

  const QString details = Describe(static_cast<quint16>(port));
  for (const QString& part : expected) {
    if (part.startsWith(QLatin1Char('!')))
      QVERIFY2(!details.contains(part.mid(1)), qPrintable(details));
    else
      QVERIFY2(details.contains(part), qPrintable(details));
  }
  if (link == QStringLiteral("pty")) QVERIFY2(details.contains(target), qPrintable(details));
}

void TestPortDetails::refusedDeviceExplainedInTheStartUpBox() {
  TPtyAnalyser pty;
  QString device = qEnvironmentVariable(kRefusedDeviceVariable);
  const bool dropped = !device.isEmpty();
  if (!dropped) {
    QVERIFY(pty.Valid());
    device = pty.SlavePath();
    if (::geteuid() == 0) {
      // Root opens anything: the device is given to the group dialout as a
      // serial adapter is, and the box is looked at by a copy of this test
      // running as an unprivileged user without that group.
      const group* dialout = ::getgrnam("dialout");
      const passwd* nobody = ::getpwnam("nobody");
      if (dialout == nullptr || nobody == nullptr) QSKIP("no group dialout or no user nobody to test with");
      QCOMPARE(::chown(device.toLocal8Bit().constData(), 0, dialout->gr_gid), 0);
      QCOMPARE(::chmod(device.toLocal8Bit().constData(), 0660), 0);
      QProcess copy;
      QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
      environment.insert(QString::fromLatin1(kRefusedDeviceVariable), device);
      environment.insert(QStringLiteral("HOME"), QStringLiteral("/tmp"));
      copy.setProcessEnvironment(environment);
      copy.start(QStringLiteral("setpriv"),
                 {QStringLiteral("--reuid=%1").arg(nobody->pw_uid), QStringLiteral("--regid=%1").arg(nobody->pw_gid),
                  QStringLiteral("--clear-groups"), QStringLiteral("--"), QCoreApplication::applicationFilePath(),
                  QStringLiteral("refusedDeviceExplainedInTheStartUpBox")});
      if (!copy.waitForStarted(10000)) QSKIP("setpriv cannot be started: privileges cannot be dropped here");
      QVERIFY(copy.waitForFinished(60000));
      QString output = QString::fromLocal8Bit(copy.readAllStandardOutput());
      const QString errors = QString::fromLocal8Bit(copy.readAllStandardError());
      if (errors.contains(QStringLiteral("setpriv:")))
        QSKIP(qPrintable(QStringLiteral("privileges cannot be dropped here: ") + errors.trimmed()));
      QVERIFY2(copy.exitCode() == 0 && output.contains(QStringLiteral("PASS   : TestPortDetails::refusedDevice")),
               qPrintable(output.replace(QStringLiteral("FAIL!"), QStringLiteral("failed")) + errors));
      return;
    }
    // An unprivileged user makes the pseudo-terminal unreadable to itself.
    QCOMPARE(::chmod(device.toLocal8Bit().constData(), 0), 0);
  }

  TestWorkingFolder folder;
  QVERIFY(QFile::link(device, folder.FilePath(QStringLiteral("COM%1").arg(kPort))));
  WriteSettingsNamingPort(kPort);
  ScriptedOperatorDialogs dialogs;
  Tqx7300form window(dialogs);
  try {
    window.starttimerTimer();
  } catch (const std::exception&) {
    // The first command tries the port again; that error ends start-up.
  }
  QVERIFY(!window.Shell().PortConnected);

  const auto box = std::find_if(dialogs.shown.cbegin(), dialogs.shown.cend(), [](const auto& shown) {
    return shown.kind == QStringLiteral("warning") && shown.text == QStringLiteral("Invalid Com Port");
  });
  QVERIFY(box != dialogs.shown.cend());
  const QString& details = box->details;
  QVERIFY2(details.contains(QStringLiteral("COM%1 is the link %2 -> %3")
                                .arg(kPort)
                                .arg(folder.FilePath(QStringLiteral("COM%1").arg(kPort)), device)),
           qPrintable(details));
  QVERIFY2(details.contains(QStringLiteral("refuses this user access to %1: Permission denied").arg(device)),
           qPrintable(details));
  QVERIFY2(details.contains(QStringLiteral("this program runs as user ") + UserName()), qPrintable(details));
  if (dropped) {
    // The fresh-install case: the group gives access, the user lacks it.
    QVERIFY2(details.contains(QStringLiteral("group dialout (crw-rw----)")), qPrintable(details));
    QVERIFY2(details.contains(QStringLiteral("sudo adduser %1 dialout) and log in again").arg(UserName())),
             qPrintable(details));
  } else {
    QVERIFY2(details.contains(QStringLiteral("(c---------)")), qPrintable(details));
    QVERIFY2(details.contains(QStringLiteral("log in again")), qPrintable(details));
  }
}

void TestPortDetails::portChangeBoxCarriesTheDetails() {
  // The operator names a port whose adapter is unplugged.
  TComFolder folder;
  QVERIFY(folder.Link(QStringLiteral("COM4"), QStringLiteral("/dev/ttyUSB-unplugged")));
  ScriptedOperatorDialogs dialogs;
  TConnectform settings;
  Tqx7300form window(dialogs);
  window.starttimer().stop();
  Tqx7300form::Companions companions;
  companions.connectform = &settings;
  window.SetCompanions(companions);
  settings.Form().Edit1->setText(QStringLiteral("4"));
  settings.Form().Edit2->setText(QStringLiteral("1"));
  window.AcceptSettings();
  QCOMPARE(dialogs.shown.size(), 1);
  QCOMPARE(dialogs.shown[0].text, QStringLiteral("Invalid Com Port. No Change Made"));
  QVERIFY2(dialogs.shown[0].details.startsWith(QStringLiteral("COM4 is the link ") + folder.Path()),
           qPrintable(dialogs.shown[0].details));
  QVERIFY2(dialogs.shown[0].details.contains(QStringLiteral("No such file or directory")),
           qPrintable(dialogs.shown[0].details));
}

QTEST_MAIN(TestPortDetails)
#include "test_port_details.moc"
