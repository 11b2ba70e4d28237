#pragma once

#include <QFile>
#include <QString>

#include <optional>

// Reads one of the program's text files line by line. A line ends at LF and
// a CR before it is dropped; a last line without an ending still counts.
// Bytes are taken as Latin-1.
class TextLineReader {
 public:
  explicit TextLineReader(const QString& path);

  // False when the file is missing or cannot be opened for reading.
  bool IsOpen() const { return file_.isOpen(); }

  // The next line; nullopt past the last line, on a read error or when the
  // file is not open.
  std::optional<QString> NextLine();

 private:
  QFile file_;
};
