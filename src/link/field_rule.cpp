#include "link/field_rule.h"

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
  if (end - begin + 1 > kMaxWorkingText) return;
  starts_.reserve(72);
  starts_.push_back(begin);
  const char* text = line.constData();
  for (qsizetype i = begin; i < end; ++i) {
    if (IsSeparator(text[i])) starts_.push_back(i + 1);
  }
  // The appended ";" closes the last field.
  starts_.push_back(end + 1);
}

QByteArray LineFields::Field(quint16 n) const { return View(n).toByteArray(); }

QByteArrayView LineFields::View(quint16 n) const {
  const size_t k = n == 0 ? 1 : n;
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
