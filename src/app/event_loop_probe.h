#pragma once

#include <QElapsedTimer>
#include <QFile>
#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <memory>

// A measuring point for runs of the whole program, off unless asked for.
// With the environment variable VELTRIX_PROBE naming a file, the program
// appends to that file once a second one line
//
//   t_s=12.0 records=3456 longest_block_ms=21.4 period_block_ms=3.2
//
// t_s: seconds since the probe started; records: received lines the main
// window has handled so far; longest_block_ms: the longest time the event
// loop could not run a due timer since the probe started (the gap between
// two runs of a 10 ms timer, less those 10 ms); period_block_ms: the same,
// within the period since the line before. Without the variable no probe
// exists, and counting a record is one test of a null pointer.
class EventLoopProbe {
 public:
  static constexpr std::chrono::milliseconds kTick{10};
  static constexpr std::chrono::milliseconds kReportPeriod{1000};
  static constexpr const char* kEnvironmentVariable = "VELTRIX_PROBE";

  // The probe the environment asks for, already running; null without one.
  static std::unique_ptr<EventLoopProbe> FromEnvironment();

  // Runs from now, appending to the file at `filePath` every `reportPeriod`
  // and once more when it ends. Only one probe runs at a time: records
  // count into the newest.
  explicit EventLoopProbe(const QString& filePath, std::chrono::milliseconds reportPeriod = kReportPeriod);
  ~EventLoopProbe();

  EventLoopProbe(const EventLoopProbe&) = delete;
  EventLoopProbe& operator=(const EventLoopProbe&) = delete;

  // One received line handled; counted by the running probe, if there is one.
  static void CountRecord() {
    if (running_ != nullptr) ++running_->records_;
  }

  quint64 Records() const { return records_; }
  double LongestBlockMs() const { return Milliseconds(longestBlockNs_); }

 private:
  static double Milliseconds(qint64 ns) { return static_cast<double>(ns) / 1e6; }
  void Tick();
  void WriteLine();

  static inline EventLoopProbe* running_ = nullptr;
  EventLoopProbe* previous_ = nullptr;

  QFile file_;
  QTimer timer_;
  QElapsedTimer clock_;
  qint64 lastTickNs_ = 0;
  qint64 lastLineNs_ = 0;
  qint64 reportPeriodNs_ = 0;
  qint64 longestBlockNs_ = 0;
  qint64 periodBlockNs_ = 0;
  quint64 records_ = 0;
};
