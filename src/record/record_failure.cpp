#include "record/record_failure.h"

#include "link/field_rule.h"
#include "link/record_layout.h"
#include "results/flicker_results.h"

bool RecordShowsFailure(const QByteArray& line, bool flickerStandard) {
  const LineFields fields(line);
  if (!flickerStandard) return fields.Field(16) != "0";
  QByteArray padded = line;
  if (fields.Field(3).startsWith('4')) AlignRangeFourRecord(padded);
  if (RecordTypeLetter(padded) != 'H') return false;
  FlickerResults results;
  ReadFlickerFields(padded, results);
  return FlickerLimitsExceeded(results);
}
