#include "link/rx_line_framer.h"

#include <utility>

bool RxLineFramer::Feed(char ch, QByteArray* completed) {
  if (ch == '!') {
    rxLine_.clear();
    rxLine_.append(ch);
    return false;
  }
  if (rxLine_.size() >= kMaxLine) rxLine_.clear();
  rxLine_.append(ch);
  if (ch != '\n') return false;
  // Handing the line over before it is processed leaves the framer empty,
  // so a notification that arrives while the line is being handled (a modal
  // box, a wait) gathers its own line without touching this one.
  *completed = std::exchange(rxLine_, QByteArray());
  rxLine_.reserve(2048);
  return true;
}
