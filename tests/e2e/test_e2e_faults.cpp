// The program against a faulty line: the emulator loses, damages and floods
// bytes, falls silent, and hangs the line up. The program must carry on,
// show only what came whole in one line, and be right again once the fault
// is over.
//
// What "whole in one line" can mean here: the link has no checksum, so a
// byte lost or a bit flipped inside a number cannot be seen by the program,
// and it shows the damaged number as it arrived. What the program does owe
// is its framing: every value it shows is one field of one line as that line
// went over the wire (a "!" starts a line, a line feed ends it), never a
// value pieced together from two lines, cut short at a notification's end,
// or made of bytes that were never sent; and all meter readings shown
// together come from the same line. The emulator's tap (a copy of every byte
// it sent) is cut into lines by that rule, and every state of the meter panel
// and the waveform stores after each notification must be found there. With
// garbage alone, every line on the wire is a whole record of the analyser's,
// so there the check is that the program shows nothing but what the analyser
// sent.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QSet>
#include <QTimer>
#include <QtTest>

#include <unistd.h>

#include "app/comfault.h"
#include "app/program.h"
#include "app/qx7300main.h"
#include "app/veltrix_application.h"
#include "emulator_process.h"
#include "serial/serial_port.h"
#include "support/scripted_operator_dialogs.h"
#include "support/test_working_folder.h"
#include "ui_comfault.h"
#include "ui_qx7300main.h"

namespace {

// No /dev/ttyS199 for the program to fall back on while the line is gone.
constexpr int kHangupPort = 200;
constexpr int kSamples = WaveformSamples::kFilled;

// Fields of a line by the link's rule: blanks and control characters off
// both ends, "," and ";" between fields. Element 0 is unused.
QList<QByteArray> Fields(const QByteArray& line) {
  qsizetype begin = 0;
  qsizetype end = line.size();
  while (begin < end && static_cast<unsigned char>(line[begin]) <= ' ') ++begin;
  while (end > begin && static_cast<unsigned char>(line[end - 1]) <= ' ') --end;
  QList<QByteArray> fields{QByteArray()};
  QByteArray field;
  for (qsizetype i = begin; i < end; ++i) {
    if (line[i] == ',' || line[i] == ';') {
      fields << field;
      field.clear();
    } else {
      field += line[i];
    }
  }
  fields << field;
  return fields;
}

// The meter panel's readings as one key: the fields behind Label42, Label83,
// Label91, Label5, Label17, Label93, Label85, Label80 and Label96 (the rms
// volts, amps and watts without their one-character prefix).
QByteArray MeterKey(const QList<QByteArray>& f) {
  return QByteArrayList{f.value(5).mid(1), f.value(6), f.value(7), f.value(8), f.value(10).mid(1),
                        f.value(11), f.value(13), f.value(14).mid(1), f.value(15)}
      .join('\n');
}

QByteArray ShownMeterKey(Tqx7300form& window) {
  Ui::Tqx7300form& ui = window.Form();
  QByteArrayList shown;
  for (QLabel* label : {ui.Label42, ui.Label83, ui.Label91, ui.Label5, ui.Label17, ui.Label93, ui.Label85,
                        ui.Label80, ui.Label96})
    shown << label->text().toLatin1();
  return shown.join('\n');
}

QByteArray Stored(const std::array<quint8, WaveformSamples::kEntries>& samples) {
  return QByteArray(reinterpret_cast<const char*>(samples.data()), kSamples);
}

// What the line carried, as the emulator's tap recorded it, cut into lines by
// the link's rule.
class LineTap {
 public:
  struct Seen {
    QSet<QByteArray> meters;
    QSet<QByteArray> voltage;  // waveform bodies of "V" lines
    QSet<QByteArray> current;  // of "I" lines
  };

  explicit LineTap(const QString& path) : file_(path) {}

