// Choosing the analyser's device instead of typing a path: the devices of a
// tree of the test's own (pseudo-terminals behind by-id style links), bound
// to COM<n> from the Settings dialog, the no-response dialog and the
// first-start prompt, and found again after a re-plug by one Retry.
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "app/comfault.h"
#include "app/connect.h"
#include "app/port_chooser.h"
#include "app/qt_operator_dialogs.h"
#include "app/qx7300main.h"
#include "link/serial_devices.h"
#include "support/record_builder.h"
#include "support/window_rig.h"
#include "ui_comfault.h"
#include "ui_connect.h"
#include "ui_qx7300main.h"

using namespace std::chrono_literals;

namespace {

const QString kAdapter = QStringLiteral("usb-FTDI_FT232R_USB_UART_A1B2C3-if00-port0");

// A by-id folder of the test's own, made the listing's only source.
struct DeviceTree {
  DeviceTree() { SetSerialDeviceSources({byId(), false}); }
  ~DeviceTree() { SetSerialDeviceSources({}); }
  QString byId() const { return dir.filePath(QStringLiteral("by-id")); }
  QString Link(const QString& name) const { return byId() + QLatin1Char('/') + name; }
  // The adapter plugged in (again), as `node`.
  bool Plug(const QString& name, const QString& node) {
    QDir().mkpath(byId());
    QFile::remove(Link(name));
    return QFile::link(node, Link(name));
  }
  QTemporaryDir dir;
};

TWindowRig::Options WithLinkDialogs() {
  TWindowRig::Options options;
  options.comNumber = 5;
  options.linkDialogs = true;
  return options;
}

// Chooses the device in a chooser as the operator does.
void Choose(PortChooser& chooser, const QString& target) {
  const int index = chooser.findData(target);
  QVERIFY2(index >= 0, qPrintable(target));
  chooser.setCurrentIndex(index);
  emit chooser.activated(index);
}

QByteArray Record(const QByteArray& volts) {
  RecordBuilder record;
  record.voltsRms = "V" + volts;
  return record.Line('I');
}

}  // namespace

class TestPortChooser : public QObject {
  Q_OBJECT

 private slots:
  void chosenDeviceFollowedAcrossARePlug();
  void linksMadeByHandAreAskedAbout();
  void listFollowsDevicesComingAndGoing();
};

void TestPortChooser::chosenDeviceFollowedAcrossARePlug() {
  DeviceTree tree;
  TPtyAnalyser first;
  QVERIFY(tree.Plug(kAdapter, first.SlavePath()));
  const QList<SerialDevice> devices = ListSerialDevices();
  QCOMPARE(devices.size(), 1);
  QCOMPARE(devices[0].Path, QFileInfo(first.SlavePath()).canonicalFilePath());
  QCOMPARE(devices[0].LinkTarget(), tree.Link(kAdapter));

  TWindowRig rig(WithLinkDialogs());
  QVERIFY(rig.Ready());
  // The Settings dialog: number 4, the adapter chosen beside it, Accept.
  QTimer::singleShot(0, [&] {
    QTRY_VERIFY(rig.Settings()->isVisible());
    rig.Settings()->Form().Edit1->setText(QStringLiteral("4"));
    Choose(rig.Settings()->PortList(), tree.Link(kAdapter));
    QTest::mouseClick(rig.Settings()->Form().Button2, Qt::LeftButton);
  });
  rig.Window().Settings2Click();
  QCOMPARE(QFileInfo(rig.FilePath(QStringLiteral("COM4"))).symLinkTarget(), tree.Link(kAdapter));
  QCOMPARE(rig.Window().Shell().ComPortNumber, 4);
  QVERIFY(first.WriteAll(Record("231.5")));
  QTRY_COMPARE(rig.Ui().Label42->text(), QStringLiteral("231.5"));

  // Unplugged, and back in another socket: a new node behind the same name.
  first.Hangup();
  TPtyAnalyser second;
  QVERIFY(tree.Plug(kAdapter, second.SlavePath()));
  rig.Comfault()->SetComPort(4);
  rig.Window().RetryLink();
  QVERIFY(!second.Read(4096, 500ms).isEmpty());  // the set-up, sent again
  QVERIFY(second.WriteAll(Record("229.8")));
  QTRY_COMPARE(rig.Ui().Label42->text(), QStringLiteral("229.8"));

  // The first-start prompt binds the number it is given as well.
  rig.Dialogs().inputAnswers << QStringLiteral("7");
  rig.Dialogs().deviceAnswers << tree.Link(kAdapter);
  rig.Window().DefaultsProcedure();
  QCOMPARE(QFileInfo(rig.FilePath(QStringLiteral("COM7"))).symLinkTarget(), tree.Link(kAdapter));
}

