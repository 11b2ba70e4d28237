#pragma once

#include <QDialog>

class PortChooser;

namespace Ui {
class TConnectform;
}

// Settings dialog: the serial port number, the number of the next report,
// and the size the recordings folder is kept within, beside its use now.
// A right-button press on its background uncovers a small panel that sends
// a typed command to the analyser, for service use.
class TConnectform : public QDialog {
  Q_OBJECT

 public:
  explicit TConnectform(QWidget* parent = nullptr);
  ~TConnectform() override;

  Ui::TConnectform& Form() { return *ui; }
  PortChooser& PortList() { return *portChooser_; }
  // What the dialog shows when it comes up; the service panel is hidden.
  void Prepare(quint8 comPort, quint32 reportCounter, qint32 recordingsLimitMB, qint64 recordingsUseBytes);

 signals:
  // "Accept": the dialog's result is already OK when this is raised.
  void AcceptPressed();
  void TransmitPressed(const QByteArray& command);

 protected:
  void mousePressEvent(QMouseEvent* event) override;

 private:
  PortChooser* portChooser_ = nullptr;
  Ui::TConnectform* ui;
};