  // Reads what has been sent since the last look; the size read so far.
  qint64 Update() {
    if (!file_.isOpen() && !file_.open(QIODevice::ReadOnly)) return offset_;
    const QByteArray bytes = file_.readAll();
    for (const char ch : bytes) {
      if (ch == '!') {
        line_ = "!";
        start_ = offset_;
      } else {
        if (line_.isEmpty()) start_ = offset_;
        line_ += ch;
        if (ch == '\n') {
          Take(line_);
          line_.clear();
        }
      }
      ++offset_;
    }
    return offset_;
  }

  // Lines that begin from here on are also kept as Recent().
  void MarkNow() { mark_ = Update(); }

  const Seen& All() const { return all_; }
  const Seen& Recent() const { return recent_; }
  int Lines() const { return lines_; }
  int RecentLines() const { return recentLines_; }
  // Lines that are not a whole waveform record: no "!" first, or too short.
  int DamagedLines() const { return damaged_; }

 private:
  void Take(const QByteArray& line) {
    const QList<QByteArray> f = Fields(line);
    QByteArray aligned = line;
    // The analyser's common section is two characters shorter on range "4".
    if (f.value(3).startsWith('4')) aligned.insert(qMin<qsizetype>(105, aligned.size()), "  ");
    const char type = aligned.size() > 107 ? aligned[107] : '\0';
    const bool waveform = (type == 'V' || type == 'I') && aligned.size() >= 409;
    for (Seen* seen : {&all_, start_ >= mark_ ? &recent_ : nullptr}) {
      if (seen == nullptr) continue;
      seen->meters.insert(MeterKey(f));
      if (waveform) (type == 'V' ? seen->voltage : seen->current).insert(aligned.mid(108, kSamples));
    }
    ++lines_;
    recentLines_ += start_ >= mark_;
    if (!line.startsWith('!') || !waveform) ++damaged_;
  }

  QFile file_;
  qint64 offset_ = 0;
  qint64 start_ = 0;
  qint64 mark_ = std::numeric_limits<qint64>::max();
  QByteArray line_;
  Seen all_;
  Seen recent_;
  int lines_ = 0;
  int recentLines_ = 0;
  int damaged_ = 0;
};

// What the program showed after each notification, from Start() on.
class DisplayWatch {
 public:
  explicit DisplayWatch(Tqx7300form& window) : window_(window), handler_(window.SerialPort1().OnTriggerAvail()) {
    window.SerialPort1().SetOnTriggerAvail([this](TSerialPort& sender, quint16 count) {
      handler_(sender, count);
      if (watching_) Take();
    });
  }
  ~DisplayWatch() { window_.SerialPort1().SetOnTriggerAvail(handler_); }

  void Start() {
    watching_ = true;
    Take();
  }
  void Stop() { watching_ = false; }

  // A state shown that the line never carried, described; empty when none.
  QString NotSent(const LineTap::Seen& sent) const {
    for (const QByteArray& key : shown_.meters)
      if (!sent.meters.contains(key)) return "meter panel showed " + QString::fromLatin1(key.toPercentEncoding());
    for (const QByteArray& body : shown_.voltage)
      if (!sent.voltage.contains(body)) return "voltage samples not from one line: " + QString::fromLatin1(body.toHex());
    for (const QByteArray& body : shown_.current)
      if (!sent.current.contains(body)) return "current samples not from one line: " + QString::fromLatin1(body.toHex());
    return {};
  }
  int Notifications() const { return notifications_; }

 private:
  void Take() {
    ++notifications_;
    shown_.meters.insert(ShownMeterKey(window_));
    shown_.voltage.insert(Stored(window_.Document().Samples().VoltageSamples));
    shown_.current.insert(Stored(window_.Document().Samples().CurrentSamples));
  }

