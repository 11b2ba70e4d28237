// The graph area: the waveform and the harmonics histogram drawn into the
// kept graph bitmap, its copy onto the window, clearing, and the scale.
#include "app/graph_canvas.h"
#include "app/qx7300main.h"
#include "display/graph_frame.h"
#include "display/graph_scales.h"
#include "display/harmonics_histogram.h"
#include "display/waveform_graph.h"
#include "serial/wait_ticks.h"
#include "ui_qx7300main.h"

void Tqx7300form::DrawWaveformGraph() {
  graphChange_ = waveformDrawing_.Draw(GraphBitmap_, graph_, samples_, ui->CheckBox7->isChecked(),
                                       FirstChar(fields_.CurrentRangeCode), FirstChar(fields_.VoltageRangeCode));
}

void Tqx7300form::DrawHarmonicsHistogram() {
  graphChange_ = histogramDrawing_.Draw(GraphBitmap_, graph_, harmonics_, FirstChar(fields_.CurrentRangeCode));
}

void Tqx7300form::CopyGraphToWindow(QPoint windowPos) {
  // Right after a draw only its change is copied; at any other time all of
  // the bitmap.
  ui->Panel6->CopyImageChange(GraphBitmap_, windowPos, graphChange_);
  graphChange_ = {};
}

void Tqx7300form::ClearGraphArea() {
  GraphBitmap_ = ClearedGraphArea(palette().color(QPalette::Button));
  CopyGraphToWindow(kHistogramPlace);
  graph_.GraphClearPending = false;
  WaitTicks(3, true);
}

void Tqx7300form::Button10Click() { ScaleUp(graph_, FirstChar(fields_.CurrentRangeCode)); }

void Tqx7300form::Button11Click() { ScaleDown(graph_, FirstChar(fields_.CurrentRangeCode)); }

void Tqx7300form::Button12Click() { AutoSetScale(graph_); }

void Tqx7300form::ShowScaleButtons(bool visible) {
  ui->Button10->setVisible(visible);
  ui->Button11->setVisible(visible);
  ui->Button12->setVisible(visible);
}
