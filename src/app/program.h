#pragma once

#include <QList>
#include <QWidget>

#include <memory>

class OperatorDialogs;
class Tsplashform;
class Tqx7300form;
class Tmsgform;
class TAboutBox;
class TConnectform;
class Tpreviewform;
class Tcomfaultform;

// The program's windows, created in their fixed order: the splash first,
// shown at once, then the main window and the five small windows. The
// program ends when the main window has closed.
class VeltrixProgram {
 public:
  explicit VeltrixProgram(OperatorDialogs& dialogs);
  ~VeltrixProgram();

  VeltrixProgram(const VeltrixProgram&) = delete;
  VeltrixProgram& operator=(const VeltrixProgram&) = delete;

  // Shows the main window; the splash stays above it.
  void ShowMainWindow();

  Tsplashform& Splash() { return *splash_; }
  Tqx7300form& MainWindow() { return *main_; }
  Tmsgform& MsgForm() { return *msgform_; }
  TAboutBox& AboutBox() { return *aboutBox_; }
  TConnectform& ConnectForm() { return *connectform_; }
  Tpreviewform& PreviewForm() { return *previewform_; }
  Tcomfaultform& ComFaultForm() { return *comfaultform_; }

  // Every window in the order it came into being.
  const QList<QWidget*>& WindowsInCreationOrder() const { return created_; }

 private:
  template <typename Window>
  std::unique_ptr<Window> Create();

  QList<QWidget*> created_;
  std::unique_ptr<Tsplashform> splash_;
  std::unique_ptr<Tqx7300form> main_;
  std::unique_ptr<Tmsgform> msgform_;
  std::unique_ptr<TAboutBox> aboutBox_;
  std::unique_ptr<TConnectform> connectform_;
  std::unique_ptr<Tpreviewform> previewform_;
  std::unique_ptr<Tcomfaultform> comfaultform_;
  OperatorDialogs& dialogs_;
};