  Tqx7300form& window_;
  const TSerialPort::TTriggerAvailEvent handler_;
  bool watching_ = false;
  LineTap::Seen shown_;
  int notifications_ = 0;
};

// The longest time the main thread went without running its timers: a
// window that answers runs a 20 ms timer within a few tens of milliseconds.
class Responsiveness {
 public:
  Responsiveness() {
    timer_.setInterval(20);
    QObject::connect(&timer_, &QTimer::timeout, [this] { longest_ = qMax(longest_, clock_.restart()); });
    clock_.start();
    timer_.start();
  }
  qint64 LongestGapMs() const { return qMax(longest_, clock_.elapsed()); }

 private:
  QTimer timer_;
  QElapsedTimer clock_;
  qint64 longest_ = 0;
};

// Counts the no-response dialog's appearances and answers it: "Retry" once
// `mayRetry` holds; "Cancel" when a test expects no dialog at all, or when
// the dialog has waited so long that the test has failed anyway (so that it
// ends instead of waiting in the dialog for ever).
class NoResponseOperator : public QObject {
 public:
  NoResponseOperator(Tcomfaultform& dialog, std::function<bool()> mayRetry)
      : dialog_(dialog), mayRetry_(std::move(mayRetry)) {
    dialog_.installEventFilter(this);
    timer_.setInterval(50);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      if (!dialog_.isVisible()) return;
      if (!mayRetry_ || shownFor_.elapsed() > 20000)
        QTest::mouseClick(dialog_.Form().Button2, Qt::LeftButton);
      else if (mayRetry_())
        QTest::mouseClick(dialog_.Form().Button3, Qt::LeftButton);
    });
    timer_.start();
  }
  int Appearances() const { return appearances_; }
  // Called as the dialog comes up, with the number of its appearance.
  std::function<void(int)> onShow;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == &dialog_ && event->type() == QEvent::Show) {
      ++appearances_;
      shownFor_.start();
      if (onShow) onShow(appearances_);
    }
    return false;
  }

 private:
  Tcomfaultform& dialog_;
  std::function<bool()> mayRetry_;
  QTimer timer_;
  QElapsedTimer shownFor_;
  int appearances_ = 0;
};

// The count in a fault's end report ("fault drop:... ends: 37 bytes dropped").
qint64 ReportedCount(const QString& report) {
  return report.section(QStringLiteral(": "), 1).section(' ', 0, 0).toLongLong();
}

// Seconds of processor time a process has used, from /proc.
double ProcessorSeconds(qint64 pid) {
  QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
  if (!stat.open(QIODevice::ReadOnly)) return -1;
  const QByteArray text = stat.readAll();
  // Fields after the command name in parentheses: state is field 3, utime 14, stime 15.
  const QList<QByteArray> f = text.mid(text.lastIndexOf(')') + 2).split(' ');
  return (f.value(11).toDouble() + f.value(12).toDouble()) / double(::sysconf(_SC_CLK_TCK));
}

QStringList WithFaults(const QString& tapPath, const QStringList& faults) {
  QStringList arguments{"--load", "resistive", "--seed", "7300", "--tap", tapPath};
  for (const QString& fault : faults) arguments << "--fault" << fault;
  return arguments;
}

const QStringList kStartUpCommands{"M:H,3;", "K:A;", "E:S;", "N:75;", "R:W;"};

}  // namespace

class TestE2eFaults : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();
  void damagedLinesShowOnlyWholeLinesAndRecover_data();
  void damagedLinesShowOnlyWholeLinesAndRecover();
  void stallBringsTheNoResponseDialogOnce();
  void pulledAdapterSeenAndFoundAgain();
  void programProcessIdlesThroughAHangUp();
  void programEndsOnASignalWhileTheLineIsGone();

 private:
  // The program up and showing readings from the emulator on `port`.
  bool StartProgram(int port);
  bool ShowsRecentLine(LineTap& tap);

  TestWorkingFolder* folder_ = nullptr;
  ScriptedOperatorDialogs* dialogs_ = nullptr;
  VeltrixProgram* program_ = nullptr;
};

