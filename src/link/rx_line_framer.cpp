#include "link/rx_line_framer.h"

#include <utility>

bool RxLineFramer::Feed(char ch, QByteArray* completed) {
  if (ch == '!') {
    // Emptied, its storage kept for the line it starts.
    rxLine_.resize(0);
    rxLine_.append(ch);
    return false;
  }
  if (rxLine_.size() >= kMaxLine) rxLine_.clear();
  rxLine_.append(ch);
  if (ch != '\n') return false;
  // Handing the line over before it is processed leaves the framer empty,
  // so a notification that arrives while the line is being handled (a modal
  // box, a wait) gathers its own line without touching this one.
  // The caller's last line, which it is done with, lends its storage to the
  // next one.
  std::swap(*completed, rxLine_);
  rxLine_.resize(0);
  if (rxLine_.capacity() < kTypicalLine) rxLine_.reserve(kTypicalLine);
  return true;
}
