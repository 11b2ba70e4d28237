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
  static std::vector<TBaseDispatcher*> table;
  return table;
}

}  // namespace

int TDispatcherList::Add(TBaseDispatcher* dispatcher) {
  std::lock_guard lock(ListLock());
  auto& table = Slots();
  const auto freeSlot = std::find(table.begin(), table.end(), nullptr);
  if (freeSlot != table.end()) {
    *freeSlot = dispatcher;
    return static_cast<int>(freeSlot - table.begin());
  }
  table.push_back(dispatcher);
  return static_cast<int>(table.size() - 1);
}

void TDispatcherList::Remove(int handle) {
  std::lock_guard lock(ListLock());
  auto& table = Slots();
  if (handle >= 0 && handle < static_cast<int>(table.size()))
    table[handle] = nullptr;
}

TBaseDispatcher* TDispatcherList::Find(int handle) {
  std::lock_guard lock(ListLock());
  const auto& table = Slots();
  if (handle < 0 || handle >= static_cast<int>(table.size()))
    return nullptr;
  return table[handle];
}

int TDispatcherList::ActiveCount() {
  std::lock_guard lock(ListLock());
  const auto& table = Slots();
  return static_cast<int>(std::count_if(table.begin(), table.end(),
                                        [](const TBaseDispatcher* d) { return d != nullptr; }));
}