void TestE2eFaults::init() {
  folder_ = new TestWorkingFolder;
  QVERIFY(folder_->Valid());
  dialogs_ = new ScriptedOperatorDialogs;
  // Errors that escape a reaction go to the program's error box, as in the program.
  static_cast<VeltrixApplication*>(qApp)->SetDialogs(dialogs_);
}

void TestE2eFaults::cleanup() {
  delete program_;
  program_ = nullptr;
  static_cast<VeltrixApplication*>(qApp)->SetDialogs(nullptr);
  delete dialogs_;
  delete folder_;
}

bool TestE2eFaults::StartProgram(int port) {
  WriteSettingsFile(folder_->Path(), port);
  program_ = new VeltrixProgram(*dialogs_);
  program_->ShowMainWindow();
  Tqx7300form& window = program_->MainWindow();
  window.starttimerTimer();
  if (!window.Shell().PortConnected) return false;
  return QTest::qWaitFor(
      [&] {
        return !window.Form().Label42->text().isEmpty() && window.Document().Samples().VoltageSamples[75] != 0 &&
               window.Document().Samples().CurrentSamples[75] != 0;
      },
      5000);
}

bool TestE2eFaults::ShowsRecentLine(LineTap& tap) {
  tap.Update();
  Tqx7300form& window = program_->MainWindow();
  const LineTap::Seen& recent = tap.Recent();
  return recent.meters.contains(ShownMeterKey(window)) &&
         recent.voltage.contains(Stored(window.Document().Samples().VoltageSamples)) &&
         recent.current.contains(Stored(window.Document().Samples().CurrentSamples)) &&
         window.Form().Label59->text() != QStringLiteral("String Error");
}

void TestE2eFaults::damagedLinesShowOnlyWholeLinesAndRecover_data() {
  QTest::addColumn<QStringList>("faults");
  QTest::addColumn<bool>("onlyWholeRecordsSent");
  // Each acts for two seconds from one second after the program's first command.
  QTest::newRow("drop") << QStringList{"drop:0.003:1:2"} << false;
  QTest::newRow("corrupt") << QStringList{"corrupt:0.003:1:2"} << false;
  QTest::newRow("garbage") << QStringList{"garbage:48:1:2"} << true;
  QTest::newRow("flood") << QStringList{"flood:1:2"} << true;
  QTest::newRow("all at once") << QStringList{"drop:0.002:1:2", "corrupt:0.002:1:2", "garbage:48:1:2", "flood:1:2"}
                               << false;
}

void TestE2eFaults::damagedLinesShowOnlyWholeLinesAndRecover() {
  QFETCH(QStringList, faults);
  QFETCH(bool, onlyWholeRecordsSent);
  const QString tapPath = folder_->FilePath(QStringLiteral("line.tap"));
  EmulatorProcess emulator(folder_->Path(), 1, WithFaults(tapPath, faults));
  QVERIFY(emulator.Ready());
  QVERIFY(StartProgram(1));
  Tqx7300form& window = program_->MainWindow();
  NoResponseOperator noResponse(program_->ComFaultForm(), nullptr);
  DisplayWatch watch(window);
  LineTap tap(tapPath);

  QTRY_VERIFY_WITH_TIMEOUT(!emulator.Printed("fault " + faults.first() + " begins").isEmpty(), 10000);
  watch.Start();
  Responsiveness responsiveness;
  QStringList reports;
  QTRY_VERIFY_WITH_TIMEOUT(
      (reports = emulator.Printed(QStringLiteral("fault ")).filter(QStringLiteral(" ends"))).size() == faults.size(),
      10000);
  // Whatever the line does now is clean: the program must be right again.
  tap.MarkNow();
  QTRY_VERIFY2_WITH_TIMEOUT(ShowsRecentLine(tap), qPrintable(ShownMeterKey(window).toPercentEncoding()), 5000);
  const int sentBeforeRight = tap.RecentLines();
  watch.Stop();
  // And the operator's commands still reach the analyser.
  QTest::mouseClick(window.Form().Button3, Qt::LeftButton);
  QTRY_COMPARE_WITH_TIMEOUT(emulator.Commands().mid(kStartUpCommands.size()), QStringList({"M:R;", "R:W;"}), 5000);
  tap.Update();

  for (const QString& report : reports) QVERIFY2(ReportedCount(report) > 0, qPrintable(report));
  qInfo("%s; %d lines sent, %d of them damaged; %d notifications watched; right again with %d lines sent after",
        qPrintable(reports.join("; ")), tap.Lines(), tap.DamagedLines(), watch.Notifications(), sentBeforeRight);
  // The tap is written just after the line: the program may be a moment ahead.
  QString notSent;
  QTRY_VERIFY2_WITH_TIMEOUT((tap.Update(), notSent = watch.NotSent(tap.All())).isEmpty(), qPrintable(notSent), 3000);
  if (onlyWholeRecordsSent) QCOMPARE(tap.DamagedLines(), 0);
  QVERIFY2(responsiveness.LongestGapMs() < 2000, qPrintable(QString::number(responsiveness.LongestGapMs())));
  QCOMPARE(noResponse.Appearances(), 0);
  QVERIFY(dialogs_->shown.isEmpty());
}

