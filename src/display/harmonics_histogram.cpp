#include "display/harmonics_histogram.h"

#include <cmath>

#include "display/graph_frame.h"
#include "display/graph_scales.h"

namespace {

constexpr int kBottom = 260;
const QColor kLimitColour(0, 255, 0);
const QColor kValueColour(255, 0, 0);

}  // namespace

int HistogramBarHeight(float fraction) {
  // nearbyint rounds halves to even in the default rounding mode.
  const float height = std::nearbyint(fraction * 200.0f);
  if (!(height > 0.0f)) return 0;  // negatives and NaN
  if (height > 200.0f) return 200;
  return static_cast<int>(height);
}

void DrawHistogramBar(GraphPainter& canvas, int series, int harmonic, float fraction) {
  const QBrush brush = series == 1 ? QBrush(kLimitColour, Qt::DiagCrossPattern) : QBrush(kValueColour);
  const int h = HistogramBarHeight(fraction);
  const int x0 = 12 * harmonic + 39;
  // Odd harmonics (the fundamental too) get a wide bar, even ones a narrow
  // one; both centred on the harmonic's tick at x0 + 4.
  if (harmonic % 2 == 1) {
    canvas.Rectangle(x0, kBottom, x0 + 9, kBottom - h, brush);
  } else {
    canvas.Rectangle(x0 + 2, kBottom, x0 + 7, kBottom - h, brush);
  }
}

QImage DrawHarmonicsHistogramBitmap(GraphState& state, const HarmonicsModel& model, char currentRangeCode) {
  QImage image = DrawGraphFrame(state, kHistogramFrame);
  GraphPainter canvas(image);
  canvas.SetPen(state.GridColour);
  const HistogramScale scale = ChooseHistogramScale(state, currentRangeCode);
  const QColor& back = state.GraphBackColour;
  canvas.SetTextSize(kGraphTextSmall);
  for (int n = 1; n <= 40; ++n) {
    const int x = 12 * (n - 1);
    DrawHistogramBar(canvas, 1, n, FractionOfFullScale(model.HarmonicValue[1][n], scale, state.RangeIndex));
    DrawHistogramBar(canvas, 2, n, FractionOfFullScale(model.HarmonicValue[2][n], scale, state.RangeIndex));
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
