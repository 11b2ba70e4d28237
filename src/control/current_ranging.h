#pragma once

#include <QString>
#include <QtGlobal>

// The current range the operator asks for: 0 is the largest range
// ("400 A Peak"), 15 the end of the span towards the smallest.
namespace CurrentRanging {

inline constexpr quint8 kLargestRange = 0;
inline constexpr quint8 kSmallestRange = 15;

// The lock button's caption for each way the range is held.
inline const QString kLockRange = QStringLiteral("Lock Range");      // automatic ranging
inline const QString kAutoRange = QStringLiteral("Auto Range");      // locked by the lock button
inline const QString kUnlockRange = QStringLiteral("Unlock Range");  // locked by stepping

// -1 steps towards larger currents ("Range Up"), +1 towards smaller ones
// ("Range Down"); at either end of the span the index stays.
quint8 SteppedRange(quint8 rangeIndex, int direction);

}  // namespace CurrentRanging
