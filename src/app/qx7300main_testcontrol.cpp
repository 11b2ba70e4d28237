// The operator's side of a test: start, abort, hold and free run, the
// manual-switching sequence, and current ranging. The analyser runs the test;
// its status records move the window along (qx7300main_receive.cpp).
#include <QTableWidget>

#include "app/operator_dialogs.h"
#include "app/qx7300main.h"
#include "app/radio_group.h"
#include "app/string_grid.h"
#include "control/current_ranging.h"
#include "control/test_sequencing.h"
#include "link/field_rule.h"
#include "ui_qx7300main.h"

namespace {

// What the operator learns at the start of a test that cannot be recorded
// as it should.
QString RecordingProblemText(const TestDocument::StartResult& start) {
  return start.recordingFailed
             ? QStringLiteral("This test cannot be recorded (%1). The test goes on; its report can be saved, "
                              "without a recording.")
                   .arg(start.recordingProblem)
             : QStringLiteral("This test's recording may be cut short (%1). The test goes on.").arg(start.recordingProblem);
}

// A range step waits about a second, so that records of the new range have
// arrived before the report is rebuilt.
constexpr int kRangeSettleTicks = 18;

}  // namespace

void Tqx7300form::ConnectTestControl() {
  connect(ui->Button5, &QPushButton::clicked, this, &Tqx7300form::StartOrAbort);
  connect(ui->Button4, &QPushButton::clicked, this, &Tqx7300form::Button4Click);
  connect(ui->Button1, &QPushButton::clicked, this, &Tqx7300form::Button1Click);
  connect(ui->Button2, &QPushButton::clicked, this, &Tqx7300form::Button2Click);
  connect(ui->Button3, &QPushButton::clicked, this, &Tqx7300form::Button3Click);
  connect(ui->RadioButton1, &QRadioButton::toggled, this, [this](bool checked) {
    if (checked) RadioButton1Click();
  });
  connect(ui->RadioButton2, &QRadioButton::toggled, this, [this](bool checked) {
    if (checked) RadioButton2Click();
  });
  connect(ui->Button8, &QPushButton::clicked, this, &Tqx7300form::ToggleLock);
  connect(ui->Button6, &QPushButton::clicked, this, [this] { StepRange(-1); });
  connect(ui->Button7, &QPushButton::clicked, this, [this] { StepRange(+1); });
}

// The test type belongs to the flicker set-up: under the harmonics standard
// every test is a timed test, whatever the hidden choice says.
bool Tqx7300form::ManualSwitching() const { return ui->RadioButton2->isChecked() && FlickerStandard(); }

void Tqx7300form::ShowStartButton() {
  const TestState& test = document_->Test();
  const TestSequencing::StartButtonState button = TestSequencing::StartButtonFor(
      FirstChar(document_->Fields().StatusCode) == 'T', ManualSwitching(), test.StepNumber, test.ManualSequenceFinished);
  ui->Button5->setText(button.caption);
  ui->Button5->setEnabled(button.enabled);
}

bool Tqx7300form::FlickerStandard() const { return ui->ComboBox1->currentIndex() == 1; }

void Tqx7300form::SetSettingsPanelsEnabled(bool enabled) {
  ui->Panel1->setEnabled(enabled);
  ui->Panel2->setEnabled(enabled);
  // The menu's ways of changing the whole set-up are locked with the panels.
  ui->LoadConfiguration1->setEnabled(enabled);
  ui->RestoreDefaultSettings1->setEnabled(enabled);
}

bool Tqx7300form::SetUpLocked() const { return !ui->Panel1->isEnabled(); }

void Tqx7300form::StartOrAbort() {
  SyncSetup();
  const TestDocument::StartResult start = document_->StartOrAbort();
  if (!start.began) return;
  SaveSettings();
  // Said at once, without holding the test up.
  if (!start.recordingProblem.isEmpty()) dialogs_.ShowNotice(RecordingProblemText(start));
  // The set-up stays as it is until the analyser reports the test over.
  SetSettingsPanelsEnabled(false);
  if (start.eventsCorrected) ui->Edit1->setText(QString::number(TestSequencing::kMaxEvents));
  if (start.durationCorrected) {
    ui->Edit7->setText(QString::number(TestSequencing::kDefaultDuration));
    dialogs_.ShowWarning(TestSequencing::kInvalidDurationMessage);
  }
  // A timed test begins with the results of any earlier one emptied.
  if (!ManualSwitching()) NewManualSequence();
  const int standard = ui->ComboBox1->currentIndex();
  if (standard == 0) {
    ui->RadioGroup1->SetItemIndex(2);
  } else if (standard == 1 && !ManualSwitching()) {
    // A manual step keeps the display the operator chose.
    ui->RadioGroup2->SetItemIndex(1);
  }
}

void Tqx7300form::Button4Click() {
  document_->NewTest();
  NewManualSequence();
}

void Tqx7300form::Button1Click() {
  SyncSetup();
  ShowChange(document_->FreeRun());
}

void Tqx7300form::Button2Click() {
  SyncSetup();
  document_->Hold();
}

void Tqx7300form::Button3Click() {
  SyncSetup();
  document_->ResetMeter();
}

void Tqx7300form::RadioButton1Click() {
  ui->Edit7->setText(TestSequencing::ContinuousDurationText(ui->CheckBox5->isChecked()));
  ShowFlickerSettings();
}

void Tqx7300form::RadioButton2Click() {
  document_->ManualSwitchingChosen();
  NewManualSequence();
  ui->Edit7->setText(TestSequencing::kManualStepDurationText);
  ShowFlickerSettings();
}

void Tqx7300form::NewManualSequence() {
  document_->NewManualSequence();
  ShowStartButton();
  ClearManualGrids();
  ClearFlickerSummary();
}

void Tqx7300form::ClearManualGrids() {
  // Step number columns and the headings stay.
  for (int column : {1, 2, 3, 6, 7, 8}) ClearGridColumn(ui->StringGrid1, column, 1, 12);
  ClearGridColumn(ui->StringGrid2, 0, 2, 15);
  ClearGridColumn(ui->StringGrid3, 0, 3, 19);
  ClearGridColumn(ui->StringGrid3, 1, 3, 19);
}

void Tqx7300form::ToggleLock() {
  SyncSetup();
  // Recorded before the pause, in which records may come.
  const TestDocument::LockResult lock = document_->ToggleLock();
  ShowGraphCleared();
  ui->Button8->setText(lock.locked ? CurrentRanging::kAutoRange : CurrentRanging::kLockRange);
}

void Tqx7300form::StepRange(int direction) {
  SyncSetup();
  document_->StepRange(direction);
  ui->Button8->setText(CurrentRanging::kUnlockRange);
  Pause(kRangeSettleTicks);
  document_->FinishRangeStep();
}

void Tqx7300form::SendRange() {
  SyncSetup();
  document_->SendRange();
}
