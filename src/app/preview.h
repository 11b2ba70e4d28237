#pragma once

#include <QDialog>

namespace Ui {
class Tpreviewform;
}

// Report preview: the text report as it will print, with print and save buttons.
class Tpreviewform : public QDialog {
  Q_OBJECT

 public:
  explicit Tpreviewform(QWidget* parent = nullptr);
  ~Tpreviewform() override;

  Ui::Tpreviewform& Form() { return *ui; }

 private:
  Ui::Tpreviewform* ui;
};
