#include "app/recording_review.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>

#include "app/preview.h"
#include "app/qx7300main.h"
#include "record/record_failure.h"
#include "record/recorded_state.h"
#include "ui_qx7300main.h"

namespace {

constexpr int kTickMilliseconds = 20;
// As fast as possible still gives the window its events this often.
constexpr qint64 kBatchMilliseconds = 30;

QString Clock(quint32 milliseconds) {
  const quint32 seconds = milliseconds / 1000;
  return QStringLiteral("%1:%2:%3")
      .arg(seconds / 3600)
      .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
      .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

}  // namespace

RecordingReview::RecordingReview(RecordingContents recording, const QString& name, OperatorDialogs& dialogs,
                                 const PrinterFontValues& printerFont)
    : recording_(std::move(recording)), name_(name), dialogs_(dialogs), printerFont_(printerFont) {
  bar_ = std::make_unique<QWidget>(nullptr, Qt::Tool);
  bar_->setWindowTitle(QStringLiteral("Recording Review - ") + name_);
  play_ = new QPushButton(QStringLiteral("Play"), bar_.get());
  speedBox_ = new QComboBox(bar_.get());
  speedBox_->addItems({QStringLiteral("1x"), QStringLiteral("10x"), QStringLiteral("As fast as possible")});
  slider_ = new QSlider(Qt::Horizontal, bar_.get());
  slider_->setRange(0, static_cast<int>(Duration() / 1000));
  slider_->setMinimumWidth(360);
  time_ = new QLabel(bar_.get());
  auto* nextFailure = new QPushButton(QStringLiteral("Next Failure"), bar_.get());
  status_ = new QLabel(bar_.get());
  status_->setMinimumWidth(220);
  auto* layout = new QHBoxLayout(bar_.get());
  layout->addWidget(play_);
  layout->addWidget(speedBox_);
  layout->addWidget(slider_, 1);
  layout->addWidget(time_);
  layout->addWidget(nextFailure);
  layout->addWidget(status_);

  connect(play_, &QPushButton::clicked, this, [this] { Playing() ? Pause() : Play(); });
  connect(speedBox_, &QComboBox::activated, this, [this](int index) {
    SetSpeed(index == 0 ? Speed::Real : index == 1 ? Speed::Tenfold : Speed::AsFastAsPossible);
  });
  connect(slider_, &QSlider::sliderReleased, this, [this] { SeekTo(static_cast<quint32>(slider_->value()) * 1000); });
  connect(slider_, &QSlider::actionTriggered, this, [this](int action) {
    // Clicks and keys beside the handle move it; the drag ends in sliderReleased.
    if (action != QAbstractSlider::SliderMove) {
      QTimer::singleShot(0, this, [this] { SeekTo(static_cast<quint32>(slider_->value()) * 1000); });
    }
  });
  connect(nextFailure, &QPushButton::clicked, this, [this] { NextFailure(); });
  connect(&timer_, &QTimer::timeout, this, &RecordingReview::Tick);
  timer_.setInterval(kTickMilliseconds);
  bar_->installEventFilter(this);

  NewWindow();
  bar_->show();
  bar_->move(window_->geometry().left(), window_->frameGeometry().bottom() + 8);
  ShowPosition();
}

RecordingReview::~RecordingReview() {
  ending_ = true;
  timer_.stop();
}

quint32 RecordingReview::Position() const {
  return next_ > 0 ? recording_.Entries[next_ - 1].Milliseconds : 0;
}

quint32 RecordingReview::Duration() const {
  return recording_.Entries.isEmpty() ? 0 : recording_.Entries.last().Milliseconds;
}

void RecordingReview::NewWindow() {
  QRect placed;
  if (window_) {
    placed = window_->geometry();
    window_->removeEventFilter(this);
    window_->hide();
    // Released once the event loop is back: a call of the old window may
    // still be on the stack. Its document goes with it.
    Tqx7300form* old = window_.release();
    connect(old, &QObject::destroyed, [document = document_] {});
    old->deleteLater();
  }
  document_ = std::make_shared<TestDocument>(silent_);
  document_->SetReplaying();
  played_ = {};
  window_ = std::make_unique<Tqx7300form>(dialogs_, *document_, name_);
  window_->Shell().PrinterFont = printerFont_;
  if (!preview_) preview_ = std::make_unique<Tpreviewform>();
  window_->SetCompanions({nullptr, nullptr, nullptr, nullptr, preview_.get(), nullptr});
  window_->installEventFilter(this);
  if (placed.isValid()) window_->setGeometry(placed);
  window_->show();
  next_ = 0;
}

void RecordingReview::PlayEntry() { played_ |= document_->ReplayEntry(recording_.Start, recording_.Entries[next_++]); }

void RecordingReview::ShowPlayed() {
  window_->ShowReviewed(played_);
  played_ = {};
  ShowPosition();
}

void RecordingReview::PlayUntil(quint32 milliseconds) {
  // Shown once at the end rather than record by record.
  while (next_ < recording_.Entries.size() && recording_.Entries[next_].Milliseconds <= milliseconds) PlayEntry();
  ShowPlayed();
}

void RecordingReview::Play() {
  if (next_ >= recording_.Entries.size()) SeekTo(0);
  anchor_.start();
  anchorPosition_ = Position();
  timer_.start();
  play_->setText(QStringLiteral("Pause"));
  status_->clear();
}

void RecordingReview::Pause() {
  timer_.stop();
  play_->setText(QStringLiteral("Play"));
}

void RecordingReview::SetSpeed(Speed speed) {
  speed_ = speed;
  speedBox_->setCurrentIndex(speed == Speed::Real ? 0 : speed == Speed::Tenfold ? 1 : 2);
  anchor_.start();
  anchorPosition_ = Position();
}

void RecordingReview::Tick() {
  if (speed_ == Speed::AsFastAsPossible) {
    QElapsedTimer batch;
    batch.start();
    while (next_ < recording_.Entries.size() && batch.elapsed() < kBatchMilliseconds) PlayEntry();
    ShowPlayed();
  } else {
    PlayUntil(anchorPosition_ + static_cast<quint32>(anchor_.elapsed() * static_cast<int>(speed_)));
  }
  if (next_ >= recording_.Entries.size()) {
    Pause();
    status_->setText(QStringLiteral("End of the recording"));
  }
}

void RecordingReview::SeekTo(quint32 milliseconds) {
  // What is shown is built up record by record: going back starts again.
  if (next_ > 0 && milliseconds < Position()) NewWindow();
  PlayUntil(milliseconds);
  anchor_.start();
  anchorPosition_ = Position();
}

bool RecordingReview::NextFailure() {
  Pause();
  // The standard as the document stands now, and as the states ahead set it.
  bool flicker = document_->FlickerStandard();
  for (qsizetype i = next_; i < recording_.Entries.size(); ++i) {
    const RecordingEntry& entry = recording_.Entries[i];
    if (entry.Kind == EntryKind::State) {
      if (const std::optional<RecordedState> state = DecodeState(entry.Payload)) flicker = state->Setup.ComboBox1 == 1;
    }
    if (entry.Kind != EntryKind::Received || !RecordShowsFailure(entry.Payload, flicker)) continue;
    while (next_ <= i) PlayEntry();
    ShowPlayed();
    status_->setText(QStringLiteral("Failure at ") + Clock(Position()));
    return true;
  }
  status_->setText(QStringLiteral("No failure after ") + Clock(Position()));
  return false;
}

void RecordingReview::ShowPosition() {
  const QSignalBlocker quiet(slider_);
  if (!slider_->isSliderDown()) slider_->setValue(static_cast<int>(Position() / 1000));
  time_->setText(Clock(Position()) + QStringLiteral(" / ") + Clock(Duration()));
}

bool RecordingReview::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Close && (watched == bar_.get() || watched == window_.get())) {
    QTimer::singleShot(0, this, &RecordingReview::End);
  }
  return QObject::eventFilter(watched, event);
}

void RecordingReview::End() {
  if (ending_) return;
  ending_ = true;
  timer_.stop();
  // A preview open over the review ends with it; the review goes once its
  // call has returned (a deferred deletion waits for the preview's loop).
  if (preview_) preview_->reject();
  if (window_) window_->hide();
  bar_->hide();
  emit Finished();
  deleteLater();
}
