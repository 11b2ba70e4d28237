#include "display/waveform_graph.h"

#include "display/graph_canvas_painter.h"
#include "display/graph_frame.h"
#include "display/graph_scales.h"

namespace {

constexpr int kSamplesDrawn = 300;

int SampleY(quint8 sample) { return 304 - sample; }

void JoinTrace(GraphPainter& canvas, const std::array<quint8, WaveformSamples::kEntries>& samples,
               const QColor& colour) {
  canvas.SetPen(colour);
  for (int n = 2; n <= kSamplesDrawn; ++n) {
    canvas.Line(49 + n, SampleY(samples[n - 1]), 50 + n, SampleY(samples[n]));
  }
}

void DrawTraces(GraphPainter& canvas, const GraphState& state, const WaveformSamples& samples, bool joinDots) {
  if (joinDots) {
    JoinTrace(canvas, samples.VoltageSamples, state.VoltageTraceColour);
    JoinTrace(canvas, samples.CurrentSamples, state.CurrentTraceColour);
  } else {
    // Interleaved, so the current shows where the two coincide.
    for (int n = 1; n <= kSamplesDrawn; ++n) {
      canvas.SetPixel(50 + n, SampleY(samples.VoltageSamples[n]), state.VoltageTraceColour);
      canvas.SetPixel(50 + n, SampleY(samples.CurrentSamples[n]), state.CurrentTraceColour);
    }
  }
}

// Where DrawTraces may put pixels: a joined step a pixel wider all round
// than the two points it joins.
GraphFootprint TraceFootprint(const WaveformSamples& samples, bool joinDots) {
  GraphFootprint footprint(QSize(kWaveformFrame.width, kGraphHeight));
  for (const auto* trace : {&samples.VoltageSamples, &samples.CurrentSamples}) {
    for (int n = 1; n <= kSamplesDrawn; ++n) {
      const int y = SampleY((*trace)[n]);
      if (!joinDots) {
        footprint.Mark(50 + n, y, 50 + n, y);
      } else if (n >= 2) {
        const int before = SampleY((*trace)[n - 1]);
        footprint.Mark(48 + n, std::min(before, y) - 1, 51 + n, std::max(before, y) + 1);
      }
    }
  }
  return footprint;
}

void WriteTexts(GraphPainter& canvas, const GraphState& state, char currentRangeCode, char voltageRangeCode) {
  const WaveformVoltageScale volts = WaveformVoltageScaleFor(voltageRangeCode);
  const WaveformCurrentScale amps = WaveformCurrentScaleFor(currentRangeCode);
  const QColor& back = state.GraphBackColour;
  canvas.SetTextSize(kGraphTextSmall);
  canvas.TextOut(2, 45, amps.top, back);
  canvas.TextOut(35, 155, amps.middle, back);
  canvas.TextOut(2, 255, amps.bottom, back);
  canvas.TextOut(355, 50, volts.top, back);
  canvas.TextOut(355, 155, volts.middle, back);
  canvas.TextOut(355, 255, volts.bottom, back);
  canvas.TextOut(50, 270, QStringLiteral("0"), back);
  canvas.TextOut(140, 270, QStringLiteral("120"), back);
  canvas.TextOut(240, 270, QStringLiteral("240"), back);
  canvas.TextOut(270, 270, QStringLiteral("Deg"), back);
  canvas.TextOut(340, 270, QStringLiteral("360"), back);
  canvas.SetTextSize(kGraphTextLarge);
  canvas.TextOut(5, 10, QStringLiteral("Waveform Graph"), back);
  canvas.TextOut(300, 10, amps.perDivision, back);
}

// The whole graph; without samples, its fixed part.
QImage DrawWaveform(const GraphState& state, const WaveformSamples* samples, bool joinDots, char currentRangeCode,
                    char voltageRangeCode, qreal ratio = 1.0, QList<QRect>* textAreas = nullptr) {
  QImage image = DrawGraphFrame(state, kWaveformFrame, ratio);
  GraphPainter canvas(image);
  if (samples) DrawTraces(canvas, state, *samples, joinDots);
  canvas.CollectTextAreas(textAreas);
  WriteTexts(canvas, state, currentRangeCode, voltageRangeCode);
  return image;
}

}  // namespace

QImage DrawWaveformBitmap(const GraphState& state, const WaveformSamples& samples, bool joinDots,
                          char currentRangeCode, char voltageRangeCode) {
  return DrawWaveform(state, &samples, joinDots, currentRangeCode, voltageRangeCode);
}

GraphChange WaveformDrawing::Draw(QImage& bitmap, const GraphState& state, const WaveformSamples& samples,
                                  bool joinDots, char currentRangeCode, char voltageRangeCode, qreal ratio) {
  const QByteArray look = GraphLook(state) + (joinDots ? 'J' : 'D') + currentRangeCode + voltageRangeCode +
                          QByteArray::number(ratio);
  const GraphFootprint traces = TraceFootprint(samples, joinDots);
  GraphChange change{traces.Bounds(), kept_.FinishedKey()};
  if (!kept_.Continues(bitmap, look)) {
    if (look != kept_.Look()) {
      QList<QRect> textAreas;
      const QImage fixedPart =
          DrawWaveform(state, nullptr, joinDots, currentRangeCode, voltageRangeCode, ratio, &textAreas);
      kept_.Restart(look, DrawGraphFrame(state, kWaveformFrame, ratio), fixedPart, textAreas);
    }
    // A new range or colour: the whole bitmap starts again from the fixed
    // part and is all copied onto the window.
    kept_.StartAfresh(bitmap);
    change = {FigureRect(bitmap), 0};
  }
  // Traces go under the texts: where they cross one, the frame is put back
  // under every text and the texts are written again over the new traces.
  const bool crossesText = kept_.CrossesText(traces);
  if (crossesText) {
    change.area |= kept_.RestoreFrame(bitmap);
  } else {
    change.area |= kept_.Drawn().Bounds();
    kept_.Restore(bitmap);
  }
  {
    GraphPainter canvas(bitmap);
    DrawTraces(canvas, state, samples, joinDots);
    if (crossesText) WriteTexts(canvas, state, currentRangeCode, voltageRangeCode);
  }
  kept_.Finish(bitmap, traces);
  return change;
}
