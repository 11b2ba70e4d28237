#include "app/draw_grid.h"

#include <QHeaderView>
#include <QPainter>
#include <QStyledItemDelegate>

namespace {

class CellPainter : public QStyledItemDelegate {
 public:
  explicit CellPainter(DrawGrid* grid) : QStyledItemDelegate(grid), grid_(grid) {}

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    // The view's rectangle holds the cell; its grid line lies outside it.
    const QRect cell = option.rect;
    const bool fixed = index.row() < grid_->FixedRows();
    painter->save();
    painter->fillRect(cell, grid_->palette().color(fixed ? QPalette::Button : QPalette::Base));
    painter->setFont(grid_->font());
    painter->setPen(grid_->palette().color(QPalette::WindowText));
    grid_->DrawCell(*painter, index.column(), index.row(), cell);
    painter->restore();
  }

 private:
  DrawGrid* grid_;
};

}  // namespace

DrawGrid::DrawGrid(QWidget* parent) : QTableWidget(parent) {
  setItemDelegate(new CellPainter(this));
  setSelectionMode(QAbstractItemView::NoSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setFocusPolicy(Qt::NoFocus);
  horizontalHeader()->hide();
  verticalHeader()->hide();
  horizontalHeader()->setMinimumSectionSize(1);
  verticalHeader()->setMinimumSectionSize(1);
  setShowGrid(true);
}

void DrawGrid::SetCells(const QList<int>& columnWidths, int rows, int rowHeight) {
  setColumnCount(static_cast<int>(columnWidths.size()));
  setRowCount(rows);
  SetColumnWidths(columnWidths);
  for (int r = 0; r < rows; ++r) setRowHeight(r, rowHeight + 1);
}

void DrawGrid::SetColumnWidths(const QList<int>& columnWidths) {
  for (int c = 0; c < columnWidths.size(); ++c) setColumnWidth(c, columnWidths[c] + 1);
}

void DrawGrid::DrawCell(QPainter& painter, int column, int row, const QRect& cell) const {
  if (drawCell_) drawCell_(painter, column, row, cell);
}
