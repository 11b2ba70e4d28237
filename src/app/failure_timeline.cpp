#include "app/failure_timeline.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionSlider>

#include <algorithm>

namespace {

constexpr int kStripHeight = 8;
// The slider's positions are whole seconds.
constexpr quint32 kSliderUnit = 1000;

}  // namespace

FailureTimeline::FailureTimeline(quint32 durationMilliseconds, std::vector<FailureSpan> spans, QWidget* parent)
    : QWidget(parent), duration_(durationMilliseconds), spans_(std::move(spans)) {
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  setToolTip(QStringLiteral("Times the test showed a failure"));
}

QSize FailureTimeline::sizeHint() const { return {360, kStripHeight}; }

int FailureTimeline::XForTime(quint32 milliseconds) const {
  QStyleOptionSlider option;
  option.initFrom(this);
  option.orientation = Qt::Horizontal;
  option.minimum = 0;
  option.maximum = static_cast<int>(duration_ / kSliderUnit);
  option.rect = rect();
  const QRect groove = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, this);
  const QRect handle = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
  const int span = std::max(groove.width() - handle.width(), 1);
  // The slider's mapping of its whole seconds, carried on to milliseconds.
  const qint64 scale = static_cast<qint64>(std::max(option.maximum, 1)) * kSliderUnit;
  const qint64 time = std::min<qint64>(milliseconds, scale);
  const int offset = static_cast<int>(time * span / scale);
  return groove.left() + handle.width() / 2 + offset;
}

void FailureTimeline::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().color(QPalette::Window));
  const QColor red(Qt::red);
  for (const FailureSpan& failure : spans_) {
    const int left = XForTime(failure.begin);
    const int right = std::max(XForTime(failure.end), left + 1);
    painter.fillRect(QRect(QPoint(left, 1), QPoint(right - 1, height() - 2)), red);
  }
}
