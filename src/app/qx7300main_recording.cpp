// Each test kept as it crossed the wire: the recording made while a test
// runs, and a recording played back into a window that has no port.
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <stdexcept>

#include "app/operator_dialogs.h"
#include "app/qx7300main.h"
#include "app/recording_review.h"
#include "persist/working_folder.h"
#include "record/recording_writer.h"
#include "ui_qx7300main.h"

namespace {

const QString kTimeFormat = QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz");

// The recordings of a working folder: one file per test, named after its start.
QString NewRecordingPath(const QDateTime& start) {
  return WorkingFolderPath(QStringLiteral("recordings/") + start.toString(QStringLiteral("yyyy-MM-dd_HHmmss_zzz")) +
                           QLatin1Char('.') + QLatin1String(kRecordingExtension));
}

}  // namespace

QDateTime Tqx7300form::Now() const { return replayClock_ ? *replayClock_ : QDateTime::currentDateTime(); }

RecordedState Tqx7300form::TakeRecordedState() const {
  return {TakeTestSetup(), ui->Edit8->text(), ui->Edit9->text(), static_cast<qint32>(test_.ReportCounter)};
}

void Tqx7300form::BeginRecording() {
  // What a replay starts is not recorded again.
  if (replaying_) return;
  EndRecording();
  recording_ = std::make_unique<RecordingWriter>(NewRecordingPath(shell_.TestStartTime));
  recordingClock_.start();
  recordingStart_ = shell_.TestStartTime;
  recordedState_.reset();
  RecordEntry(EntryKind::Begin, shell_.TestStartTime.toString(kTimeFormat).toLatin1());
  RecordStateIfChanged();
}

void Tqx7300form::EndRecording() {
  if (!recording_) return;
  RecordEntry(EntryKind::End, {});
  // The last writes and the join happen beside the window, which goes on
  // at once; the window waits for them only when it goes itself.
  std::erase_if(closingRecordings_, [](const std::future<void>& closing) {
    return closing.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
  });
  closingRecordings_.push_back(
      std::async(std::launch::async, [writer = std::move(recording_)]() mutable { writer.reset(); }));
}

void Tqx7300form::WaitForRecordings() {
  EndRecording();
  for (std::future<void>& closing : closingRecordings_) closing.wait();
  closingRecordings_.clear();
}

void Tqx7300form::RecordEntry(EntryKind kind, const QByteArray& payload) {
  if (!recording_) return;
  recording_->Append({kind, static_cast<quint32>(recordingClock_.elapsed()), payload});
}

QDateTime Tqx7300form::RecordReceivedLine(const QByteArray& line) {
  RecordStateIfChanged();
  const auto milliseconds = static_cast<quint32>(recordingClock_.elapsed());
  recording_->Append({EntryKind::Received, milliseconds, line});
  return recordingStart_.addMSecs(milliseconds);
}

void Tqx7300form::RecordStateIfChanged() {
  if (!recording_) return;
  RecordedState state = TakeRecordedState();
  if (recordedState_ && *recordedState_ == state) return;
  RecordEntry(EntryKind::State, EncodeState(state));
  recordedState_ = std::move(state);
}

void Tqx7300form::RecordAction(const char* action) {
  if (!recording_) return;
  RecordStateIfChanged();
  RecordEntry(EntryKind::Action, QByteArray(action) + ' ' + Now().toString(kTimeFormat).toLatin1());
}

std::optional<FileToSave> Tqx7300form::RecordingBeside(const QString& reportPath) {
  if (!recording_ || recalled_) return std::nullopt;
  RecordStateIfChanged();
  QFile file(recording_->Path());
  if (!recording_->Complete() || !file.open(QIODevice::ReadOnly)) {
    // The report is still saved; the operator learns what it lacks.
    dialogs_.ShowWarning(QStringLiteral("The test's recording %1 could not be written; the report is saved without it.")
                             .arg(QDir::toNativeSeparators(recording_->Path())));
    return std::nullopt;
  }
  return FileToSave{RecordingPathForReport(reportPath), file.readAll()};
}

void Tqx7300form::PrepareForReplay() {
  replaying_ = true;
  starttimer_.stop();
  clocktimer_.stop();
  shell_.StartupComplete = true;
  shell_.LinkFaultSuppressed = true;
  // The harmonics table's marks, when the working folder has them; the
  // report does not need them, so a folder without them plays all the same.
  try {
    LoadMarkBitmaps();
  } catch (const std::exception&) {
  }
  ReinitialiseForStandard();
}

