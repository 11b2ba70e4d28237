#include "app/event_loop_probe.h"
#include "app/history_command.h"
#include "app/program.h"
#include "app/qt_operator_dialogs.h"
#include "app/qx7300main.h"
#include "app/report_from_recording.h"
#include "app/termination_signals.h"
#include "app/trend_from_recording.h"
#include "app/veltrix_application.h"
#include "persist/settings_file.h"
#include "ui_qx7300main.h"

#include <QApplication>
#include <QIcon>
#include <QTextStream>
#include <QTimer>

#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kHelpText =
    "Usage: veltrix [--help | --version]\n"
    "       veltrix --report-from RECORDING --out FILE [--partial]\n"
    "       veltrix --report-from RECORDING (--trend ORDER | --statistics) --out FILE\n"
    "       veltrix --history [FILTERS] [--format text|csv|json]\n"
    "       veltrix --history-export FOLDER [FILTERS]\n"
    "       veltrix --import-history FOLDER\n"
    "\n"
    "The operator station of the Orvane QX7300 power and harmonics analyser.\n"
    "\n"
    "Veltrix works in the folder it is started in: the settings file QX7300.ini,\n"
    "the start-up configuration Startup.hac, the mark bitmaps tick.bmp, cross.bmp\n"
    "and fill.bmp and, by default, the reports are kept there. Port n is the\n"
    "entry COM<n> of that folder (a symbolic link such as COM3 -> /dev/ttyUSB0),\n"
    "otherwise /dev/ttyS<n-1>.\n"
    "\n"
    "veltrix-desktop starts it as the desktop menu does: in the folder ~/orvane,\n"
    "made on the first start and given the mark bitmaps and the start-up\n"
    "configuration of a fresh set-up.\n"
    "\n"
    "Every test is recorded in the folder recordings/ of the working folder, and\n"
    "a saved report keeps its test's recording beside it (RUN7.TXT, RUN7.qxr).\n"
    "\n"
    "  --help     show this text and exit\n"
    "  --version  show the version of the program and of its settings file, and exit\n"
    "  --report-from RECORDING --out FILE\n"
    "             rebuild the report of a recorded test without a window and write\n"
    "             it as FILE (.txt, .csv or .pdf); needs no display. A damaged\n"
    "             recording writes nothing and exits with 1\n"
    "  --partial  with --report-from: write the report of what is whole in a\n"
    "             damaged recording all the same, its first line saying so\n"
    "  --report-from RECORDING --trend ORDER --out FILE\n"
    "             write the trend of a recorded test as CSV, a row a record: harmonic\n"
    "             ORDER's (2 to 40) average, maximum and limit (EN61000-3-2), or the\n"
    "             Pst intervals, Plt, d(max), d(t) and d(c) with their limits\n"
    "             (EN61000-3-3, or ORDER flicker)\n"
    "  --report-from RECORDING --statistics --out FILE\n"
    "             write each harmonic's minimum, mean, maximum, 95th percentile and\n"
    "             least margin to its limit while the test ran, as CSV\n"
    "\n"
    "Every saved report is filed in the archive archive.sqlite of the working\n"
    "folder, with the SHA-256 of each file saved with it.\n"
    "\n"
    "  --history  list the archived tests, newest first, without a window: text\n"
    "             in aligned columns, CSV with a heading row, or a JSON array\n"
    "             (files with their SHA-256 and whether they are unchanged now)\n"
    "  --history-export FOLDER\n"
    "             copy the files of the chosen tests into FOLDER, a subfolder\n"
    "             test-<id> each, with manifest.json; nothing there is replaced\n"
    "  --import-history FOLDER\n"
    "             file the text reports of FOLDER (*.TXT, with the set-up and the\n"
    "             recording beside them); a report filed already is skipped\n"
    "  FILTERS    --equipment TEXT, --serial TEXT (found anywhere in the field),\n"
    "             --since YYYY-MM-DD (tested on or after), --failed (failed tests)\n"
    "Exit status: 0 done, 1 failed (or a file not exported, a report unreadable),\n"
    "2 wrong usage.\n";

