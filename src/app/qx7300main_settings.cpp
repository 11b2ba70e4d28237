// The settings panels: the standard, the harmonics and the flicker set-up,
// which controls each shows and allows, and the command groups that give
// the analyser the set-up. Every change re-shows its panel and resends.
#include <QMouseEvent>
#include <QScopeGuard>

#include "app/qx7300main.h"
#include "app/radio_group.h"
#include "control/analyser_setup.h"
#include "control/current_ranging.h"
#include "control/test_sequencing.h"
#include "display/graph_frame.h"
#include "ui_qx7300main.h"

namespace {

// A change of standard covers the display area for about a second while the
// analyser's records of the new standard come in.
constexpr int kStandardSettleTicks = 18;

}  // namespace

void Tqx7300form::ConnectSettingsPanels() {
  connect(ui->ComboBox1, &QComboBox::activated, this, &Tqx7300form::StandardChanged);
  connect(ui->ComboBox6, &QComboBox::activated, this, &Tqx7300form::StandardChanged);

  for (QComboBox* list : {ui->ComboBox3, ui->ComboBox4, ui->ComboBox7})
    connect(list, &QComboBox::activated, this, &Tqx7300form::HarmonicsSettingChanged);
  for (QCheckBox* box : {ui->CheckBox4, ui->CheckBox1, ui->CheckBox2})
    connect(box, &QCheckBox::toggled, this, &Tqx7300form::HarmonicsSettingChanged);
  for (QLineEdit* edit : {ui->Edit14, ui->Edit15, ui->Edit5})
    connect(edit, &QLineEdit::textChanged, this, &Tqx7300form::HarmonicsSettingChanged);

  for (QComboBox* list : {ui->ComboBox2, ui->ComboBox5})
    connect(list, &QComboBox::activated, this, &Tqx7300form::ShowFlickerSettings);
  for (QCheckBox* box : {ui->CheckBox3, ui->CheckBox6})
    connect(box, &QCheckBox::toggled, this, &Tqx7300form::ShowFlickerSettings);
  connect(ui->Edit2, &QLineEdit::textChanged, this, &Tqx7300form::ShowFlickerSettings);
  // A click on the "Test Type" frame itself, not on one of its buttons.
  ui->GroupBox1->installEventFilter(this);
  connect(ui->CheckBox5, &QCheckBox::toggled, this, &Tqx7300form::CheckBox5Click);
  connect(ui->RadioGroup11, &RadioGroup::Clicked, this, &Tqx7300form::SensingMethodChanged);

  connect(ui->Edit13, &QLineEdit::textChanged, this, &Tqx7300form::SendNominalSupply);
  connect(ui->RadioGroup5, &RadioGroup::Clicked, this, &Tqx7300form::SendNominalSupply);
}

bool Tqx7300form::eventFilter(QObject* watched, QEvent* event) {
  if (watched == ui->GroupBox1 && event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton && ui->GroupBox1->isEnabled() &&
      ui->GroupBox1->rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint())) {
    ShowFlickerSettings();
  }
  return QMainWindow::eventFilter(watched, event);
}

void Tqx7300form::StandardChanged() {
  if (!shell_.StartupComplete) return;
  SyncSetup();
  ui->Panel8->raise();
  ui->Panel8->show();
  {
    // A command that fails (a port gone) must not leave the area covered.
    const auto uncover = qScopeGuard([this] { ui->Panel8->hide(); });
    ui->RadioGroup1->SetItemIndex(0);
    ui->RadioGroup2->SetItemIndex(0);
    ReinitialiseForStandard();
    // Recorded here: a replay gives the test up after the records that came
    // while the display choices waited, as this does.
    document_->StandardChanged();
    Pause(kStandardSettleTicks);
  }
  document_->StandardSettled();
  if (ui->ComboBox1->currentIndex() == 0) ui->Button8->setText(CurrentRanging::kLockRange);
}

