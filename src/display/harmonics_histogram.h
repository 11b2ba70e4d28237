#pragma once

#include <QImage>

#include "display/graph_canvas_painter.h"
#include "display/graph_state.h"
#include "results/harmonics_model.h"

// Harmonics 1 to 40 against their limits: a green cross-hatched bar for the
// limit and a solid red bar for the present value over it. In automatic
// scale RangeIndex follows the current range code.
QImage DrawHarmonicsHistogramBitmap(GraphState& state, const HarmonicsModel& model, char currentRangeCode);

// Bar height in pixels for a fraction of full scale: 200 pixels a full
// scale, rounded half to even, clamped to 0..200.
int HistogramBarHeight(float fraction);

// Series 1 (limit) or 2 (present value) of harmonic n, 1..40.
void DrawHistogramBar(GraphPainter& canvas, int series, int harmonic, float fraction);
