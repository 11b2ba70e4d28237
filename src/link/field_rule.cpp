#include "link/field_rule.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr qsizetype kMaxWorkingText = 65535;

bool IsBlankOrControl(char ch) { return static_cast<unsigned char>(ch) <= ' '; }

bool IsSeparator(char ch) { return ch == ',' || ch == ';'; }

}  // namespace

QByteArray ExtractField(const QByteArray& line, quint16 n) {
  qsizetype begin = 0;
  qsizetype end = line.size();
  while (begin < end && IsBlankOrControl(line[begin])) ++begin;
  while (end > begin && IsBlankOrControl(line[end - 1])) --end;
  // The working text is the trimmed line plus the appended ";".
  if (end - begin + 1 > kMaxWorkingText) return {};

  const int wanted = n == 0 ? 1 : n;
  int separatorsSeen = 0;
  qsizetype fieldStart = begin;
  for (qsizetype i = begin; i < end; ++i) {
    if (!IsSeparator(line[i])) continue;
    ++separatorsSeen;
    if (separatorsSeen == wanted) return line.mid(fieldStart, i - fieldStart);
    fieldStart = i + 1;
  }
  // The appended ";" closes the last field.
  if (separatorsSeen + 1 == wanted) return line.mid(fieldStart, end - fieldStart);
  return {};
}

LineFields::LineFields(const QByteArray& line) : line_(line) {
  qsizetype begin = 0;
  qsizetype end = line.size();
  while (begin < end && IsBlankOrControl(line[begin])) ++begin;
  while (end > begin && IsBlankOrControl(line[end - 1])) --end;
  if (end - begin + 1 > kMaxWorkingText) {
    complete_ = true;
    return;
  }
  starts_.push_back(begin);
  scanned_ = begin;
  end_ = end;
}

void LineFields::ScanTo(qsizetype count) const {
  const char* text = line_.constData();
  // The next "," and the next ";" from where the search stands, each found
  // by memchr and kept until the search passes it: ";" is rare, and looking
  // for it again for every field would read the rest of the line each time.
  const auto next = [&](char separator, qsizetype& found) {
    if (found >= scanned_) return;
    const void* at = std::memchr(text + scanned_, separator, static_cast<size_t>(end_ - scanned_));
    found = at == nullptr ? end_ : static_cast<const char*>(at) - text;
  };
  while (!complete_ && starts_.size() < count) {
    next(',', nextComma_);
    next(';', nextSemicolon_);
    const qsizetype separator = std::min(nextComma_, nextSemicolon_);
    if (separator < end_) {
      starts_.push_back(separator + 1);
      scanned_ = separator + 1;
    } else {
      // The appended ";" closes the last field.
      starts_.push_back(end_ + 1);
      complete_ = true;
    }
  }
}

QByteArray LineFields::Field(quint16 n) const { return View(n).toByteArray(); }

QByteArrayView LineFields::View(quint16 n) const {
  const qsizetype k = n == 0 ? 1 : n;
  ScanTo(k + 1);
  if (k >= starts_.size()) return {};
  const qsizetype from = starts_[k - 1];
  return QByteArrayView(line_).sliced(from, starts_[k] - 1 - from);
}

void SetFieldText(QString& target, QByteArrayView field) {
  const QLatin1StringView text(field.data(), field.size());
  if (target.size() == text.size() && target == text) return;
  target = text;
}

int HexDigitValue(char ch) {
  if (ch >= '0' && ch <= '9') return ch - '0';
  if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
  return 0;
}
