#include "app/string_grid.h"

#include <QTableWidget>

void SetGridCell(QTableWidget* grid, int column, int row, const QString& text) {
  if (row < 0 || row >= grid->rowCount() || column < 0 || column >= grid->columnCount()) return;
  QTableWidgetItem* cell = grid->item(row, column);
  if (cell == nullptr) {
    // An empty cell needs no item of its own.
    if (text.isEmpty()) return;
    cell = new QTableWidgetItem;
    grid->setItem(row, column, cell);
  }
  cell->setText(text);
}

QString GridCellText(const QTableWidget* grid, int column, int row) {
  const QTableWidgetItem* cell = grid->item(row, column);
  return cell == nullptr ? QString() : cell->text();
}

void ClearGridColumn(QTableWidget* grid, int column, int firstRow, int lastRow) {
  for (int row = firstRow; row <= lastRow; ++row) SetGridCell(grid, column, row, QString());
}