void TestE2eFaults::stallBringsTheNoResponseDialogOnce() {
  const QString tapPath = folder_->FilePath(QStringLiteral("line.tap"));
  EmulatorProcess emulator(folder_->Path(), 1, WithFaults(tapPath, {"stall:1:6"}));
  QVERIFY(emulator.Ready());
  QVERIFY(StartProgram(1));
  Tqx7300form& window = program_->MainWindow();
  Ui::Tqx7300form& ui = window.Form();
  LineTap tap(tapPath);
  // The operator answers the dialog only when the analyser has spoken again:
  // the meter panel, emptied while the dialog is up, has been filled anew.
  bool emptied = false;
  NoResponseOperator noResponse(program_->ComFaultForm(), [&] {
    if (!emptied) {
      ui.Label42->clear();
      emptied = true;
    }
    return !emulator.Printed(QStringLiteral("fault stall:1:6 ends")).isEmpty() && !ui.Label42->text().isEmpty();
  });

  QTRY_VERIFY_WITH_TIMEOUT(!emulator.Printed(QStringLiteral("fault stall:1:6 begins")).isEmpty(), 10000);
  const qsizetype commandsBefore = emulator.Commands().size();
  // The operator presses "Reset Meter"; when data still in flight disarmed
  // the watchdog, once more.
  QVERIFY(ui.Button3->isEnabled());
  QTRY_VERIFY_WITH_TIMEOUT(noResponse.Appearances() > 0 ||
                               (!window.Comstimer().isActive() && (QTest::mouseClick(ui.Button3, Qt::LeftButton), false)),
                           5000);
  QTRY_VERIFY_WITH_TIMEOUT(noResponse.Appearances() > 0 && !program_->ComFaultForm().isVisible(), 10000);

  // Retry sent the set-up again, and the records that follow keep the
  // watchdog disarmed: no second dialog can come.
  tap.MarkNow();
  QTRY_VERIFY_WITH_TIMEOUT(!window.Comstimer().isActive(), 5000);
  QTRY_VERIFY_WITH_TIMEOUT(ShowsRecentLine(tap), 5000);
  QCOMPARE(noResponse.Appearances(), 1);
  const QStringList after = emulator.Commands().mid(commandsBefore);
  QVERIFY2(after.value(0) == QStringLiteral("M:R;") && after.join(' ').contains(kStartUpCommands.join(' ')),
           qPrintable(after.join(' ')));
  QVERIFY(dialogs_->shown.isEmpty());
}

