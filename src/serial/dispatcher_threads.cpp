#include "serial/dispatcher_threads.h"

#include "serial/base_dispatcher.h"

#include <cerrno>
#include <pthread.h>
#include <system_error>

TDispatcherThread::TDispatcherThread(TBaseDispatcher& dispatcher) : dispatcher_(dispatcher) {}

TDispatcherThread::~TDispatcherThread() { Join(); }

int TDispatcherThread::Start(std::chrono::milliseconds limit) {
  try {
    thread_ = std::thread(&TDispatcherThread::Run, this);
  } catch (const std::system_error& error) {
    return error.code().value() > 0 ? -error.code().value() : -EAGAIN;
  }
  std::unique_lock lock(mutex_);
  if (!started_.wait_for(lock, limit, [this] { return running_; }))
    return -ETIMEDOUT;
  return 0;
}

void TDispatcherThread::Join() {
  if (thread_.joinable())
    thread_.join();
}

void TDispatcherThread::Run() {
  pthread_setname_np(pthread_self(), Name());
  {
    std::lock_guard lock(mutex_);
    running_ = true;
  }
  started_.notify_all();
  Execute();
}

void TComThread::Execute() {
  while (!dispatcher_.Terminating())
    dispatcher_.ReceiveIteration();
}

const char* TComThread::Name() const { return "serial-receive"; }

const char* TOutThread::Name() const { return "serial-output"; }

void TOutThread::Execute() {
  while (!dispatcher_.Terminating())
    dispatcher_.OutputRound();
}
