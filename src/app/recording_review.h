#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <memory>

#include "persist/settings_file.h"
#include "record/recording_format.h"
#include "session/command_sink.h"
#include "session/test_document.h"

class OperatorDialogs;
class QComboBox;
class QLabel;
class QPushButton;
class QSlider;
class Tpreviewform;
class Tqx7300form;

// Offline review of a recording: the recording plays into a document of its
// own, with nothing to send to, which a window of its own shows; a review
// bar offers play and pause, the speed, a position over the test's time and
// "Next Failure". The live window and its analyser are left alone, and no
// step of the replay runs the event loop, so closing or seeking at any
// moment finds no call of the review on the stack. Closing the bar or the
// review window ends the review; the object then deletes itself.
class RecordingReview : public QObject {
  Q_OBJECT

 public:
  enum class Speed { Real = 1, Tenfold = 10, AsFastAsPossible = 0 };

  // The review prints in the live window's printer font.
  RecordingReview(RecordingContents recording, const QString& name, OperatorDialogs& dialogs,
                  const PrinterFontValues& printerFont = PrinterFontValues{});
  ~RecordingReview() override;

  Tqx7300form& Window() { return *window_; }
  const TestDocument& Document() const { return *document_; }
  QWidget& Bar() { return *bar_; }
  // Milliseconds into the test of the entry played last.
  quint32 Position() const;
  quint32 Duration() const;
  bool Playing() const { return timer_.isActive(); }

  void Play();
  void Pause();
  void SetSpeed(Speed speed);
  // Shows the window as it was at `milliseconds` into the test.
  void SeekTo(quint32 milliseconds);
  // Plays on to the next received record that shows a failure and stops
  // there; false when none follows.
  bool NextFailure();

 signals:
  void Finished();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // A new document and a window that shows it, from the recording's start.
  void NewWindow();
  void PlayEntry();
  // The window shows what the entries played since the last showing changed.
  void ShowPlayed();
  void PlayUntil(quint32 milliseconds);
  void Tick();
  void ShowPosition();
  void End();

  RecordingContents recording_;
  QString name_;
  OperatorDialogs& dialogs_;
  PrinterFontValues printerFont_;
  SilentCommands silent_;
  std::shared_ptr<TestDocument> document_;
  std::unique_ptr<Tpreviewform> preview_;
  std::unique_ptr<Tqx7300form> window_;
  DocumentChange played_;
  std::unique_ptr<QWidget> bar_;
  qsizetype next_ = 0;
  Speed speed_ = Speed::Real;
  QTimer timer_;
  QElapsedTimer anchor_;
  quint32 anchorPosition_ = 0;
  bool ending_ = false;

  QPushButton* play_ = nullptr;
  QComboBox* speedBox_ = nullptr;
  QSlider* slider_ = nullptr;
  QLabel* time_ = nullptr;
  QLabel* status_ = nullptr;
};
