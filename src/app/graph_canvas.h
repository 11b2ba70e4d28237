#pragma once

#include <QFrame>
#include <QImage>
#include <QPoint>

#include "display/kept_graph.h"

// The surface of the graph and table area. Graphs have no widget of their
// own: a finished graph bitmap is copied onto this surface at a position
// given in main-window client coordinates, and stays there until something
// else is copied over it. Grids and panels of the display area lie above it.
class GraphCanvas : public QFrame {
  Q_OBJECT

 public:
  explicit GraphCanvas(QWidget* parent = nullptr);

  // Copies the image unscaled with its top-left corner at windowPos (an image
  // of more than one device pixel a pixel takes its figure size). From
  // inside a paint of the window the surface is being painted anyway, so no
  // further repaint is scheduled.
  enum class Repaint { Schedule, AlreadyPainting };
  void CopyImage(const QImage& image, QPoint windowPos, Repaint repaint = Repaint::Schedule);
  // The same, copying and repainting only what changed when the surface
  // shows, at that place, the image as it was before the change.
  void CopyImageChange(const QImage& image, QPoint windowPos, const GraphChange& change);
  // What the surface shows now, in its own coordinates (for tests and prints).
  const QImage& Surface() const { return surface_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void EnsureSurface();
  // The surface has the widget's size and its screen's density.
  bool SurfaceFits() const;

  QImage surface_;
  // The image last copied whole or in part, and where.
  qint64 shownKey_ = 0;
  QPoint shownPos_;
};
