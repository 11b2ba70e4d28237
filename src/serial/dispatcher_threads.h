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
  // The thread's name as the system shows it (at most 15 characters).
  virtual const char* Name() const = 0;
  TBaseDispatcher& dispatcher_;

private:
  void Run();

  std::thread thread_;
  std::mutex mutex_;
  std::condition_variable started_;
  bool running_ = false;
};

// The receive thread: waits on the device, moves its bytes into the receive
// ring and posts the notifications.
class TComThread : public TDispatcherThread {
public:
  using TDispatcherThread::TDispatcherThread;

protected:
  void Execute() override;
  const char* Name() const override;
};

// Writes the output ring to the device.
class TOutThread : public TDispatcherThread {
public:
  using TDispatcherThread::TDispatcherThread;

protected:
  void Execute() override;
  const char* Name() const override;
};
