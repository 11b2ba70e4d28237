#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <optional>

#include "report/report_store.h"

// The test options the flicker settings panel sets.
struct FlickerOptions {
  bool voltageFluctuations = true;  // "Voltage Fluctuations": the analyser's verdicts
  bool flicker = true;              // "Flicker": Pst and the flicker tables
  bool twoHourPlt = false;          // the two-hour Plt test
  bool continuous = true;           // "Continuous", not "Manual Switching"
};

// The voltage-variation and flicker results of the latest "H" record.
struct FlickerResults {
  static constexpr int kFirstField = 17;
  static constexpr int kLastField = 67;
  static constexpr int kSummaryLines = 20;

  // Indexed by field number; fields below 17 are not kept.
  std::array<QString, kLastField + 1> FlickerField{};
  // 0 to 19 are the summary shown and reported; the rest stay empty.
  std::array<QString, 31> FlickerDisplayLines{};

  const QString& F(int field) const { return FlickerField[static_cast<size_t>(field)]; }
};

// Fields 17 to 67 of the record section: the 1000 characters from the type
// letter on.
void ReadFlickerFields(const QByteArray& line, FlickerResults& results);

// Rewrites the summary lines from the fields; lines the options leave alone
// keep their earlier texts.
void UpdateFlickerSummary(FlickerResults& results, const FlickerOptions& options);

// A summary line padded to its verdict column, then "PASS" or "FAIL".
QString WithVerdict(const QString& text, bool pass);

// The largest interval Pst that converts as a number; nothing when none does.
std::optional<double> LargestPst(const FlickerResults& results);

// The voltage-variation rows and, for a continuous test with flicker, the
// flicker tables, from the body start index on.
void WriteFlickerReportRows(const FlickerResults& results, const FlickerOptions& options, ReportStore& report);
