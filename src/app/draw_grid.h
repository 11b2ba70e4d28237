#pragma once

#include <QTableWidget>

#include <functional>

// A grid that only lays out its cells and paints their backgrounds (the
// fixed rows in the button face colour); the owner draws every cell's
// content through the draw-cell handler, which the grid calls for each cell
// it paints with the cell's rectangle (grid line excluded). Column widths
// and the row height are those of the cells; each grid line takes one more
// pixel. Nothing is ever shown as selected.
class DrawGrid : public QTableWidget {
  Q_OBJECT

 public:
  using DrawCellHandler = std::function<void(QPainter& painter, int column, int row, const QRect& cell)>;

  explicit DrawGrid(QWidget* parent = nullptr);

  void SetDrawCell(DrawCellHandler handler) { drawCell_ = std::move(handler); }
  void SetFixedRows(int rows) { fixedRows_ = rows; }
  // Lays the grid out: cell sizes without their grid lines.
  void SetCells(const QList<int>& columnWidths, int rows, int rowHeight);
  // The column widths alone, cells without their grid lines.
  void SetColumnWidths(const QList<int>& columnWidths);

  // Runs the draw-cell handler for one cell on the given painter.
  void DrawCell(QPainter& painter, int column, int row, const QRect& cell) const;
  int FixedRows() const { return fixedRows_; }

 private:
  DrawCellHandler drawCell_;
  int fixedRows_ = 1;
};
