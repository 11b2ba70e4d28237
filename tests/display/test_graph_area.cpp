// The graph area of the main window: records redraw the kept bitmap and
// copy it onto the window's surface at the graph's place.
#include <QElapsedTimer>
#include <QPushButton>
#include <QtTest>

#include "app/graph_canvas.h"
#include "app/qx7300main.h"
#include "app/radio_group.h"
#include "display/graph_frame.h"
#include "support/record_builder.h"
#include "support/scripted_operator_dialogs.h"
#include "ui_qx7300main.h"

namespace {

// The surface pixel at a main-window position.
QColor SurfaceAt(Tqx7300form& window, int x, int y) {
  const QPoint origin = window.Form().Panel6->pos();
  return window.Form().Panel6->Surface().pixelColor(x - origin.x(), y - origin.y());
}

// The surface shows the whole graph bitmap at its place, also after the
// copies of just what a record changed.
bool SurfaceShowsTheGraph(Tqx7300form& window, QPoint place) {
  const QImage& bitmap = window.GraphBitmap();
  const QPoint origin = window.Form().Panel6->pos();
  return window.Form().Panel6->Surface().copy(QRect(place - origin, bitmap.size())) == bitmap;
}

QList<QByteArray> HarmonicValues(float present) {
  QList<QByteArray> values;
  for (int g = 1; g <= 4; ++g) {
    for (int q = 1; q <= 40; ++q) values << QByteArray::number(g == 2 ? present : 100.0f, 'f', 1);
  }
  return values;
}

}  // namespace

class TestGraphArea : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();
  void voltageRecordRedrawsTheWaveform();
  void harmonicsRecordFollowsTheDisplayChoice();
  void clearingPaintsTheAreaAndPauses();
  void surfaceCopiesOnlyWhatItDoesNotShow();
  void scaleButtonsWaitForTheNextRecord();

 private:
  ScriptedOperatorDialogs* dialogs_ = nullptr;
  Tqx7300form* window_ = nullptr;
};

void TestGraphArea::init() {
  dialogs_ = new ScriptedOperatorDialogs;
  window_ = new Tqx7300form(*dialogs_);
  window_->starttimer().stop();
  window_->show();
}

void TestGraphArea::cleanup() {
  delete window_;
  delete dialogs_;
}

void TestGraphArea::voltageRecordRedrawsTheWaveform() {
  QList<quint8> samples(301, 194);
  QVERIFY(window_->ProcessLine(RecordBuilder().Waveform('V', samples)));
  QCOMPARE(window_->GraphBitmap().size(), QSize(400, 300));
  // The waveform sits at (530, 16): sample n at window x 580 + n, y 16 + 110.
  QCOMPARE(SurfaceAt(*window_, 580 + 10, 16 + 110), QColor(255, 0, 0));
  QCOMPARE(SurfaceAt(*window_, 530 + 20, 16 + 100), QColor(0, 255, 255));
  for (int level : {150, 90, 200}) {
    QList<quint8> moved(301);
    for (int n = 0; n <= 300; ++n) moved[n] = static_cast<quint8>(level + (n % 40) - 20);
    QVERIFY(window_->ProcessLine(RecordBuilder().Waveform('V', moved)));
    QVERIFY(SurfaceShowsTheGraph(*window_, kWaveformPlace));
  }
  QVERIFY(window_->ProcessLine(RecordBuilder().Waveform('V', samples)));
  // A current record only stores its samples.
  const QImage before = window_->GraphBitmap();
  QVERIFY(window_->ProcessLine(RecordBuilder().Waveform('I', samples)));
  QCOMPARE(window_->GraphBitmap(), before);
  // A pending clear is done before the voltage record draws.
  window_->Document().Graph().GraphClearPending = true;
  QVERIFY(window_->ProcessLine(RecordBuilder().Waveform('V', samples)));
  QVERIFY(!window_->Document().Graph().GraphClearPending);
  QCOMPARE(SurfaceAt(*window_, 460, 100), window_->palette().color(QPalette::Button));
}

