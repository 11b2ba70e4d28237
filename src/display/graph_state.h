#pragma once

#include <QColor>

// Display state of the graph area, living for the whole run.
struct GraphState {
  QColor GraphBackColour{0, 255, 255};  // aqua: bitmap and graph text background
  QColor PlotAreaColour{255, 255, 255};
  QColor GridColour{0, 0, 0};
  QColor VoltageTraceColour{255, 0, 0};
  QColor CurrentTraceColour{0, 0, 255};
  // The histogram scale follows the current range until the operator scales
  // by hand.
  bool AutoScale = true;
  quint8 ManualScaleIndex = 0;
  // The current range as a number; shared with current ranging.
  quint8 RangeIndex = 0;
  // Set by a change of standard: the next waveform or voltage-variation
  // record first clears what a wider graph left behind.
  bool GraphClearPending = false;
};
