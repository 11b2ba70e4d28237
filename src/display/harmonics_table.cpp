#include "display/harmonics_table.h"

#include <QFontMetrics>

#include "link/status_record.h"

namespace {

using Cell = HarmonicsTableCell;

const QColor kFailColour(255, 0, 0);
const QString kDash = QStringLiteral("-");

Cell Text(const QString& text, Cell::Placement placement, int widthColumn, const QColor& colour = Qt::black) {
  Cell cell;
  cell.kind = Cell::Kind::Text;
  cell.text = text;
  cell.measured = text;
  cell.placement = placement;
  cell.widthColumn = widthColumn;
  cell.colour = colour;
  return cell;
}

Cell Header(int column) {
  // Some headers are placed by the width of another column or text: "Avg."
  // and "Max." by that of "%Limit", so they sit left of centre. Every header
  // uses the left half's widths.
  const int c = column < 9 ? column : column - 9;
  Cell cell;
  switch (c) {
    case 0: cell = Text(QStringLiteral("N"), Cell::Placement::Centred, 0); break;
    case 1: cell = Text(QStringLiteral("Filtered"), Cell::Placement::Centred, 1); break;
    case 2: cell = Text(QStringLiteral("Limit"), Cell::Placement::Centred, 2); break;
    case 3: cell = Text(QStringLiteral("Avg."), Cell::Placement::Centred, 4); cell.measured = QStringLiteral("%Limit"); break;
    case 4:
    case 6: cell = Text(QStringLiteral("%Limit"), Cell::Placement::Centred, 3); break;
    case 5: cell = Text(QStringLiteral("Max."), Cell::Placement::Centred, 5); cell.measured = QStringLiteral("%Limit"); break;
    default: break;
  }
  return cell;
}

Cell ValueOrDash(const QString& text, int column, const QColor& colour) {
  return Text(text, text == kDash ? Cell::Placement::Centred : Cell::Placement::Right, column, colour);
}

Cell Percentage(bool shown, float value, float limit, int column, const QColor& colour) {
  if (!shown) return Text(kDash, Cell::Placement::Centred, column, colour);
  return Text(FormatFixed(100.0f * value / limit, 1, 5), Cell::Placement::Right, column, colour);
}

Cell Mark(quint8 verdict, int harmonic, int column) {
  Cell cell;
  // The fundamental has no verdict, nor has the empty slot after the
  // "21 - 39" figure; the figure itself shows its own (not assessed
  // unless the analyser says otherwise).
  if (harmonic == 1 || harmonic > 41) return cell;
  if (verdict == 0) {
    cell = Text(QStringLiteral("  -"), Cell::Placement::Corner, column);
  } else {
    cell.kind = verdict == 1 ? Cell::Kind::Tick : Cell::Kind::Cross;
  }
  return cell;
}

}  // namespace

HarmonicsTableCell HarmonicsTableCellAt(const HarmonicsModel& model, int column, int row) {
  if (column < 0 || column >= kHarmonicsTableColumns || row < 0 || row >= kHarmonicsTableRows) return {};
  if (row == 0) return Header(column);
  if (column == 8) {
    Cell fill;
    fill.kind = Cell::Kind::Fill;
    return fill;
  }
  const bool oddSide = column < 8;
  const int c = oddSide ? column : column - 9;
  const int h = oddSide ? 2 * row - 1 : 2 * row;
  const float limit = model.HarmonicValue[1][h];
  const QColor colour = model.HarmonicVerdict[h] == 255 ? kFailColour : QColor(Qt::black);
  switch (c) {
    case 0:
      if (oddSide) return Text(h == 41 ? QStringLiteral("P") : QString::number(h), Cell::Placement::Right, column);
      return h <= 40 ? Text(QString::number(h), Cell::Placement::Right, column) : Cell();
    case 1: return Text(model.HarmonicText[2][h], Cell::Placement::Right, column, colour);
    case 2: return ValueOrDash(model.HarmonicText[1][h], column, colour);
    case 3: return Text(model.HarmonicText[3][h], Cell::Placement::Right, column, colour);
    case 4:
      return Percentage(limit != 0.0f && model.HarmonicValue[2][h] != 0.0f, model.HarmonicValue[3][h], limit,
                        column, colour);
    case 5: return Text(model.HarmonicText[4][h], Cell::Placement::Right, column, colour);
    case 6: return Percentage(limit != 0.0f, model.HarmonicValue[4][h], limit, column, colour);
    case 7: return Mark(model.HarmonicVerdict[h], h, column);
    default: return {};
  }
}

void DrawHarmonicsTableCell(QPainter& painter, const QRect& cell, const HarmonicsTableCell& content,
                            const HarmonicsTableMarks& marks) {
  const QPoint corner = cell.topLeft();
  // A screen of more than one device pixel a pixel takes the dense marks
  // when there are some; a mark drawn at another density is scaled smoothly.
  const bool dense = painter.device() != nullptr && painter.device()->devicePixelRatioF() != 1.0;
  const auto drawMark = [&](QPoint at, const QImage& mark, const QImage& denseMark) {
    const QImage& chosen = dense && !denseMark.isNull() ? denseMark : mark;
    const bool scaled = painter.device() != nullptr && painter.device()->devicePixelRatioF() != chosen.devicePixelRatio();
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, scaled);
    painter.drawImage(QRectF(at, chosen.deviceIndependentSize()), chosen, QRectF(chosen.rect()));
    painter.restore();
  };
  switch (content.kind) {
    case Cell::Kind::Nothing:
      return;
    case Cell::Kind::Tick:
      drawMark(corner + QPoint(1, 0), marks.tick, marks.denseTick);
      return;
    case Cell::Kind::Cross:
      drawMark(corner + QPoint(1, 0), marks.cross, marks.denseCross);
      return;
    case Cell::Kind::Fill:
      // One flat colour: as sharp scaled as drawn.
      painter.drawImage(corner, marks.fill);
      return;
    case Cell::Kind::Text:
      break;
  }
  const QFontMetrics metrics(painter.font());
  const int width = kHarmonicsTableWidths[static_cast<size_t>(content.widthColumn)];
  int x = cell.left();
  switch (content.placement) {
    case Cell::Placement::Right:
      x = cell.left() + width - metrics.horizontalAdvance(content.text) - 1;
      break;
    case Cell::Placement::Centred:
      x = cell.left() + (width - metrics.horizontalAdvance(content.measured)) / 2;
      break;
    case Cell::Placement::Corner:
      x = cell.left() + 1;
      break;
  }
  painter.setPen(content.colour);
  painter.drawText(QPoint(x, cell.top() + metrics.ascent()), content.text);
}
