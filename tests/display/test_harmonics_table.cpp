// The harmonics table: the cell texts the draw-cell handler computes, and
// the grid as it is painted.
#include <QDir>
#include <QPaintEvent>
#include <QRegion>
#include <QtTest>

#include "app/draw_grid.h"
#include "app/qx7300main.h"
#include "display/harmonics_table.h"
#include "support/record_builder.h"
#include "support/scripted_operator_dialogs.h"
#include "support/test_working_folder.h"
#include "ui_qx7300main.h"

namespace {

using Kind = HarmonicsTableCell::Kind;
const QColor kRed(255, 0, 0);

// Harmonic 3 of the worked example: limit 2.3, present 0.5, average 1.15,
// maximum 2.53, failing; harmonic 2 passing; harmonic 5 with a "-" limit;
// harmonic 7 with a limit but no present value.
HarmonicsModel WorkedExample() {
  HarmonicsModel model;
  const auto set = [&model](int table, int n, const char* text, float value) {
    model.HarmonicText[table][n] = QString::fromLatin1(text);
    model.HarmonicValue[table][n] = value;
  };
  set(2, 1, "1.100", 1.1f);
  set(1, 3, "2.300", 2.3f);
  set(2, 3, "0.500", 0.5f);
  set(3, 3, "1.150", 1.15f);
  set(4, 3, "2.530", 2.53f);
  model.HarmonicVerdict[3] = 255;
  set(1, 2, "1.080", 1.08f);
  set(2, 2, "0.100", 0.1f);
  set(3, 2, "0.090", 0.09f);
  set(4, 2, "0.120", 0.12f);
  model.HarmonicVerdict[2] = 1;
  set(1, 5, "-", 0.0f);
  set(2, 5, "0", 0.0f);
  set(1, 7, "0.770", 0.77f);
  set(2, 7, "0", 0.0f);
  set(3, 7, "0.050", 0.05f);
  set(4, 7, "0.100", 0.1f);
  model.HarmonicVerdict[7] = 1;
  set(1, 41, "0.251", 0.251f);
  set(2, 41, "0.010", 0.01f);
  return model;
}

QString TextAt(const HarmonicsModel& model, int column, int row) {
  const HarmonicsTableCell cell = HarmonicsTableCellAt(model, column, row);
  return cell.kind == Kind::Text ? cell.text : QString();
}

}  // namespace

class TestHarmonicsTable : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void cleanupTestCase();
  void workedExampleCells();
  void dashesAndMissingValues();
  void marksAndLastRow();
  void headers();
  void paintedGrid();
  void recordRepaintsOnlyChangedCells();

 private:
  TestWorkingFolder* folder_ = nullptr;
  ScriptedOperatorDialogs* dialogs_ = nullptr;
  Tqx7300form* window_ = nullptr;
};

void TestHarmonicsTable::initTestCase() {
  folder_ = new TestWorkingFolder;
  dialogs_ = new ScriptedOperatorDialogs;
  window_ = new Tqx7300form(*dialogs_);
  window_->starttimer().stop();
  window_->LoadMarkBitmaps();
}

void TestHarmonicsTable::cleanupTestCase() {
  delete window_;
  delete dialogs_;
  delete folder_;
}

void TestHarmonicsTable::workedExampleCells() {
  const HarmonicsModel model = WorkedExample();
  const QStringList row2 = {TextAt(model, 0, 2), TextAt(model, 1, 2), TextAt(model, 2, 2), TextAt(model, 3, 2),
                            TextAt(model, 4, 2), TextAt(model, 5, 2), TextAt(model, 6, 2)};
  QCOMPARE(row2, (QStringList{"3", "0.500", "2.300", "1.150", " 50.0", "2.530", "110.0"}));
  QCOMPARE(HarmonicsTableCellAt(model, 7, 2).kind, Kind::Cross);
  for (int column = 1; column <= 6; ++column) QCOMPARE(HarmonicsTableCellAt(model, column, 2).colour, kRed);
  // Harmonic 2, the even side of row 1, passes in black.
  QCOMPARE(TextAt(model, 9, 1), QStringLiteral("2"));
  QCOMPARE(TextAt(model, 13, 1), QStringLiteral("  8.3"));
  QCOMPARE(HarmonicsTableCellAt(model, 16, 1).kind, Kind::Tick);
  QCOMPARE(HarmonicsTableCellAt(model, 10, 1).colour, QColor(Qt::black));
  // Right-aligned numbers, centred dashes.
  QCOMPARE(HarmonicsTableCellAt(model, 4, 2).placement, HarmonicsTableCell::Placement::Right);
}