// A COM<n> already there is replaced only when the operator says so.
void TestPortChooser::linksMadeByHandAreAskedAbout() {
  DeviceTree tree;
  TPtyAnalyser adapter;
  QVERIFY(tree.Plug(kAdapter, adapter.SlavePath()));
  TWindowRig rig(WithLinkDialogs());
  const QString byHand = rig.Analyser().SlavePath();
  QVERIFY(QFile::link(byHand, rig.FilePath(QStringLiteral("COM6"))));
  for (const bool replace : {false, true}) {
    rig.Dialogs().confirmAnswers << replace;
    rig.Comfault()->SetComPort(6);
    Choose(rig.Comfault()->PortList(), tree.Link(kAdapter));
    rig.Window().RetryLink();
    QVERIFY(rig.Dialogs().Texts(QStringLiteral("confirm")).last().startsWith(
        QStringLiteral("COM6 in the working folder is a link to %1.").arg(byHand)));
    QCOMPARE(QFileInfo(rig.FilePath(QStringLiteral("COM6"))).symLinkTarget(), replace ? tree.Link(kAdapter) : byHand);
  }
}

// While a dialog is open its list follows the devices; the device COM<n>
// leads to shows "not connected" when it has gone.
void TestPortChooser::listFollowsDevicesComingAndGoing() {
  DeviceTree tree;
  TPtyAnalyser adapter;
  QVERIFY(tree.Plug(kAdapter, adapter.SlavePath()));
  TWindowRig rig(WithLinkDialogs());
  QVERIFY(QFile::link(tree.Link(kAdapter), rig.FilePath(QStringLiteral("COM4"))));
  rig.Comfault()->SetComPort(4);
  rig.Comfault()->show();
  PortChooser& list = rig.Comfault()->PortList();
  QTRY_VERIFY(list.currentText().endsWith(QStringLiteral(" - ") + kAdapter));

  TPtyAnalyser another;
  QVERIFY(tree.Plug(QStringLiteral("usb-Prolific_PL2303-if00-port0"), another.SlavePath()));
  QTRY_COMPARE(list.count(), 2);
  QFile::remove(tree.Link(kAdapter));
  QTRY_COMPARE(list.currentText(), kAdapter + QStringLiteral(" - not connected"));
  QCOMPARE(list.ChosenTarget(), QString());
  rig.Comfault()->hide();

  // The first-start prompt as the operator meets it, for a look; cancelled.
  QtOperatorDialogs boxes;
  QTimer::singleShot(0, [] {
    QTRY_VERIFY(QApplication::activeModalWidget() != nullptr);
    QWidget* prompt = QApplication::activeModalWidget();
    QTRY_VERIFY(prompt->findChild<PortChooser*>()->count() == 1);
    QDir().mkpath(QStringLiteral(QX7300_TEST_OUTPUT));
    QVERIFY(prompt->grab().save(QStringLiteral(QX7300_TEST_OUTPUT "/dialog-port-prompt-devices.png")));
    static_cast<QDialog*>(prompt)->reject();
  });
  QVERIFY(!boxes.AskPort(QStringLiteral("Communication Port Required"), QStringLiteral("Enter Com Port Number : "),
                         QStringLiteral("1")));
}

QTEST_MAIN(TestPortChooser)
#include "test_port_chooser.moc"
