#include "persist/text_line_reader.h"

TextLineReader::TextLineReader(const QString& path) : file_(path) {
  // A file that does not open stays closed and yields no lines.
  if (!file_.open(QIODevice::ReadOnly)) return;
}

std::optional<QString> TextLineReader::NextLine() {
  if (!file_.isOpen() || file_.atEnd()) return std::nullopt;
  QByteArray line = file_.readLine();
  if (line.isEmpty()) return std::nullopt;  // a read error: even an empty line has its LF
  if (line.endsWith('\n')) line.chop(1);
  if (line.endsWith('\r')) line.chop(1);
  return QString::fromLatin1(line);
}
