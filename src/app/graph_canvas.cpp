#include "app/graph_canvas.h"

#include <QPainter>

GraphCanvas::GraphCanvas(QWidget* parent) : QFrame(parent) {
  // The surface covers every pixel: nothing beneath needs painting first.
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void GraphCanvas::EnsureSurface() {
  if (surface_.size() == size()) return;
  QImage fresh(size(), QImage::Format_RGB32);
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
  const bool shown = !image.isNull() && image.cacheKey() == shownKey_ && windowPos == shownPos_ &&
                     surface_.size() == size();
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
  if (change.since == 0 || change.since != shownKey_ || windowPos != shownPos_ || surface_.size() != size()) {
    CopyImage(image, windowPos);
    return;
  }
  shownKey_ = image.cacheKey();
  const QRect area = change.area & image.rect();
  if (area.isEmpty()) return;
  const QPoint at = windowPos - pos() + area.topLeft();
  {
    QPainter painter(&surface_);
    painter.drawImage(at, image, area);
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
