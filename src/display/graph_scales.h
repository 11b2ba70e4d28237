#pragma once

#include <QString>

#include "display/graph_state.h"

// The current range as a number: "0".."9" give 0..9, "A".."F" give 10..15,
// anything else (an empty code included) gives 5.
quint8 RangeIndexFromCode(char code);

// Waveform labels follow the range codes; there is no manual scale.
struct WaveformCurrentScale {
  QString top;
  QString middle;
  QString bottom;
  QString perDivision;
};
WaveformCurrentScale WaveformCurrentScaleFor(char currentCode);

struct WaveformVoltageScale {
  QString top;
  QString middle;
  QString bottom;
};
WaveformVoltageScale WaveformVoltageScaleFor(char voltageCode);

// A histogram scale row: the label at the top of the axis, the value drawn
// as a full-height bar in milliamperes, and the per-division label. A row
// that matches nothing has empty labels and a full scale of 1.
struct HistogramScale {
  QString label;
  float fullScale = 1.0f;
  QString perDivision;
};

// The row in force: in automatic scale the row of the current range code
// (and RangeIndex follows the code); otherwise the manual row.
HistogramScale ChooseHistogramScale(GraphState& state, char currentCode);

// A harmonic value as a fraction of full scale: amperes on ranges up to 4,
// milliamperes above.
float FractionOfFullScale(float value, const HistogramScale& scale, quint8 rangeIndex);

// The scale buttons; none of them redraws.
void ScaleUp(GraphState& state, char currentCode);    // "Scale Up": magnifies
void ScaleDown(GraphState& state, char currentCode);  // "Scale Down"
void AutoSetScale(GraphState& state);                 // "Auto-set Scale"
