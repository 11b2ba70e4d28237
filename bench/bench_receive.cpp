// The receive-to-display path of the main window, one record at a time:
// framing, the common section with the status and meter panels, and the
// record bodies with their models, report rows and graphs; and a record's
// way from the line to the screen.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLabel>
#include <QDir>
#include <QTemporaryDir>

#include "app/qx7300main.h"
#include "app/radio_group.h"
#include "bench_support.h"
#include "serial/serial_port.h"
#include "support/pty_analyser.h"
#include "support/record_builder.h"
#include "support/scripted_operator_dialogs.h"
#include "ui_qx7300main.h"

namespace {

// The analyser's rate for a record of this many bytes at 115200 baud,
// ten bits a character.
double RecordsPerSecondOnTheLine(qsizetype bytes) { return 11520.0 / static_cast<double>(bytes); }

// Live readings move from record to record: `scale` varies the values.
QByteArray HarmonicsRecord(double scale = 1.0) {
  RecordBuilder record;
  record.currentRange = "7";
  QByteArray values;
  for (int group = 1; group <= 4; ++group) {
    const double factor = group == 1 ? 1.0 : scale;
    for (int q = 1; q <= 40; ++q) {
      values += QByteArray::number(factor * 100.0 / (q + group), 'f', 2).rightJustified(6, ' ') + ',';
    }
  }
  values = values.leftJustified(1123, ' ');
  QByteArray verdicts = "R";
  for (int n = 2; n <= 40; ++n) verdicts += n % 7 == 0 ? '1' : '0';
  return record.Line('L', values + verdicts);
}

QByteArray WaveformRecord(int phase = 0, const QByteArray& voltsRms = "V230.1") {
  QList<quint8> samples;
  for (int k = 0; k < 301; ++k) samples << static_cast<quint8>(144 + 90 * std::sin((k + phase) * 2 * M_PI / 300));
  for (quint8& s : samples) {
    if (s == 10 || s == 33) ++s;
  }
  RecordBuilder record;
  record.voltsRms = voltsRms;
  return record.Waveform('V', samples);
}

QByteArray FlickerRecord() {
  QMap<int, QByteArray> fields{{17, "D0.12"}, {18, "0.40"}, {19, "-0.30"}, {20, "1"}, {21, "2.5"}, {22, "1.2"},
                               {23, "-0.6"}, {24, "0.1"},  {25, "3.21"},  {26, "0"}, {27, "2.9"}, {28, "0"},
                               {29, "0.0"},  {30, "0.1"},  {31, "0.2"},   {32, "-0.5"}, {34, "1.1"}, {35, "0"},
                               {36, "1.3"},  {37, "1.39"}, {54, "3"},     {67, "0.68"}};
  for (int k = 38; k <= 52; ++k) fields[k] = QByteArray::number(1.5 - k * 0.02, 'f', 3);
  for (int k = 55; k <= 66; ++k) fields[k] = QByteArray::number(0.5 + k * 0.01, 'f', 3);
  return RecordBuilder().Line('H', FlickerBody(fields));
}

void Feed(Tqx7300form& window, const QByteArray& line) {
  qsizetype position = 0;
  window.ConsumeReceived(static_cast<quint16>(line.size()),
                         [&]() -> quint8 { return static_cast<quint8>(line[position++]); });
}

struct Window {
  Window() : window(dialogs) {
    window.starttimer().stop();
    window.clocktimer().stop();
    window.show();
  }
  ScriptedOperatorDialogs dialogs;
  Tqx7300form window;
};

// Feeds the lines in turn, one a iteration.
void Measure(benchmark::State& state, Window& w, const QList<QByteArray>& lines) {
  qsizetype next = 0;
  for (auto _ : state) {
    Feed(w.window, lines[next]);
    next = (next + 1) % lines.size();
  }
  state.counters["records_per_s"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                                       benchmark::Counter::kIsRate);
  state.counters["line_rate_records_per_s"] = RecordsPerSecondOnTheLine(lines.front().size());
}

void BM_StatusRecord(benchmark::State& state) {
  static Window& w = *new Window;  // lives to the end: no window outlives the application
  RecordBuilder record;
  record.status = "T  120";
  Measure(state, w, {record.Waveform('I', QList<quint8>(301, 150))});
}

void BM_WaveformRecord(benchmark::State& state) {
  static Window& w = *new Window;  // lives to the end: no window outlives the application
  // The trace moves on each record, as a live one does.
  Measure(state, w, {WaveformRecord(0), WaveformRecord(7), WaveformRecord(3)});
}

// The same while a test is recorded: each line also handed to the
// recording's writer thread (the set-up compared, the line copied).
void BM_WaveformRecordRecorded(benchmark::State& state) {
  static QTemporaryDir folder;
  static const bool entered = QDir::setCurrent(folder.path());
  static Window& w = *new Window;  // lives to the end: no window outlives the application
  if (!entered) state.SkipWithError("no working folder for the recording");
  w.window.StartOrAbort();
  Measure(state, w, {WaveformRecord(0), WaveformRecord(7), WaveformRecord(3)});
}

void BM_HarmonicsRecordHistogram(benchmark::State& state) {
  static Window& w = *new Window;  // lives to the end: no window outlives the application
  w.window.Form().RadioGroup1->SetItemIndex(1);
  // Every present value changes on each record; the limits stay.
  Measure(state, w, {HarmonicsRecord(1.0), HarmonicsRecord(1.05), HarmonicsRecord(0.97)});
}

// A flicker record with the flicker tables shown and the two-hour test on:
// fields, summary, report rows and the visible grid rewritten.
void BM_FlickerRecordTables(benchmark::State& state) {
  static Window& w = *new Window;  // lives to the end: no window outlives the application
  w.window.Shell().StartupComplete = true;
  w.window.Form().ComboBox1->setCurrentIndex(1);
  w.window.ReinitialiseForStandard();
  w.window.Form().CheckBox5->setChecked(true);
  w.window.Form().RadioGroup2->SetItemIndex(2);
  Measure(state, w, {FlickerRecord()});
}

// The window's paint with the waveform shown: layout put back and the kept
// graph copied.
void BM_FormPaint(benchmark::State& state) {
  static Window& w = *new Window;  // lives to the end: no window outlives the application
  w.window.Shell().StartupComplete = true;
  w.window.ReinitialiseForStandard();
  for (auto _ : state) w.window.FormPaint();
}

// Notes when a label is painted showing the text it waits for.
class PaintWatch : public QObject {
 public:
  explicit PaintWatch(QLabel* label) : label_(label) { label->installEventFilter(this); }
  void Expect(const QString& text) {
    expected_ = text;
    painted_ = false;
  }
  bool Painted() const { return painted_; }
  BenchClock::time_point When() const { return when_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == label_ && event->type() == QEvent::Paint && !painted_ && label_->text() == expected_) {
      when_ = BenchClock::now();
      painted_ = true;
    }
    return false;
  }