void Tqx7300form::SetReviewMode(const QString& recordingName) {
  setWindowTitle(QStringLiteral("Veltrix Review - ") + recordingName);
  reviewMode_ = true;
  LockForReview();
}

void Tqx7300form::LockForReview() {
  // After every replayed entry, since the window's own reactions enable
  // some of these again.
  for (QWidget* control : {static_cast<QWidget*>(ui->Panel1), static_cast<QWidget*>(ui->Panel2), static_cast<QWidget*>(ui->ComboBox1),
                           static_cast<QWidget*>(ui->Button1), static_cast<QWidget*>(ui->Button2),
                           static_cast<QWidget*>(ui->Button3), static_cast<QWidget*>(ui->Button4),
                           static_cast<QWidget*>(ui->Button5), static_cast<QWidget*>(ui->Button6),
                           static_cast<QWidget*>(ui->Button7), static_cast<QWidget*>(ui->Button8)})
    control->setEnabled(false);
  // What would change the live set-up or settings is the live window's.
  for (QAction* action : {ui->OpenRecording1, ui->ReCallReport1, ui->LoadConfiguration1, ui->PrinterFont1,
                          ui->Settings2, ui->RestoreDefaultSettings1})
    action->setEnabled(false);
}

void Tqx7300form::OpenRecording1Click() {
  const QString path = dialogs_.OpenFileName({QStringLiteral("QX7300 Open Recording"),
                                              QStringLiteral("QX7300 Recordings|*.qxr"),
                                              QString::fromLatin1(kRecordingExtension), QDir::currentPath(), false});
  if (path.isEmpty()) return;
  RecordingContents recording = ReadRecordingFile(path);
  if (!recording.Problem.isEmpty()) {
    dialogs_.ShowWarning(recording.Start.isValid()
                             ? recording.Problem + QStringLiteral(".\nWhat is whole before the damage is shown.")
                             : recording.Problem);
  }
  if (!recording.Start.isValid()) return;
  // It deletes itself when the review ends.
  new RecordingReview(std::move(recording), QFileInfo(path).fileName(), dialogs_, shell_.PrinterFont);
}

void Tqx7300form::ApplyRecordedState(const RecordedState& state) {
  // A change of standard ran its reaction when the operator made it; the
  // values it reset are then those of the state.
  if (ui->ComboBox1->currentIndex() != state.Setup.ComboBox1) {
    ui->ComboBox1->setCurrentIndex(state.Setup.ComboBox1 < ui->ComboBox1->count() ? state.Setup.ComboBox1 : -1);
    StandardChanged();
  }
  for (const ConfigurationItem& item : ConfigurationItems(state.Setup)) ApplySetupItem(item);
  // The reactions of later controls may have rewritten the duration.
  ui->Edit7->setText(state.Setup.Edit7);
  ui->Edit8->setText(state.EquipmentUnderTest);
  ui->Edit9->setText(state.SerialNumber);
  test_.ReportCounter = static_cast<quint32>(state.ReportCounter);
}

void Tqx7300form::ReplayAction(const QByteArray& payload) {
  const qsizetype blank = payload.indexOf(' ');
  const QByteArray action = payload.left(blank);
  if (blank > 0) {
    const QDateTime at = QDateTime::fromString(QString::fromLatin1(payload.mid(blank + 1)), kTimeFormat);
    if (at.isValid()) replayClock_ = at;
  }
  if (action == kActionStart) {
    StartOrAbort();
  } else if (action == kActionNewTest) {
    Button4Click();
  } else if (action == kActionFreeRun) {
    Button1Click();
  } else if (action == kActionRangeUp) {
    StepRange(+1);
  } else if (action == kActionRangeDown) {
    StepRange(-1);
  } else if (action == kActionToggleLock) {
    ToggleLock();
  }
}

void Tqx7300form::ReplayEntry(const QDateTime& start, const RecordingEntry& entry) {
  replayClock_ = start.addMSecs(entry.Milliseconds);
  switch (entry.Kind) {
    case EntryKind::State:
      if (const std::optional<RecordedState> state = DecodeState(entry.Payload)) ApplyRecordedState(*state);
      break;
    case EntryKind::Received:
      ProcessLine(entry.Payload);
      break;
    case EntryKind::Action:
      ReplayAction(entry.Payload);
      break;
    case EntryKind::Begin:
    case EntryKind::Sent:
    case EntryKind::End:
      break;
  }
  UpdateClock();
  if (reviewMode_) LockForReview();
}
