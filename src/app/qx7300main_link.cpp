// Supervision of the link: the watchdog that notices a silent analyser and
// the no-response dialog it offers, and the Settings dialog's choice of port
// and next report number.
#include <QDir>
#include <QLabel>

#include <stdexcept>
#include <string>

#include "app/comfault.h"
#include "app/connect.h"
#include "app/link_recovery.h"
#include "app/operator_dialogs.h"
#include "app/port_chooser.h"
#include "app/qx7300main.h"
#include "link/port_binding.h"
#include "link/decimal_text.h"
#include "persist/working_folder.h"
#include "record/recordings_folder.h"
#include "serial/device_path.h"
#include "serial/port_access.h"
#include "serial/serial_port.h"
#include "ui_connect.h"
#include "ui_qx7300main.h"

namespace {

constexpr int kHighestComPort = 255;

// A typed number as the toolkit's conversion reads it: not a whole number,
// or outside what the value can hold, is an error the error box shows.
int WholeNumberOrThrow(const QString& text, int lowest, int highest) {
  const std::optional<int> value = ParseWholeNumber(text);
  if (!value) throw std::runtime_error("'" + text.toStdString() + "' is not a valid integer value");
  if (*value < lowest || *value > highest) throw std::range_error("Range check error");
  return *value;
}

}  // namespace

void Tqx7300form::ConnectLinkSupervision() {
  connect(&Comstimer_, &QTimer::timeout, this, &Tqx7300form::ComstimerTimer);
  connect(ui->Settings2, &QAction::triggered, this, &Tqx7300form::Settings2Click);
  linkRecovery_ = new LinkRecovery([this] { return LostPortPath(); }, [this] { return ReopenFoundDevice(); }, this);
  SerialPort1_->SetOnDeviceLost([this](TSerialPort&) { SerialPortLost(); });
  SerialPort1_->SetOnPortOpen([this](TSerialPort& port) {
    const quint16 number = port.ComNumber();
    openedThroughComEntry_.reset();
    if (DevicePathFor(number) != MachinePortPathFor(number)) openedThroughComEntry_ = number;
    // A line the analyser was in the middle of when the port closed is
    // not finished by what comes now.
    document_->DiscardPartialLine();
    // However the port opens again (Retry, Settings, a command), nothing is
    // left to look for.
    linkRecovery_->Stop();
  });
}

void Tqx7300form::ConnectLinkDialogs() {
  if (companions_.comfaultform != nullptr) {
    connect(companions_.comfaultform, &Tcomfaultform::RetryPressed, this, &Tqx7300form::RetryLink);
    connect(companions_.comfaultform, &Tcomfaultform::CancelPressed, this, &Tqx7300form::CancelLink);
    connect(companions_.comfaultform, &Tcomfaultform::UseOfflinePressed, this, &Tqx7300form::UseOffline);
  }
  if (companions_.connectform != nullptr) {
    connect(companions_.connectform, &TConnectform::AcceptPressed, this, &Tqx7300form::AcceptSettings);
    connect(companions_.connectform, &TConnectform::TransmitPressed, this, &Tqx7300form::SendCommand);
  }
}

void Tqx7300form::ComstimerTimer() {
  // Until the splash is accepted, and for good after "Use Offline", the
  // watchdog only keeps counting.
  if (shell_.LinkFaultSuppressed) return;
  Comstimer_.stop();
  if (companions_.comfaultform == nullptr || companions_.comfaultform->isVisible()) return;
  companions_.comfaultform->SetComPort(shell_.ComPortNumber);
  if (companions_.comfaultform->exec() == QDialog::Accepted) Comstimer_.start();
}

void Tqx7300form::RetryLink() {
  const std::optional<int> port = ParseWholeNumber(companions_.comfaultform->ComPortText());
  if (!port || *port < 1 || *port > kHighestComPort) return;
  const std::optional<ComLinkBefore> replaced =
      BindChosenDevice(static_cast<quint16>(*port), companions_.comfaultform->PortList().ChosenTarget());
  // Closed first, so that the port opens again through COM<n>: an adapter
  // plugged into another socket is found under its new device node.
  SerialPort1_->SetOpen(false);
  // The set-up goes out again on the port; a closed port opens with the
  // first of those commands.
  SerialPort1_->SetComNumber(static_cast<quint16>(*port));
  shell_.ComPortNumber = static_cast<quint8>(*port);
  try {
    ResendSetup();
  } catch (const std::exception& error) {
    if (!replaced || SerialPort1_->Open()) throw;
    // The device chosen does not open: COM<n> leads where it led before.
    const QString restored = RestoreComPort(static_cast<quint16>(*port), *replaced);
    throw std::runtime_error(std::string(error.what()) + "\n" + restored.toLocal8Bit().toStdString());
  }
}

std::optional<ComLinkBefore> Tqx7300form::BindChosenDevice(quint16 comNumber, const QString& target) {
  if (target.isEmpty()) return std::nullopt;
  QString error;
  ComLinkBefore before;
  const BindResult bound = BindComPort(
      comNumber, target, [this](const QString& question) { return dialogs_.Confirm(question); }, &error, &before);
  if (bound == BindResult::Failed) dialogs_.ShowWarning(error);
  if (bound != BindResult::Bound) return std::nullopt;
  return before;
}

