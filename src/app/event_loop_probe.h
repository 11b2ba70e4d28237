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
//   t_s=12.0 records=3456 longest_block_ms=21.4 period_block_ms=3.2 notifications=3456 repaints=10368
//
// t_s: seconds since the probe started; records: received lines the main
// window has handled so far; longest_block_ms: the longest time the event
// loop could not run a due timer since the probe started (the gap between
// two runs of a 10 ms timer, less those 10 ms); period_block_ms: the same,
// within the period since the line before; notifications: bytes-available
// notifications handled; repaints: paint events of the program's widgets.
// The blocks need the 10 ms timer, which wakes the program 100 times a
// second; with VELTRIX_PROBE_BLOCKS=0 it does not run (both block figures
// stay 0) and the probe only counts, for measuring the program's wake-ups.
// Without VELTRIX_PROBE no probe exists, and counting is one test of a null
// pointer.
class EventLoopProbe : public QObject {
 public:
  static constexpr std::chrono::milliseconds kTick{10};
  static constexpr std::chrono::milliseconds kReportPeriod{1000};
  static constexpr const char* kEnvironmentVariable = "VELTRIX_PROBE";
  static constexpr const char* kBlocksVariable = "VELTRIX_PROBE_BLOCKS";

  // The probe the environment asks for, already running; null without one.
  static std::unique_ptr<EventLoopProbe> FromEnvironment();

  // Runs from now, appending to the file at `filePath` every `reportPeriod`
  // and once more when it ends; blocks are measured when asked. Only one
  // probe runs at a time: records count into the newest.
  explicit EventLoopProbe(const QString& filePath, std::chrono::milliseconds reportPeriod = kReportPeriod,
                          bool measureBlocks = true);
  ~EventLoopProbe();

  EventLoopProbe(const EventLoopProbe&) = delete;
  EventLoopProbe& operator=(const EventLoopProbe&) = delete;

  // One received line handled; counted by the running probe, if there is one.
  static void CountRecord() {
    if (running_ != nullptr) ++running_->records_;
  }
  // One bytes-available notification handled.
  static void CountNotification() {
    if (running_ != nullptr) ++running_->notifications_;
  }

  quint64 Records() const { return records_; }
  quint64 Repaints() const { return repaints_; }
  double LongestBlockMs() const { return Milliseconds(longestBlockNs_); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  static double Milliseconds(qint64 ns) { return static_cast<double>(ns) / 1e6; }
  void Tick();
  void WriteLine();

  static inline EventLoopProbe* running_ = nullptr;
  EventLoopProbe* previous_ = nullptr;

  QFile file_;
  QTimer timer_;
  bool measureBlocks_ = true;
  QElapsedTimer clock_;
  qint64 lastTickNs_ = 0;
  qint64 lastLineNs_ = 0;
  qint64 reportPeriodNs_ = 0;
  qint64 longestBlockNs_ = 0;
  qint64 periodBlockNs_ = 0;
  quint64 records_ = 0;
  quint64 notifications_ = 0;
  quint64 repaints_ = 0;
};
