// Makes a two-hour harmonics recording at the full line rate (the modelled
// analyser through a timed test of 7,200 s, 28 records a second: 201,600
// records) and measures what reading it costs:
//   - `veltrix --report-from` of it: wall time and peak memory;
//   - the review: reading it through, and seeks across it (time, and the
//     longest the event loop was held, which a live window beside it would
//     wait), and the memory it took.
//
//   long_recording [--keep FILE] [--veltrix PATH]
//
// The recording is made once into FILE (default: a temporary folder) and
// reused when FILE exists.
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <cstdio>

#include "analyser.h"
#include "app/qt_operator_dialogs.h"
#include "app/recording_review.h"
#include "load_model.h"
#include "record/recorded_state.h"
#include "record/recording_writer.h"
#include "session/test_document.h"

namespace {

constexpr int kRecordsPerSecond = 28;
constexpr int kSeconds = 7200;

// The commands the document sends go to the modelled analyser, at the time
// the generator stands at.
class AnalyserSink : public CommandSink {
 public:
  explicit AnalyserSink(qx7300emu::Analyser& analyser) : analyser_(analyser) {}
  void SendCommand(const QByteArray& text) override {
    analyser_.Apply(text.toStdString(), now);
    sent.append(text);
  }
  double now = 0.0;
  QList<QByteArray> sent;

 private:
  qx7300emu::Analyser& analyser_;
};

QString Stamp(const QDateTime& time) { return time.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")); }

void MakeRecording(const QString& path) {
  qx7300emu::Analyser analyser(qx7300emu::MakeLoad("smps"));
  AnalyserSink sink(analyser);
  TestDocument document(sink);
  document.SetReplaying();  // the generator writes the recording itself
  StationSetup setup;
  setup.Setup.Edit7 = QString::number(kSeconds);
  setup.Setup.RadioGroup1 = 2;  // the harmonics table: "H" records
  setup.EquipmentUnderTest = QStringLiteral("Bench SMPS");
  setup.SerialNumber = QStringLiteral("LR-1");
  document.SetSetup(setup);
  const QDateTime start = QDateTime::currentDateTime();

  RecordingWriter writer(path);
  const auto entry = [&writer](EntryKind kind, double seconds, const QByteArray& payload) {
    writer.Append({kind, static_cast<quint32>(seconds * 1000.0), payload});
  };
  entry(EntryKind::Begin, 0, Stamp(start).toLatin1());
  entry(EntryKind::State, 0, EncodeState(document.TakeRecordedState()));
  document.SendHarmonicMethod();
  document.SendTestSetup();
  document.DisplayChosen(TestDocument::DisplayGroup::Harmonics);
  document.StartOrAbort();
  entry(EntryKind::Action, 0, QByteArray(kActionStart) + ' ' + Stamp(start).toLatin1());
  for (const QByteArray& command : sink.sent) entry(EntryKind::Sent, 0, command);

  const int records = kSeconds * kRecordsPerSecond + kRecordsPerSecond * 5;  // the results held after it
  for (int k = 1; k <= records; ++k) {
    const double now = static_cast<double>(k) / kRecordsPerSecond;
    sink.now = now;
    QByteArray line = QByteArray::fromStdString(analyser.NextRecord(now));
    if (line.endsWith('\n')) line.chop(1);
    entry(EntryKind::Received, now, line);
    if (k % 20000 == 0) std::fprintf(stderr, "  %d of %d records\n", k, records);
  }
  entry(EntryKind::End, static_cast<double>(records) / kRecordsPerSecond, {});
  writer.Complete();
}

// The longest the event loop could not run a due 5 ms timer, from when it
// is made: what a live window beside the review would wait.
class LoopWatch {
 public:
  LoopWatch() {
    clock_.start();
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      longest_ = std::max(longest_, clock_.restart() - 5);
    });
    timer_.start();
  }
  qint64 Longest() const { return longest_; }

 private:
  QTimer timer_;
  QElapsedTimer clock_;
  qint64 longest_ = 0;
};

long PeakKilobytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

void MeasureReview(const QString& path) {
  const long before = PeakKilobytes();
  QtOperatorDialogs dialogs;
  QElapsedTimer clock;
  clock.start();
  auto* review = new RecordingReview(path, dialogs);
  LoopWatch reading;
  while (!review->ReadThrough()) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  std::printf("review: read through in %.2f s, the event loop held at most %lld ms\n", clock.elapsed() / 1000.0,
              static_cast<long long>(reading.Longest()));
  for (const quint32 minutes : {119u, 30u, 60u, 1u, 118u}) {
    LoopWatch seeking;
    clock.restart();
    review->SeekTo(minutes * 60'000);
    while (review->Seeking()) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    std::printf("review: seek to %u:%02u:00 in %.3f s, the event loop held at most %lld ms\n", minutes / 60,
                minutes % 60, clock.elapsed() / 1000.0, static_cast<long long>(seeking.Longest()));
  }
  std::printf("review: peak memory %.1f MB (%.1f MB before the review)\n", PeakKilobytes() / 1024.0,
              before / 1024.0);
  review->Bar().close();
  QCoreApplication::processEvents();
}

struct ChildCost {
  qint64 milliseconds = 0;
  long peakKilobytes = 0;
  int exitCode = -1;
};

ChildCost RunChild(const QString& program, const QStringList& arguments) {
  QElapsedTimer clock;
  clock.start();
  QProcess child;
  child.setProcessChannelMode(QProcess::ForwardedChannels);
  child.start(program, arguments);
  child.waitForFinished(-1);
  ChildCost cost;
  cost.milliseconds = clock.elapsed();
  cost.exitCode = child.exitCode();
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  cost.peakKilobytes = usage.ru_maxrss;  // the largest child so far: there is one kind
  return cost;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QCommandLineParser parser;
  parser.addOption({QStringLiteral("keep"), QStringLiteral("The recording's file (made when missing)."),
                    QStringLiteral("FILE")});
  parser.addOption({QStringLiteral("veltrix"), QStringLiteral("The program to measure."), QStringLiteral("PATH"),
                    QStringLiteral(QX7300_VELTRIX)});
  parser.process(app);
  QTemporaryDir scratch;
  const QString path = parser.isSet(QStringLiteral("keep")) ? parser.value(QStringLiteral("keep"))
                                                            : scratch.filePath(QStringLiteral("two-hours.qxr"));
  if (!QFileInfo::exists(path)) {
    std::fprintf(stderr, "making %s\n", qPrintable(path));
    QElapsedTimer making;
    making.start();
    MakeRecording(path);
    std::fprintf(stderr, "made in %.1f s\n", making.elapsed() / 1000.0);
  }
  std::printf("recording: %s, %.1f MB compressed\n", qPrintable(path), QFileInfo(path).size() / 1e6);

  const QString out = scratch.filePath(QStringLiteral("REBUILT.TXT"));
  const ChildCost rebuild = RunChild(parser.value(QStringLiteral("veltrix")),
                                     {QStringLiteral("--report-from"), path, QStringLiteral("--out"), out});
  std::printf("--report-from: %.2f s, peak %.1f MB, exit %d\n", rebuild.milliseconds / 1000.0,
              rebuild.peakKilobytes / 1024.0, rebuild.exitCode);
  MeasureReview(path);
  return 0;
}
