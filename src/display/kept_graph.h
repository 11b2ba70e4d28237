#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QRect>

#include <vector>

#include "display/graph_state.h"

// The pixels a graph's data may have covered: per column, one span of rows.
// Marks may cover more than was drawn, never less.
class GraphFootprint {
 public:
  explicit GraphFootprint(QSize bitmap = {});

  // Columns x1..x2 and rows y1..y2, inclusive and in any order, clipped to
  // the bitmap.
  void Mark(int x1, int y1, int x2, int y2);
  bool Intersects(const QRect& area) const;
  QRect Bounds() const;
  // Copies the covered pixels from `source` into `target`.
  void CopyCovered(const QImage& source, QImage& target) const;

 private:
  struct Span {
    int top = 0;
    int bottom = -1;  // empty
  };
  QSize size_;
  std::vector<Span> columns_;
};

// A graph bitmap redrawn record after record on the same fixed part (frame,
// scales and titles): that part is drawn once for each look of the graph, and
// a record puts back only the pixels the last record's data covered before
// drawing its own. Whole redraws are left for a new look and for a bitmap
// that has been replaced or drawn on elsewhere since. Texts are written over
// the data, so data that would cross one needs the bare frame put back under
// the texts and the texts written again (or a whole redraw).
class KeptGraph {
 public:
  // Whether `bitmap` is, untouched, the one last finished here under `look`.
  bool Continues(const QImage& bitmap, const QByteArray& look) const;
  const QByteArray& Look() const { return look_; }
  // Starts `bitmap` afresh as the fixed part with no data on it: drawn over
  // in place when it is the one last finished here (no new bitmap), else
  // replaced by a copy.
  void StartAfresh(QImage& bitmap);
  // A new look: its frame, its fixed part (the frame with the texts: the
  // graph without data) and the areas of its texts.
  void Restart(const QByteArray& look, const QImage& frame, const QImage& fixedPart,
               const QList<QRect>& textAreas);
  // Whether data covering `footprint` would cross a text.
  bool CrossesText(const GraphFootprint& footprint) const;
  // Puts back the fixed part where the last data was.
  void Restore(QImage& bitmap) const { drawn_.CopyCovered(fixedPart_, bitmap); }
  // Puts back the bare frame where the last data was and under every text,
  // for data that crosses a text: the texts are then written again over it.
  // Returns the area put back.
  QRect RestoreFrame(QImage& bitmap) const;
  const GraphFootprint& Drawn() const { return drawn_; }
  const QImage& FixedPart() const { return fixedPart_; }
  // The bitmap as finished, with what its data covers now.
  void Finish(const QImage& bitmap, const GraphFootprint& drawn);
  // The bitmap's cache key when it was last finished (0 before).
  qint64 FinishedKey() const { return finishedKey_; }

 private:
  QByteArray look_;
  QImage frame_;
  QImage fixedPart_;
  QList<QRect> textAreas_;
  GraphFootprint drawn_;
  qint64 finishedKey_ = 0;
};

// What one draw changed on the bitmap, for copying just that onto the
// window: the part that differs from the bitmap as it was under key `since`.
struct GraphChange {
  QRect area;
  qint64 since = 0;
};

// The colours of the graph area, as part of a graph's look.
QByteArray GraphLook(const GraphState& state);
