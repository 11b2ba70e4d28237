#pragma once

#include <QColor>
#include <QImage>
#include <QList>
#include <QPainter>
#include <QString>

// Drawing on a graph bitmap with the conventions its figures are given in:
// rectangles from corner to excluded corner, filled by the brush and
// outlined by the pen inside that area; horizontal and vertical lines that
// stop short of their end point; text written from its top-left corner on
// an opaque background of the brush colour. No antialiasing: every pixel is
// where the numbers say.
//
// On a bitmap of more than one device pixel a pixel (a high-density screen's
// copy) the figures keep their places and sizes, drawn at the device's
// density: thin lines and traces one device pixel wide, a dot a whole figure
// pixel, text shaped for the device's pixels.
class GraphPainter {
 public:
  explicit GraphPainter(QImage& image);

  void FillRect(int x1, int y1, int x2, int y2, const QColor& colour);
  // A rectangle filled with brush and outlined with the current pen; an
  // empty one draws nothing.
  void Rectangle(int x1, int y1, int x2, int y2, const QBrush& brush);
  void Line(int x1, int y1, int x2, int y2);
  void Polyline(std::initializer_list<QPoint> points);
  void SetPixel(int x, int y, const QColor& colour);

  void SetPen(const QColor& colour, int width = 1, Qt::PenStyle style = Qt::SolidLine);
  // Text size in pixels: 12 for the graphs' 9-point text, 19 for 14 points.
  void SetTextSize(int pixels);
  void TextOut(int x, int y, const QString& text, const QColor& background);
  // From now on every text written adds the area it may have touched.
  void CollectTextAreas(QList<QRect>* areas) { textAreas_ = areas; }

 private:
  QImage& image_;
  QPainter painter_;
  bool dense_ = false;
  QList<QRect>* textAreas_ = nullptr;
};

// The pixel sizes of the graphs' two text sizes on a 96 dpi screen.
inline constexpr int kGraphTextSmall = 12;  // 9 points
inline constexpr int kGraphTextLarge = 19;  // 14 points
