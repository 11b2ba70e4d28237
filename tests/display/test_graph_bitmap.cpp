// Pixels of the graph bitmap: frame, grid, traces and histogram bars.
#include <QRandomGenerator>
#include <QtTest>

#include "display/graph_frame.h"
#include "display/harmonics_histogram.h"
#include "display/waveform_graph.h"

namespace {

const QColor kBlack(0, 0, 0);
const QColor kWhite(255, 255, 255);
const QColor kAqua(0, 255, 255);
const QColor kRed(255, 0, 0);
const QColor kBlue(0, 0, 255);
const QColor kGreen(0, 255, 0);

QColor At(const QImage& image, int x, int y) { return image.pixelColor(x, y); }

WaveformSamples Flat(quint8 voltage, quint8 current) {
  WaveformSamples samples;
  samples.VoltageSamples.fill(voltage);
  samples.CurrentSamples.fill(current);
  return samples;
}

// Every pixel that differs between two bitmaps lies inside `area`.
bool DiffersOnlyInside(const QImage& before, const QImage& after, const QRect& area) {
  for (int y = 0; y < after.height(); ++y) {
    for (int x = 0; x < after.width(); ++x) {
      if (before.pixel(x, y) != after.pixel(x, y) && !area.contains(x, y)) return false;
    }
  }
  return true;
}

// After a draw on a kept bitmap: the same pixels as the whole draw, and the
// change reported covers all that changed since the last one.
void CheckKeptDraw(const QImage& before, const QImage& kept, const GraphChange& change, const QImage& whole,
                   const char* step) {
  QVERIFY2(kept == whole, step);
  if (change.since != 0) QVERIFY2(DiffersOnlyInside(before, kept, change.area), step);
}

}  // namespace

class TestGraphBitmap : public QObject {
  Q_OBJECT

 private slots:
  void waveformFrame();
  void histogramFrame();
  void tracePoints();
  void samplesOffTheBitmap();
  void joinedTrace();
  void barHeights_data();
  void barHeights();
  void barsOnTheHistogram();
  void labelsWhereTheyBelong();
  void keptWaveformMatchesWholeDraws();
  void keptHistogramMatchesWholeDraws();
};

void TestGraphBitmap::waveformFrame() {
  const QImage image = DrawGraphFrame(GraphState(), kWaveformFrame);
  QCOMPARE(image.size(), QSize(400, 300));
  QCOMPARE(At(image, 20, 100), kAqua);
  QCOMPARE(At(image, 75, 70), kWhite);
  // Outer frame, title rule, plot frame.
  QCOMPARE(At(image, 200, 1), kBlack);
  QCOMPARE(At(image, 398, 150), kBlack);
  QCOMPARE(At(image, 200, 40), kBlack);
  QCOMPARE(At(image, 50, 150), kBlack);
  QCOMPARE(At(image, 200, 260), kBlack);
  // Solid zero line and vertical grid lines.
  for (int x = 51; x < 350; ++x) QCOMPARE(At(image, x, 160), kBlack);
  for (int y = 62; y < 259; ++y) QCOMPARE(At(image, 150, y), kBlack);
  QCOMPARE(At(image, 125, 100), kWhite);
  // Dotted horizontal lines every 25 pixels: half their pixels black.
  for (int y : {85, 110, 135, 185, 210, 235}) {
    int black = 0;
    for (int x = 52; x < 98; ++x) black += At(image, x, y) == kBlack ? 1 : 0;
    QVERIFY2(black >= 20 && black <= 26, qPrintable(QStringLiteral("y %1: %2").arg(y).arg(black)));
  }
  QCOMPARE(At(image, 75, 97), kWhite);
}

void TestGraphBitmap::histogramFrame() {
  const QImage image = DrawGraphFrame(GraphState(), kHistogramFrame);
  QCOMPARE(image.size(), QSize(540, 300));
  QCOMPARE(At(image, 530, 150), kBlack);
  QCOMPARE(At(image, 520, 170), kWhite);  // no zero line, no vertical lines
  QCOMPARE(At(image, 150, 150), kWhite);
  QCOMPARE(At(image, 536, 40), kBlack);
  int black = 0;
  for (int x = 100; x < 140; ++x) black += At(image, x, 80) == kBlack ? 1 : 0;
  QVERIFY(black >= 16 && black <= 24);
}

