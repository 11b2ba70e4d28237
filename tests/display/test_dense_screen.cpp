// The main window on a screen of 1, 1.5 or 2 device pixels a pixel (the
// ratio comes from QT_SCALE_FACTOR, one ratio a run): the layout keeps its
// figures at the larger size, the graphs are drawn at the screen's density
// (thin lines one device pixel, thick ones scaled), and the graph the
// printouts take is the same on every screen. Leaves pictures of the window
// in the test output for looking at.
#include <QDir>
#include <QLabel>
#include <QtTest>

#include "app/draw_grid.h"
#include "app/graph_canvas.h"
#include "app/qx7300main.h"
#include "app/splash.h"
#include "app/radio_group.h"
#include "display/graph_frame.h"
#include "display/harmonics_histogram.h"
#include "display/waveform_graph.h"
#include "report/report_printout.h"
#include "support/record_builder.h"
#include "support/scripted_operator_dialogs.h"
#include "support/test_working_folder.h"
#include "ui_qx7300main.h"

namespace {

QList<QByteArray> HarmonicValues() {
  QList<QByteArray> values;
  for (int g = 1; g <= 4; ++g) {
    for (int q = 1; q <= 40; ++q) values << QByteArray::number(g == 1 ? 1600.0 : 2000.0 / (q + 1), 'f', 1);
  }
  return values;
}

// The device rows of the surface's column at window x that hold `colour`,
// between window rows top and bottom.
int RowsOfColour(const GraphCanvas& canvas, int x, int top, int bottom, const QColor& colour) {
  const QImage& surface = canvas.Surface();
  const qreal ratio = surface.devicePixelRatio();
  const int column = qRound((x - canvas.x() + 0.5) * ratio);
  int rows = 0;
  for (int y = qFloor((top - canvas.y()) * ratio); y < qCeil((bottom - canvas.y()) * ratio); ++y) {
    rows += surface.pixelColor(column, y) == colour;
  }
  return rows;
}

// The surface shows, at the graph's place, exactly `graph` (a bitmap of the
// surface's density).
bool SurfaceShows(const GraphCanvas& canvas, QPoint place, const QImage& graph) {
  const qreal ratio = canvas.Surface().devicePixelRatio();
  const QRect device(((place - canvas.pos()) * ratio), graph.size());
  QImage shown = canvas.Surface().copy(device);
  shown.setDevicePixelRatio(graph.devicePixelRatio());
  return shown == graph;
}

void SavePicture(const QImage& image, const QString& name) {
  const QString output = QStringLiteral(QX7300_TEST_OUTPUT);
  QDir().mkpath(output);
  QVERIFY(image.save(output + QLatin1Char('/') + name));
}

}  // namespace

class TestDenseScreen : public QObject {
  Q_OBJECT

 private slots:
  void graphsAtTheScreensDensity();
};

