// A two-hour continuous flicker test with the two-hour Plt, run through the
// main window against the analyser emulator while the program's resident
// memory is sampled. The emulator's clock runs --speed times faster, so the
// test's two hours pass in 7200/speed seconds; the line keeps its pace, so
// the program handles as many records a second as in a real test.
//
// Build with -DVELTRIX_BUILD_BENCH=ON, then for example
//   build-whole/bench/long_run                 # speed 12: about ten minutes
//   build-whole/bench/long_run --speed 60      # two minutes
//
// At the end it prints the report lines of the flicker results (the twelve
// Pst intervals and the Plt) and the memory series: first sample, the
// sample at the mark (after the start-up's allocations have settled), last,
// largest, and the growth from the mark to the end in MB and as MB an hour.
// The memory is "flat" when that growth is below --flat-mb.
//
// Exit status: 0 when every interval and the Plt arrived, 1 when some did
// not, 2 when the set-up failed (no emulator, no connection, no test).
#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <optional>
#include <vector>

#include "app/program.h"
#include "app/qx7300main.h"
#include "emulator_process.h"
#include "link/decimal_text.h"
#include "support/scripted_operator_dialogs.h"
#include "support/test_working_folder.h"
#include "ui_qx7300main.h"

namespace {

constexpr int kTestSeconds = 7200;
constexpr int kIntervals = 12;
const QString kTestComplete = QStringLiteral("Test Complete. Results Held.");

struct Options {
  double speed = 12.0;
  int sampleSeconds = 5;
  double markMinutes = 2.0;
  double flatMb = 2.0;
};

struct Sample {
  double seconds = 0.0;
  double rssMb = 0.0;
};

// This process's resident memory in MB, from /proc/self/status.
double ResidentMb() {
  QFile status(QStringLiteral("/proc/self/status"));
  if (!status.open(QIODevice::ReadOnly)) return 0.0;
  for (const QByteArray& line : status.readAll().split('\n')) {
    if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
  }
  return 0.0;
}

// Runs the event loop until `done` holds or `limit` has passed.
bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  if (done()) return true;
  QEventLoop loop;
  QTimer check;
  check.setInterval(100);
  QObject::connect(&check, &QTimer::timeout, &loop, [&] {
    if (done()) loop.quit();
  });
  QTimer::singleShot(limit, &loop, &QEventLoop::quit);
  check.start();
  loop.exec();
  return done();
}

std::optional<Options> ParseOptions(const QApplication& application) {
  QCommandLineParser parser;
  parser.setApplicationDescription(
      QStringLiteral("A two-hour flicker test with the two-hour Plt against the emulator, sampling memory."));
  parser.addHelpOption();
  const QCommandLineOption speed(QStringLiteral("speed"),
                                 QStringLiteral("The analyser's clock runs N times faster (default 12: 10 minutes)."),
                                 QStringLiteral("N"), QStringLiteral("12"));
  const QCommandLineOption sample(QStringLiteral("sample-every"), QStringLiteral("Seconds between memory samples (default 5)."),
                                  QStringLiteral("S"), QStringLiteral("5"));
  const QCommandLineOption mark(QStringLiteral("mark-minutes"),
                                QStringLiteral("Growth is counted from this many minutes into the test (default 2)."),
                                QStringLiteral("M"), QStringLiteral("2"));
  const QCommandLineOption flat(QStringLiteral("flat-mb"),
                                QStringLiteral("Growth below this many MB counts as flat (default 2)."),
                                QStringLiteral("MB"), QStringLiteral("2"));
  parser.addOptions({speed, sample, mark, flat});
  parser.process(application);
  Options options;
  bool ok[4] = {};
  options.speed = parser.value(speed).toDouble(&ok[0]);
  options.sampleSeconds = parser.value(sample).toInt(&ok[1]);
  options.markMinutes = parser.value(mark).toDouble(&ok[2]);
  options.flatMb = parser.value(flat).toDouble(&ok[3]);
  if (!ok[0] || !ok[1] || !ok[2] || !ok[3] || options.speed <= 0 || options.speed > 100000 ||
      options.sampleSeconds < 1 || options.markMinutes < 0 || options.flatMb <= 0) {
    std::fprintf(stderr, "long_run: --speed, --sample-every, --mark-minutes and --flat-mb take positive numbers\n");
    return std::nullopt;
  }
  return options;
}

