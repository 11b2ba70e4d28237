#include "app/recording_review.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include "app/failure_timeline.h"
#include "app/operator_dialogs.h"
#include "app/preview.h"
#include "app/qx7300main.h"
#include "app/statistics_table.h"
#include "app/trend_view.h"
#include "ui_qx7300main.h"

namespace {

constexpr int kTickMilliseconds = 20;
// As fast as possible, and a seek, still give the event loop its turn this
// often.
constexpr qint64 kSliceMilliseconds = 30;

QString Clock(quint32 milliseconds) {
  const quint32 seconds = milliseconds / 1000;
  return QStringLiteral("%1:%2:%3")
      .arg(seconds / 3600)
      .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
      .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

}  // namespace

RecordingReview::RecordingReview(const QString& path, OperatorDialogs& dialogs, const PrinterFontValues& printerFont,
                                 quint32 checkpointSpacing)
    : path_(path), name_(QFileInfo(path).fileName()), dialogs_(dialogs), printerFont_(printerFont), reader_(path) {
  bar_ = std::make_unique<QWidget>(nullptr, Qt::Tool);
  bar_->setWindowTitle(QStringLiteral("Recording Review - ") + name_);
  play_ = new QPushButton(QStringLiteral("Play"), bar_.get());
  speedBox_ = new QComboBox(bar_.get());
  speedBox_->addItems({QStringLiteral("1x"), QStringLiteral("10x"), QStringLiteral("As fast as possible")});
  slider_ = new QSlider(Qt::Horizontal, bar_.get());
  slider_->setRange(0, 0);
  slider_->setMinimumWidth(360);
  time_ = new QLabel(bar_.get());
  previousFailure_ = new QPushButton(QStringLiteral("Previous Failure"), bar_.get());
  nextFailure_ = new QPushButton(QStringLiteral("Next Failure"), bar_.get());
  trendsButton_ = new QPushButton(QStringLiteral("Trends..."), bar_.get());
  statisticsButton_ = new QPushButton(QStringLiteral("Statistics..."), bar_.get());
  for (QPushButton* button : {previousFailure_, nextFailure_, trendsButton_, statisticsButton_})
    button->setEnabled(false);
  status_ = new QLabel(bar_.get());
  status_->setMinimumWidth(220);
  // The failures are marked just under the slider, along its groove.
  sliderColumn_ = new QVBoxLayout;
  sliderColumn_->setContentsMargins(0, 0, 0, 0);
  sliderColumn_->setSpacing(0);
  sliderColumn_->addWidget(slider_);
  auto* layout = new QHBoxLayout(bar_.get());
  layout->addWidget(play_);
  layout->addWidget(speedBox_);
  layout->addLayout(sliderColumn_, 1);
  layout->addWidget(time_);
  layout->addWidget(previousFailure_);
  layout->addWidget(nextFailure_);
  layout->addWidget(trendsButton_);
  layout->addWidget(statisticsButton_);
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
  connect(previousFailure_, &QPushButton::clicked, this, [this] { PreviousFailure(); });
  connect(nextFailure_, &QPushButton::clicked, this, [this] { NextFailure(); });
  connect(trendsButton_, &QPushButton::clicked, this, [this] { ShowTrends(); });
  connect(statisticsButton_, &QPushButton::clicked, this, [this] { ShowStatistics(); });
  connect(&timer_, &QTimer::timeout, this, &RecordingReview::Tick);
  connect(&scanTimer_, &QTimer::timeout, this, &RecordingReview::ReadOn);
  bar_->installEventFilter(this);

  // The start, as a checkpoint like the others: a document that has played
  // nothing, the reader before the first entry.
  auto start = std::make_shared<RecordingScan::Checkpoint>();
  start->mark = reader_.Here();
  start_ = std::move(start);
  NewWindow(*start_);
  // The scan draws the graph in the window's face colour, as the review's
  // own documents do.
  scan_ = std::make_unique<RecordingScan>(path_, window_->palette().color(QPalette::Button), checkpointSpacing);
  scanTimer_.start(0);
  bar_->show();
  bar_->move(window_->geometry().left(), window_->frameGeometry().bottom() + 8);
  ShowPlayed();
  status_->setText(QStringLiteral("Reading the recording..."));
}

RecordingReview::~RecordingReview() {
  ending_ = true;
  timer_.stop();
  scanTimer_.stop();
}

quint32 RecordingReview::Duration() const { return std::max(scan_->Duration(), position_); }

void RecordingReview::NewWindow(const RecordingScan::Checkpoint& checkpoint) {
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
  document_ = checkpoint.document ? std::make_shared<TestDocument>(*checkpoint.document, silent_)
                                  : std::make_shared<TestDocument>(silent_);
  document_->SetReplaying();
  if (checkpoint.mark) reader_.Return(*checkpoint.mark);
  ahead_.reset();
  atEnd_ = false;
  position_ = checkpoint.milliseconds;
  // The new window shows at once what all the entries up to the checkpoint
  // changed, as if they had just been played.
  played_ = checkpoint.shown;
  window_ = std::make_unique<Tqx7300form>(dialogs_, *document_, path_);
  window_->Shell().PrinterFont = printerFont_;
  if (!preview_) preview_ = std::make_unique<Tpreviewform>();
  window_->SetCompanions({nullptr, nullptr, nullptr, nullptr, preview_.get(), nullptr});
  window_->installEventFilter(this);
  if (placed.isValid()) window_->setGeometry(placed);
  window_->show();
}

bool RecordingReview::PlayNext(quint32 milliseconds) {
  if (!ahead_) {
    RecordingEntry entry;
    if (!reader_.Next(entry)) {
      atEnd_ = true;
      return false;
    }
    ahead_ = std::move(entry);
  }
  if (ahead_->Milliseconds > milliseconds) return false;
  played_ |= document_->ReplayEntry(reader_.Start(), *ahead_);
  position_ = ahead_->Milliseconds;
  ahead_.reset();
  return true;
}

void RecordingReview::ShowPlayed() {
  window_->ShowReviewed(played_);
  played_ = {};
  ShowPosition();
}

void RecordingReview::Play() {
  if (atEnd_) SeekTo(0);
  playing_ = true;
  anchor_.start();
  anchorPosition_ = Position();
  if (!Seeking()) timer_.start(kTickMilliseconds);
  play_->setText(QStringLiteral("Pause"));
  status_->clear();
}

void RecordingReview::Pause() {
  playing_ = false;
  if (!Seeking()) timer_.stop();
  play_->setText(QStringLiteral("Play"));
}

void RecordingReview::SetSpeed(Speed speed) {
  speed_ = speed;
  speedBox_->setCurrentIndex(speed == Speed::Real ? 0 : speed == Speed::Tenfold ? 1 : 2);
  anchor_.start();
  anchorPosition_ = Position();
}

void RecordingReview::Tick() {
  if (Seeking()) {
    ContinueSeek();
    return;
  }
  QElapsedTimer slice;
  slice.start();
  if (speed_ == Speed::AsFastAsPossible) {
    while (slice.elapsed() < kSliceMilliseconds && PlayNext(UINT32_MAX)) {
    }
  } else {
    const quint32 due = anchorPosition_ + static_cast<quint32>(anchor_.elapsed() * static_cast<int>(speed_));
    while (slice.elapsed() < kSliceMilliseconds && PlayNext(due)) {
    }
  }
  ShowPlayed();
  if (atEnd_) {
    Pause();
    status_->setText(QStringLiteral("End of the recording"));
  }
}

void RecordingReview::SeekTo(quint32 milliseconds) {
  // From the latest checkpoint at or before the time, unless the review
  // already stands between it and the time.
  std::shared_ptr<const RecordingScan::Checkpoint> from = start_;
  for (const std::shared_ptr<const RecordingScan::Checkpoint>& checkpoint : scan_->Checkpoints()) {
    if (checkpoint->milliseconds <= milliseconds && checkpoint->milliseconds >= from->milliseconds) from = checkpoint;
  }
  const bool ahead = milliseconds >= position_ && position_ >= from->milliseconds;
  if (!ahead) NewWindow(*from);
  seekTarget_ = milliseconds;
  ContinueSeek();
}

void RecordingReview::ContinueSeek() {
  QElapsedTimer slice;
  slice.start();
  while (slice.elapsed() < kSliceMilliseconds) {
    if (!PlayNext(*seekTarget_)) {
      // There: shown once, rather than record by record.
      seekTarget_.reset();
      ShowPlayed();
      anchor_.start();
      anchorPosition_ = Position();
      if (playing_) {
        timer_.start(kTickMilliseconds);
      } else {
        timer_.stop();
      }
      return;
    }
  }
  // The rest after the event loop's turn.
  ShowPosition();
  timer_.start(0);
}

bool RecordingReview::NextFailure() {
  GoToFailure(true);
  return status_->property("found").toBool();
}

bool RecordingReview::PreviousFailure() {
  GoToFailure(false);
  return status_->property("found").toBool();
}

void RecordingReview::GoToFailure(bool next) {
  Pause();
  status_->setProperty("found", false);
  if (!ReadThrough()) {
    status_->setText(QStringLiteral("Still reading the recording"));
    return;
  }
  // Where a failure shows on the window: the first failing record after a
  // passing one.
  const quint32 here = Seeking() ? *seekTarget_ : Position();
  std::optional<FailureSpan> found;
  for (const FailureSpan& span : scan_->Analysis().FailureSpans()) {
    if (next && span.begin > here) {
      found = span;
      break;
    }
    if (!next && span.begin < here) found = span;
  }
  if (!found) {
    status_->setText((next ? QStringLiteral("No failure after ") : QStringLiteral("No failure before ")) + Clock(here));
    return;
  }
  SeekTo(found->begin);
  status_->setProperty("found", true);
  status_->setText(QStringLiteral("Failure at %1 to %2").arg(Clock(found->begin), Clock(found->end)));
}

TrendView* RecordingReview::ShowTrends() {
  if (!ReadThrough()) return nullptr;
  if (!trends_) {
    trends_ = std::make_unique<TrendView>(scan_->Analysis(), dialogs_);
    trends_->setWindowTitle(QStringLiteral("Trends - ") + name_);
  }
  trends_->show();
  trends_->raise();
  return trends_.get();
}

StatisticsTable* RecordingReview::ShowStatistics() {
  if (!ReadThrough()) return nullptr;
  if (!statistics_) {
    statistics_ = std::make_unique<StatisticsTable>(scan_->Analysis(), dialogs_);
    statistics_->setWindowTitle(QStringLiteral("Harmonic Statistics - ") + name_);
  }
  statistics_->show();
  statistics_->raise();
  return statistics_.get();
}

void RecordingReview::ReadOn() {
  if (scan_->ReadFor(kSliceMilliseconds)) {
    scanTimer_.stop();
    ReadThroughDone();
    return;
  }
  ShowPosition();
  status_->setText(QStringLiteral("Reading the recording... %1 %").arg(qRound(scan_->Progress() * 100)));
}

void RecordingReview::ReadThroughDone() {
  ShowPosition();
  const std::vector<FailureSpan> spans = scan_->Analysis().FailureSpans();
  timeline_ = new FailureTimeline(Duration(), spans, bar_.get());
  sliderColumn_->addWidget(timeline_);
  // Added to a bar already shown: shown by hand.
  timeline_->show();
  for (QPushButton* button : {previousFailure_, nextFailure_, trendsButton_, statisticsButton_})
    button->setEnabled(true);
  if (scan_->StillBeingRecorded()) {
    // The test in hand's recording: what it holds so far, nothing damaged.
    status_->setText(QStringLiteral("Still being recorded: what is recorded so far is shown"));
  } else if (!scan_->Problem().isEmpty()) {
    status_->setText(QStringLiteral("Damaged: what is whole is shown"));
    dialogs_.ShowNotice(scan_->Problem() + QStringLiteral(".\nWhat is whole before the damage is shown."));
  } else {
    status_->setText(spans.empty() ? QStringLiteral("No failure in the recording")
                                   : QStringLiteral("%1 failure(s) marked").arg(spans.size()));
  }
}

void RecordingReview::ShowPosition() {
  const QSignalBlocker quiet(slider_);
  slider_->setRange(0, static_cast<int>(Duration() / 1000));
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
  scanTimer_.stop();
  // A preview open over the review ends with it; the review goes once its
  // call has returned (a deferred deletion waits for the preview's loop).
  if (preview_) preview_->reject();
  if (window_) window_->hide();
  if (trends_) trends_->hide();
  if (statistics_) statistics_->hide();
  bar_->hide();
  emit Finished();
  deleteLater();
}
