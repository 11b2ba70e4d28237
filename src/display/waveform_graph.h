#pragma once

#include <QImage>

#include "display/graph_state.h"
#include "results/waveform_samples.h"

// One cycle of voltage (red) and current (blue) on the waveform frame:
// sample n at x = 50 + n, byte s at y = 304 - s, so 144 lies on the zero
// line and 44 / 244 on the plot's edges. Joined by lines or as single pixels.
QImage DrawWaveformBitmap(const GraphState& state, const WaveformSamples& samples, bool joinDots,
                          char currentRangeCode, char voltageRangeCode);
