#pragma once

#include <mutex>

// The hand-shake of one bytes-available notification between the receive
// thread (which posts it and holds it to a time limit) and the main thread
// (which runs the handler). Once the limit has passed, a notification still
// queued on the main thread is abandoned instead of running late with a
// stale count.
class TDeliveryTicket {
public:
  // Main thread, before the handler: false when the ticket was abandoned.
  bool Begin();
  // Main thread, after the handler (also when it threw).
  void Finish();
  // True from a successful Begin() until Finish(): the handler is running.
  bool Running();
  // Receive thread, at the time limit: a handler not yet started never will;
  // one that runs is left to finish. True when the handler has returned.
  bool GiveUp();

private:
  enum class TState { Pending, Running, Finished, Abandoned };
  std::mutex mutex_;
  TState state_ = TState::Pending;
};
