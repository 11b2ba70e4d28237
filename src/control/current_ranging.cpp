#include "control/current_ranging.h"

namespace CurrentRanging {

quint8 SteppedRange(quint8 rangeIndex, int direction) {
  if (direction < 0 && rangeIndex > kLargestRange) return static_cast<quint8>(rangeIndex - 1);
  if (direction > 0 && rangeIndex < kSmallestRange) return static_cast<quint8>(rangeIndex + 1);
  return rangeIndex;
}

}  // namespace CurrentRanging
