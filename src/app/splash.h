#pragma once

#include <QImage>
#include <QWidget>

namespace Ui {
class Tsplashform;
}

// The splash window: shown at program load above every other window until
// the operator accepts it or start-up has finished.
class Tsplashform : public QWidget {
  Q_OBJECT

 public:
  explicit Tsplashform(QWidget* parent = nullptr);
  ~Tsplashform() override;

  // Replaces the picture; a null image leaves the picture area empty.
  void SetPicture(const QImage& picture);
  bool HasPicture() const { return hasPicture_; }

 signals:
  // "Accept" pressed; the main window closes the splash and arms the link.
  void AcceptPressed();

 private:
  Ui::Tsplashform* ui;
  bool hasPicture_ = false;
};

// The splash picture compiled into the program, and its drawing of twice the
// pixels for dense screens.
inline constexpr const char* kSplashPictureResource = ":/veltrix/splash.jpg";
inline constexpr const char* kDenseSplashPictureResource = ":/veltrix/splash@2x.jpg";

// The splash picture for a window on the given screen density: the dense
// drawing (at a device pixel ratio of 2) on any screen denser than 1.
QImage SplashPicture(qreal devicePixelRatio);