void TestDenseScreen::graphsAtTheScreensDensity() {
  const TestWorkingFolder folder;
  ScriptedOperatorDialogs dialogs;
  Tqx7300form window(dialogs);
  window.starttimer().stop();
  window.LoadMarkBitmaps();
  window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&window));
  const qreal ratio = window.devicePixelRatioF();
  const QString tag = QString::number(ratio) + QLatin1Char('x');
  const GraphCanvas& canvas = *window.Form().Panel6;

  QList<quint8> samples(301);
  for (int n = 0; n <= 300; ++n) samples[n] = static_cast<quint8>(150 + 100 * std::sin(n * M_PI / 150));
  QVERIFY(window.ProcessLine(RecordBuilder().Waveform('V', samples)));
  QTest::qWait(50);
  const QImage shot = window.grab().toImage();
  // Every figure at the larger size: the window's device pixels are its
  // design size times the ratio.
  QCOMPARE(shot.size(), window.size() * ratio);
  SavePicture(shot, QStringLiteral("window-waveform-%1.png").arg(tag));

  // The readings keep their panel's colour around black figures.
  for (const QLabel* reading : {window.Form().Label42, window.Form().Label85}) {
    const QRect box(reading->mapTo(&window, QPoint(0, 0)) * ratio, reading->size() * ratio);
    QCOMPARE(shot.pixelColor(box.topLeft() + QPoint(1, 1)), QColor(Qt::red));
    int black = 0;
    for (int y = box.top(); y <= box.bottom(); ++y) {
      for (int x = box.left(); x <= box.right(); ++x) black += shot.pixelColor(x, y) == QColor(Qt::black);
    }
    QVERIFY2(black > 10, qPrintable(reading->objectName()));
  }
  // The program's picture and the splash have drawings for dense screens.
  QCOMPARE(window.Form().Image1->pixmap().size(), QSize(96, 96) * (ratio == 1.0 ? 1 : 2));
  const QImage splash = SplashPicture(ratio);
  QCOMPARE(splash.size(), QSize(636, 250) * (ratio == 1.0 ? 1 : 2));
  QCOMPARE(splash.deviceIndependentSize().toSize(), QSize(636, 250));
  // The waveform's zero line (graph y 160, window y 176) and a grid line
  // (graph x 100) are thin: one device row or column on any screen; the
  // plot frame (graph y 260) is thick: two pixels, scaled.
  const QColor grid = window.Document().Graph().GridColour;
  const int plotX = kWaveformPlace.x() + 75;
  QCOMPARE(RowsOfColour(canvas, plotX, 16 + 155, 16 + 165, grid), 1);
  QCOMPARE(RowsOfColour(canvas, plotX, 16 + 255, 16 + 265, grid), qRound(2 * ratio));
  // Traces that move are put back and drawn again at the screen's density
  // without a stale pixel: the surface shows what a fresh drawing shows.
  for (const bool joinDots : {false, true, false}) {
    window.Form().CheckBox7->setChecked(joinDots);
    for (int shift : {40, 95}) {
      for (int n = 0; n <= 300; ++n) samples[n] = static_cast<quint8>(150 + 90 * std::sin((n + shift) * M_PI / 75));
      QVERIFY(window.ProcessLine(RecordBuilder().Waveform('V', samples)));
      WaveformDrawing fresh;
      QImage expected;
      fresh.Draw(expected, window.Document().Graph(), window.Document().Samples(), joinDots, '2', '0', ratio);
      QVERIFY2(SurfaceShows(canvas, kWaveformPlace, expected), joinDots ? "joined" : "dots");
    }
  }
  // The printouts' graph is the same bitmap on every screen, and the
  // screen resolution the printouts' measures come from stays that of the
  // design.
  QCOMPARE(ScreenDpi(), 96.0);
  QCOMPARE(window.GraphBitmap().devicePixelRatio(), 1.0);
  QCOMPARE(window.GraphBitmap(), DrawWaveformBitmap(window.Document().Graph(), window.Document().Samples(), window.Form().CheckBox7->isChecked(), '2', '0'));

  window.Form().RadioGroup1->SetItemIndex(1);
  RecordBuilder record;
  record.currentRange = "7";
  // Harmonics 2 to 40 pass and fail by turns: ticks and crosses.
  QByteArray verdicts;
  for (int n = 2; n <= 40; ++n) verdicts += n % 2 == 0 ? '0' : '1';
  // Records after the first redraw only what changed, on the dense copy too.
  for (const float scale : {1.0f, 0.5f, 1.0f}) {
    QList<QByteArray> values = HarmonicValues();
    for (int k = 40; k < 80; ++k) values[k] = QByteArray::number(values[k].toFloat() * scale * (k % 3 + 1), 'f', 1);
    QVERIFY(window.ProcessLine(record.Line('L', HarmonicsBody(values, verdicts))));
    GraphState state = window.Document().Graph();
    HistogramDrawing fresh;
    QImage expected;
    fresh.Draw(expected, state, window.Harmonics(), '7', ratio);
    QVERIFY(SurfaceShows(canvas, kHistogramPlace, expected));
  }
  QTest::qWait(50);
  SavePicture(window.grab().toImage(), QStringLiteral("window-histogram-%1.png").arg(tag));

  window.Form().RadioGroup1->SetItemIndex(2);
  QTest::qWait(50);
  const QImage table = window.grab().toImage();
  SavePicture(table, QStringLiteral("window-table-%1.png").arg(tag));
  // Harmonic 2's tick, one pixel in from its cell's corner: on a screen of
  // two device pixels a pixel it is the dense drawing, pixel for pixel.
  if (ratio == 2.0) {
    const DrawGrid& grid = *window.Form().DrawGrid1;
    const QRect cell = grid.visualRect(grid.model()->index(1, 16));
    const QPoint corner = grid.viewport()->mapTo(&window, cell.topLeft() + QPoint(1, 0)) * 2;
    const QImage& tick = window.Marks().denseTick;
    QCOMPARE(table.copy(QRect(corner, tick.size())).convertToFormat(tick.format()), tick);
  }
}

QTEST_MAIN(TestDenseScreen)
#include "test_dense_screen.moc"