void Tqx7300form::ReinitialiseForStandard() {
  if (shell_.StartupComplete) {
    document_->Graph().GraphClearPending = true;
    const int standard = ui->ComboBox1->currentIndex();
    if (standard == 0) {
      ShowHarmonicsSettings();
      ui->Edit7->setText(TestSequencing::kHarmonicsDurationText);
      ui->CheckBox7->show();
      ShowScaleButtons(false);
      ui->DrawGrid1->hide();
      ui->StringGrid2->hide();
      ui->StringGrid3->hide();
      ui->Panel12->hide();
      ui->RadioGroup1->SetItemIndex(0);
    } else if (standard == 1) {
      ui->Edit7->setText(TestSequencing::kFlickerDurationText);
      ShowFlickerSettings();
      ui->CheckBox7->show();
      ui->DrawGrid1->hide();
      ui->Panel12->hide();
      ui->StringGrid2->hide();
      ui->StringGrid3->hide();
      ui->RadioGroup2->SetItemIndex(0);
      ui->RadioButton1->setChecked(true);
      // "Continuous" chosen already runs no reaction, yet its duration must
      // hold: two hours for a two-hour Plt test, not the "600" above.
      ui->Edit7->setText(TestSequencing::ContinuousDurationText(ui->CheckBox5->isChecked()));
    }
  }
  DrawWaveformGraph();
  CopyGraphToWindow(kWaveformPlace);
}

void Tqx7300form::ResendSetup() {
  // The panels stay as they are: the test type, the duration and the step
  // of a manual sequence belong to the test in hand.
  SyncSetup();
  const int standard = ui->ComboBox1->currentIndex();
  if (standard == 0) {
    ShowHarmonicsSettings();
  } else if (standard == 1) {
    ShowFlickerSettings();
    // The grids it empties show the results the document still holds.
    UpdateFlickerDisplay();
    if (ManualSwitching()) ShowManualSwitchingResults();
  }
}

void Tqx7300form::HarmonicsSettingChanged() {
  if (shell_.StartupComplete) ShowHarmonicsSettings();
  ui->RadioGroup1->SetItemIndex(0);
}

void Tqx7300form::ShowHarmonicsSettings() {
  ShowStartButton();
  ui->Button4->hide();
  ui->RadioGroup1->show();
  ui->RadioGroup2->hide();
  ui->Panel1->show();
  ui->Panel9->show();
  ui->Panel2->hide();
  ui->Panel10->hide();
  ui->Button8->setEnabled(true);
  ui->Button6->setEnabled(true);
  ui->Button7->setEnabled(true);

  switch (ui->ComboBox3->currentIndex()) {
    case 0:
    case 1:
      ui->Panel11->show();
      ui->Panel13->hide();
      ui->Panel14->hide();
      break;
    case 2: {
      ui->Panel11->hide();
      ui->Panel13->show();
      ui->Panel14->hide();
      const bool typed = !ui->CheckBox1->isChecked();
      for (QWidget* control : {static_cast<QWidget*>(ui->Edit14), static_cast<QWidget*>(ui->Label115),
                               static_cast<QWidget*>(ui->Edit15), static_cast<QWidget*>(ui->Label116)})
        control->setEnabled(typed);
      break;
    }
    case 3: {
      ui->Panel11->show();
      ui->Panel14->show();
      ui->Panel13->hide();
      const bool typed = !ui->CheckBox2->isChecked();
      for (QWidget* control : {static_cast<QWidget*>(ui->Edit5), static_cast<QWidget*>(ui->Label117),
                               static_cast<QWidget*>(ui->Label118)})
        control->setEnabled(typed);
      break;
    }
    default:
      break;
  }
  SendHarmonicMethod();
  SendTestSetup();
  RequestData();
}

