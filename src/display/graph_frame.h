#pragma once

#include <QImage>
#include <QPoint>
#include <QString>

#include "display/graph_state.h"

// The figures in which the two graphs differ.
struct GraphFrameKind {
  int width;             // bitmap width W
  int plotRight;         // right edge R of the plot rectangle
  int gridSpacing;       // D
  int gridLines;         // K
  int titleRuleEnd;      // T
  bool waveform;         // zero line and vertical grid lines
};

inline constexpr GraphFrameKind kWaveformFrame{400, 350, 25, 7, 400, true};
inline constexpr GraphFrameKind kHistogramFrame{540, 530, 20, 9, 539, false};

inline constexpr int kGraphHeight = 300;

// Where each graph's bitmap is copied onto the main window; the cleared
// area takes the histogram's place, the wider of the two.
inline constexpr QPoint kWaveformPlace{530, 16};
inline constexpr QPoint kHistogramPlace{451, 16};

// A fresh bitmap with the common frame: background, white plot area, dotted
// grid, thick frames and the title rule. `ratio` is the screen's device
// pixels per pixel of the figures: the bitmap holds that many more pixels
// each way and says so (QImage::devicePixelRatio), and is drawn on in the
// figures' coordinates all the same.
QImage DrawGraphFrame(const GraphState& state, const GraphFrameKind& kind, qreal ratio = 1.0);

// A bitmap of the graph area filled with the window's face colour.
QImage ClearedGraphArea(const QColor& faceColour, qreal ratio = 1.0);

// An image's area in the figures' coordinates: its pixels over its ratio.
QRect FigureRect(const QImage& image);
