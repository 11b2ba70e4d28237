#pragma once

class TBaseDispatcher;

// The process-wide list of dispatchers. A dispatcher's handle is its index
// here; a freed slot is reused by the next dispatcher, which is why every
// notification also carries the dispatcher's unique id.
class TDispatcherList {
public:
  // Puts the dispatcher in the first free slot and returns that handle.
  static int Add(TBaseDispatcher* dispatcher);
  static void Remove(int handle);
  // The dispatcher at handle, or nullptr.
  static TBaseDispatcher* Find(int handle);
  static int ActiveCount();
};
