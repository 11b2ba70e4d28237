#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QVarLengthArray>
#include <QtGlobal>

// Field n (counted from 1; 0 counts as 1) of a received line or of a section
// of one. The line is taken without its leading and trailing blanks and
// control characters and with one ";" appended; "," and ";" both separate.
// A field beyond the last separator, or an empty one, is the empty text; the
// field itself is not trimmed. A working text longer than 65535 characters
// is discarded, so every field of such a line is empty.
QByteArray ExtractField(const QByteArray& line, quint16 n);

// All fields of one line by the same rule, found in one pass as far as they
// are read: for reading many fields of a line, where ExtractField would scan
// it again for each.
class LineFields {
 public:
  explicit LineFields(const QByteArray& line);
  // As ExtractField(line, n).
  QByteArray Field(quint16 n) const;
  // The same field, read in place: valid while this object lives.
  QByteArrayView View(quint16 n) const;

 private:
  // Finds separators until `count` field starts are known or the line ends.
  void ScanTo(qsizetype count) const;

  QByteArray line_;
  // Field k (from 1) runs from starts_[k - 1] to the separator before
  // starts_[k]; the last entry is one past the trimmed end. The line is
  // searched only as far as the fields asked for: a record's first fields
  // are read far more than its long tail.
  mutable QVarLengthArray<qsizetype, 32> starts_;
  mutable qsizetype scanned_ = 0;
  mutable qsizetype nextComma_ = -1;
  mutable qsizetype nextSemicolon_ = -1;
  qsizetype end_ = 0;
  mutable bool complete_ = false;
};

// Sets `target` to the Latin-1 text `field`. A text equal to the one held is
// kept as it is, with no new string: most fields of a record repeat the last
// record's.
void SetFieldText(QString& target, QByteArrayView field);

// "0".."9" give 0..9, "A".."F" give 10..15; anything else, lower-case
// letters included, gives 0.
int HexDigitValue(char ch);
