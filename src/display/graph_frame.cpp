#include "display/graph_frame.h"

#include <QtMath>

#include "display/graph_canvas_painter.h"

namespace {

constexpr int kPlotLeft = 50;
constexpr int kPlotTop = 60;
constexpr int kPlotBottom = 260;

QImage NewBitmap(int width, qreal ratio) {
  QImage image(qCeil(width * ratio), qCeil(kGraphHeight * ratio), QImage::Format_RGB32);
  // 96 dots per inch, so the bitmap prints at the size it shows.
  image.setDotsPerMeterX(qRound(3780 * ratio));
  image.setDotsPerMeterY(qRound(3780 * ratio));
  image.setDevicePixelRatio(ratio);
  return image;
}

}  // namespace

namespace {

// The frame of one kind with the colours it was drawn in.
struct DrawnFrame {
  QColor back, plot, grid;
  qreal ratio = 1.0;
  QImage image;
};

QImage PaintGraphFrame(const GraphState& state, const GraphFrameKind& kind, qreal ratio);

}  // namespace

QImage DrawGraphFrame(const GraphState& state, const GraphFrameKind& kind, qreal ratio) {
  // Every record redraws its graph on a fresh frame, and the frame only
  // changes with the colours: its dotted grid and rules are drawn once and
  // copied after that. The graphs are drawn on the user-interface thread
  // only.
  // A screen of more than one device pixel a pixel has its own pair.
  static DrawnFrame kept[2][2];
  DrawnFrame& frame = kept[kind.waveform ? 0 : 1][ratio == 1.0 ? 0 : 1];
  if (frame.image.isNull() || FigureRect(frame.image).width() != kind.width || frame.ratio != ratio ||
      frame.back != state.GraphBackColour || frame.plot != state.PlotAreaColour || frame.grid != state.GridColour) {
    frame = {state.GraphBackColour, state.PlotAreaColour, state.GridColour, ratio,
             PaintGraphFrame(state, kind, ratio)};
  }
  // Shared: a caller that draws on it draws on its own copy, as QImage
  // copies on the first write.
  return frame.image;
}

namespace {

QImage PaintGraphFrame(const GraphState& state, const GraphFrameKind& kind, qreal ratio) {
  QImage image = NewBitmap(kind.width, ratio);
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

QImage ClearedGraphArea(const QColor& faceColour, qreal ratio) {
  QImage image = NewBitmap(540, ratio);
  image.fill(faceColour);
  return image;
}

QRect FigureRect(const QImage& image) { return QRect(QPoint(0, 0), image.deviceIndependentSize().toSize()); }
