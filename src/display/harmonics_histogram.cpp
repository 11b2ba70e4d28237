#include "display/harmonics_histogram.h"

#include <cmath>

#include "display/graph_canvas_painter.h"
#include "display/graph_frame.h"
#include "display/graph_scales.h"

namespace {

constexpr int kBottom = 260;
const QColor kLimitColour(0, 255, 0);
const QColor kValueColour(255, 0, 0);

// Series 1 (limit) or 2 (present value) of harmonic n, 1..40.
void DrawBar(GraphPainter& canvas, int series, int harmonic, int height) {
  const QBrush brush = series == 1 ? QBrush(kLimitColour, Qt::DiagCrossPattern) : QBrush(kValueColour);
  const int x0 = 12 * harmonic + 39;
  // Odd harmonics (the fundamental too) get a wide bar, even ones a narrow
  // one; both centred on the harmonic's tick at x0 + 4.
  if (harmonic % 2 == 1) {
    canvas.Rectangle(x0, kBottom, x0 + 9, kBottom - height, brush);
  } else {
    canvas.Rectangle(x0 + 2, kBottom, x0 + 7, kBottom - height, brush);
  }
}

// Where harmonic n's bars of this height may put pixels, a pixel wider all
// round; the bars of two harmonics lie three pixels apart.
void MarkBars(GraphFootprint& footprint, int harmonic, int height) {
  if (height <= 0) return;
  const int x0 = 12 * harmonic + 39;
  footprint.Mark(x0 - 1, kBottom - height - 1, x0 + 9, kBottom);
}

// Both bars' heights of each harmonic, 1 to 40.
using BarHeights = HistogramDrawing::BarHeights;

BarHeights HeightsOf(const GraphState& state, const HarmonicsModel& model, const HistogramScale& scale) {
  BarHeights heights{};
  for (int n = 1; n <= 40; ++n) {
    heights[n] = {HistogramBarHeight(FractionOfFullScale(model.HarmonicValue[1][n], scale, state.RangeIndex)),
                  HistogramBarHeight(FractionOfFullScale(model.HarmonicValue[2][n], scale, state.RangeIndex))};
  }
  return heights;
}

// The whole graph; without bar heights, its fixed part.
QImage DrawHistogram(const GraphState& state, const HistogramScale& scale, const BarHeights* heights,
                     qreal ratio = 1.0, QList<QRect>* textAreas = nullptr) {
  QImage image = DrawGraphFrame(state, kHistogramFrame, ratio);
  GraphPainter canvas(image);
  canvas.CollectTextAreas(textAreas);
  canvas.SetPen(state.GridColour);
  const QColor& back = state.GraphBackColour;
  canvas.SetTextSize(kGraphTextSmall);
  for (int n = 1; n <= 40; ++n) {
    const int x = 12 * (n - 1);
    if (heights) {
      DrawBar(canvas, 1, n, (*heights)[n].first);
      DrawBar(canvas, 2, n, (*heights)[n].second);
    }
    canvas.Line(x + 55, kBottom, x + 55, 265);
    if (n % 5 == 0) {
      canvas.Line(x + 55, kBottom, x + 55, 270);
      canvas.TextOut(x + 50, 270, QString::number(n), back);
    }
  }
  canvas.TextOut(5, 55, scale.label, back);
  canvas.TextOut(5, 255, QStringLiteral("0"), back);
  canvas.TextOut(20, 270, QStringLiteral("DC"), back);
  canvas.SetTextSize(kGraphTextLarge);
  canvas.TextOut(5, 10, QStringLiteral("Harmonics Histogram"), back);
  canvas.TextOut(400, 10, scale.perDivision, back);
  return image;
}

GraphFootprint BarsFootprint(const BarHeights& heights) {
  GraphFootprint footprint(QSize(kHistogramFrame.width, kGraphHeight));
  for (int n = 1; n <= 40; ++n) MarkBars(footprint, n, std::max(heights[n].first, heights[n].second));
  return footprint;
}

}  // namespace

int HistogramBarHeight(float fraction) {
  // nearbyint rounds halves to even in the default rounding mode.
  const float height = std::nearbyint(fraction * 200.0f);
  if (!(height > 0.0f)) return 0;  // negatives and NaN
  if (height > 200.0f) return 200;
  return static_cast<int>(height);
}

QImage DrawHarmonicsHistogramBitmap(GraphState& state, const HarmonicsModel& model, char currentRangeCode) {
  const HistogramScale scale = ChooseHistogramScale(state, currentRangeCode);
  const BarHeights heights = HeightsOf(state, model, scale);
  return DrawHistogram(state, scale, &heights);
}

GraphChange HistogramDrawing::Draw(QImage& bitmap, GraphState& state, const HarmonicsModel& model,
                                   char currentRangeCode, qreal ratio) {
  const HistogramScale scale = ChooseHistogramScale(state, currentRangeCode);
  const BarHeights heights = HeightsOf(state, model, scale);
  const QByteArray look = GraphLook(state) + scale.label.toUtf8() + '\n' + scale.perDivision.toUtf8() + '\n' +
                          QByteArray::number(ratio);
  const GraphFootprint bars = BarsFootprint(heights);
  const bool continues = kept_.Continues(bitmap, look);
  if (!continues) {
    QList<QRect> textAreas;
    const QImage fixedPart = DrawHistogram(state, scale, nullptr, ratio, &textAreas);
    kept_.Restart(look, DrawGraphFrame(state, kHistogramFrame, ratio), fixedPart, textAreas);
  }
  if (!continues || kept_.CrossesText(bars)) {
    bitmap = DrawHistogram(state, scale, &heights, ratio);
    kept_.Finish(bitmap, bars);
    drawn_ = heights;
    return {FigureRect(bitmap), 0};
  }

  // Only the harmonics whose bars changed are put back and drawn again.
  GraphFootprint changed(FigureRect(bitmap).size());
  for (int n = 1; n <= 40; ++n) {
    if (heights[n] == drawn_[n]) continue;
    MarkBars(changed, n, std::max(drawn_[n].first, drawn_[n].second));
    MarkBars(changed, n, std::max(heights[n].first, heights[n].second));
  }
  const GraphChange change{changed.Bounds(), kept_.FinishedKey()};
  if (change.area.isEmpty()) return change;
  changed.CopyCovered(kept_.FixedPart(), bitmap);
  {
    GraphPainter canvas(bitmap);
    canvas.SetPen(state.GridColour);
    for (int n = 1; n <= 40; ++n) {
      if (heights[n] == drawn_[n]) continue;
      DrawBar(canvas, 1, n, heights[n].first);
      DrawBar(canvas, 2, n, heights[n].second);
    }
  }
  kept_.Finish(bitmap, bars);
  drawn_ = heights;
  return change;
}