void TestE2eFaults::pulledAdapterSeenAndFoundAgain() {
  if (QFile::exists(QStringLiteral("/dev/ttyS%1").arg(kHangupPort - 1)))
    QSKIP("the port number used has a real device to fall back on here");
  // The adapter under its stable by-id name, COM200 bound to that name as
  // the port chooser binds it. Pulled, the name goes with the device; plugged
  // in again, it leads to a new device node.
  const QString byId = folder_->FilePath(QStringLiteral("serial/by-id/usb-FTDI_FT232R_USB_UART_A1B2C3D4-if00-port0"));
  QVERIFY(QDir().mkpath(QFileInfo(byId).absolutePath()));
  QVERIFY(QFile::link(byId, folder_->FilePath(QStringLiteral("COM%1").arg(kHangupPort))));
  const QString tapPath = folder_->FilePath(QStringLiteral("line.tap"));
  EmulatorProcess emulator(folder_->Path(), kHangupPort,
                           WithFaults(tapPath, {"hangup:1:6"}) + QStringList{QStringLiteral("--link"), byId});
  QVERIFY(emulator.Ready());
  QVERIFY(StartProgram(kHangupPort));
  Tqx7300form& window = program_->MainWindow();
  Ui::Tqx7300form& ui = window.Form();
  LineTap tap(tapPath);
  const QString plugged = byId + QStringLiteral(" -> ");
  // The operator presses Retry the first time, while the adapter is still
  // out; after that leaves the dialog alone.
  NoResponseOperator noResponse(program_->ComFaultForm(), [&] { return noResponse.Appearances() == 1; });
  QElapsedTimer sinceClosed;
  window.SerialPort1().SetOnPortClose([&](TSerialPort&) { sinceClosed.start(); });
  QStringList seenAtShow;
  qint64 firstShownAfter = -1;
  noResponse.onShow = [&](int appearance) {
    if (appearance == 1) firstShownAfter = sinceClosed.isValid() ? sinceClosed.elapsed() : -1;
    seenAtShow << QStringLiteral("%1, port %2, %3 errors, published %4")
                      .arg(ui.Label59->text(), window.SerialPort1().Open() ? "open" : "closed")
                      .arg(dialogs_->Texts(QStringLiteral("error")).size())
                      .arg(emulator.Printed(plugged).size());
  };
  Responsiveness responsiveness;

  // Pulled: seen at once, with no command to wait for, and the dialog comes.
  // Retry with the adapter still out gives the error box, and the dialog
  // again two seconds later. Plugged in again, the link comes back by
  // itself and the dialog closes. (The dialog's own loop runs all this.)
  QTRY_VERIFY_WITH_TIMEOUT(!emulator.Printed(QStringLiteral("fault hangup:1:6 begins")).isEmpty(), 10000);
  QTRY_VERIFY_WITH_TIMEOUT(noResponse.Appearances() == 2 && !program_->ComFaultForm().isVisible(), 15000);
  QCOMPARE(seenAtShow, QStringList({"Not Connected, port closed, 0 errors, published 1",
                                    "Not Connected, port closed, 1 errors, published 1"}));
  QVERIFY2(firstShownAfter >= 0 && firstShownAfter < 1000, qPrintable(QString::number(firstShownAfter)));
  QCOMPARE(emulator.Printed(plugged).size(), 2);
  QVERIFY(window.SerialPort1().Open());

  // Nothing was sent again, so what the analyser was doing goes on, and
  // its records show.
  tap.MarkNow();
  QTRY_VERIFY_WITH_TIMEOUT(ShowsRecentLine(tap), 5000);
  QVERIFY(ui.Label59->text() != QStringLiteral("Not Connected"));
  QTRY_VERIFY_WITH_TIMEOUT(!window.Comstimer().isActive(), 5000);
  QCOMPARE(emulator.Commands(), kStartUpCommands);
  QCOMPARE(noResponse.Appearances(), 2);
  qInfo("error box: %s; longest wait of the window %lld ms", qPrintable(dialogs_->shown.first().text),
        responsiveness.LongestGapMs());
  QVERIFY2(responsiveness.LongestGapMs() < 2000, qPrintable(QString::number(responsiveness.LongestGapMs())));
}

