// The test set-up saved and loaded as configuration files, the settings
// file, and the defaults: everything the program keeps between runs.
#include <QComboBox>
#include <QLineEdit>
#include <QScopeGuard>

#include "app/operator_dialogs.h"
#include "app/qx7300main.h"
#include "app/radio_group.h"
#include "persist/configuration_file.h"
#include "persist/settings_file.h"
#include "persist/working_folder.h"
#include "serial/serial_port.h"
#include "ui_qx7300main.h"

namespace {

const OperatorDialogs::FileDialogOptions kConfigurationDialog{
    QStringLiteral("QX7300 Configuration Files"), QStringLiteral("QX7300 Configuration Files|*.HAC"),
    QStringLiteral("HAC"), QString(), false};

QString InWorkingFolder(const char* name) { return WorkingFolderPath(QString::fromLatin1(name)); }

}  // namespace

void Tqx7300form::ConnectPersistence() {
  connect(ui->SaveCurrentConfiguration1, &QAction::triggered, this, &Tqx7300form::SaveCurrentConfiguration1Click);
  connect(ui->LoadConfiguration1, &QAction::triggered, this, &Tqx7300form::LoadConfiguration1Click);
  connect(ui->RestoreDefaultSettings1, &QAction::triggered, this, &Tqx7300form::RestoreDefaultSettings1Click);
}

TestSetupValues Tqx7300form::TakeTestSetup() const {
  TestSetupValues v;
  v.Edit1 = ui->Edit1->text();
  v.Edit2 = ui->Edit2->text();
  v.Edit5 = ui->Edit5->text();
  v.Edit7 = ui->Edit7->text();
  v.Edit10 = ui->Edit10->text();
  v.Edit13 = ui->Edit13->text();
  v.Edit14 = ui->Edit14->text();
  v.Edit15 = ui->Edit15->text();
  v.RadioGroup1 = ui->RadioGroup1->ItemIndex();
  v.RadioGroup2 = ui->RadioGroup2->ItemIndex();
  v.RadioGroup5 = ui->RadioGroup5->ItemIndex();
  v.RadioGroup11 = ui->RadioGroup11->ItemIndex();
  v.ComboBox2 = ui->ComboBox2->currentIndex();
  v.ComboBox3 = ui->ComboBox3->currentIndex();
  v.ComboBox4 = ui->ComboBox4->currentIndex();
  v.ComboBox5 = ui->ComboBox5->currentIndex();
  v.ComboBox6 = ui->ComboBox6->currentIndex();
  v.ComboBox7 = ui->ComboBox7->currentIndex();
  v.RadioButton1 = ui->RadioButton1->isChecked();
  v.RadioButton2 = ui->RadioButton2->isChecked();
  v.CheckBox1 = ui->CheckBox1->isChecked();
  v.CheckBox2 = ui->CheckBox2->isChecked();
  v.CheckBox3 = ui->CheckBox3->isChecked();
  v.CheckBox4 = ui->CheckBox4->isChecked();
  v.CheckBox5 = ui->CheckBox5->isChecked();
  v.CheckBox6 = ui->CheckBox6->isChecked();
  v.CheckBox7 = ui->CheckBox7->isChecked();
  v.ComboBox1 = ui->ComboBox1->currentIndex();
  return v;
}

StationSetup Tqx7300form::TakeStationSetup() const {
  return {TakeTestSetup(), ui->Edit8->text(), ui->Edit9->text()};
}

void Tqx7300form::SyncSetup() {
  if (!reviewMode_) document_->SetSetup(TakeStationSetup());
}

void Tqx7300form::ConnectSetupToDocument() {
  // A review window shows its document's set-up and never changes it.
  if (reviewMode_) return;
  QWidget* area = ui->centralwidget;
  for (QLineEdit* edit : area->findChildren<QLineEdit*>())
    connect(edit, &QLineEdit::textChanged, this, &Tqx7300form::SyncSetup);
  for (QAbstractButton* button : area->findChildren<QAbstractButton*>()) {
    if (button->isCheckable()) connect(button, &QAbstractButton::toggled, this, &Tqx7300form::SyncSetup);
  }
  for (QComboBox* list : area->findChildren<QComboBox*>())
    connect(list, &QComboBox::currentIndexChanged, this, &Tqx7300form::SyncSetup);
  for (RadioGroup* group : area->findChildren<RadioGroup*>())
    connect(group, &RadioGroup::Clicked, this, &Tqx7300form::SyncSetup);
}

void Tqx7300form::ShowSetup(const TestSetupValues& setup) {
  // As the configuration file applies its values, without any reaction.
  for (const ConfigurationItem& item : ConfigurationItems(setup)) {
    QWidget* control = ui->centralwidget->findChild<QWidget*>(ConfigurationControlName(item.Control));
    if (control == nullptr) continue;
    const QSignalBlocker quiet(control);
    if (auto* group = qobject_cast<RadioGroup*>(control)) {
      for (QRadioButton* button : group->findChildren<QRadioButton*>()) button->blockSignals(true);
      group->SetItemIndex(item.Index);
      for (QRadioButton* button : group->findChildren<QRadioButton*>()) button->blockSignals(false);
    } else if (auto* radio = qobject_cast<QRadioButton*>(control)) {
      radio->setAutoExclusive(false);
      radio->setChecked(item.Checked);
      radio->setAutoExclusive(true);
    } else {
      ApplySetupItem(item);
    }
  }
}