 private:
  QLabel* label_;
  QString expected_;
  bool painted_ = false;
  BenchClock::time_point when_;
};

// From a waveform record's line feed written on a pseudo-terminal to its
// new RMS voltage painted on the meter panel: the port set up as the
// program sets up its own (the line feed as event character), the window's
// handling of the record, and the paint.
void BM_RecordToScreen(benchmark::State& state) {
  static Window& w = *new Window;  // lives to the end: no window outlives the application
  TComFolder folder;
  TPtyAnalyser analyser;
  TSerialPort port;
  if (!folder.Valid() || !analyser.Valid() || !folder.Link("COM1", analyser.SlavePath())) {
    state.SkipWithError("no pseudo-terminal");
    return;
  }
  ConfigureLikeTheProgram(port, 1);
  port.SetOnTriggerAvail([](TSerialPort& sender, quint16 count) { w.window.SerialPort1TriggerAvail(sender, count); });
  port.SetOpen(true);
  if (!port.Open()) {
    state.SkipWithError("the port did not open");
    return;
  }
  PaintWatch watch(w.window.Form().Label42);
  int n = 0;
  // One record's way; false when its reading was never painted.
  const auto oneRecord = [&](double& microseconds) {
    const QByteArray volts = QByteArray::number(200.0 + (++n % 500) / 10.0, 'f', 1);
    watch.Expect(QString::fromLatin1(volts));
    analyser.WriteAll(WaveformRecord(n % 300, 'V' + volts));
    const BenchClock::time_point written = BenchClock::now();
    if (!RunUntil([&] { return watch.Painted(); }, std::chrono::seconds(5))) return false;
    microseconds = std::chrono::duration<double, std::micro>(watch.When() - written).count();
    return true;
  };
  // The first records after start-up fill the font and glyph caches: the
  // very first is shown apart, the next two not counted.
  double firstRecord = 0;
  double warmUp = 0;
  oneRecord(firstRecord);
  oneRecord(warmUp);
  oneRecord(warmUp);
  std::vector<double> samples;
  for (auto _ : state) {
    if (!oneRecord(samples.emplace_back())) {
      state.SkipWithError("the reading was not painted");
      return;
    }
  }
  state.counters["first_record_us"] = firstRecord;
  ReportLatencies(state, std::move(samples));
}

}  // namespace

BENCHMARK(BM_RecordToScreen)->Iterations(500)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FormPaint)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK(BM_FlickerRecordTables)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK(BM_StatusRecord)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK(BM_WaveformRecord)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK(BM_WaveformRecordRecorded)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK(BM_HarmonicsRecordHistogram)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly();

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
