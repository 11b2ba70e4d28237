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
#include "link/command_vocabulary.h"
#include "link/field_rule.h"
#include "serial/wait_ticks.h"
#include "ui_qx7300main.h"

namespace {

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
  const TestSequencing::StartButtonState button = TestSequencing::StartButtonFor(
      FirstChar(fields_.StatusCode) == 'T', ManualSwitching(), test_.StepNumber, test_.ManualSequenceFinished);
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
  shell_.TestStartTime = Now();
  const bool aborts = FirstChar(fields_.StatusCode) == 'T';
  const bool refused = ManualSwitching() && test_.ManualSequenceFinished;
  // A test (a manual sequence from its first step) is recorded from here.
  if (!aborts && !refused && (!ManualSwitching() || test_.StepNumber == 1)) BeginRecording();
  RecordAction(kActionStart);
  if (aborts) {
    SendCommand(Command::AbortTest());
    return;
  }
  // A finished sequence keeps its results until a new one is begun.
  if (refused) return;
  SaveSettings();
  // The set-up stays as it is until the analyser reports the test over.
  SetSettingsPanelsEnabled(false);
  // Until the analyser reports the test running, records still on the line
  // (results held, on hold, free run) describe what came before it.
  test_.StartPending = true;
  ResetMeterExtremes();
  ClearReport();
  // A manual-switching step keeps the earlier steps' results and the
  // report's number.
  if (!ManualSwitching()) {
    ClearResults();
    ++test_.ReportCounter;
  }
  SendTestSetup();
  const int standard = ui->ComboBox1->currentIndex();
  if (standard == 0) {
    SendTestDuration();
    SendCommand(Command::StartTest());
    SendCommand(Command::RequestHarmonics());
    ui->RadioGroup1->SetItemIndex(2);
  } else if (standard == 1) {
    SendTestDuration();
    // Anything but 1 to 24 collects 24 steps, and the box says so.
    const std::optional<quint8> events = TestSequencing::ValidEvents(ui->Edit1->text());
    test_.EventsToCollect = events.value_or(TestSequencing::kMaxEvents);
    if (!events) ui->Edit1->setText(QString::number(TestSequencing::kMaxEvents));
    SendCommand(Command::StartTest());
    SendCommand(Command::RequestFlicker());
    // A manual step keeps the display the operator chose.
    if (!ManualSwitching()) ui->RadioGroup2->SetItemIndex(1);
  }
}

void Tqx7300form::SendTestDuration() {
  std::optional<int> seconds = TestSequencing::ValidDuration(ui->Edit7->text());
  if (!seconds) {
    ui->Edit7->setText(QString::number(TestSequencing::kDefaultDuration));
    dialogs_.ShowWarning(TestSequencing::kInvalidDurationMessage);
    seconds = TestSequencing::kDefaultDuration;
  }
  test_.TestDuration = static_cast<quint16>(*seconds);
  SendCommand(Command::Duration(*seconds));
}

void Tqx7300form::Button4Click() {
  RecordAction(kActionNewTest);
  NewManualSequence();
  shell_.TestStartTime = Now();
}

void Tqx7300form::Button1Click() {
  RecordAction(kActionFreeRun);
  test_.StartPending = false;
  SetSettingsPanelsEnabled(true);
  SendCommand(Command::FreeRun());
  RequestData();
}

void Tqx7300form::Button2Click() {
  SendCommand(Command::HoldTest());
  RequestData();
}

void Tqx7300form::Button3Click() {
  SendCommand(Command::ResetMeter());
  RequestData();
}

void Tqx7300form::RadioButton1Click() {
  ui->Edit7->setText(TestSequencing::ContinuousDurationText(ui->CheckBox5->isChecked()));
  ShowFlickerSettings();
}

void Tqx7300form::RadioButton2Click() {
  NewManualSequence();
  shell_.TestStartTime = Now();
  ui->Edit7->setText(TestSequencing::kManualStepDurationText);
  ShowFlickerSettings();
}

void Tqx7300form::NewManualSequence() {
  test_.StepNumber = 1;
  test_.ManualSequenceFinished = false;
  ShowStartButton();
  manualSteps_.StartSequence();
  ClearManualGrids();
  ClearFlickerSummary();
  // Results the analyser may still be holding belong to an earlier test:
  // only a step started from here ends with a result of this sequence.
  fields_.ResultsLatched = true;
}

void Tqx7300form::ClearManualGrids() {
  // Step number columns and the headings stay.
  for (int column : {1, 2, 3, 6, 7, 8}) ClearGridColumn(ui->StringGrid1, column, 1, 12);
  ClearGridColumn(ui->StringGrid2, 0, 2, 15);
  ClearGridColumn(ui->StringGrid3, 0, 3, 19);
  ClearGridColumn(ui->StringGrid3, 1, 3, 19);
}

void Tqx7300form::ToggleLock() {
  RecordAction(kActionToggleLock);
  ClearGraphArea();
  test_.RangeLocked = !test_.RangeLocked;
  if (test_.RangeLocked) {
    SendCommand(Command::LockRange());
    ui->Button8->setText(CurrentRanging::kAutoRange);
  } else {
    SendCommand(Command::AutoRange());
    ui->Button8->setText(CurrentRanging::kLockRange);
  }
  RequestData();
}

void Tqx7300form::StepRange(int direction) {
  RecordAction(direction > 0 ? kActionRangeUp : kActionRangeDown);
  ResetMeterExtremes();
  test_.RangeLocked = true;
  ui->Button8->setText(CurrentRanging::kUnlockRange);
  // At either end of the span the same range is asked for again.
  graph_.RangeIndex = CurrentRanging::SteppedRange(graph_.RangeIndex, direction);
  SendRange();
  WaitTicks(kRangeSettleTicks, true);
  BuildReport();
}

void Tqx7300form::SendRange() {
  SendCommand(Command::SelectRange(graph_.RangeIndex));
  RequestData();
}
