// The serial receive path against the line it serves: throughput from the
// pseudo-terminal through the dispatcher to a handler, latency from a byte
// written to the handler entered, and the CPU an open port costs when idle.

#include "bench_support.h"
#include "support/pty_analyser.h"

#include "serial/serial_port.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QRandomGenerator>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <sys/resource.h>
#include <thread>
#include <vector>

namespace {

constexpr double kLineRateBytesPerSecond = 11520.0;

using Clock = BenchClock;

struct TRig {
  TComFolder folder;
  TPtyAnalyser analyser;
  TSerialPort port;

  bool Open() {
    if (!folder.Valid() || !analyser.Valid() || !folder.Link("COM1", analyser.SlavePath()))
      return false;
    ConfigureLikeTheProgram(port, 1);
    port.SetOpen(true);
    return port.Open();
  }
};

double ProcessCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void BM_Throughput(benchmark::State& state) {
  TRig rig;
  if (!rig.Open()) {
    state.SkipWithError("no pseudo-terminal");
    return;
  }
  const qsizetype size = state.range(0);
  QByteArray payload(size, Qt::Uninitialized);
  QRandomGenerator random(5);
  for (qsizetype i = 0; i < size; ++i)
    payload[i] = char(random.bounded(256));
  qsizetype received = 0;
  rig.port.SetOnTriggerAvail([&](TSerialPort& sender, quint16 count) {
    for (int i = 0; i < count; ++i)
      sender.ReceiveChar();
    received += count;
  });
  double seconds = 0;
  for (auto _ : state) {
    received = 0;
    const auto start = Clock::now();
    TBackgroundWriter writer(rig.analyser, payload, 11);
    if (!RunUntil([&] { return received >= size; }, std::chrono::seconds(60))) {
      state.SkipWithError("bytes missing");
      return;
    }
    seconds += std::chrono::duration<double>(Clock::now() - start).count();
  }
  state.SetBytesProcessed(state.iterations() * size);
  // How many times faster than the line can ever deliver.
  state.counters["times_line_rate"] =
      double(state.iterations() * size) / seconds / kLineRateBytesPerSecond;
}
BENCHMARK(BM_Throughput)->Arg(1 << 20)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_Latency(benchmark::State& state) {
  TRig rig;
  if (!rig.Open()) {
    state.SkipWithError("no pseudo-terminal");
    return;
  }
  Clock::time_point entered;
  bool arrived = false;
  rig.port.SetOnTriggerAvail([&](TSerialPort& sender, quint16 count) {
    entered = Clock::now();
    arrived = true;
    for (int i = 0; i < count; ++i)
      sender.ReceiveChar();
  });
  std::vector<double> samples;
  for (auto _ : state) {
    arrived = false;
    const Clock::time_point sent = Clock::now();
    rig.analyser.WriteAll("!");
    if (!RunUntil([&] { return arrived; }, std::chrono::seconds(5))) {
      state.SkipWithError("byte missing");
      return;
    }
    samples.push_back(std::chrono::duration<double, std::micro>(entered - sent).count());
  }
  ReportLatencies(state, std::move(samples));
}
BENCHMARK(BM_Latency)->Iterations(2000)->UseRealTime()->Unit(benchmark::kMicrosecond);

// From a record's line feed written to the handler holding it, with the
// program's event character (the line feed: notified at line ends) and
// without one (Arg 0): how soon a record can be shown once it has come.
void BM_LineEndLatency(benchmark::State& state) {
  TRig rig;
  if (!rig.Open()) {
    state.SkipWithError("no pseudo-terminal");
    return;
  }
  rig.port.SetEventChar(state.range(0) ? '\n' : -1);
  const QByteArray line = '!' + QByteArray(407, 'x') + '\n';
  Clock::time_point ended;
  bool lineEnded = false;
  rig.port.SetOnTriggerAvail([&](TSerialPort& sender, quint16 count) {
    for (int i = 0; i < count; ++i) {
      if (sender.ReceiveChar() == '\n') {
        ended = Clock::now();
        lineEnded = true;
      }
    }
  });
  std::vector<double> samples;
  for (auto _ : state) {
    lineEnded = false;
    rig.analyser.WriteAll(line);
    const Clock::time_point written = Clock::now();
    if (!RunUntil([&] { return lineEnded; }, std::chrono::seconds(5))) {
      state.SkipWithError("line missing");
      return;
    }
    samples.push_back(std::chrono::duration<double, std::micro>(ended - written).count());
  }
  ReportLatencies(state, std::move(samples));
}
BENCHMARK(BM_LineEndLatency)->Arg(0)->Arg(1)->Iterations(1000)->UseRealTime()->Unit(benchmark::kMicrosecond);

// An open port with nothing arriving: its threads must block, not poll.
void BM_IdleOpenPortCpu(benchmark::State& state) {
  TRig rig;
  if (!rig.Open()) {
    state.SkipWithError("no pseudo-terminal");
    return;
  }
  const int seconds = int(state.range(0));
  for (auto _ : state) {
    const double before = ProcessCpuSeconds();
    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
    const double used = ProcessCpuSeconds() - before;
    state.counters["cpu_ms"] = used * 1000.0;
    state.counters["cpu_percent"] = used * 100.0 / seconds;
  }
}
BENCHMARK(BM_IdleOpenPortCpu)->Arg(10)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

// The far end hung up while the main thread was too busy to close the port:
// the worker threads must still not spin.
void BM_HungUpPortCpu(benchmark::State& state) {
  TRig rig;
  if (!rig.Open()) {
    state.SkipWithError("no pseudo-terminal");
    return;
  }
  const int seconds = int(state.range(0));
  for (auto _ : state) {
    rig.analyser.Hangup();
    const double before = ProcessCpuSeconds();
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    const double used = ProcessCpuSeconds() - before;
    state.counters["cpu_ms"] = used * 1000.0;
    state.counters["cpu_percent"] = used * 100.0 / seconds;
    // Now the main thread learns of it and the port closes itself.
    RunUntil([&] { return !rig.port.Open(); }, std::chrono::seconds(5));
  }
  if (rig.port.Open())
    state.SkipWithError("the port did not close after the hang-up");
}
BENCHMARK(BM_HungUpPortCpu)->Arg(5)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv))
    return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
