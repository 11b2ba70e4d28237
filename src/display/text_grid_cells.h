#pragma once

#include <QList>
#include <QString>

// One cell of a text grid to be written, as column and row.
struct GridCell {
  int column = 0;
  int row = 0;
  QString text;
  bool operator==(const GridCell&) const = default;
};

using GridCells = QList<GridCell>;
