#include "serial/dispatcher_list.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace {

std::mutex& ListLock() {
  static std::mutex lock;
  return lock;
}

std::vector<TBaseDispatcher*>& Slots() {
  static std::vector<TBaseDispatcher*> slots;
  return slots;
}

}  // namespace

int TDispatcherList::Add(TBaseDispatcher* dispatcher) {
  std::lock_guard lock(ListLock());
  auto& slots = Slots();
  const auto freeSlot = std::find(slots.begin(), slots.end(), nullptr);
  if (freeSlot != slots.end()) {
    *freeSlot = dispatcher;
    return static_cast<int>(freeSlot - slots.begin());
  }
  slots.push_back(dispatcher);
  return static_cast<int>(slots.size() - 1);
}

void TDispatcherList::Remove(int handle) {
  std::lock_guard lock(ListLock());
  auto& slots = Slots();
  if (handle >= 0 && handle < static_cast<int>(slots.size()))
    slots[handle] = nullptr;
}

TBaseDispatcher* TDispatcherList::Find(int handle) {
  std::lock_guard lock(ListLock());
  const auto& slots = Slots();
  if (handle < 0 || handle >= static_cast<int>(slots.size()))
    return nullptr;
  return slots[handle];
}

int TDispatcherList::ActiveCount() {
  std::lock_guard lock(ListLock());
  const auto& slots = Slots();
  return static_cast<int>(std::count_if(slots.begin(), slots.end(),
                                        [](const TBaseDispatcher* d) { return d != nullptr; }));
}
