// The window's paint and the report that follows the window: a paint puts
// the display area back and shows the kept graph, and does nothing else;
// every operation that should rebuild the report's head does.
#include <QTableWidget>
#include <QtTest>

#include "app/draw_grid.h"
#include "app/graph_canvas.h"
#include "app/qx7300main.h"
#include "app/radio_group.h"
#include "display/graph_frame.h"
#include "serial/serial_port.h"
#include "support/record_builder.h"
#include "support/window_rig.h"
#include "ui_qx7300main.h"

using namespace std::chrono_literals;

namespace {

enum class Copied { Waveform, Histogram, Nothing };

}  // namespace

Q_DECLARE_METATYPE(Copied)

class TestWindowRepaint : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();
  void paintRestoresTheAreaAndOnlyCopies_data();
  void paintRestoresTheAreaAndOnlyCopies();
  void paintReevaluatesManualSwitching();
  void reportHeadFollowsTheWindow_data();
  void reportHeadFollowsTheWindow();

 private:
  Ui::Tqx7300form& Ui() { return window_->Form(); }
  QByteArray Sent() { return rig_->Sent(); }
  void Select(int standard) { rig_->Select(standard); }

  std::unique_ptr<TWindowRig> rig_;
  ScriptedOperatorDialogs* dialogs_ = nullptr;
  Tqx7300form* window_ = nullptr;
};

void TestWindowRepaint::init() {
  // The port opens with the first command.
  TWindowRig::Options options;
  options.comNumber = 4;
  options.openPort = false;
  rig_ = std::make_unique<TWindowRig>(options);
  QVERIFY(rig_->Ready());
  dialogs_ = &rig_->Dialogs();
  window_ = &rig_->Window();
}

void TestWindowRepaint::cleanup() { rig_.reset(); }

void TestWindowRepaint::paintRestoresTheAreaAndOnlyCopies_data() {
  QTest::addColumn<int>("standard");
  QTest::addColumn<int>("display");
  QTest::addColumn<Copied>("copied");
  QTest::newRow("harmonics waveform") << 0 << 0 << Copied::Waveform;
  QTest::newRow("histogram") << 0 << 1 << Copied::Histogram;
  QTest::newRow("harmonics table") << 0 << 2 << Copied::Nothing;
  QTest::newRow("flicker wave form") << 1 << 0 << Copied::Waveform;
  QTest::newRow("flicker tables") << 1 << 2 << Copied::Nothing;
}

void TestWindowRepaint::paintRestoresTheAreaAndOnlyCopies() {
  QFETCH(int, standard);
  QFETCH(int, display);
  QFETCH(Copied, copied);
  Select(standard);
  (standard == 0 ? Ui().RadioGroup1 : Ui().RadioGroup2)->SetItemIndex(display);
  if (copied == Copied::Histogram) window_->DrawHarmonicsHistogram();
  if (copied == Copied::Waveform) window_->DrawWaveformGraph();
  Sent();

  // Everything a paint must put back, disturbed; the canvas wiped.
  for (QWidget* w : {static_cast<QWidget*>(Ui().StringGrid2), static_cast<QWidget*>(Ui().StringGrid3),
                     static_cast<QWidget*>(Ui().Panel12), static_cast<QWidget*>(Ui().Panel8)})
    w->move(0, 0);
  Ui().StringGrid1->setGeometry(0, 0, 10, 10);
  Ui().StringGrid1->setColumnWidth(2, 99);
  Ui().DrawGrid1->setColumnWidth(1, 99);
  QImage blank(Ui().Panel6->size(), QImage::Format_RGB32);
  blank.fill(Qt::magenta);
  Ui().Panel6->CopyImage(blank, Ui().Panel6->pos());
  window_->Document().Report().SetText(0, QStringLiteral("untouched"));
  bool posted = false;
  QTimer::singleShot(0, [&posted] { posted = true; });

  window_->FormPaint();

  QCOMPARE(Ui().StringGrid2->pos(), QPoint(500, 12));
  QCOMPARE(Ui().StringGrid3->pos(), QPoint(500, 12));
  QCOMPARE(Ui().Panel12->pos(), QPoint(440, 2));
  QCOMPARE(Ui().Panel8->pos(), QPoint(440, 2));
  QCOMPARE(Ui().StringGrid1->geometry(), QRect(73, 20, 416, 256));
  QCOMPARE(Ui().StringGrid1->columnWidth(2), 55);
  QCOMPARE(Ui().StringGrid1->item(0, 7)->text(), QStringLiteral("d(max)"));
  QCOMPARE(Ui().DrawGrid1->columnWidth(1), 39 + 1);
  QCOMPARE(Ui().DrawGrid1->y(), 12);
  // Total harmonics belongs to the harmonics standard.
  QCOMPARE(Ui().Label95->isVisibleTo(window_), standard == 0);
  QCOMPARE(Ui().Label85->isVisibleTo(window_), standard == 0);

  const QImage surface = Ui().Panel6->Surface();
  const QPoint at = (copied == Copied::Histogram ? kHistogramPlace : kWaveformPlace) - Ui().Panel6->pos();
  const QImage shown = surface.copy(QRect(at, window_->GraphBitmap().size()));
  if (copied == Copied::Nothing) {
    QCOMPARE(surface.pixelColor(at + QPoint(50, 50)), QColor(Qt::magenta));
  } else {
    QCOMPARE(shown, window_->GraphBitmap().convertToFormat(shown.format()));
  }
  // Nothing sent, nothing waited for, the report left alone.
  QVERIFY(Sent().isEmpty());
  QVERIFY(!posted);
  QCOMPARE(window_->Report().Text(0), QStringLiteral("untouched"));
  QTRY_VERIFY(posted);
}

