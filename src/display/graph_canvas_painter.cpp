#include "display/graph_canvas_painter.h"

#include <QFontMetrics>
#include <QHash>
#include <QPair>
#include <QStaticText>

GraphPainter::GraphPainter(QImage& image)
    : image_(image), painter_(&image), dense_(image.devicePixelRatio() != 1.0) {
  painter_.setRenderHint(QPainter::Antialiasing, false);
  painter_.setRenderHint(QPainter::TextAntialiasing, true);
  painter_.setBackgroundMode(Qt::TransparentMode);
  QFont font(QStringLiteral("Arial"));
  font.setPixelSize(kGraphTextSmall);
  painter_.setFont(font);
  SetPen(Qt::black);
}

void GraphPainter::FillRect(int x1, int y1, int x2, int y2, const QColor& colour) {
  painter_.fillRect(QRect(QPoint(x1, y1), QPoint(x2 - 1, y2 - 1)).normalized(), colour);
}

void GraphPainter::Rectangle(int x1, int y1, int x2, int y2, const QBrush& brush) {
  const QRect area = QRect(QPoint(qMin(x1, x2), qMin(y1, y2)), QPoint(qMax(x1, x2) - 1, qMax(y1, y2) - 1));
  if (area.width() <= 0 || area.height() <= 0) return;
  painter_.fillRect(area, brush);
  painter_.setBrush(Qt::NoBrush);
  painter_.drawRect(area.adjusted(0, 0, -1, -1));
}

void GraphPainter::Line(int x1, int y1, int x2, int y2) {
  // The end point itself is not drawn, as a pen moving to it would not.
  if (x1 == x2 && y1 == y2) return;
  if (y1 == y2) {
    painter_.drawLine(x1, y1, x2 > x1 ? x2 - 1 : x2 + 1, y2);
  } else if (x1 == x2) {
    painter_.drawLine(x1, y1, x2, y2 > y1 ? y2 - 1 : y2 + 1);
  } else {
    painter_.drawLine(x1, y1, x2, y2);
  }
}

void GraphPainter::Polyline(std::initializer_list<QPoint> points) {
  painter_.drawPolyline(points.begin(), static_cast<int>(points.size()));
}

void GraphPainter::SetPixel(int x, int y, const QColor& colour) {
  if (dense_) {
    painter_.fillRect(QRect(x, y, 1, 1) & QRect(QPoint(0, 0), image_.deviceIndependentSize().toSize()), colour);
    return;
  }
  if (x < 0 || y < 0 || x >= image_.width() || y >= image_.height()) return;
  image_.setPixelColor(x, y, colour);
}

void GraphPainter::SetPen(const QColor& colour, int width, Qt::PenStyle style) {
  QPen pen(colour);
  pen.setWidth(width);
  // A thin line stays one device pixel wide on a dense bitmap; a thick one
  // keeps its width in figure pixels.
  if (dense_ && width == 1) pen.setCosmetic(true);
  if (style == Qt::DotLine) {
    // One pixel on, one off.
    pen.setDashPattern({1.0, 1.0});
  } else {
    pen.setStyle(style);
  }
  pen.setCapStyle(Qt::FlatCap);
  pen.setJoinStyle(Qt::MiterJoin);
  painter_.setPen(pen);
}

void GraphPainter::SetTextSize(int pixels) {
  QFont font = painter_.font();
  font.setPixelSize(pixels);
  painter_.setFont(font);
}

namespace {

// The graphs write the same few texts in two sizes on every record; their
// widths are measured once.
int TextWidth(const QFont& font, const QString& text) {
  static QHash<QPair<int, QString>, int> widths;
  const QPair<int, QString> key{font.pixelSize(), text};
  auto found = widths.constFind(key);
  if (found != widths.constEnd()) return *found;
  if (widths.size() > 256) widths.clear();
  const int width = QFontMetrics(font).horizontalAdvance(text);
  widths.insert(key, width);
  return width;
}

// The texts laid out once: shaping them is most of the cost of writing them.
const QStaticText& LaidOutText(const QFont& font, const QString& text) {
  static QHash<QPair<int, QString>, QStaticText> texts;
  const QPair<int, QString> key{font.pixelSize(), text};
  auto found = texts.find(key);
  if (found != texts.end()) return *found;
  if (texts.size() > 256) texts.clear();
  QStaticText laidOut(text);
  laidOut.setTextFormat(Qt::PlainText);
  laidOut.setPerformanceHint(QStaticText::AggressiveCaching);
  laidOut.prepare(QTransform(), font);
  return *texts.insert(key, laidOut);
}

}  // namespace

void GraphPainter::TextOut(int x, int y, const QString& text, const QColor& background) {
  if (text.isEmpty()) return;
  const QFontMetrics metrics(painter_.font());
  const QRect area(x, y, TextWidth(painter_.font(), text), metrics.height());
  painter_.fillRect(area, background);
  // Glyphs may reach a little past their advance and line height.
  if (textAreas_) *textAreas_ << area.adjusted(-2, -2, 2, 2);
  const QPen pen = painter_.pen();
  painter_.setPen(Qt::black);
  painter_.drawStaticText(QPoint(x, y), LaidOutText(painter_.font(), text));
  painter_.setPen(pen);
}