void TestHarmonicsTable::dashesAndMissingValues() {
  const HarmonicsModel model = WorkedExample();
  // Harmonic 5: a "-" limit, centred; both percentages "-".
  const HarmonicsTableCell limit = HarmonicsTableCellAt(model, 2, 3);
  QCOMPARE(limit.text, QStringLiteral("-"));
  QCOMPARE(limit.placement, HarmonicsTableCell::Placement::Centred);
  QCOMPARE(TextAt(model, 4, 3), QStringLiteral("-"));
  QCOMPARE(TextAt(model, 6, 3), QStringLiteral("-"));
  QCOMPARE(HarmonicsTableCellAt(model, 6, 3).placement, HarmonicsTableCell::Placement::Centred);
  // Harmonic 7: no present value, so no average percentage; the maximum
  // percentage still shows.
  QCOMPARE(TextAt(model, 4, 4), QStringLiteral("-"));
  QCOMPARE(TextAt(model, 6, 4), QStringLiteral(" 13.0"));
  // Percentages of a thousand and more keep every digit.
  HarmonicsModel big = model;
  big.HarmonicValue[4][3] = 28.4f;
  QCOMPARE(TextAt(big, 6, 2), QStringLiteral("1234.8"));
}

void TestHarmonicsTable::marksAndLastRow() {
  const HarmonicsModel model = WorkedExample();
  // The fundamental never shows a mark; harmonic 2 does.
  QCOMPARE(HarmonicsTableCellAt(model, 7, 1).kind, Kind::Nothing);
  QCOMPARE(TextAt(model, 0, 1), QStringLiteral("1"));
  // A harmonic not assessed shows "  -" at the cell's corner.
  const HarmonicsTableCell notAssessed = HarmonicsTableCellAt(model, 16, 2);
  QCOMPARE(notAssessed.text, QStringLiteral("  -"));
  QCOMPARE(notAssessed.placement, HarmonicsTableCell::Placement::Corner);
  // The filler column, every data row.
  for (int row = 1; row <= 21; ++row) QCOMPARE(HarmonicsTableCellAt(model, 8, row).kind, Kind::Fill);
  QCOMPARE(HarmonicsTableCellAt(model, 8, 0).kind, Kind::Nothing);
  // Row 21: "P" and the "21 - 39" figure; the right half has no number,
  // no mark, empty texts and "-" percentages.
  QCOMPARE(TextAt(model, 0, 21), QStringLiteral("P"));
  QCOMPARE(TextAt(model, 1, 21), QStringLiteral("0.010"));
  QCOMPARE(TextAt(model, 6, 21), QStringLiteral("  0.0"));  // a limit, no maximum yet
  QCOMPARE(TextAt(model, 7, 21), QStringLiteral("  -"));
  QCOMPARE(HarmonicsTableCellAt(model, 9, 21).kind, Kind::Nothing);
  QCOMPARE(HarmonicsTableCellAt(model, 16, 21).kind, Kind::Nothing);
  QCOMPARE(TextAt(model, 10, 21), QString());
  QCOMPARE(TextAt(model, 13, 21), QStringLiteral("-"));
  QCOMPARE(TextAt(model, 15, 21), QStringLiteral("-"));
}

void TestHarmonicsTable::headers() {
  const HarmonicsModel model;
  QStringList texts;
  for (int column = 0; column < 17; ++column) texts << TextAt(model, column, 0);
  QCOMPARE(texts, (QStringList{"N", "Filtered", "Limit", "Avg.", "%Limit", "Max.", "%Limit", "", "", "N", "Filtered",
                               "Limit", "Avg.", "%Limit", "Max.", "%Limit", ""}));
  const HarmonicsTableCell average = HarmonicsTableCellAt(model, 12, 0);
  QCOMPARE(average.measured, QStringLiteral("%Limit"));
  QCOMPARE(average.widthColumn, 4);
}

