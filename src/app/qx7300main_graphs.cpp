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

qreal Tqx7300form::GraphScreenRatio() const { return ui->Panel6->devicePixelRatioF(); }

const QImage& Tqx7300form::ShownGraph() const {
  const qreal ratio = GraphScreenRatio();
  return ratio != 1.0 && screenGraph_.devicePixelRatio() == ratio ? screenGraph_ : GraphBitmap_;
}

void Tqx7300form::DrawWaveformGraph() {
  const bool joinDots = ui->CheckBox7->isChecked();
  const char current = FirstChar(fields_.CurrentRangeCode);
  const char voltage = FirstChar(fields_.VoltageRangeCode);
  graphChange_ = waveformDrawing_.Draw(GraphBitmap_, graph_, samples_, joinDots, current, voltage);
  if (const qreal ratio = GraphScreenRatio(); ratio != 1.0) {
    screenChange_ = screenWaveform_.Draw(screenGraph_, graph_, samples_, joinDots, current, voltage, ratio);
  }
}

void Tqx7300form::DrawHarmonicsHistogram() {
  // The scale is chosen once, by the printed graph; the screen's drawing
  // starts from the same state.
  const GraphState before = graph_;
  const char current = FirstChar(fields_.CurrentRangeCode);
  graphChange_ = histogramDrawing_.Draw(GraphBitmap_, graph_, harmonics_, current);
  if (const qreal ratio = GraphScreenRatio(); ratio != 1.0) {
    GraphState state = before;
    screenChange_ = screenHistogram_.Draw(screenGraph_, state, harmonics_, current, ratio);
  }
}

void Tqx7300form::CopyGraphToWindow(QPoint windowPos) {
  // Right after a draw only its change is copied; at any other time all of
  // the bitmap.
  const QImage& shown = ShownGraph();
  ui->Panel6->CopyImageChange(shown, windowPos, &shown == &screenGraph_ ? screenChange_ : graphChange_);
  graphChange_ = {};
  screenChange_ = {};
}

void Tqx7300form::ClearGraphArea() {
  GraphBitmap_ = ClearedGraphArea(palette().color(QPalette::Button));
  if (const qreal ratio = GraphScreenRatio(); ratio != 1.0) {
    screenGraph_ = ClearedGraphArea(palette().color(QPalette::Button), ratio);
  }
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