void TestGraphBitmap::tracePoints() {
  // All 144: both traces on the zero line, the current drawn on top.
  QImage image = DrawWaveformBitmap(GraphState(), Flat(144, 144), false, '7', '0');
  for (int n = 1; n <= 300; ++n) QCOMPARE(At(image, 50 + n, 160), kBlue);
  // 244 and 44 lie on the plot's top and bottom edges.
  image = DrawWaveformBitmap(GraphState(), Flat(244, 44), false, '7', '0');
  QCOMPARE(At(image, 120, 60), kRed);
  QCOMPARE(At(image, 120, 260), kBlue);
  QCOMPARE(At(image, 120, 160), kBlack);
  // Sample 0 is stored but never drawn.
  WaveformSamples samples = Flat(144, 0);
  samples.VoltageSamples[0] = 200;
  image = DrawWaveformBitmap(GraphState(), samples, false, '7', '0');
  for (int y = 0; y < 300; ++y) QVERIFY(At(image, 50, y) != kRed);
}

void TestGraphBitmap::samplesOffTheBitmap() {
  // No current record yet (all 0): its points fall below the bitmap and
  // only the voltage shows; bytes below 5 are lost the same way.
  const QImage image = DrawWaveformBitmap(GraphState(), Flat(4, 0), false, '7', '0');
  for (int x = 51; x <= 350; ++x) {
    for (int y = 0; y < 300; ++y) {
      const QColor colour = At(image, x, y);
      QVERIFY(colour != kRed && colour != kBlue);
    }
  }
  const QImage low = DrawWaveformBitmap(GraphState(), Flat(5, 0), false, '7', '0');
  QCOMPARE(At(low, 100, 299), kRed);
}

void TestGraphBitmap::joinedTrace() {
  WaveformSamples samples = Flat(144, 0);
  for (int n = 0; n <= 300; ++n) samples.VoltageSamples[n] = n % 2 == 0 ? 144 : 164;
  const QImage dots = DrawWaveformBitmap(GraphState(), samples, false, '7', '0');
  const QImage joined = DrawWaveformBitmap(GraphState(), samples, true, '7', '0');
  // Between a low and a high point the joined trace fills the column.
  QCOMPARE(At(joined, 101, 150), kRed);
  QCOMPARE(At(dots, 101, 150), kWhite);
  QCOMPARE(At(dots, 101, 140), kRed);
  QCOMPARE(At(dots, 102, 160), kRed);
}

void TestGraphBitmap::barHeights_data() {
  QTest::addColumn<float>("fraction");
  QTest::addColumn<int>("height");
  QTest::newRow("2.3 A on range 2") << 2.3f * 1000.0f / 100000.0f << 5;
  QTest::newRow("exactly 4.5 rounds to 4") << 4.5f / 200.0f << 4;
  QTest::newRow("exactly 5.5 rounds to 6") << 5.5f / 200.0f << 6;
  QTest::newRow("half of full scale") << 0.5f << 100;
  QTest::newRow("over full scale") << 3.0f << 200;
  QTest::newRow("negative") << -0.2f << 0;
  QTest::newRow("zero") << 0.0f << 0;
}

void TestGraphBitmap::barHeights() {
  QFETCH(float, fraction);
  QFETCH(int, height);
  QCOMPARE(HistogramBarHeight(fraction), height);
}

void TestGraphBitmap::barsOnTheHistogram() {
  GraphState state;
  HarmonicsModel model;
  model.HarmonicValue[2][1] = 1000.0f;  // 1000 mA present fundamental
  model.HarmonicValue[1][3] = 1500.0f;  // a limit on harmonic 3
  model.HarmonicValue[2][3] = 500.0f;
  model.HarmonicValue[2][4] = 5000.0f;  // far over full scale
  const QImage image = DrawHarmonicsHistogramBitmap(state, model, '7');
  QCOMPARE(int(state.RangeIndex), 7);
  // Fundamental: a wide red bar from x 51 to 59 reaching y = 160.
  QCOMPARE(At(image, 55, 161), kRed);
  QCOMPARE(At(image, 55, 160), kBlack);  // its outline
  QCOMPARE(At(image, 55, 159), kWhite);
  QCOMPARE(At(image, 51, 210), kBlack);
  QCOMPARE(At(image, 59, 210), kBlack);
  QCOMPARE(At(image, 60, 210), kWhite);
  // Harmonic 3: green hatching up to y = 110 with the red value bar in it.
  const int x3 = 12 * 3 + 39;
  QCOMPARE(At(image, x3 + 4, 110), kBlack);
  QCOMPARE(At(image, x3 + 4, 109), kWhite);
  bool hatched = false;
  for (int y = 112; y < 200; ++y) hatched = hatched || At(image, x3 + 3, y) == kGreen;
  QVERIFY(hatched);
  QCOMPARE(At(image, x3 + 4, 220), kRed);
  // Harmonic 4: a narrow bar clamped to the top of the plot.
  const int x4 = 12 * 4 + 39;
  QCOMPARE(At(image, x4 + 4, 62), kRed);
  QCOMPARE(At(image, x4 + 1, 110), kWhite);
  QCOMPARE(At(image, x4 + 2, 110), kBlack);
  // A limit of 0 draws nothing.
  QCOMPARE(At(image, 12 * 5 + 43, 258), kWhite);
  // Short ticks under every harmonic, long ones under every fifth.
  QCOMPARE(At(image, 12 * 1 + 55, 263), kBlack);
  QCOMPARE(At(image, 12 * 1 + 55, 267), kAqua);
  QCOMPARE(At(image, 12 * 4 + 55, 267), kBlack);
}

