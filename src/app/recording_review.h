#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <QWidget>

#include <memory>
#include <optional>

#include "persist/settings_file.h"
#include "record/recording_reader.h"
#include "session/command_sink.h"
#include "session/recording_scan.h"
#include "session/test_document.h"

class FailureTimeline;
class OperatorDialogs;
class QComboBox;
class QLabel;
class QPushButton;
class QSlider;
class QVBoxLayout;
class StatisticsTable;
class Tpreviewform;
class Tqx7300form;
class TrendView;

// Offline review of a recording: the recording plays into a document of its
// own, with nothing to send to, which a window of its own shows; a review
// bar offers play and pause, the speed, a position over the test's time with
// the failures marked under it, "Previous Failure" and "Next Failure", and
// the test's trends and statistics.
//
// The recording is read as it plays, never whole into memory. Beside the
// window's thread it is read through once (RecordingScan) for its length,
// its failures, trends and statistics and checkpoints of the document: a
// seek starts from the checkpoint before its time and plays the rest in
// slices, the event loop running between them, so the live window never
// waits on a review. The live window and its analyser are left alone, and
// no step of the replay runs the event loop, so closing or seeking at any
// moment finds no call of the review on the stack. Closing the bar or the
// review window ends the review; the object then deletes itself.
class RecordingReview : public QObject {
  Q_OBJECT

 public:
  enum class Speed { Real = 1, Tenfold = 10, AsFastAsPossible = 0 };

  // The review prints in the live window's printer font. The caller has
  // made sure the recording has a start (RecordingReader::Start()).
  // `checkpointSpacing`: the recording time between the first checkpoints.
  RecordingReview(const QString& path, OperatorDialogs& dialogs,
                  const PrinterFontValues& printerFont = PrinterFontValues{},
                  quint32 checkpointSpacing = RecordingScan::kFirstSpacing);
  ~RecordingReview() override;

  Tqx7300form& Window() { return *window_; }
  const TestDocument& Document() const { return *document_; }
  QWidget& Bar() { return *bar_; }
  // Milliseconds into the test of the entry played last.
  quint32 Position() const { return position_; }
  // The recording's length as far as it has been read through.
  quint32 Duration() const;
  // The recording has been read through: its length, failures, trends and
  // statistics are known.
  bool ReadThrough() const { return scan_->Done(); }
  const RecordingAnalysis* Analysis() const { return ReadThrough() ? &scan_->Analysis() : nullptr; }
  bool Playing() const { return playing_; }
  // A seek is still on its way, in slices.
  bool Seeking() const { return seekTarget_.has_value(); }

  void Play();
  void Pause();
  void SetSpeed(Speed speed);
  // Shows the window as it was at `milliseconds` into the test: at once
  // when little is to be played, else once the slices have played it.
  void SeekTo(quint32 milliseconds);
  // To where the next failure after the position begins (a record that
  // fails after one that did not), or the last one before it; false when
  // there is none, or the recording has not been read through yet.
  bool NextFailure();
  bool PreviousFailure();
  // The trend and statistics windows, once the recording is read through.
  TrendView* ShowTrends();
  StatisticsTable* ShowStatistics();

 signals:
  void Finished();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // A new window over a document made as the checkpoint has it, the reader
  // at the checkpoint's place.
  void NewWindow(const RecordingScan::Checkpoint& checkpoint);
  // Plays the next entry when it is due by `milliseconds`.
  bool PlayNext(quint32 milliseconds);
  // The window shows what the entries played since the last showing changed.
  void ShowPlayed();
  void Tick();
  void ContinueSeek();
  void GoToFailure(bool next);
  void ShowPosition();
  void ReadOn();
  void ReadThroughDone();
  void End();

  QString path_;
  QString name_;
  OperatorDialogs& dialogs_;
  PrinterFontValues printerFont_;
  SilentCommands silent_;
  std::unique_ptr<RecordingScan> scan_;
  std::shared_ptr<const RecordingScan::Checkpoint> start_;
  RecordingReader reader_;
  std::optional<RecordingEntry> ahead_;
  bool atEnd_ = false;
  std::shared_ptr<TestDocument> document_;
  std::unique_ptr<Tpreviewform> preview_;
  std::unique_ptr<Tqx7300form> window_;
  DocumentChange played_;
  quint32 position_ = 0;
  std::optional<quint32> seekTarget_;
  bool playing_ = false;
  Speed speed_ = Speed::Real;
  QTimer timer_;
  QTimer scanTimer_;
  QElapsedTimer anchor_;
  quint32 anchorPosition_ = 0;
  bool ending_ = false;

  std::unique_ptr<QWidget> bar_;
  QPushButton* play_ = nullptr;
  QComboBox* speedBox_ = nullptr;
  QSlider* slider_ = nullptr;
  QVBoxLayout* sliderColumn_ = nullptr;
  FailureTimeline* timeline_ = nullptr;
  QLabel* time_ = nullptr;
  QLabel* status_ = nullptr;
  QPushButton* previousFailure_ = nullptr;
  QPushButton* nextFailure_ = nullptr;
  QPushButton* trendsButton_ = nullptr;
  QPushButton* statisticsButton_ = nullptr;
  std::unique_ptr<TrendView> trends_;
  std::unique_ptr<StatisticsTable> statistics_;
};
