#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <QString>

#include <array>

#include "results/harmonics_model.h"

// The harmonics table: 17 columns, a header row and 21 data rows. Row r
// shows the odd harmonic 2r - 1 in columns 0 to 7 and the even harmonic 2r
// in columns 9 to 16, with a 2-pixel filler column between. Row 21's odd
// side is the "21 - 39" figure, labelled "P".
inline constexpr int kHarmonicsTableColumns = 17;
inline constexpr int kHarmonicsTableRows = 22;
inline constexpr int kHarmonicsTableRowHeight = 15;
inline constexpr std::array<int, kHarmonicsTableColumns> kHarmonicsTableWidths = {
    15, 39, 39, 39, 35, 39, 35, 20, 2, 15, 39, 39, 39, 35, 39, 35, 20};

struct HarmonicsTableMarks {
  QImage tick;
  QImage cross;
  QImage fill;
  // Optional drawings of the tick and the cross with twice the pixels each
  // way (device pixel ratio 2), for screens of more than one device pixel a
  // pixel; without them the 1x marks are scaled smoothly there.
  QImage denseTick;
  QImage denseCross;
};

// What one cell shows.
struct HarmonicsTableCell {
  enum class Kind { Nothing, Text, Tick, Cross, Fill };
  Kind kind = Kind::Nothing;
  QString text;
  // Text placement: right-aligned in its column, centred on the measured
  // text over the width of column widthColumn, or written at the cell's
  // corner (the "  -" of a harmonic not assessed).
  enum class Placement { Right, Centred, Corner };
  Placement placement = Placement::Right;
  QString measured;
  int widthColumn = 0;
  QColor colour = Qt::black;

  bool operator==(const HarmonicsTableCell&) const = default;
};

HarmonicsTableCell HarmonicsTableCellAt(const HarmonicsModel& model, int column, int row);

// Draws one cell's content into its rectangle; the grid painted the
// background and lines already. Text is written at the top of the cell.
void DrawHarmonicsTableCell(QPainter& painter, const QRect& cell, const HarmonicsTableCell& content,
                            const HarmonicsTableMarks& marks);
