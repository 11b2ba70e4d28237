#pragma once

#include <QWidget>

#include <vector>

#include "session/recording_analysis.h"

// A thin strip under the review bar's position slider that marks in red
// the times the recorded test showed a failure. A time stands where the
// slider's handle centre stands for it, so a mark lies under the position
// the slider would take at that time.
class FailureTimeline : public QWidget {
  Q_OBJECT

 public:
  FailureTimeline(quint32 durationMilliseconds, std::vector<FailureSpan> spans, QWidget* parent = nullptr);

  // The x of a time within the strip, as a horizontal QSlider of the
  // strip's width and style places its handle centre.
  int XForTime(quint32 milliseconds) const;
  const std::vector<FailureSpan>& Spans() const { return spans_; }

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  quint32 duration_;
  std::vector<FailureSpan> spans_;
};
