#include "report/report_store.h"

namespace {

bool InStore(int index) { return index >= 0 && index < ReportStore::kLines; }

const QString& Empty() {
  static const QString empty;
  return empty;
}

}  // namespace

const QString& ReportStore::Text(int index) const {
  return InStore(index) ? text_[static_cast<size_t>(index)] : Empty();
}

const QString& ReportStore::Csv(int index) const {
  return InStore(index) ? csv_[static_cast<size_t>(index)] : Empty();
}

void ReportStore::SetText(int index, const QString& line) {
  if (InStore(index)) text_[static_cast<size_t>(index)] = line;
}

void ReportStore::SetCsv(int index, const QString& line) {
  if (InStore(index)) csv_[static_cast<size_t>(index)] = line;
}

void ReportStore::SetLineCount(int count) { lineCount_ = qBound(0, count, kLines - 1); }

void ReportStore::ClearLines() {
  for (QString& line : text_) line.clear();
  for (QString& line : csv_) line.clear();
}