// The value after `label` in a report line, as a number.
std::optional<double> ValueAfter(const QString& line, const QString& label) {
  const qsizetype at = line.indexOf(label);
  if (at < 0) return std::nullopt;
  return ParseDecimal(QString(line.mid(at + label.size())).remove(QLatin1Char(' ')));
}

// Prints the flicker results of the report; true when the twelve intervals
// and the Plt all carry a number.
bool ReportFlickerResults(const ReportStore& report) {
  const int b = report.BodyStart();
  std::printf("\nReport, flicker results (lines %d to %d):\n", b + 21, b + 38);
  for (int k = b + 21; k <= b + 38; ++k) std::printf("  | %s\n", qPrintable(report.Text(k)));
  int intervals = 0;
  // The interval column starts one row below the first classifier row.
  for (int i = 1; i <= kIntervals; ++i) {
    if (ValueAfter(report.Text(b + 24 + i), QString::number(i).rightJustified(5) + QLatin1Char(':'))) ++intervals;
  }
  const std::optional<double> plt = ValueAfter(report.Text(b + 37), QStringLiteral("Plt ="));
  std::printf("\nPst intervals with a value: %d of %d; Plt: %s\n", intervals, kIntervals,
              plt ? qPrintable(QString::number(*plt, 'f', 3)) : "missing");
  return intervals == kIntervals && plt.has_value();
}

// Least-squares slope of the samples from `from` on, in MB an hour.
double SlopeMbPerHour(const std::vector<Sample>& samples, size_t from) {
  const double n = static_cast<double>(samples.size() - from);
  if (n < 2) return 0.0;
  double st = 0, sm = 0, stt = 0, stm = 0;
  for (size_t k = from; k < samples.size(); ++k) {
    st += samples[k].seconds;
    sm += samples[k].rssMb;
    stt += samples[k].seconds * samples[k].seconds;
    stm += samples[k].seconds * samples[k].rssMb;
  }
  const double denominator = n * stt - st * st;
  return denominator > 0 ? (n * stm - st * sm) / denominator * 3600.0 : 0.0;
}