void Tqx7300form::SerialPortLost() {
  ui->Label59->setText(shell_.WorkingOffline ? QStringLiteral("Offline. Not Connected.")
                                             : QStringLiteral("Not Connected"));
  ui->Label43->clear();
  // Offline, the next command opens the port again, as ever.
  if (shell_.WorkingOffline) return;
  linkRecovery_->Follow();
  // Nothing more can come: the watchdog fires now rather than after its
  // two seconds (and only keeps counting while start-up holds it off).
  Comstimer_.start();
  QTimer::singleShot(0, this, [this] {
    if (Comstimer_.isActive() && !SerialPort1_->Open()) ComstimerTimer();
  });
}

bool Tqx7300form::ReopenFoundDevice() {
  if (SerialPort1_->Open()) return true;
  Tcomfaultform* asking = companions_.comfaultform;
  if (asking != nullptr && !asking->isVisible()) asking = nullptr;
  // An operator who has typed another port, or chosen another device, in
  // the no-response dialog decides with Retry.
  if (asking != nullptr && (asking->ComPortText() != QString::number(SerialPort1_->ComNumber()) ||
                            !asking->PortList().ChosenTarget().isEmpty()))
    return false;
  try {
    SerialPort1_->SetOpen(true);
  } catch (const std::exception&) {
    return false;
  }
  // Nothing is sent: the analyser streams on as it was set up, and a test
  // running in it goes on. The watchdog asks should nothing come.
  if (asking != nullptr)
    asking->done(QDialog::Accepted);  // the watchdog is armed as after Retry
  else
    Comstimer_.start();
  return true;
}

QString Tqx7300form::LostPortPath() const {
  const quint16 number = SerialPort1_->ComNumber();
  const std::string path = DevicePathFor(number);
  if (openedThroughComEntry_ == number && path == MachinePortPathFor(number))
    return QDir::current().filePath(QString::fromStdString(DeviceNameFor(number)));
  return QString::fromStdString(path);
}

void Tqx7300form::CancelLink() {
  ui->Label59->setText(QStringLiteral("Not Connected"));
  ui->Label43->clear();
}

void Tqx7300form::UseOffline() {
  shell_.LinkFaultSuppressed = true;
  shell_.WorkingOffline = true;
  linkRecovery_->Stop();
  ui->Label59->setText(QStringLiteral("Offline. Not Connected."));
  ui->Label43->clear();
}

void Tqx7300form::Settings2Click() {
  if (companions_.connectform == nullptr) return;
  companions_.connectform->Prepare(shell_.ComPortNumber, document_->ReportCounter(), shell_.RecordingsLimitMB,
                                   RecordingsFolderUse(WorkingFolderPath(QLatin1String(kRecordingsFolderName))));
  companions_.connectform->SetLabServer(shell_.LabServer);
  companions_.connectform->SetAskPassword([this] {
    return dialogs_.AskPassword(QStringLiteral("Lab Archive"), QStringLiteral("Password for the lab's archive:"));
  });
  companions_.connectform->exec();
  // Whatever was chosen: the port follows the number kept.
  SerialPort1_->SetComNumber(shell_.ComPortNumber);
  SaveSettings();
}

void Tqx7300form::AcceptSettings() {
  Ui::TConnectform& form = companions_.connectform->Form();
  const int port = WholeNumberOrThrow(form.Edit1->text(), 0, kHighestComPort);
  const std::optional<ComLinkBefore> replaced =
      port > 0 ? BindChosenDevice(static_cast<quint16>(port), companions_.connectform->PortList().ChosenTarget())
               : std::nullopt;
  try {
    // A device newly chosen is used at once: the port reopens through the
    // new link, also on the same number.
    if (replaced) SerialPort1_->SetOpen(false);
    SerialPort1_->SetComNumber(static_cast<quint16>(port));
    SerialPort1_->SetOpen(true);
    shell_.PortConnected = true;
    shell_.ComPortNumber = static_cast<quint8>(port);
  } catch (const std::exception& error) {
    shell_.PortConnected = false;
    SerialPort1_->SetOpen(false);
    // No change made: the number is the old one again before the box
    // waits, so that a lost device looked for meanwhile is looked for
    // under it.
    SerialPort1_->SetComNumber(shell_.ComPortNumber);
    QString details = QString::fromLocal8Bit(DescribePortAccess(static_cast<quint16>(port), error.what()));
    // The device chosen does not open: COM<n> leads where it led before.
    if (replaced) details += RestoreComPort(static_cast<quint16>(port), *replaced) + QLatin1Char('\n');
    dialogs_.ShowWarningWithDetails(QStringLiteral("Invalid Com Port. No Change Made"), details);
  }
  const int next = WholeNumberOrThrow(form.Edit2->text(), std::numeric_limits<int>::min(),
                                      std::numeric_limits<int>::max());
  document_->SetReportCounter(static_cast<quint32>(next - 1));
  UseRecordingsLimit(form.SpinEdit1->value());
  document_->PruneRecordingsFolder();
  if (companions_.connectform->LabServer() != shell_.LabServer) UseLabServer(companions_.connectform->LabServer());
}
