#pragma once

#include <QString>

class QTableWidget;

// Cells of the program's text grids, addressed as column and row.
void SetGridCell(QTableWidget* grid, int column, int row, const QString& text);
QString GridCellText(const QTableWidget* grid, int column, int row);
// Empties rows firstRow..lastRow of one column.
void ClearGridColumn(QTableWidget* grid, int column, int firstRow, int lastRow);
