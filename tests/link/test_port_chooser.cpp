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

#include <array>

#include <sys/file.h>
#include <fcntl.h>
#include <unistd.h>

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

// By-id and by-path folders of the test's own, made the listing's only
// source (with the system's ports left out, or made up by the test).
struct DeviceTree {
  DeviceTree() { SetSerialDeviceSources({byId(), false, byPath(), std::nullopt}); }
  ~DeviceTree() { SetSerialDeviceSources({}); }
  QString byId() const { return dir.filePath(QStringLiteral("by-id")); }
  QString byPath() const { return dir.filePath(QStringLiteral("by-path")); }
  QString Link(const QString& name) const { return byId() + QLatin1Char('/') + name; }
  QString Socket(const QString& name) const { return byPath() + QLatin1Char('/') + name; }
  // The adapter plugged in (again), as `node`.
  bool Plug(const QString& name, const QString& node) { return MakeLink(Link(name), node); }
  bool PlugInto(const QString& socket, const QString& node) { return MakeLink(Socket(socket), node); }
  // A device node of the tree's own, leading to `pty`.
  QString Node(const QString& name, const QString& pty) {
    const QString node = dir.filePath(QStringLiteral("dev/") + name);
    return MakeLink(node, pty) ? node : QString();
  }
  static bool MakeLink(const QString& link, const QString& target) {
    QDir().mkpath(QFileInfo(link).absolutePath());
    QFile::remove(link);
    return QFile::link(target, link);
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
  void identicalAdaptersToldApart();
  void bindingOutcomes_data();
  void bindingOutcomes();
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

  // Seen as the folder changes, well within a second, one change after
  // the other.
  TPtyAnalyser another;
  QVERIFY(tree.Plug(QStringLiteral("usb-Prolific_PL2303-if00-port0"), another.SlavePath()));
  QTRY_COMPARE_WITH_TIMEOUT(list.count(), 2, 500);
  QFile::remove(tree.Link(kAdapter));
  QTRY_COMPARE_WITH_TIMEOUT(list.currentText(), kAdapter + QStringLiteral(" - not connected"), 500);
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

// Two identical adapters share one by-id name, which leads to one of them
// only; they, and an adapter without a serial number, are bound by their
// USB socket, and the list says so. Nodes in natural order; a COM<n> made
// by hand to a node shows that node's device.
void TestPortChooser::identicalAdaptersToldApart() {
  DeviceTree tree;
  struct Adapter {
    QString node, serial, socket, byId;
    QString label, target;  // as listed: "socket" or "by-id"
  };
  const QString ftdi = QStringLiteral("usb-FTDI_FT232R_USB_UART_%1-if00-port0");
  const QList<Adapter> adapters{
      {"ttyUSB10", "A1B2C3", "pci-0000:00:14.0-usb-0:1:1.0-port0", "",
       "ttyUSB10 - FTDI FT232R USB UART (A1B2C3) - by USB socket pci-0000:00:14.0-usb-0:1:1.0-port0", "socket"},
      {"ttyUSB2", "A1B2C3", "pci-0000:00:14.0-usb-0:2:1.0-port0", ftdi.arg("A1B2C3"),
       "ttyUSB2 - FTDI FT232R USB UART (A1B2C3) - by USB socket pci-0000:00:14.0-usb-0:2:1.0-port0", "socket"},
      {"ttyUSB3", "Z9", "pci-0000:00:14.0-usb-0:3:1.0-port0", ftdi.arg("Z9"),
       "ttyUSB3 - FTDI FT232R USB UART (Z9)", "by-id"},
      {"ttyUSB1", "", "pci-0000:00:14.0-usb-0:4:1.0-port0", "usb-FTDI_FT232R_USB_UART-if00-port0",
       "ttyUSB1 - FTDI FT232R USB UART - by USB socket pci-0000:00:14.0-usb-0:4:1.0-port0", "socket"},
  };
  std::array<TPtyAnalyser, 4> ptys;
  SerialDeviceSources sources = CurrentSerialDeviceSources();
  sources.PortList.emplace();
  for (int i = 0; i < adapters.size(); ++i) {
    const Adapter& adapter = adapters[i];
    const QString node = tree.Node(adapter.node, ptys[i].SlavePath());
    QVERIFY(!node.isEmpty() && tree.PlugInto(adapter.socket, node));
    if (!adapter.byId.isEmpty()) QVERIFY(tree.Plug(adapter.byId, node));
    sources.PortList->append({node, QString(), "FTDI", "FT232R USB UART", adapter.serial});
  }
  SetSerialDeviceSources(sources);

  QStringList labels;
  QStringList targets;
  for (const SerialDevice& device : ListSerialDevices()) labels << device.Label(), targets << device.LinkTarget();
  QStringList wantLabels;
  QStringList wantTargets;
  for (const QString node : {"ttyUSB1", "ttyUSB2", "ttyUSB3", "ttyUSB10"}) {
    const Adapter& adapter = *std::find_if(adapters.begin(), adapters.end(), [&](const Adapter& a) { return a.node == node; });
    wantLabels << adapter.label;
    wantTargets << (adapter.target == QLatin1String("socket") ? tree.Socket(adapter.socket) : tree.Link(adapter.byId));
  }
  QCOMPARE(labels, wantLabels);
  QCOMPARE(targets, wantTargets);

  // COM4 made by hand to the first adapter's node shows that adapter; the
  // second one, chosen in the Settings dialog, is bound by its socket and
  // its records reach the window.
  TWindowRig rig(WithLinkDialogs());
  QVERIFY(rig.Ready());
  QVERIFY(QFile::link(tree.dir.filePath(QStringLiteral("dev/ttyUSB10")), rig.FilePath(QStringLiteral("COM4"))));
  rig.Dialogs().confirmAnswers << true;
  QString shown;
  QTimer::singleShot(0, [&] {
    QTRY_VERIFY(rig.Settings()->isVisible());
    rig.Settings()->Form().Edit1->setText(QStringLiteral("4"));
    shown = rig.Settings()->PortList().currentText();
    Choose(rig.Settings()->PortList(), tree.Socket(adapters[1].socket));
    QTest::mouseClick(rig.Settings()->Form().Button2, Qt::LeftButton);
  });
  rig.Window().Settings2Click();
  QCOMPARE(shown, adapters[0].label);
  QCOMPARE(QFileInfo(rig.FilePath(QStringLiteral("COM4"))).symLinkTarget(), tree.Socket(adapters[1].socket));
  QVERIFY(ptys[1].WriteAll(Record("231.5")));
  QTRY_COMPARE(rig.Ui().Label42->text(), QStringLiteral("231.5"));
}

void TestPortChooser::bindingOutcomes_data() {
  // COM5 before: "link" (to the rig's analyser), "file" or "folder".
  QTest::addColumn<QString>("before");
  // What gets in the way: "" nothing, "busy" the adapter held by another
  // program, "temporary-taken" the name a new link is made under is a folder.
  QTest::addColumn<QString>("obstacle");
  // "accept": chosen in the Settings dialog, Accept; "cancel": chosen,
  // Cancel, then Accept with nothing chosen; "retry": chosen in the
  // no-response dialog, Retry; "comfault-cancel": chosen there, Cancel,
  // then Retry.
  QTest::addColumn<QString>("action");
  QTest::addColumn<QString>("after");       // "adapter", or COM5 as it was
  QTest::addColumn<QStringList>("warning");  // what the warning (or error) says, text and details
  QTest::addColumn<bool>("asked");           // whether replacing COM5 was asked about
  QTest::addColumn<QString>("live");         // whose records the window shows: "adapter", "old" or none

  QTest::newRow("same number reopens on the device") << "link" << "" << "accept" << "adapter" << QStringList{} << true << "adapter";
  QTest::newRow("failed open keeps the old link")
      << "link" << "busy" << "accept" << "link"
      << QStringList{"Invalid Com Port. No Change Made", "COM5 leads to %OLD% again."} << true << "";
  QTest::newRow("failed open on Retry keeps the old link")
      << "link" << "busy" << "retry" << "link" << QStringList{"COM5 leads to %OLD% again."} << true << "";
  QTest::newRow("failed link keeps the old entry")
      << "link" << "temporary-taken" << "accept" << "link"
      << QStringList{"COM5 cannot be made a link to", "File exists"} << true << "old";
  QTest::newRow("file left alone") << "file" << "" << "accept" << "file"
                                   << QStringList{"COM5 in the working folder is a file, not a link; it is left alone."}
                                   << false << "old";
  QTest::newRow("folder left alone") << "folder" << "" << "accept" << "folder"
                                     << QStringList{"COM5 in the working folder is a folder, not a link; it is left alone."}
                                     << false << "old";
  QTest::newRow("Cancel discards") << "link" << "" << "cancel" << "link" << QStringList{} << false << "old";
  QTest::newRow("Cancel discards before Retry") << "link" << "" << "comfault-cancel" << "link" << QStringList{} << false << "old";
}

void TestPortChooser::bindingOutcomes() {
  QFETCH(QString, before);
  QFETCH(QString, obstacle);
  QFETCH(QString, action);
  QFETCH(QString, after);
  QFETCH(QStringList, warning);
  QFETCH(bool, asked);
  QFETCH(QString, live);

  DeviceTree tree;
  TPtyAnalyser adapter;
  QVERIFY(tree.Plug(kAdapter, adapter.SlavePath()));
  TWindowRig rig(WithLinkDialogs());
  QVERIFY(rig.Ready());
  const QString com5 = rig.FilePath(QStringLiteral("COM5"));
  const QString old = rig.Analyser().SlavePath();
  if (before != QLatin1String("link")) {
    QVERIFY(QFile::remove(com5));
    if (before == QLatin1String("folder")) {
      QVERIFY(QDir().mkdir(com5));
    } else {
      QFile mine(com5);
      QVERIFY(mine.open(QIODevice::WriteOnly) && mine.write("mine") == 4);
    }
  }
  // Another program holding the adapter, as the port itself holds a device.
  const int holder = obstacle == QLatin1String("busy") ? ::open(qPrintable(adapter.SlavePath()), O_RDWR | O_NOCTTY) : -1;
  const auto release = qScopeGuard([holder] { if (holder >= 0) ::close(holder); });
  if (holder >= 0) QCOMPARE(::flock(holder, LOCK_EX | LOCK_NB), 0);
  if (obstacle == QLatin1String("temporary-taken")) QVERIFY(QDir().mkdir(rig.FilePath(QStringLiteral(".COM5.new"))));

  rig.Dialogs().confirmAnswers << true;
  QString said;  // every warning and error, text and details
  if (action != QLatin1String("accept") && action != QLatin1String("cancel")) {
    rig.Comfault()->SetComPort(5);
    Choose(rig.Comfault()->PortList(), tree.Link(kAdapter));
    if (action == QLatin1String("comfault-cancel")) rig.Comfault()->reject();
    try {
      rig.Window().RetryLink();
    } catch (const std::exception& error) {
      said += QString::fromLocal8Bit(error.what());  // what the error box shows
    }
  } else {
    // The Settings dialog, the number left at 5: choose, then Accept (or
    // Cancel, and Accept the next time with nothing chosen).
    const bool cancel = action == QLatin1String("cancel");
    for (const bool choose : cancel ? QList<bool>{true, false} : QList<bool>{true}) {
      QTimer::singleShot(0, [&] {
        QTRY_VERIFY(rig.Settings()->isVisible());
        QCOMPARE(rig.Settings()->Form().Edit1->text(), QStringLiteral("5"));
        if (choose) Choose(rig.Settings()->PortList(), tree.Link(kAdapter));
        QTest::mouseClick(choose && cancel ? rig.Settings()->Form().Button1 : rig.Settings()->Form().Button2,
                          Qt::LeftButton);
      });
      rig.Window().Settings2Click();
    }
  }

  const QFileInfo entry(com5);
  if (after == QLatin1String("adapter")) QCOMPARE(entry.symLinkTarget(), tree.Link(kAdapter));
  if (after == QLatin1String("link")) QCOMPARE(entry.symLinkTarget(), old);
  if (after == QLatin1String("folder")) QVERIFY(entry.isDir() && !entry.isSymLink());
  if (after == QLatin1String("file")) {
    QFile mine(com5);
    QVERIFY(!entry.isSymLink() && mine.open(QIODevice::ReadOnly));
    QCOMPARE(mine.readAll(), QByteArray("mine"));
  }
  QVERIFY(!QFileInfo(rig.FilePath(QStringLiteral(".COM5.new"))).isSymLink());
  for (const auto& box : rig.Dialogs().shown) {
    if (box.kind == QLatin1String("warning")) said += box.text + QLatin1Char('\n') + box.details;
  }
  QCOMPARE(said.isEmpty(), warning.isEmpty());
  for (QString part : warning) QVERIFY2(said.contains(part.replace(QLatin1String("%OLD%"), old)), qPrintable(said));
  QCOMPARE(!rig.Dialogs().Texts(QStringLiteral("confirm")).isEmpty(), asked);

  // The records of the device the port is on reach the window.
  QVERIFY(adapter.WriteAll(Record("231.5")));
  QVERIFY(rig.Analyser().WriteAll(Record("229.8")));
  if (live == QLatin1String("adapter")) QTRY_COMPARE(rig.Ui().Label42->text(), QStringLiteral("231.5"));
  if (live == QLatin1String("old")) QTRY_COMPARE(rig.Ui().Label42->text(), QStringLiteral("229.8"));
  if (live.isEmpty()) {
    // The port stays closed until the next command.
    QTest::qWait(300);
    QVERIFY(!QStringList({"231.5", "229.8"}).contains(rig.Ui().Label42->text()));
  }
}

QTEST_MAIN(TestPortChooser)
#include "test_port_chooser.moc"
