// The graph area: the document's graph bitmap copied onto the window (drawn
// again at the screen's density where it has more than one device pixel a
// pixel), clearing, and the scale.
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
  return ratio != 1.0 && screenGraph_.devicePixelRatio() == ratio ? screenGraph_ : document_->GraphBitmap();
}

void Tqx7300form::DrawWaveformGraph() { ShowGraphDrawn(document_->DrawWaveformGraph()); }

void Tqx7300form::DrawHarmonicsHistogram() { ShowGraphDrawn(document_->DrawHarmonicsHistogram()); }

void Tqx7300form::ShowGraphDrawn(const DocumentChange& change) {
  graphChange_ = change.graphChange;
  const TestDocument& document = *document_;
  const char current = FirstChar(document.Fields().CurrentRangeCode);
  if (const qreal ratio = GraphScreenRatio(); ratio != 1.0) {
    GraphState state = change.graphBefore;
    if (change.waveformDrawn) {
      screenChange_ = screenWaveform_.Draw(screenGraph_, state, document.Samples(), document.Setup().Setup.CheckBox7,
                                           current, FirstChar(document.Fields().VoltageRangeCode), ratio);
    } else {
      screenChange_ = screenHistogram_.Draw(screenGraph_, state, document.Harmonics(), current, ratio);
    }
  }
  CopyGraphToWindow(change.waveformDrawn ? kWaveformPlace : kHistogramPlace);
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
  document_->ClearGraphArea();
  ShowGraphCleared();
}

void Tqx7300form::ShowGraphCleared() {
  const qreal ratio = GraphScreenRatio();
  // What the window shows is the empty area even when the document has
  // drawn on it since.
  const QImage cleared = ClearedGraphArea(palette().color(QPalette::Button), ratio);
  if (ratio != 1.0) screenGraph_ = cleared;
  ui->Panel6->CopyImageChange(cleared, kHistogramPlace, {});
  graphChange_ = {};
  screenChange_ = {};
  Pause(3);
}

void Tqx7300form::Pause(int ticks) {
  if (!reviewMode_) WaitTicks(ticks, true);
}

void Tqx7300form::Button10Click() { ScaleUp(document_->Graph(), FirstChar(document_->Fields().CurrentRangeCode)); }

void Tqx7300form::Button11Click() { ScaleDown(document_->Graph(), FirstChar(document_->Fields().CurrentRangeCode)); }

void Tqx7300form::Button12Click() { AutoSetScale(document_->Graph()); }

void Tqx7300form::ShowScaleButtons(bool visible) {
  ui->Button10->setVisible(visible);
  ui->Button11->setVisible(visible);
  ui->Button12->setVisible(visible);
}