void TestGraphBitmap::labelsWhereTheyBelong() {
  // Text is written on the aqua background at its place: some black pixels
  // inside each label's box and nothing black just outside the box.
  const auto inked = [](const QImage& image, QRect box) {
    for (int y = box.top(); y <= box.bottom(); ++y) {
      for (int x = box.left(); x <= box.right(); ++x) {
        if (image.pixelColor(x, y).lightness() < 100) return true;
      }
    }
    return false;
  };
  const QImage wave = DrawWaveformBitmap(GraphState(), Flat(144, 144), false, '7', '1');
  QVERIFY(inked(wave, QRect(5, 10, 120, 20)));     // "Waveform Graph"
  QVERIFY(inked(wave, QRect(300, 10, 80, 20)));    // "750mA/div"
  QVERIFY(inked(wave, QRect(2, 45, 46, 12)));      // "3000 mA"
  QVERIFY(inked(wave, QRect(355, 50, 40, 12)));    // "200 V"
  QVERIFY(inked(wave, QRect(270, 270, 25, 12)));   // "Deg"
  QVERIFY(!inked(wave, QRect(355, 100, 40, 40)));  // nothing between the labels
  const QImage noRange = DrawWaveformBitmap(GraphState(), Flat(144, 144), false, 'F', '5');
  QVERIFY(!inked(noRange, QRect(355, 50, 40, 12)));
  QVERIFY(!inked(noRange, QRect(300, 10, 80, 20)));

  GraphState state;
  const QImage histogram = DrawHarmonicsHistogramBitmap(state, HarmonicsModel(), '7');
  QVERIFY(inked(histogram, QRect(5, 10, 170, 20)));  // "Harmonics Histogram"
  QVERIFY(inked(histogram, QRect(400, 10, 90, 20))); // "200mA/div"
  QVERIFY(inked(histogram, QRect(5, 55, 44, 12)));   // "2000mA"
  QVERIFY(inked(histogram, QRect(20, 270, 18, 12))); // "DC"
  QVERIFY(inked(histogram, QRect(12 * 4 + 50, 271, 10, 12)));  // "5"
  QVERIFY(!inked(histogram, QRect(12 * 5 + 50, 271, 8, 12)));  // nothing under 6
}

QTEST_MAIN(TestGraphBitmap)
#include "test_graph_bitmap.moc"

