#include "support/window_rig.h"

#include <QComboBox>

#include "app/comfault.h"
#include "app/connect.h"
#include "app/preview.h"
#include "app/qx7300main.h"
#include "serial/serial_port.h"
#include "support/test_working_folder.h"
#include "ui_qx7300main.h"

TWindowRig::TWindowRig() : TWindowRig(Options{}) {}

TWindowRig::TWindowRig(const Options& options) : analyser_(std::make_unique<TLinkedAnalyser>(options.comNumber)) {
  if (options.dialogs == nullptr) ownDialogs_ = std::make_unique<ScriptedOperatorDialogs>();
  dialogs_ = options.dialogs != nullptr ? options.dialogs : ownDialogs_.get();
  if (options.markBitmaps) CopyMarkBitmaps(analyser_->Folder().Path());
  window_ = std::make_unique<Tqx7300form>(*dialogs_);
  window_->starttimer().stop();
  if (options.linkDialogs) {
    comfault_ = std::make_unique<Tcomfaultform>();
    settings_ = std::make_unique<TConnectform>();
  }
  if (options.preview) preview_ = std::make_unique<Tpreviewform>();
  if (options.linkDialogs || options.preview) {
    Tqx7300form::Companions companions;
    companions.comfaultform = comfault_.get();
    companions.connectform = settings_.get();
    companions.previewform = preview_.get();
    window_->SetCompanions(companions);
  }
  ShellState& shell = window_->Shell();
  shell.StartupComplete = options.startupComplete;
  shell.LinkFaultSuppressed = !options.linkFaultsShown;
  if (options.giveNumber) {
    shell.ComPortNumber = static_cast<quint8>(options.comNumber);
    window_->SerialPort1().SetComNumber(static_cast<quint16>(options.comNumber));
    if (options.openPort && analyser_->Linked()) {
      window_->SerialPort1().SetOpen(true);
      shell.PortConnected = true;
    }
  }
  if (options.show) window_->show();
}

TWindowRig::~TWindowRig() {
  // The window first: its port still talks to the analyser's line.
  window_.reset();
  preview_.reset();
  settings_.reset();
  comfault_.reset();
}

bool TWindowRig::Ready() const { return analyser_->Linked() && window_ != nullptr; }

Ui::Tqx7300form& TWindowRig::Ui() { return window_->Form(); }

QString TWindowRig::FilePath(const QString& name) const {
  return analyser_->Folder().Path() + QLatin1Char('/') + name;
}

QByteArray TWindowRig::Sent(std::chrono::milliseconds within, int limit) { return analyser_->Read(limit, within); }

void TWindowRig::Select(int standard) {
  Ui().ComboBox1->setCurrentIndex(standard);
  window_->ReinitialiseForStandard();
  Sent();
}
