#include "app/graph_canvas.h"

#include <QPainter>

#include "display/graph_frame.h"

GraphCanvas::GraphCanvas(QWidget* parent) : QFrame(parent) {
  // The surface covers every pixel: nothing beneath needs painting first.
  setAttribute(Qt::WA_OpaquePaintEvent);
}

bool GraphCanvas::SurfaceFits() const {
  return surface_.deviceIndependentSize().toSize() == size() && surface_.devicePixelRatio() == devicePixelRatioF();
}

void GraphCanvas::EnsureSurface() {
  if (SurfaceFits()) return;
  // As many pixels as the screen has under the surface, so that a graph drawn
  // at the screen's density is copied pixel for pixel.
  const qreal ratio = devicePixelRatioF();
  QImage fresh(size() * ratio, QImage::Format_RGB32);
  fresh.setDevicePixelRatio(ratio);
  fresh.fill(palette().color(QPalette::Button));
  if (!surface_.isNull()) {
    QPainter painter(&fresh);
    painter.drawImage(0, 0, surface_);
  }
  surface_ = fresh;
}

void GraphCanvas::CopyImage(const QImage& image, QPoint windowPos, Repaint repaint) {
  // The window's every paint copies the kept graph again (a label changing
  // on the window repaints it beneath); when the surface shows that image,
  // unchanged, at that place already, there is nothing to copy.
  const bool shown = !image.isNull() && image.cacheKey() == shownKey_ && windowPos == shownPos_ && SurfaceFits();
  if (shown) {
    if (repaint == Repaint::Schedule) update();
    return;
  }
  EnsureSurface();
  {
    QPainter painter(&surface_);
    painter.drawImage(windowPos - pos(), image);
  }
  shownKey_ = image.cacheKey();
  shownPos_ = windowPos;
  if (repaint == Repaint::Schedule) update();
}

void GraphCanvas::CopyImageChange(const QImage& image, QPoint windowPos, const GraphChange& change) {
  if (change.since == 0 || change.since != shownKey_ || windowPos != shownPos_ || !SurfaceFits()) {
    CopyImage(image, windowPos);
    return;
  }
  shownKey_ = image.cacheKey();
  // The change is in the image's figure pixels; a dense image holds `ratio`
  // device pixels for each.
  const QRect area = change.area & FigureRect(image);
  if (area.isEmpty()) return;
  const QPoint at = windowPos - pos() + area.topLeft();
  const qreal ratio = image.devicePixelRatio();
  {
    QPainter painter(&surface_);
    painter.drawImage(QRectF(at, area.size()), image,
                      QRectF(area.x() * ratio, area.y() * ratio, area.width() * ratio, area.height() * ratio));
  }
  update(QRect(at, area.size()));
}

void GraphCanvas::paintEvent(QPaintEvent* event) {
  EnsureSurface();
  {
    QPainter painter(this);
    painter.drawImage(0, 0, surface_);
  }
  // The raised frame is drawn over the surface's edge.
  QFrame::paintEvent(event);
}

void GraphCanvas::resizeEvent(QResizeEvent* event) {
  QFrame::resizeEvent(event);
  EnsureSurface();
}
