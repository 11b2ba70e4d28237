#include "app/program.h"

#include <QCoreApplication>

#include "app/About.h"
#include "app/comfault.h"
#include "app/connect.h"
#include "app/msg.h"
#include "app/preview.h"
#include "app/qx7300main.h"
#include "app/splash.h"

template <typename Window>
std::unique_ptr<Window> VeltrixProgram::Create() {
  auto window = std::make_unique<Window>();
  created_.append(window.get());
  return window;
}

template <>
std::unique_ptr<Tqx7300form> VeltrixProgram::Create<Tqx7300form>() {
  auto window = std::make_unique<Tqx7300form>(dialogs_);
  created_.append(window.get());
  return window;
}

VeltrixProgram::VeltrixProgram(OperatorDialogs& dialogs) : dialogs_(dialogs) {
  splash_ = Create<Tsplashform>();
  splash_->show();
  main_ = Create<Tqx7300form>();
  msgform_ = Create<Tmsgform>();
  aboutBox_ = Create<TAboutBox>();
  connectform_ = Create<TConnectform>();
  previewform_ = Create<Tpreviewform>();
  comfaultform_ = Create<Tcomfaultform>();
  main_->SetCompanions({splash_.get(), msgform_.get(), aboutBox_.get(), connectform_.get(),
                        previewform_.get(), comfaultform_.get()});
  // The splash may still be up, so closing the main window must end the
  // program by itself rather than wait for the last window to go.
  QObject::connect(main_.get(), &Tqx7300form::Closed, QCoreApplication::instance(),
                   &QCoreApplication::quit, Qt::QueuedConnection);
}

VeltrixProgram::~VeltrixProgram() = default;

void VeltrixProgram::ShowMainWindow() {
  main_->show();
}
