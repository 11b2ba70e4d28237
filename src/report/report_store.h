#pragma once

#include <QString>

#include <array>

// The test report, line by line, in its plain-text and comma-separated forms
// at once (line i of one belongs with line i of the other). Output emits
// lines 0 to LineCount. Writes outside 0..80 are refused, so no builder can
// spill past the store whatever the body start index.
class ReportStore {
 public:
  static constexpr int kLines = 81;

  const QString& Text(int index) const;
  const QString& Csv(int index) const;
  void SetText(int index, const QString& line);
  void SetCsv(int index, const QString& line);
  void SetBoth(int index, const QString& line) {
    SetText(index, line);
    SetCsv(index, line);
  }

  int LineCount() const { return lineCount_; }
  void SetLineCount(int count);
  int BodyStart() const { return bodyStart_; }
  void SetBodyStart(int index) { bodyStart_ = index; }

  // Empties every line of both forms; the count and body start stay.
  void ClearLines();

 private:
  std::array<QString, kLines> text_{};
  std::array<QString, kLines> csv_{};
  int lineCount_ = 0;
  int bodyStart_ = 0;
};
