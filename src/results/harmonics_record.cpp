#include "results/harmonics_record.h"

#include "link/decimal_text.h"

namespace {

constexpr qsizetype kSectionStart = 107;   // position 108, the type letter
constexpr qsizetype kSectionLength = 1124;  // to position 1231
constexpr qsizetype kMinimumLength = 1232;
constexpr qsizetype kVerdictMarker = 1231;  // position 1232
constexpr int kValuesPerTable = 40;

bool IsSeparator(char ch) { return ch == ',' || ch == ';'; }

bool IsPrefix(char ch) { return ch == 'G' || ch == 'L' || ch == 'N' || ch == 'X'; }

quint8 VerdictOf(char ch) {
  if (ch == '-') return 0;
  if (ch == '0') return 1;
  return 255;
}

// Without a model, only whether the tables read whole.
bool ReadTables(const QByteArray& line, HarmonicsModel* model) {
  const QByteArrayView section(line.constData() + kSectionStart, kSectionLength);
  qsizetype position = 0;
  for (int table = 1; table <= HarmonicsModel::kTables; ++table) {
    for (int q = 1; q <= kValuesPerTable; ++q) {
      qsizetype end = position;
      while (end < section.size() && !IsSeparator(section[end])) ++end;
      if (end >= section.size()) return false;
      QByteArrayView value = section.sliced(position, end - position);
      position = end + 1;
      if (value.isEmpty()) return false;
      if (model == nullptr) continue;
      if (IsPrefix(value.front())) value = value.sliced(1);
      const int index = q + 1;
      if (const std::optional<float> number = ParseSingle(value)) {
        model->HarmonicText[table][index] = QString::fromLatin1(value);
        model->HarmonicValue[table][index] = *number;
      } else {
        model->HarmonicText[table][index] = QStringLiteral("-");
        model->HarmonicValue[table][index] = 0.0f;
      }
    }
  }
  return true;
}

bool ReadVerdicts(const QByteArray& line, HarmonicsModel* model) {
  if (line[kVerdictMarker] != 'R') return true;
  for (int harmonic = 2; harmonic <= 40; ++harmonic) {
    const qsizetype index = kVerdictMarker + harmonic - 1;
    if (index >= line.size()) return false;
    if (model != nullptr) model->HarmonicVerdict[harmonic] = VerdictOf(line[index]);
  }
  return true;
}

}  // namespace

bool ReadHarmonicsRecord(const QByteArray& line, HarmonicsModel& model) {
  if (line.size() < kMinimumLength) return true;
  return ReadTables(line, &model) && ReadVerdicts(line, &model);
}

bool HarmonicsRecordHasTables(const QByteArray& line) { return line.size() >= kMinimumLength; }

void ReadHarmonicVerdicts(const QByteArray& line, HarmonicsModel& model) { ReadVerdicts(line, &model); }

void ReadHarmonicTables(const QByteArray& line, HarmonicsModel& model) { ReadTables(line, &model); }

bool HarmonicsRecordReadsWhole(const QByteArray& line) {
  if (line.size() < kMinimumLength) return true;
  return ReadTables(line, nullptr) && ReadVerdicts(line, nullptr);
}