void TestWindowRepaint::paintReevaluatesManualSwitching() {
  Select(1);
  Ui().RadioButton2->setChecked(true);
  window_->Document().Test().EventsToCollect = 5;
  const QList<QByteArray> dmax{"2.0", "3.0", "1.0"};
  for (int k = 1; k <= dmax.size(); ++k) {
    window_->Document().Steps().Step(k).time = QStringLiteral("10:00:0%1").arg(k);
    window_->Document().Steps().Step(k).dmax = QString::fromLatin1(dmax[k - 1]);
  }
  window_->Document().Test().StepNumber = 4;
  QVERIFY(Ui().Label12->text() != QStringLiteral("2.00"));
  window_->FormPaint();
  QCOMPARE(Ui().Label12->text(), QStringLiteral("2.00"));
  QCOMPARE(Ui().StringGrid1->item(2, 3)->text(), QStringLiteral(" Max"));
  QCOMPARE(Ui().StringGrid1->item(3, 3)->text(), QStringLiteral(" Min"));
}

void TestWindowRepaint::reportHeadFollowsTheWindow_data() {
  QTest::addColumn<QString>("action");
  QTest::newRow("display choice") << "display";
  QTest::newRow("range step") << "range";
  QTest::newRow("test complete") << "complete";
  QTest::newRow("standard change") << "standard";
  QTest::newRow("test start") << "start";
}

void TestWindowRepaint::reportHeadFollowsTheWindow() {
  QFETCH(QString, action);
  Select(0);
  Ui().Edit8->setText(QStringLiteral("  Kettle KX-2 "));
  // A class C record fills the summary the limits line reads.
  RecordBuilder record;
  record.classCode = "C";
  record.summary1 = "0.51";
  record.summary2 = "0.95";
  QVERIFY(window_->ProcessLine(record.Line('X')));
  window_->Document().Report().SetText(2, QStringLiteral("stale"));
  window_->Document().Report().SetText(13, QStringLiteral("stale"));

  if (action == QLatin1String("display")) Ui().RadioGroup1->SetItemIndex(1);
  if (action == QLatin1String("range")) QTest::mouseClick(Ui().Button7, Qt::LeftButton);
  if (action == QLatin1String("complete")) {
    record.status = "Q     ";
    QVERIFY(window_->ProcessLine(record.Line('X')));
  }
  if (action == QLatin1String("standard")) window_->StandardChanged();
  if (action == QLatin1String("start")) QTest::mouseClick(Ui().Button5, Qt::LeftButton);

  const ReportStore& report = window_->Report();
  QCOMPARE(report.Text(2), QStringLiteral("Equipment Under Test : Kettle KX-2"));
  QCOMPARE(report.Csv(2), QStringLiteral("Equipment Under Test : ,Kettle KX-2"));
  QCOMPARE(report.Text(13), QStringLiteral("Limits Applied       : EN61000-3-2 Class C.limits for 0.51 A at 0.95 PF"));
  QCOMPARE(report.BodyStart(), 18);
}

QTEST_MAIN(TestWindowRepaint)
#include "test_window_repaint.moc"
