#pragma once

#include <QByteArray>

// Gathers received characters into record lines: "!" starts a line
// (discarding whatever was gathered), a line feed completes it. There is no
// escape: every "!" and every line feed counts, wherever it stands.
class RxLineFramer {
 public:
  // Lines far longer than any record are garbage; the gathered text is
  // dropped when it reaches this size so a line feed that never comes
  // cannot exhaust memory. A real record is under 1300 characters.
  static constexpr qsizetype kMaxLine = qsizetype(1) << 20;
  // Room made for each line at its start: a waveform record fits.
  static constexpr qsizetype kTypicalLine = 2048;

  // Adds one character. When it completes a line, the line (line feed
  // included) is moved into *completed, the gathered text is already empty
  // again, and true is returned. What *completed held before is dropped;
  // its storage may carry the next line.
  bool Feed(char ch, QByteArray* completed);

  const QByteArray& RxLine() const { return rxLine_; }
  void Clear() { rxLine_.clear(); }

 private:
  QByteArray rxLine_;
};
