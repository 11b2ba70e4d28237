#pragma once

#include <QByteArray>

// Whether a received line shows a failure: under the harmonics standard, an
// assessment verdict other than "0" (the summary shows "FAIL"); under the
// flicker standard, a voltage-variation and flicker record whose Pst exceeds
// 1.0 or whose Plt exceeds 0.65.
bool RecordShowsFailure(const QByteArray& line, bool flickerStandard);
