#include "results/assessment_summary.h"

#include <array>

#include "link/field_rule.h"

QStringList SupplyCheckLines(int flags) {
  if (flags == 0) return {QStringLiteral("Supply Meets EN Requirements")};
  QStringList lines{QStringLiteral("Supply Fails :")};
  if (flags & 1) lines << QStringLiteral("Harmonic Requirements");
  if (flags & 2) lines << QStringLiteral("Voltage Limits");
  if (flags & 4) lines << QStringLiteral("Frequency Limits");
  if (flags & 8) lines << QStringLiteral("Crest Limits");
  return lines;
}

const QString& SupplyCheckMemo(int flags) {
  static const std::array<QString, 16> memos = [] {
    std::array<QString, 16> made;
    for (int k = 0; k < 16; ++k) made[static_cast<size_t>(k)] = SupplyCheckLines(k).join(QLatin1Char('\n'));
    return made;
  }();
  return memos[static_cast<size_t>(flags & 15)];
}

QString SummaryValueUnit(const QString& caption1) {
  // Class C reads the fundamental current; every other row 1 is a power.
  return caption1 == QLatin1String("Fundamental") ? QStringLiteral(" A") : QStringLiteral(" W");
}

AssessmentSummary SummariseAssessment(QByteArrayView supplyChecks, QByteArrayView verdict,
                                      QByteArrayView classCode, QByteArrayView summary1,
                                      QByteArrayView summary2) {
  AssessmentSummary summary;
  summary.SupplyCheckFlags = supplyChecks.isEmpty() ? 0 : HexDigitValue(supplyChecks[0]);
  summary.verdict = verdict == "0" ? QStringLiteral("PASS") : QStringLiteral("FAIL");
  summary.value1 = summary1;
  summary.value2 = summary2;
  if (classCode.isEmpty()) return summary;

  summary.classified = true;
  const QString actualPower = QStringLiteral("Actual Power");
  switch (classCode[0]) {
    case '0':
      summary.caption1 = actualPower;
      summary.caption2 = QStringLiteral("Threshold");
      summary.line1 = QStringLiteral("No Limits, actual power");
      summary.line2 = QStringLiteral("over professional threshold.");
      break;
    case 'Z':
      summary.caption1 = actualPower;
      summary.caption2 = QStringLiteral("Threshold");
      summary.line1 = QStringLiteral("No Limits, actual power");
      summary.line2 = QStringLiteral("below minimum threshold.");
      break;
    case 'X':
      summary.caption1 = actualPower;
      summary.caption2 = QStringLiteral("Threshold");
      summary.line1 = QStringLiteral("Class D but A Limits Apply.");
      break;
    case 'A':
    case 'B':
      summary.caption1 = actualPower;
      summary.caption2 = QString();
      summary.value2 = {};
      summary.line1 = classCode[0] == 'A' ? QStringLiteral("Class A. Limits Apply.")
                                           : QStringLiteral("Class B. Limits Apply.");
      break;
    case 'C':
      summary.caption1 = QStringLiteral("Fundamental");
      summary.caption2 = QStringLiteral("Power Factor");
      summary.line1 = QStringLiteral("Class C.");
      break;
    case 'D':
      summary.caption1 = actualPower;
      summary.caption2 = QStringLiteral("Basis Power");
      summary.line1 = QStringLiteral("Class D.");
      break;
    default:
      break;
  }
  return summary;
}
