#pragma once

#include <QImage>

#include "display/graph_state.h"
#include "display/kept_graph.h"
#include "results/waveform_samples.h"

// One cycle of voltage (red) and current (blue) on the waveform frame:
// sample n at x = 50 + n, byte s at y = 304 - s, so 144 lies on the zero
// line and 44 / 244 on the plot's edges. Joined by lines or as single pixels.
QImage DrawWaveformBitmap(const GraphState& state, const WaveformSamples& samples, bool joinDots,
                          char currentRangeCode, char voltageRangeCode);

// The waveform kept on one bitmap from record to record: the same pixels as
// DrawWaveformBitmap, for the cost of the traces alone while the frame and
// its scales stay as they are.
class WaveformDrawing {
 public:
  // `ratio`: device pixels a figure pixel (see DrawGraphFrame). The change
  // is given in figure pixels.
  GraphChange Draw(QImage& bitmap, const GraphState& state, const WaveformSamples& samples, bool joinDots,
                   char currentRangeCode, char voltageRangeCode, qreal ratio = 1.0);

 private:
  KeptGraph kept_;
};