void ReportMemory(const std::vector<Sample>& samples, const Options& options) {
  if (samples.empty()) return;
  const double markSeconds = options.markMinutes * 60.0;
  size_t mark = 0;
  while (mark + 1 < samples.size() && samples[mark].seconds < markSeconds) ++mark;
  const Sample& first = samples.front();
  const Sample& atMark = samples[mark];
  const Sample& last = samples.back();
  const Sample largest =
      *std::max_element(samples.begin(), samples.end(), [](const Sample& a, const Sample& b) { return a.rssMb < b.rssMb; });
  const double growth = last.rssMb - atMark.rssMb;
  const double hours = (last.seconds - atMark.seconds) / 3600.0;
  std::printf("\nResident memory (VmRSS) of the program, %zu samples every %d s:\n", samples.size(),
              options.sampleSeconds);
  std::printf("  first          %8.1f MB at %6.0f s\n", first.rssMb, first.seconds);
  std::printf("  mark           %8.1f MB at %6.0f s\n", atMark.rssMb, atMark.seconds);
  std::printf("  last           %8.1f MB at %6.0f s\n", last.rssMb, last.seconds);
  std::printf("  largest        %8.1f MB at %6.0f s\n", largest.rssMb, largest.seconds);
  std::printf("  growth mark to end %+7.2f MB, %+.2f MB/hour of wall time (end points)\n", growth,
              hours > 0 ? growth / hours : 0.0);
  std::printf("  least-squares slope from the mark: %+.2f MB/hour of wall time\n", SlopeMbPerHour(samples, mark));
  std::printf("  verdict: %s (flat: growth from the mark below %.1f MB)\n",
              growth < options.flatMb ? "flat" : "GROWING", options.flatMb);
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
  QApplication application(argc, argv);
  const std::optional<Options> parsed = ParseOptions(application);
  if (!parsed) return 2;
  const Options options = *parsed;
  const double wallSeconds = kTestSeconds / options.speed;
  std::printf("Two-hour flicker test with the two-hour Plt, emulator --speed %g: about %.0f s of wall time\n",
              options.speed, wallSeconds);
  std::fflush(stdout);

  TestWorkingFolder folder;
  if (!folder.Valid()) return 2;
  EmulatorProcess emulator(folder.Path(), 1,
                           {QStringLiteral("--speed"), QString::number(options.speed), QStringLiteral("--load"),
                            QStringLiteral("flicker")});
  if (!emulator.Ready()) {
    std::fprintf(stderr, "long_run: the emulator did not start\n");
    return 2;
  }
  WriteSettingsFile(folder.Path(), 1);

  ScriptedOperatorDialogs dialogs;
  VeltrixProgram program(dialogs);
  program.ShowMainWindow();
  Tqx7300form& window = program.MainWindow();
  Ui::Tqx7300form& ui = window.Form();
  // Start-up at once rather than two seconds after the window appears.
  window.starttimerTimer();
  if (!window.Shell().PortConnected ||
      !RunUntil([&] { return !ui.Label42->text().isEmpty(); }, std::chrono::seconds(10))) {
    std::fprintf(stderr, "long_run: the program did not connect to the emulator\n");
    return 2;
  }

  ui.ComboBox1->setCurrentIndex(1);
  window.StandardChanged();
  ui.CheckBox5->setChecked(true);
  if (ui.Edit7->text() != QStringLiteral("7200")) {
    std::fprintf(stderr, "long_run: the two-hour option gives a duration of %s, not 7200\n", qPrintable(ui.Edit7->text()));
    return 2;
  }

  std::vector<Sample> samples;
  QElapsedTimer clock;
  clock.start();
  const auto takeSample = [&] { samples.push_back({static_cast<double>(clock.elapsed()) / 1000.0, ResidentMb()}); };
  takeSample();
  QTimer sampler;
  QObject::connect(&sampler, &QTimer::timeout, takeSample);
  sampler.start(std::chrono::seconds(options.sampleSeconds));
  QTimer progress;
  QObject::connect(&progress, &QTimer::timeout, [&] {
    std::printf("%6.0f s  %-30s %-24s %6.1f MB\n", static_cast<double>(clock.elapsed()) / 1000.0,
                qPrintable(ui.Label59->text()), qPrintable(ui.Label43->text().simplified()), samples.back().rssMb);
    std::fflush(stdout);
  });
  progress.start(std::chrono::seconds(60));

  ui.Button5->click();
  if (!RunUntil([&] { return ui.Label59->text() == QStringLiteral("Test Running"); }, std::chrono::seconds(20))) {
    std::fprintf(stderr, "long_run: the test did not start (status \"%s\")\n", qPrintable(ui.Label59->text()));
    return 2;
  }
  const auto limit = std::chrono::milliseconds(static_cast<qint64>(wallSeconds * 1500.0)) + std::chrono::minutes(2);
  const bool completed = RunUntil([&] { return ui.Label59->text() == kTestComplete; }, limit);
  const double testSeconds = static_cast<double>(clock.elapsed()) / 1000.0;
  takeSample();
  sampler.stop();
  progress.stop();
  std::printf("\nTest %s after %.0f s of wall time (status \"%s\")\n", completed ? "complete" : "NOT complete",
              testSeconds, qPrintable(ui.Label59->text()));

  // The report is built as the results are held; give the last record a moment.
  const ReportStore& report = window.Report();
  RunUntil([&] { return ValueAfter(report.Text(report.BodyStart() + 37), QStringLiteral("Plt =")).has_value(); },
           std::chrono::seconds(5));
  const bool resultsArrived = ReportFlickerResults(report);
  for (const ScriptedOperatorDialogs::Shown& shown : dialogs.shown)
    std::printf("operator box during the run: %s \"%s\"\n", qPrintable(shown.kind), qPrintable(shown.text));
  ReportMemory(samples, options);

  window.close();
  return completed && resultsArrived ? 0 : 1;
}
