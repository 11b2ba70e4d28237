#pragma once

#include <QDialog>

class PortChooser;

namespace Ui {
class Tcomfaultform;
}

// No-response dialog: offered when the analyser stays silent after a command.
// "Retry" closes it with OK and is the default button, "Cancel" (also
// Escape and the close box) and "Use Offline" with Cancel; the
// main window reacts to each button through its signal, which is raised
// after the dialog's result is set, so a reaction that fails still leaves
// the dialog closing as its button says.
class Tcomfaultform : public QDialog {
  Q_OBJECT

 public:
  explicit Tcomfaultform(QWidget* parent = nullptr);
  ~Tcomfaultform() override;

  Ui::Tcomfaultform& Form() { return *ui; }
  PortChooser& PortList() { return *portChooser_; }
  // The port number the edit shows when the dialog comes up.
  void SetComPort(quint8 port);
  QString ComPortText() const;

  // Escape and the close box: as "Cancel".
  void reject() override;

 signals:
  void RetryPressed();
  void CancelPressed();
  void UseOfflinePressed();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  PortChooser* portChooser_ = nullptr;
  Ui::Tcomfaultform* ui;
};
