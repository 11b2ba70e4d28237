#pragma once

#include <QDialog>

#include <functional>
#include <optional>

#include "persist/settings_file.h"

class PortChooser;

namespace Ui {
class TConnectform;
}

// Settings dialog: the serial port number, the number of the next report,
// the size the recordings folder is kept within, beside its use now, and
// (behind "Lab Archive...") the lab's archive server.
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
  // The lab's archive server the dialog shows and, after "Lab Archive...",
  // the one chosen; taken by "Accept" only.
  void SetLabServer(const ArchiveServer& server) { labServer_ = server; }
  const ArchiveServer& LabServer() const { return labServer_; }
  // How "Lab Archive..." asks for a password a server wants.
  void SetAskPassword(std::function<std::optional<QString>()> ask) { askPassword_ = std::move(ask); }

 signals:
  // "Accept": the dialog's result is already OK when this is raised.
  void AcceptPressed();
  void TransmitPressed(const QByteArray& command);

 protected:
  void mousePressEvent(QMouseEvent* event) override;

 private:
  PortChooser* portChooser_ = nullptr;
  ArchiveServer labServer_;
  std::function<std::optional<QString>()> askPassword_;
  Ui::TConnectform* ui;
};
