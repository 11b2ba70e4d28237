#include "record/record_failure.h"

#include "link/field_rule.h"
#include "results/flicker_results.h"

namespace {

// Where the type letter stands, and where the analyser's shorter common
// section on current range "4" leaves it.
constexpr qsizetype kTypeLetterIndex = 107;
constexpr qsizetype kRangeFourTypeLetterIndex = 105;

}  // namespace

bool RecordShowsFailure(const QByteArray& line, bool flickerStandard) {
  const LineFields fields(line);
  if (!flickerStandard) return fields.Field(16) != "0";
  QByteArray padded = line;
  if (fields.Field(3).startsWith('4')) padded.insert(qMin(kRangeFourTypeLetterIndex, padded.size()), "  ");
  if (padded.size() <= kTypeLetterIndex || padded[kTypeLetterIndex] != 'H') return false;
  FlickerResults results;
  ReadFlickerFields(padded, results);
  return FlickerLimitsExceeded(results);
}
