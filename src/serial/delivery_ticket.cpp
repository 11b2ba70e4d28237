#include "serial/delivery_ticket.h"

bool TDeliveryTicket::Begin() {
  std::lock_guard lock(mutex_);
  if (state_ != TState::Pending)
    return false;
  state_ = TState::Running;
  return true;
}

void TDeliveryTicket::Finish() {
  std::lock_guard lock(mutex_);
  if (state_ == TState::Running)
    state_ = TState::Finished;
}

bool TDeliveryTicket::Running() {
  std::lock_guard lock(mutex_);
  return state_ == TState::Running;
}

bool TDeliveryTicket::GiveUp() {
  std::lock_guard lock(mutex_);
  if (state_ == TState::Pending)
    state_ = TState::Abandoned;
  return state_ == TState::Finished;
}