void TestE2eFaults::programProcessIdlesThroughAHangUp() {
  if (QFile::exists(QStringLiteral("/dev/ttyS%1").arg(kHangupPort - 1)))
    QSKIP("the port number used has a real device to fall back on here");
  EmulatorProcess emulator(folder_->Path(), kHangupPort, {QStringLiteral("--fault"), QStringLiteral("hangup:1:3")});
  QVERIFY(emulator.Ready());
  WriteSettingsFile(folder_->Path(), kHangupPort);
  QProcess veltrix;
  QVERIFY(StartProgramProcess(veltrix, QStringLiteral(QX7300_VELTRIX), folder_->Path()));
  QTRY_COMPARE_WITH_TIMEOUT(emulator.Commands(), kStartUpCommands, 10000);

  // While the line is gone nobody touches the program: it must sit idle,
  // not spin on the dead device.
  QTRY_VERIFY_WITH_TIMEOUT(!emulator.Printed(QStringLiteral("fault hangup:1:3 begins")).isEmpty(), 10000);
  QElapsedTimer wall;
  wall.start();
  const double before = ProcessorSeconds(veltrix.processId());
  QTRY_COMPARE_WITH_TIMEOUT(emulator.Printed(QStringLiteral("COM%1 -> ").arg(kHangupPort)).size(), 2, 10000);
  const double used = ProcessorSeconds(veltrix.processId()) - before;
  const double share = used / (wall.elapsed() / 1000.0);
  qInfo("processor share while the line was gone: %.3f", share);
  QVERIFY2(before >= 0 && share < 0.5, qPrintable(QString::number(share)));
  QCOMPARE(veltrix.state(), QProcess::Running);

  // Closing says goodbye on the line that came back, which the program
  // found again by itself.
  veltrix.terminate();
  QVERIFY(veltrix.waitForFinished(10000));
  QCOMPARE(veltrix.exitStatus(), QProcess::NormalExit);
  QCOMPARE(veltrix.exitCode(), 0);
  QTRY_COMPARE_WITH_TIMEOUT(emulator.Commands().mid(kStartUpCommands.size()), QStringList({"T:F;", "M:L;"}), 5000);
}

void TestE2eFaults::programEndsOnASignalWhileTheLineIsGone() {
  if (QFile::exists(QStringLiteral("/dev/ttyS%1").arg(kHangupPort - 1)))
    QSKIP("the port number used has a real device to fall back on here");
  EmulatorProcess emulator(folder_->Path(), kHangupPort, {QStringLiteral("--fault"), QStringLiteral("hangup:1:60")});
  QVERIFY(emulator.Ready());
  WriteSettingsFile(folder_->Path(), kHangupPort);
  QProcess veltrix;
  QVERIFY(StartProgramProcess(veltrix, QStringLiteral(QX7300_VELTRIX), folder_->Path()));
  QTRY_COMPARE_WITH_TIMEOUT(emulator.Commands(), kStartUpCommands, 10000);
  QTRY_VERIFY_WITH_TIMEOUT(!emulator.Printed(QStringLiteral("fault hangup:1:60 begins")).isEmpty(), 10000);
  QTest::qWait(500);
  // The goodbye cannot reach the analyser; the close must not wait for
  // anyone to read why.
  veltrix.terminate();
  QVERIFY(veltrix.waitForFinished(10000));
  QCOMPARE(veltrix.exitStatus(), QProcess::NormalExit);
  QCOMPARE(veltrix.exitCode(), 0);
}

int main(int argc, char** argv) {
  VeltrixApplication application(argc, argv);
  TestE2eFaults test;
  return QTest::qExec(&test, argc, argv);
}

#include "test_e2e_faults.moc"
