#include "display/graph_frame.h"

#include "display/graph_canvas_painter.h"

namespace {

constexpr int kPlotLeft = 50;
constexpr int kPlotTop = 60;
constexpr int kPlotBottom = 260;

QImage NewBitmap(int width) {
  QImage image(width, kGraphHeight, QImage::Format_RGB32);
  // 96 dots per inch, so the bitmap prints at the size it shows.
  image.setDotsPerMeterX(3780);
  image.setDotsPerMeterY(3780);
  return image;
}

}  // namespace

namespace {

// The frame of one kind with the colours it was drawn in.
struct DrawnFrame {
  QColor back, plot, grid;
  QImage image;
};

QImage PaintGraphFrame(const GraphState& state, const GraphFrameKind& kind);

}  // namespace

QImage DrawGraphFrame(const GraphState& state, const GraphFrameKind& kind) {
  // Every record redraws its graph on a fresh frame, and the frame only
  // changes with the colours: its dotted grid and rules are drawn once and
  // copied after that. The graphs are drawn on the user-interface thread
  // only.
  static DrawnFrame waveform;
  static DrawnFrame histogram;
  DrawnFrame& kept = kind.waveform ? waveform : histogram;
  if (kept.image.isNull() || kept.image.width() != kind.width || kept.back != state.GraphBackColour ||
      kept.plot != state.PlotAreaColour || kept.grid != state.GridColour) {
    kept = {state.GraphBackColour, state.PlotAreaColour, state.GridColour, PaintGraphFrame(state, kind)};
  }
  // Shared: a caller that draws on it draws on its own copy, as QImage
  // copies on the first write.
  return kept.image;
}

namespace {

QImage PaintGraphFrame(const GraphState& state, const GraphFrameKind& kind) {
  QImage image = NewBitmap(kind.width);
  GraphPainter canvas(image);
  const int w = kind.width;
  const int r = kind.plotRight;
  canvas.FillRect(0, 0, w, kGraphHeight, state.GraphBackColour);
  canvas.FillRect(kPlotLeft, kPlotTop, r, kPlotBottom, state.PlotAreaColour);

  canvas.SetPen(state.GridColour, 1, Qt::DotLine);
  for (int k = 1; k <= kind.gridLines; ++k) {
    const int y = kPlotTop + k * kind.gridSpacing;
    canvas.Line(kPlotLeft, y, r, y);
  }
  canvas.SetPen(state.GridColour);
  if (kind.waveform) canvas.Line(kPlotLeft, 160, 350, 160);

  canvas.SetPen(state.GridColour, 2);
  canvas.Polyline({{0, 1}, {w - 1, 1}, {w - 1, 299}, {1, 299}, {1, 1}});
  canvas.Polyline({{kPlotLeft, kPlotTop}, {r, kPlotTop}, {r, kPlotBottom}, {kPlotLeft, kPlotBottom},
                   {kPlotLeft, kPlotTop}});
  canvas.Polyline({{1, 40}, {kind.titleRuleEnd, 40}});
  canvas.SetPen(state.GridColour);
  if (kind.waveform) {
    for (int x = 100; x <= 300; x += 50) canvas.Line(x, kPlotTop, x, kPlotBottom);
  }
  return image;
}

}  // namespace

QImage ClearedGraphArea(const QColor& faceColour) {
  QImage image = NewBitmap(540);
  image.fill(faceColour);
  return image;
}