void TestGraphArea::harmonicsRecordFollowsTheDisplayChoice() {
  RecordBuilder record;
  record.currentRange = "7";
  const QByteArray line = record.Line('L', HarmonicsBody(HarmonicValues(1000.0f)));
  // "Waveform": nothing is drawn.
  QVERIFY(window_->ProcessLine(line));
  QVERIFY(window_->GraphBitmap().isNull());
  QCOMPARE(window_->Harmonics().HarmonicValue[2][3], 1000.0f);
  QVERIFY(!window_->Report().Text(3).isEmpty());

  window_->Form().RadioGroup1->SetItemIndex(1);
  QVERIFY(window_->ProcessLine(line));
  QCOMPARE(window_->GraphBitmap().size(), QSize(540, 300));
  // Harmonic 3's present bar (1000 of 2000 mA) reaches window y 16 + 160.
  const int x = 451 + 12 * 3 + 39 + 4;
  QCOMPARE(SurfaceAt(*window_, x, 16 + 200), QColor(255, 0, 0));
  QCOMPARE(SurfaceAt(*window_, x, 16 + 158), QColor(255, 255, 255));
  for (float present : {400.0f, 1500.0f, 0.0f}) {
    QVERIFY(window_->ProcessLine(record.Line('L', HarmonicsBody(HarmonicValues(present)))));
    QVERIFY(SurfaceShowsTheGraph(*window_, kHistogramPlace));
  }

  window_->Form().RadioGroup1->SetItemIndex(2);
  const QImage before = window_->GraphBitmap();
  QVERIFY(window_->ProcessLine(record.Line('L', HarmonicsBody(HarmonicValues(10.0f)))));
  QCOMPARE(window_->GraphBitmap(), before);
}

void TestGraphArea::surfaceCopiesOnlyWhatItDoesNotShow() {
  GraphCanvas& canvas = *window_->Form().Panel6;
  const QPoint place = canvas.pos() + QPoint(10, 10);
  const auto shows = [&](const QImage& image) {
    return canvas.Surface().copy(QRect(QPoint(10, 10), image.size())) == image;
  };
  QImage a(40, 30, QImage::Format_RGB32);
  a.fill(Qt::red);
  QImage b(40, 30, QImage::Format_RGB32);
  b.fill(Qt::green);
  canvas.CopyImage(a, place);
  QVERIFY(shows(a));
  // Another image over it, then the first again: copied again.
  canvas.CopyImage(b, place);
  canvas.CopyImage(a, place);
  QVERIFY(shows(a));
  // The same image drawn on since: copied again.
  a.setPixelColor(5, 5, Qt::blue);
  canvas.CopyImage(a, place);
  QVERIFY(shows(a));
  // The same image elsewhere, then back: copied again.
  canvas.CopyImage(a, place + QPoint(50, 0));
  canvas.CopyImage(b, place + QPoint(50, 0));
  canvas.CopyImage(a, place);
  QVERIFY(shows(a));
}

void TestGraphArea::clearingPaintsTheAreaAndPauses() {
  window_->Document().Graph().GraphClearPending = true;
  QElapsedTimer clock;
  clock.start();
  window_->ClearGraphArea();
  QVERIFY(clock.elapsed() > 3 * 55);
  QVERIFY(!window_->Document().Graph().GraphClearPending);
  QCOMPARE(window_->GraphBitmap().size(), QSize(540, 300));
  const QColor face = window_->palette().color(QPalette::Button);
  QCOMPARE(window_->GraphBitmap().pixelColor(270, 150), face);
  QCOMPARE(SurfaceAt(*window_, 451, 16), face);
  QCOMPARE(SurfaceAt(*window_, 990, 315), face);
}

void TestGraphArea::scaleButtonsWaitForTheNextRecord() {
  RecordBuilder record;
  record.currentRange = "7";
  window_->Form().RadioGroup1->SetItemIndex(1);
  window_->ShowScaleButtons(true);
  QVERIFY(window_->Form().Button10->isVisible() && window_->Form().Button12->isVisible());
  QVERIFY(window_->ProcessLine(record.Line('L', HarmonicsBody(HarmonicValues(1000.0f)))));
  const QImage automatic = window_->GraphBitmap();
  QTest::mouseClick(window_->Form().Button10, Qt::LeftButton);
  QVERIFY(!window_->Document().Graph().AutoScale);
  QCOMPARE(int(window_->Document().Graph().ManualScaleIndex), 8);
  QCOMPARE(window_->GraphBitmap(), automatic);
  QVERIFY(window_->ProcessLine(record.Line('L', HarmonicsBody(HarmonicValues(1000.0f)))));
  QVERIFY(window_->GraphBitmap() != automatic);
  QTest::mouseClick(window_->Form().Button12, Qt::LeftButton);
  QVERIFY(window_->Document().Graph().AutoScale);
  QTest::mouseClick(window_->Form().Button11, Qt::LeftButton);
  QCOMPARE(int(window_->Document().Graph().ManualScaleIndex), 6);
  window_->ShowScaleButtons(false);
  QVERIFY(window_->Form().Button11->isHidden());
}

QTEST_MAIN(TestGraphArea)
#include "test_graph_area.moc"
