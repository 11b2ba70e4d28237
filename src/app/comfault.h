#pragma once

#include <QDialog>

namespace Ui {
class Tcomfaultform;
}

// No-response dialog: offered when the analyser stays silent after a command.
class Tcomfaultform : public QDialog {
  Q_OBJECT

 public:
  explicit Tcomfaultform(QWidget* parent = nullptr);
  ~Tcomfaultform() override;

  Ui::Tcomfaultform& Form() { return *ui; }

 private:
  Ui::Tcomfaultform* ui;
};
