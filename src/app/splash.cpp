#include "app/splash.h"

#include <QFile>
#include <QPixmap>

#include "app/jpeg_image.h"
#include "app/window_placement.h"
#include "ui_splash.h"

Tsplashform::Tsplashform(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowStaysOnTopHint),
      ui(new Ui::Tsplashform) {
  ui->setupUi(this);
  FixClientSize(this, 660, 341);
  SetPicture(SplashPicture(devicePixelRatioF()));
  connect(ui->Button1, &QPushButton::clicked, this, &Tsplashform::AcceptPressed);
  CentreOnScreen(this);
}

Tsplashform::~Tsplashform() { delete ui; }

QImage SplashPicture(qreal devicePixelRatio) {
  if (devicePixelRatio > 1.0) {
    QImage dense = DecodeJpegFile(QString::fromLatin1(kDenseSplashPictureResource));
    if (!dense.isNull()) {
      dense.setDevicePixelRatio(2.0);
      return dense;
    }
  }
  return DecodeJpegFile(QString::fromLatin1(kSplashPictureResource));
}

void Tsplashform::SetPicture(const QImage& picture) {
  hasPicture_ = !picture.isNull();
  if (!hasPicture_) {
    ui->Image1->clear();
    return;
  }
  // Sizes in the window's own units: a dense picture fits as its 1x drawing.
  const QSize area = ui->Image1->size();
  const QSize shown = picture.deviceIndependentSize().toSize();
  if (shown.boundedTo(area) == shown) {
    ui->Image1->setPixmap(QPixmap::fromImage(picture));
    return;
  }
  QImage fitted = picture.scaled(area * picture.devicePixelRatio(), Qt::KeepAspectRatio, Qt::SmoothTransformation);
  fitted.setDevicePixelRatio(picture.devicePixelRatio());
  ui->Image1->setPixmap(QPixmap::fromImage(fitted));
}
