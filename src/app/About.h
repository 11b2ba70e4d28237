#pragma once

#include <QDialog>

namespace Ui {
class TAboutBox;
}

// The About box: the maker's identification and the software version.
class TAboutBox : public QDialog {
  Q_OBJECT

 public:
  explicit TAboutBox(QWidget* parent = nullptr);
  ~TAboutBox() override;

  QString VersionText() const;

 protected:
  bool event(QEvent* event) override;

 private:
  void FormActivate();

  Ui::TAboutBox* ui;
};

inline constexpr const char* kSoftwareVersionText = "Software Version 1.14 2nd September 2007";