void TestHarmonicsTable::paintedGrid() {
  window_->Document().Harmonics() = WorkedExample();
  DrawGrid* grid = window_->Form().DrawGrid1;
  grid->show();
  window_->show();
  QVERIFY(QTest::qWaitForWindowExposed(window_));
  const QImage image = grid->grab().toImage().convertToFormat(QImage::Format_RGB32);
  const QString output = QStringLiteral(QX7300_TEST_OUTPUT);
  QDir().mkpath(output);
  image.save(output + QStringLiteral("/harmonics-table.png"));

  const QPoint offset = grid->viewport()->pos();
  const auto cell = [&](int column, int row) { return grid->visualRect(grid->model()->index(row, column)).translated(offset); };
  // Every cell at its width and 15 pixels high, grid lines between.
  for (int column = 0; column < 17; ++column) QCOMPARE(cell(column, 1).width(), kHarmonicsTableWidths[column]);
  QCOMPARE(cell(1, 1).left() - cell(0, 1).right(), 2);
  QCOMPARE(cell(0, 1).height(), 15);
  QCOMPARE(cell(0, 2).top() - cell(0, 1).top(), 16);
  QVERIFY(cell(16, 21).right() < grid->width());
  QVERIFY(cell(16, 21).bottom() < grid->height());

  // Ink: dark pixels, or with a colour given, reddish ones (the text is
  // smoothed, so few pixels are pure red).
  const auto inkBox = [&](QRect area, const QColor& colour) {
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y) {
      for (int x = area.left(); x <= area.right(); ++x) {
        const QColor pixel = image.pixelColor(x, y);
        const bool ink = colour.isValid() ? pixel.red() > 150 && pixel.green() < 110 && pixel.blue() < 110
                                          : pixel.lightness() < 120;
        if (ink) box = box.united(QRect(x, y, 1, 1));
      }
    }
    return box;
  };
  // Failing harmonic 3: its values are red and right-aligned.
  const QRect present = cell(1, 2).adjusted(0, 0, -1, -1);
  const QRect redInk = inkBox(present, kRed);
  QVERIFY(!redInk.isEmpty());
  QVERIFY2(present.right() - redInk.right() <= 3, qPrintable(QString::number(present.right() - redInk.right())));
  QVERIFY(!inkBox(cell(6, 2).adjusted(0, 0, -1, -1), kRed).isEmpty());
  // Passing harmonic 2 is black.
  QVERIFY(inkBox(cell(10, 1).adjusted(0, 0, -1, -1), kRed).isEmpty());
  // The cross and the tick, one pixel in from the cell's corner.
  const QImage& cross = window_->Marks().cross;
  const QPoint crossAt = cell(7, 2).topLeft() + QPoint(1, 0);
  for (int y = 0; y < cross.height(); ++y) {
    for (int x = 0; x < cross.width(); ++x) QCOMPARE(image.pixelColor(crossAt + QPoint(x, y)), cross.pixelColor(x, y));
  }
  const QImage& tick = window_->Marks().tick;
  const QPoint tickAt = cell(16, 1).topLeft() + QPoint(1, 0);
  QCOMPARE(image.pixelColor(tickAt + QPoint(7, 11)), tick.pixelColor(7, 11));
  // The fundamental's mark cell stays blank.
  QVERIFY(inkBox(cell(7, 1).adjusted(0, 0, -1, -1), QColor()).isEmpty());
  // A centred "-" limit sits in the middle of its column.
  const QRect dash = inkBox(cell(2, 3).adjusted(0, 0, -1, -1), QColor());
  QVERIFY(qAbs(dash.center().x() - cell(2, 3).center().x()) <= 3);
  // "Avg." sits left of its column's centre, "Limit" on it.
  const QRect avg = inkBox(cell(3, 0).adjusted(0, 0, -1, -1), QColor());
  QVERIFY2(avg.center().x() < cell(3, 0).center().x() - 2, "Avg. is not left of centre");
  const QRect limit = inkBox(cell(2, 0).adjusted(0, 0, -1, -1), QColor());
  QVERIFY(qAbs(limit.center().x() - cell(2, 0).center().x()) <= 2);
  // Text stands at the top of its cell.
  QVERIFY(redInk.top() - present.top() <= 4);
}

namespace {

// The region each paint event of a widget covered.
class PaintRegions : public QObject {
 public:
  QRegion painted;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) painted += static_cast<QPaintEvent*>(event)->region();
    return QObject::eventFilter(watched, event);
  }
};

}  // namespace

// A harmonics record repaints the cells whose content it changed; cleared
// results repaint the whole table.
void TestHarmonicsTable::recordRepaintsOnlyChangedCells() {
  window_->show();
  QVERIFY(QTest::qWaitForWindowExposed(window_));
  window_->Form().RadioGroup1->SetItemIndex(2);
  DrawGrid* grid = window_->Form().DrawGrid1;
  QList<QByteArray> values(160, "1.500");
  QVERIFY(window_->ProcessLine(RecordBuilder().Line('L', HarmonicsBody(values))));
  QTest::qWait(50);

  PaintRegions regions;
  grid->viewport()->installEventFilter(&regions);
  // The present value of harmonic 3 (odd side, row 2) changes, nothing else.
  values[40 + 1] = "0.750";
  QVERIFY(window_->ProcessLine(RecordBuilder().Line('L', HarmonicsBody(values))));
  QTRY_VERIFY(!regions.painted.isEmpty());
  QTest::qWait(50);
  const QRect row2 = grid->visualRect(grid->model()->index(2, 0)).united(grid->visualRect(grid->model()->index(2, 7)));
  QCOMPARE(regions.painted.boundingRect().united(row2), row2);
  // The same record again changes nothing on the screen.
  regions.painted = QRegion();
  QVERIFY(window_->ProcessLine(RecordBuilder().Line('L', HarmonicsBody(values))));
  QTest::qWait(50);
  QVERIFY(regions.painted.isEmpty());
  // Cleared results show at once, all of them.
  window_->ClearResults();
  QTRY_VERIFY(regions.painted.contains(grid->viewport()->rect()));
  grid->viewport()->removeEventFilter(&regions);
}

QTEST_MAIN(TestHarmonicsTable)
#include "test_harmonics_table.moc"
