#pragma once

#include <QByteArray>

// Where a record's type letter stands: after the common section, which the
// analyser sends two characters shorter on current range "4".
inline constexpr qsizetype kTypeLetterIndex = 107;
inline constexpr qsizetype kRangeFourPadIndex = 105;

// The line of a record sent on current range "4" padded back, so that its
// type letter and body stand where every other record's do.
inline void AlignRangeFourRecord(QByteArray& line) {
  line.insert(qMin(kRangeFourPadIndex, line.size()), "  ");
}

// The type letter of an aligned line; '\0' when the line is too short.
inline char RecordTypeLetter(const QByteArray& line) {
  return line.size() > kTypeLetterIndex ? line[kTypeLetterIndex] : '\0';
}
