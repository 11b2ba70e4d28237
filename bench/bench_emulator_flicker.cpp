// The emulator's flickermeter: how many seconds of supply it gets through in
// a second of CPU. Under --speed the analyser feeds it that many times more
// signal than the wall clock gives, so this sets how far time can be
// compressed; the whole measurement path (voltage changes, harmonics and the
// flickermeter together) is measured alongside.

#include "analyser.h"
#include "flicker_meter.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

namespace {

constexpr double kSignalSeconds = 60.0;

// A minute of envelope: rectangular changes of 0.407 % at 1620 a minute.
std::vector<double> RectangularEnvelope() {
  const double rate = qx7300emu::FlickerMeter::SampleRate;
  std::vector<double> envelope(static_cast<std::size_t>(kSignalSeconds * rate));
  for (std::size_t k = 0; k < envelope.size(); ++k) {
    const long change = static_cast<long>(std::floor(k / rate * 1620.0 / 60.0));
    envelope[k] = change % 2 == 0 ? 1.002035 : 0.997965;
  }
  return envelope;
}

void BM_FlickerMeter(benchmark::State& state) {
  const std::vector<double> envelope = RectangularEnvelope();
  qx7300emu::FlickerMeter meter;
  for (auto _ : state) {
    for (double sample : envelope)
      meter.Feed(sample);
    benchmark::DoNotOptimize(meter.Sensation());
  }
  benchmark::DoNotOptimize(meter.IntervalPst(1));
  // Divided by the CPU time: seconds of signal per second of CPU.
  state.counters["signal_s_per_cpu_s"] =
      benchmark::Counter(kSignalSeconds * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FlickerMeter)->Unit(benchmark::kMillisecond);

void BM_AnalyserMeasurement(benchmark::State& state) {
  qx7300emu::Analyser analyser(qx7300emu::MakeLoad("rectangular:1620:0.407"));
  analyser.Apply("R:F;", 0.0);
  double now = 0.0;
  for (auto _ : state) {
    now += kSignalSeconds;
    analyser.Advance(now);
  }
  benchmark::DoNotOptimize(analyser.Flicker().IntervalPst(1));
  state.counters["signal_s_per_cpu_s"] =
      benchmark::Counter(kSignalSeconds * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_AnalyserMeasurement)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