void Tqx7300form::ShowFlickerSettings() {
  ClearManualGrids();
  ui->Panel2->show();
  ui->RadioGroup2->show();
  ui->Panel10->show();
  ui->Panel1->hide();
  ui->RadioGroup1->hide();
  ui->Panel9->hide();
  ShowScaleButtons(false);

  // The limits of a continuous test; a manual step judges d(max) only.
  const QList<QWidget*> continuousLimits{ui->ComboBox5, ui->Edit2, ui->Label126,
                                         ui->Label125, ui->Label123, ui->Label124};
  const QList<QWidget*> pltOption{ui->CheckBox5, ui->Label128, ui->Label129};
  if (ui->RadioButton1->isChecked()) {
    ShowStartButton();
    for (QWidget* control : continuousLimits) control->show();
    ui->Button4->hide();
    ui->Panel5->show();
    ui->Label127->hide();
    ui->Edit1->hide();
    ui->CheckBox3->setEnabled(true);
    ui->CheckBox6->setEnabled(true);
    const bool limits = ui->CheckBox3->isChecked();
    for (QWidget* control : {static_cast<QWidget*>(ui->Edit2), static_cast<QWidget*>(ui->Label125),
                             static_cast<QWidget*>(ui->ComboBox2), static_cast<QWidget*>(ui->Label121),
                             static_cast<QWidget*>(ui->Label122), static_cast<QWidget*>(ui->ComboBox5),
                             static_cast<QWidget*>(ui->Label126)})
      control->setEnabled(limits);
    for (QWidget* control : pltOption) control->setVisible(ui->CheckBox6->isChecked());
  }
  if (ui->RadioButton2->isChecked()) {
    ShowStartButton();
    for (QWidget* control : continuousLimits) control->hide();
    ui->Button4->show();
    ui->Label127->show();
    ui->Edit1->show();
    // Each change of a box runs this once more; that run changes nothing.
    ui->CheckBox3->setChecked(true);
    ui->CheckBox3->setEnabled(false);
    ui->CheckBox6->setChecked(false);
    ui->CheckBox6->setEnabled(false);
    for (QWidget* control : {static_cast<QWidget*>(ui->ComboBox2), static_cast<QWidget*>(ui->Label121),
                             static_cast<QWidget*>(ui->Label122)})
      control->setEnabled(true);
    for (QWidget* control : pltOption) control->hide();
  }
  ApplySensingMethod();
  SendFlickerSetup();
  SendTestSetup();
  RequestData();
}

void Tqx7300form::ApplySensingMethod() {
  switch (ui->RadioGroup11->ItemIndex()) {
    case 0:
      ui->GroupBox2->hide();
      ui->Button6->setEnabled(true);
      ui->Button7->setEnabled(true);
      ui->Button8->setEnabled(false);
      break;
    case 1:
      // Current sensing measures through the reference impedance on a
      // range of its own.
      ui->GroupBox2->show();
      ui->Button6->setEnabled(false);
      ui->Button7->setEnabled(false);
      ui->Button8->setEnabled(false);
      break;
    default:
      break;
  }
}

void Tqx7300form::SensingMethodChanged() {
  ApplySensingMethod();
  SendFlickerSetup();
  RequestData();
}

void Tqx7300form::CheckBox5Click() {
  ui->Edit7->setText(TestSequencing::ContinuousDurationText(ui->CheckBox5->isChecked()));
  ShowFlickerSettings();
}

void Tqx7300form::SendHarmonicMethod() {
  SyncSetup();
  document_->SendHarmonicMethod();
}

void Tqx7300form::SendFlickerSetup() {
  SyncSetup();
  document_->SendFlickerSetup();
}

void Tqx7300form::SendTestSetup() {
  SyncSetup();
  if (ui->ComboBox1->currentIndex() == 0 && ui->ComboBox3->currentIndex() == 2) {
    if (const std::optional<QString> unit = ClassCCurrentUnit(ui->Edit14->text())) ui->Label115->setText(*unit);
  }
  document_->SendTestSetup();
}

void Tqx7300form::SendNominalSupply() {
  SyncSetup();
  document_->SendNominalSupply();
}
