#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

// The hand-shake of one synchronous notification between the dispatch thread
// (which waits with a time limit) and the main thread (which runs the
// handler). Once the waiter has given up, a notification still queued on the
// main thread is abandoned instead of running late with a stale count.
class TDeliveryTicket {
public:
  // Main thread, before the handler: false when the waiter has given up.
  bool Begin();
  // Main thread, after the handler (also when it threw).
  void Finish();
  // True from a successful Begin() until Finish(): the handler is running.
  bool Running();

  // Dispatch thread: waits until Finish(), Cancel() or the limit. A ticket
  // whose handler has not started by then is abandoned. True when finished.
  bool WaitFinished(std::chrono::milliseconds limit);
  // Any thread: ends a wait early (the port is closing).
  void Cancel();

private:
  enum class TState { Pending, Running, Finished, Abandoned };
  std::mutex mutex_;
  std::condition_variable changed_;
  TState state_ = TState::Pending;
  bool cancelled_ = false;
};
