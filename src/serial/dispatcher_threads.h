#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

class TBaseDispatcher;

// A worker thread of a dispatcher. Start() returns once the thread has
// signalled that it runs (or the limit has passed); the owner ends it by
// making the dispatcher terminate and then calling Join(), before the object
// is destroyed (the destructor's own join is only a safety net).
class TDispatcherThread {
public:
  explicit TDispatcherThread(TBaseDispatcher& dispatcher);
  virtual ~TDispatcherThread();
  TDispatcherThread(const TDispatcherThread&) = delete;
  TDispatcherThread& operator=(const TDispatcherThread&) = delete;

  // 0, or a negated errno when the thread could not be started in time.
  int Start(std::chrono::milliseconds limit);
  void Join();

protected:
  virtual void Execute() = 0;
  TBaseDispatcher& dispatcher_;

private:
  void Run();

  std::thread thread_;
  std::mutex mutex_;
  std::condition_variable started_;
  bool running_ = false;
};

// Waits on the device for events and hands each to the dispatch thread;
// with an event character set, it takes the pieces of a line into the ring
// itself and hands over only the line's end.
class TComThread : public TDispatcherThread {
public:
  using TDispatcherThread::TDispatcherThread;

protected:
  void Execute() override;
};

// Moves received bytes into the receive ring and delivers notifications.
class TDispThread : public TDispatcherThread {
public:
  using TDispatcherThread::TDispatcherThread;

protected:
  void Execute() override;
};

// Writes the output ring to the device.
class TOutThread : public TDispatcherThread {
public:
  using TDispatcherThread::TDispatcherThread;

protected:
  void Execute() override;
};