void Tqx7300form::ApplySetupItem(const ConfigurationItem& item) {
  QWidget* control = ui->centralwidget->findChild<QWidget*>(ConfigurationControlName(item.Control));
  if (control == nullptr) return;
  // Each control reacts as to the operator, and only to a real change; a
  // list's selection runs nothing.
  if (auto* edit = qobject_cast<QLineEdit*>(control)) {
    edit->setText(item.Text);
  } else if (auto* group = qobject_cast<RadioGroup*>(control)) {
    group->SetItemIndex(item.Index);
  } else if (auto* list = qobject_cast<QComboBox*>(control)) {
    list->setCurrentIndex(item.Index < list->count() ? item.Index : -1);
  } else if (auto* radio = qobject_cast<QRadioButton*>(control)) {
    if (item.Checked) {
      radio->setChecked(true);
    } else if (radio->isChecked()) {
      // A test-type button that becomes unchecked runs nothing, and may
      // leave neither type chosen, as the file says.
      const QSignalBlocker quiet(radio);
      radio->setAutoExclusive(false);
      radio->setChecked(false);
      radio->setAutoExclusive(true);
    }
  } else if (auto* box = qobject_cast<QCheckBox*>(control)) {
    box->setChecked(item.Checked);
  }
}

void Tqx7300form::LoadConfiguration(const QString& path) {
  const ConfigurationRead read = ReadConfiguration(path);
  for (const ConfigurationItem& item : read.Items) ApplySetupItem(item);
  // A test type unchecked without its reaction is the document's too.
  SyncSetup();
  if (read.Failed) dialogs_.ShowMessage(QString::fromLatin1(kConfigurationReadError));
}

void Tqx7300form::SaveConfigurationFile(const QString& path) {
  if (!::SaveConfiguration(path, TakeTestSetup())) dialogs_.ShowMessage(QString::fromLatin1(kConfigurationWriteError));
}

void Tqx7300form::SaveCurrentConfiguration1Click() {
  const QString path = dialogs_.SaveFileName(kConfigurationDialog);
  if (!path.isEmpty()) SaveConfigurationFile(path);
}

void Tqx7300form::LoadConfiguration1Click() {
  const QString path = dialogs_.OpenFileName(kConfigurationDialog);
  if (path.isEmpty()) return;
  LoadConfiguration(path);
  StandardChanged();
}

ProgramSettings Tqx7300form::TakeProgramSettings() const {
  ProgramSettings settings;
  settings.ComPortNumber = shell_.ComPortNumber;
  settings.PrinterFont = shell_.PrinterFont;
  settings.ReportCounter = static_cast<qint32>(document_->ReportCounter());
  settings.RecordingsLimitMB = shell_.RecordingsLimitMB;
  settings.LabServer = shell_.LabServer;
  return settings;
}

void Tqx7300form::SaveSettings() {
  if (!shell_.SettingsLoaded) return;
  if (!SaveSettingsFile(InWorkingFolder(kSettingsFileName), TakeProgramSettings(), QDateTime::currentDateTime()))
    dialogs_.ShowMessage(QString::fromLatin1(kSettingsWriteError));
  SaveConfigurationFile(InWorkingFolder(kStartupConfigurationSaveName));
}

void Tqx7300form::ReadSettings() {
  const SettingsRead read = ReadSettingsFile(InWorkingFolder(kSettingsFileName));
  // The port line counts even when a later line fails.
  if (read.ComPortNumber) {
    shell_.ComPortNumber = *read.ComPortNumber;
    if (*read.ComPortNumber != 0) SerialPort1_->SetComNumber(*read.ComPortNumber);
  }
  if (!read.Settings) {
    DefaultsProcedure();
    UseRecordingsLimit(shell_.RecordingsLimitMB);
    return;
  }
  shell_.SettingsLoaded = true;
  shell_.PrinterFont = read.Settings->PrinterFont;
  document_->SetReportCounter(static_cast<quint32>(read.Settings->ReportCounter));
  UseRecordingsLimit(read.Settings->RecordingsLimitMB);
  UseLabServer(read.Settings->LabServer);
}

void Tqx7300form::UseRecordingsLimit(qint32 megabytes) {
  shell_.RecordingsLimitMB = megabytes;
  document_->SetRecordingsLimit(qint64{megabytes} * 1'000'000);
}

void Tqx7300form::DefaultsProcedure() {
  dialogs_.ShowWarning(QString::fromLatin1(kSettingsDefaultsLoaded));
  shell_.PrinterFont = PrinterFontValues{};
  const std::optional<OperatorDialogs::PortAnswer> answer =
      dialogs_.AskPort(QString::fromLatin1(kPortPromptCaption), QString::fromLatin1(kPortPromptText),
                       QString::fromLatin1(kPortPromptProposal));
  // A cancelled prompt takes the proposed port.
  const QString number = answer ? answer->number : QString::fromLatin1(kPortPromptProposal);
  if (const std::optional<quint8> port = ParsePortAnswer(number)) {
    if (answer && *port > 0) BindChosenDevice(*port, answer->deviceTarget);
    SerialPort1_->SetComNumber(*port);
    shell_.ComPortNumber = *port;
  }
  ApplySetupDefaults();
  shell_.SettingsLoaded = true;
  SaveSettings();
}

void Tqx7300form::ApplySetupDefaults() {
  for (const ConfigurationItem& item : ConfigurationItems(SetupDefaults())) ApplySetupItem(item);
}

void Tqx7300form::RestoreDefaultSettings1Click() {
  if (!dialogs_.Confirm(QStringLiteral("Restore all Default Settings ?"))) return;
  document_->LoadingSetUp(true);
  const auto loaded = qScopeGuard([this] { document_->LoadingSetUp(false); });
  ApplySetupDefaults();
  SyncSetup();
  ShowHarmonicsSettings();
}