// --help and --version are answered before any window, display or port is
// touched; any other argument goes to the toolkit as it always did.
// Returns the exit code, or -1 when the program is to start.
int AnswerInformationRequest(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::fputs(kHelpText, stdout);
      return 0;
    }
    if (std::strcmp(argv[i], "--version") == 0) {
      std::printf("Veltrix %s\nSettings file version %s\n", VELTRIX_VERSION, kSettingsVersionText);
      return 0;
    }
  }
  return -1;
}

// --report-from RECORDING --out FILE; -1 when not asked for.
int AnswerReportRequest(int argc, char** argv) {
  const char* recording = nullptr;
  const char* out = nullptr;
  bool asked = false;
  bool partial = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--report-from") == 0) {
      asked = true;
      if (i + 1 < argc) recording = argv[++i];
    } else if (std::strcmp(argv[i], "--out") == 0 && i + 1 < argc) {
      out = argv[++i];
    } else if (std::strcmp(argv[i], "--partial") == 0) {
      partial = true;
    }
  }
  if (!asked) return -1;
  if (recording == nullptr || out == nullptr) {
    std::fputs("Usage: veltrix --report-from RECORDING --out FILE [--partial]\n", stderr);
    return 2;
  }
  // No display is needed: the window is never shown.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  QTextStream messages(stderr);
  return ReportFromRecording(QString::fromLocal8Bit(recording), QString::fromLocal8Bit(out), messages, partial);
}

// Measuring another display than the start-up's: VELTRIX_PROBE_DISPLAY
// names an item of "Harmonics Display Options" (0 "Waveform", 1
// "Histogram", 2 "Table"), chosen as an operator's click would once the
// start-up's set-up has gone out and records stream (it ends on "Waveform").
void ChooseMeasuredDisplay(Tqx7300form& window, const EventLoopProbe& probe) {
  bool valid = false;
  const int item = qEnvironmentVariableIntValue("VELTRIX_PROBE_DISPLAY", &valid);
  if (!valid) return;
  auto* poll = new QTimer(&window);
  QObject::connect(poll, &QTimer::timeout, &window, [&window, &probe, poll, item] {
    constexpr quint64 kTwoSecondsOfRecords = 56;
    if (!window.Shell().StartupComplete || probe.Records() < kTwoSecondsOfRecords) return;
    poll->stop();
    poll->deleteLater();
    window.Form().RadioGroup1->SetItemIndex(item);
  });
  poll->start(100);
}

}  // namespace

int main(int argc, char** argv) {
  if (const int answered = AnswerInformationRequest(argc, argv); answered >= 0) return answered;
  if (const int answered = AnswerAnalysisRequest(argc, argv); answered >= 0) return answered;
  if (const int answered = AnswerReportRequest(argc, argv); answered >= 0) return answered;
  if (const int answered = AnswerHistoryRequest(argc, argv); answered >= 0) return answered;

  // Ties the windows to the desktop entry and its icon where one is installed.
  VeltrixApplication::setDesktopFileName(QStringLiteral(VELTRIX_APP_ID));
  VeltrixApplication application(argc, argv);
  application.setWindowIcon(QIcon::fromTheme(QStringLiteral(VELTRIX_APP_ID)));
  QtOperatorDialogs dialogs;
  application.SetDialogs(&dialogs);

  VeltrixProgram program(dialogs);
  dialogs.SetParentWindow(&program.MainWindow());
  CloseOnTerminationSignals(&program.MainWindow());
  program.ShowMainWindow();
  // Figures for measuring the whole program, when VELTRIX_PROBE asks for them.
  const std::unique_ptr<EventLoopProbe> probe = EventLoopProbe::FromEnvironment();
  if (probe) ChooseMeasuredDisplay(program.MainWindow(), *probe);
  return application.exec();
}