void TestGraphBitmap::keptWaveformMatchesWholeDraws() {
  QRandomGenerator random(7);
  const auto sine = [](int amplitude, int phase) {
    WaveformSamples samples;
    for (int n = 0; n < WaveformSamples::kEntries; ++n) {
      samples.VoltageSamples[n] = static_cast<quint8>(144 + amplitude * std::sin((n + phase) * 2 * M_PI / 300));
      samples.CurrentSamples[n] = static_cast<quint8>(144 + amplitude / 2 * std::sin((n - phase) * 4 * M_PI / 300));
    }
    return samples;
  };
  const auto noise = [&random](int low, int high) {
    WaveformSamples samples;
    for (int n = 0; n < WaveformSamples::kEntries; ++n) {
      samples.VoltageSamples[n] = static_cast<quint8>(random.bounded(low, high));
      samples.CurrentSamples[n] = static_cast<quint8>(random.bounded(low, high));
    }
    return samples;
  };
  GraphState coloured;
  coloured.PlotAreaColour = QColor(255, 255, 200);
  coloured.VoltageTraceColour = QColor(0, 128, 0);
  struct Step {
    const char* name;
    WaveformSamples samples;
    bool joined;
    char currentCode;
    char voltageCode;
    GraphState state;
    bool replaceBitmap;
    bool kept;  // drawn on the kept bitmap, not whole
  };
  const QList<Step> steps{
      {"first", sine(90, 0), false, '7', '0', {}, false, false},
      {"dots move", sine(80, 13), false, '7', '0', {}, false, true},
      {"joined", sine(80, 13), true, '7', '0', {}, false, false},
      {"joined move", sine(100, 40), true, '7', '0', {}, false, true},
      {"noise in the plot", noise(60, 230), true, '7', '0', {}, false, true},
      {"up to the scale text", noise(40, 250), true, '7', '0', {}, false, true},
      {"across the texts", noise(0, 256), true, '7', '0', {}, false, true},
      {"back inside", sine(60, 5), true, '7', '0', {}, false, true},
      {"across again", noise(0, 256), true, '7', '0', {}, false, true},
      {"and again", noise(0, 256), true, '7', '0', {}, false, true},
      {"dots across the texts", noise(0, 256), false, '7', '0', {}, false, false},
      {"dots across again", noise(0, 256), false, '7', '0', {}, false, true},
      {"dots inside", sine(90, 77), false, '7', '0', {}, false, true},
      {"new current range", sine(90, 78), false, '3', '0', {}, false, false},
      {"new voltage range", sine(90, 79), false, '3', '1', {}, false, false},
      {"new colours", sine(90, 80), false, '3', '1', coloured, false, false},
      {"bitmap replaced", sine(90, 81), false, '3', '1', coloured, true, false},
      {"after the replacement", sine(70, 82), false, '3', '1', coloured, false, true},
  };
  WaveformDrawing drawing;
  QImage bitmap;
  for (const Step& step : steps) {
    if (step.replaceBitmap) bitmap = ClearedGraphArea(Qt::gray);
    const QImage before = bitmap.copy();
    const GraphChange change =
        drawing.Draw(bitmap, step.state, step.samples, step.joined, step.currentCode, step.voltageCode);
    CheckKeptDraw(before, bitmap, change,
                  DrawWaveformBitmap(step.state, step.samples, step.joined, step.currentCode, step.voltageCode),
                  step.name);
    QVERIFY2((change.since != 0) == step.kept, step.name);
  }
}

void TestGraphBitmap::keptHistogramMatchesWholeDraws() {
  QRandomGenerator random(11);
  const auto model = [&random](float top, int every) {
    HarmonicsModel m;
    for (int n = 1; n <= 40; ++n) {
      m.HarmonicValue[1][n] = n % every == 0 ? 0.0f : static_cast<float>(random.bounded(top));
      m.HarmonicValue[2][n] = static_cast<float>(random.bounded(top));
    }
    return m;
  };
  GraphState manual;
  manual.AutoScale = false;
  manual.ManualScaleIndex = 2;
  struct Step {
    const char* name;
    HarmonicsModel model;
    char currentCode;
    GraphState state;
    bool replaceBitmap;
    bool kept;
  };
  const HarmonicsModel first = model(1.0f, 3);
  HarmonicsModel fewChanged = first;
  fewChanged.HarmonicValue[2][4] *= 0.5f;
  fewChanged.HarmonicValue[1][39] = 0.9f;
  const QList<Step> steps{
      {"first", first, '2', {}, false, false},
      {"same again", first, '2', {}, false, true},
      {"a few bars change", fewChanged, '2', {}, false, true},
      {"all change", model(1.5f, 4), '2', {}, false, true},
      {"over full scale", model(40.0f, 5), '2', {}, false, true},
      {"all zero", HarmonicsModel(), '2', {}, false, true},
      {"back up", model(1.0f, 6), '2', {}, false, true},
      {"new range and scale", model(1.0f, 6), '7', {}, false, false},
      {"manual scale", model(1.0f, 7), '7', manual, false, false},
      {"bitmap replaced", model(1.0f, 8), '7', manual, true, false},
      {"after the replacement", model(1.0f, 9), '7', manual, false, true},
  };
  HistogramDrawing drawing;
  QImage bitmap;
  for (const Step& step : steps) {
    if (step.replaceBitmap) bitmap = ClearedGraphArea(Qt::gray);
    const QImage before = bitmap.copy();
    GraphState kept = step.state;
    GraphState whole = step.state;
    const GraphChange change = drawing.Draw(bitmap, kept, step.model, step.currentCode);
    CheckKeptDraw(before, bitmap, change, DrawHarmonicsHistogramBitmap(whole, step.model, step.currentCode),
                  step.name);
    QVERIFY2((change.since != 0) == step.kept, step.name);
    QCOMPARE(kept.RangeIndex, whole.RangeIndex);
  }
}
