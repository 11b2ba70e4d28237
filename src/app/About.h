#pragma once

#include <QDialog>
#include <QPixmap>

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

// The program's picture for a widget: the drawing of twice the pixels on a
// screen of more than one device pixel a pixel.
QPixmap ProgramPicture(const QWidget& shownOn);

inline constexpr const char* kSoftwareVersionText = "Software Version 1.14 2nd September 2007";
