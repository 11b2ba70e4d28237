#pragma once
// What the benchmarks that wait on the line share: running the event loop
// until something has happened, and latency figures.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QEventLoop>

#include <algorithm>
#include <chrono>
#include <vector>

using BenchClock = std::chrono::steady_clock;

// Runs the event loop until done() or the limit.
template <typename TDone>
bool RunUntil(TDone done, std::chrono::milliseconds limit) {
  const auto deadline = BenchClock::now() + limit;
  while (!done()) {
    if (BenchClock::now() > deadline)
      return false;
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents | QEventLoop::AllEvents, 20);
  }
  return true;
}

// Median, 99th percentile and largest of latencies in microseconds.
inline void ReportLatencies(benchmark::State& state, std::vector<double> samples) {
  std::sort(samples.begin(), samples.end());
  state.counters["median_us"] = samples[samples.size() / 2];
  state.counters["p99_us"] = samples[std::min(samples.size() - 1, samples.size() * 99 / 100)];
  state.counters["max_us"] = samples.back();
}
