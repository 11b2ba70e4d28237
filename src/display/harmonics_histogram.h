#pragma once

#include <QImage>

#include <array>
#include <utility>

#include "display/graph_state.h"
#include "display/kept_graph.h"
#include "results/harmonics_model.h"

// Harmonics 1 to 40 against their limits: a green cross-hatched bar for the
// limit and a solid red bar for the present value over it. In automatic
// scale RangeIndex follows the current range code.
QImage DrawHarmonicsHistogramBitmap(GraphState& state, const HarmonicsModel& model, char currentRangeCode);

// Bar height in pixels for a fraction of full scale: 200 pixels a full
// scale, rounded half to even, clamped to 0..200.
int HistogramBarHeight(float fraction);

// The histogram kept on one bitmap from record to record: the same pixels as
// DrawHarmonicsHistogramBitmap, drawing again only the bars that changed
// while the scale and colours stay as they are.
class HistogramDrawing {
 public:
  // `ratio`: device pixels a figure pixel (see DrawGraphFrame). The change
  // is given in figure pixels.
  GraphChange Draw(QImage& bitmap, GraphState& state, const HarmonicsModel& model, char currentRangeCode,
                   qreal ratio = 1.0);

  // The limit's and the value's bar heights of harmonics 1 to 40.
  using BarHeights = std::array<std::pair<int, int>, 41>;

 private:
  KeptGraph kept_;
  BarHeights drawn_{};
};
