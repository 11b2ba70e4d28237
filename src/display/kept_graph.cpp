#include "display/kept_graph.h"

#include "display/graph_frame.h"

#include <algorithm>
#include <cstring>

GraphFootprint::GraphFootprint(QSize bitmap)
    : size_(bitmap), columns_(static_cast<size_t>(std::max(bitmap.width(), 0))) {}

void GraphFootprint::Mark(int x1, int y1, int x2, int y2) {
  const int left = std::max(std::min(x1, x2), 0);
  const int right = std::min(std::max(x1, x2), size_.width() - 1);
  const int top = std::max(std::min(y1, y2), 0);
  const int bottom = std::min(std::max(y1, y2), size_.height() - 1);
  if (left > right || top > bottom) return;
  for (int x = left; x <= right; ++x) {
    Span& span = columns_[static_cast<size_t>(x)];
    if (span.bottom < span.top) {
      span = {top, bottom};
    } else {
      span.top = std::min(span.top, top);
      span.bottom = std::max(span.bottom, bottom);
    }
  }
}

bool GraphFootprint::Intersects(const QRect& area) const {
  const int left = std::max(area.left(), 0);
  const int right = std::min(area.right(), size_.width() - 1);
  for (int x = left; x <= right; ++x) {
    const Span& span = columns_[static_cast<size_t>(x)];
    if (span.bottom >= span.top && span.top <= area.bottom() && span.bottom >= area.top()) return true;
  }
  return false;
}

QRect GraphFootprint::Bounds() const {
  QRect bounds;
  for (int x = 0; x < size_.width(); ++x) {
    const Span& span = columns_[static_cast<size_t>(x)];
    if (span.bottom >= span.top) bounds |= QRect(x, span.top, 1, span.bottom - span.top + 1);
  }
  return bounds;
}

namespace {

// The device pixels under an area of figure pixels on a bitmap of `ratio`
// device pixels a pixel, one more all round where a thin line drawn between
// figure points may have reached (putting back more of the fixed part than
// was drawn on is harmless).
QRect DevicePixels(const QRect& figure, qreal ratio, const QImage& bitmap) {
  if (ratio == 1.0) return figure & bitmap.rect();
  const QRectF scaled(figure.x() * ratio, figure.y() * ratio, figure.width() * ratio, figure.height() * ratio);
  return scaled.toAlignedRect().adjusted(-1, -1, 1, 1) & bitmap.rect();
}

void CopyArea(const QImage& source, QImage& target, const QRect& area) {
  const size_t pixel = static_cast<size_t>(source.depth() / 8);
  const size_t offset = static_cast<size_t>(area.left()) * pixel;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    std::memcpy(target.scanLine(y) + offset, source.constScanLine(y) + offset,
                static_cast<size_t>(area.width()) * pixel);
  }
}

}  // namespace

void GraphFootprint::CopyCovered(const QImage& source, QImage& target) const {
  Q_ASSERT(source.size() == target.size() && source.format() == target.format() &&
           source.devicePixelRatio() == target.devicePixelRatio());
  const qreal ratio = source.devicePixelRatio();
  if (ratio != 1.0) {
    for (int x = 0; x < size_.width(); ++x) {
      const Span& span = columns_[static_cast<size_t>(x)];
      if (span.bottom < span.top) continue;
      const QRect area = DevicePixels(QRect(x, span.top, 1, span.bottom - span.top + 1), ratio, target);
      if (!area.isEmpty()) CopyArea(source, target, area);
    }
    return;
  }
  Q_ASSERT(source.size() == size_);
  const qsizetype from = source.bytesPerLine();
  const qsizetype to = target.bytesPerLine();
  const uchar* in = source.constBits();
  uchar* out = target.bits();
  if (source.depth() == 32) {
    // Pixel by pixel down the columns: a word each, no call.
    for (int x = 0; x < size_.width(); ++x) {
      const Span& span = columns_[static_cast<size_t>(x)];
      for (int y = span.top; y <= span.bottom; ++y) {
        reinterpret_cast<quint32*>(out + y * to)[x] = reinterpret_cast<const quint32*>(in + y * from)[x];
      }
    }
    return;
  }
  const size_t pixel = static_cast<size_t>(source.depth() / 8);
  for (int x = 0; x < size_.width(); ++x) {
    const Span& span = columns_[static_cast<size_t>(x)];
    const size_t offset = static_cast<size_t>(x) * pixel;
    for (int y = span.top; y <= span.bottom; ++y) std::memcpy(out + y * to + offset, in + y * from + offset, pixel);
  }
}

bool KeptGraph::Continues(const QImage& bitmap, const QByteArray& look) const {
  return finishedKey_ != 0 && bitmap.cacheKey() == finishedKey_ && look == look_ &&
         bitmap.size() == fixedPart_.size() && bitmap.format() == fixedPart_.format() &&
         bitmap.devicePixelRatio() == fixedPart_.devicePixelRatio();
}

void KeptGraph::Restart(const QByteArray& look, const QImage& frame, const QImage& fixedPart,
                        const QList<QRect>& textAreas) {
  look_ = look;
  frame_ = frame;
  fixedPart_ = fixedPart;
  textAreas_ = textAreas;
  drawn_ = GraphFootprint(FigureRect(fixedPart).size());
}

void KeptGraph::StartAfresh(QImage& bitmap) {
  const bool ours = finishedKey_ != 0 && bitmap.cacheKey() == finishedKey_ && bitmap.size() == fixedPart_.size() &&
                    bitmap.format() == fixedPart_.format() && bitmap.bytesPerLine() == fixedPart_.bytesPerLine() &&
                    bitmap.devicePixelRatio() == fixedPart_.devicePixelRatio();
  if (ours) {
    std::memcpy(bitmap.bits(), fixedPart_.constBits(), static_cast<size_t>(fixedPart_.sizeInBytes()));
  } else {
    bitmap = fixedPart_.copy();
  }
  drawn_ = GraphFootprint(FigureRect(fixedPart_).size());
}

bool KeptGraph::CrossesText(const GraphFootprint& footprint) const {
  return std::any_of(textAreas_.cbegin(), textAreas_.cend(),
                     [&](const QRect& area) { return footprint.Intersects(area); });
}

QRect KeptGraph::RestoreFrame(QImage& bitmap) const {
  drawn_.CopyCovered(frame_, bitmap);
  QRect restored = drawn_.Bounds();
  for (const QRect& text : textAreas_) {
    const QRect area = text & FigureRect(bitmap);
    if (area.isEmpty()) continue;
    CopyArea(frame_, bitmap, DevicePixels(area, bitmap.devicePixelRatio(), bitmap));
    restored |= area;
  }
  return restored;
}

void KeptGraph::Finish(const QImage& bitmap, const GraphFootprint& drawn) {
  drawn_ = drawn;
  finishedKey_ = bitmap.cacheKey();
}

QByteArray GraphLook(const GraphState& state) {
  QByteArray look;
  for (const QColor& colour : {state.GraphBackColour, state.PlotAreaColour, state.GridColour,
                               state.VoltageTraceColour, state.CurrentTraceColour}) {
    look += QByteArray::number(colour.rgba(), 16) + ',';
  }
  return look;
}
