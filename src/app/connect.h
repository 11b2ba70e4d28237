#pragma once

#include <QDialog>

namespace Ui {
class TConnectform;
}

// Settings dialog: the serial port number and the number of the next report.
class TConnectform : public QDialog {
  Q_OBJECT

 public:
  explicit TConnectform(QWidget* parent = nullptr);
  ~TConnectform() override;

  Ui::TConnectform& Form() { return *ui; }

 private:
  Ui::TConnectform* ui;
};
