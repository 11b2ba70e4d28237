#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <optional>

// What the Harmonics Summary panel shows for one line's assessment fields:
// 9 supply checks, 16 verdict, 17 class code, 18 and 19 the summary values.
struct AssessmentSummary {
  int SupplyCheckFlags = 0;  // 1 harmonics, 2 voltage, 4 frequency, 8 crest factor
  QString verdict;           // "PASS" or "FAIL"
  // In the given fields' own bytes: valid while they are.
  QByteArrayView value1;     // field 18; its unit follows the row's caption
  QByteArrayView value2;     // field 19, or emptied for classes A and B
  bool classified = false;   // a class code came with the line
  // Set only when the class code says what they read; otherwise the panel
  // keeps its captions and first classification line.
  std::optional<QString> caption1;
  std::optional<QString> caption2;
  std::optional<QString> line1;
  QString line2;             // emptied for every class code
};

AssessmentSummary SummariseAssessment(QByteArrayView supplyChecks, QByteArrayView verdict,
                                      QByteArrayView classCode, QByteArrayView summary1,
                                      QByteArrayView summary2);

// " A" for a first row that reads "Fundamental", else " W".
QString SummaryValueUnit(const QString& caption1);

// The memo lines for a set of supply check flags.
QStringList SupplyCheckLines(int flags);
// The same lines as one text, made once for each set of flags (0..15).
const QString& SupplyCheckMemo(int flags);
