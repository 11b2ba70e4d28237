#include "serial/delivery_ticket.h"

bool TDeliveryTicket::Begin() {
  std::lock_guard lock(mutex_);
  if (state_ != TState::Pending)
    return false;
  state_ = TState::Running;
  return true;
}

void TDeliveryTicket::Finish() {
  {
    std::lock_guard lock(mutex_);
    if (state_ == TState::Running)
      state_ = TState::Finished;
  }
  changed_.notify_all();
}

bool TDeliveryTicket::Running() {
  std::lock_guard lock(mutex_);
  return state_ == TState::Running;
}

bool TDeliveryTicket::WaitFinished(std::chrono::milliseconds limit) {
  std::unique_lock lock(mutex_);
  changed_.wait_for(lock, limit, [this] { return state_ == TState::Finished || cancelled_; });
  if (state_ == TState::Pending)
    state_ = TState::Abandoned;
  return state_ == TState::Finished;
}

void TDeliveryTicket::Cancel() {
  {
    std::lock_guard lock(mutex_);
    cancelled_ = true;
  }
  changed_.notify_all();
}
