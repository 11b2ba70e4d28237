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
  SetPicture(DecodeJpegFile(QString::fromLatin1(kSplashPictureResource)));
  connect(ui->Button1, &QPushButton::clicked, this, &Tsplashform::AcceptPressed);
  CentreOnScreen(this);
}

Tsplashform::~Tsplashform() { delete ui; }

void Tsplashform::SetPicture(const QImage& picture) {
  hasPicture_ = !picture.isNull();
  if (!hasPicture_) {
    ui->Image1->clear();
    return;
  }
  const QSize area = ui->Image1->size();
  ui->Image1->setPixmap(QPixmap::fromImage(
      picture.size().boundedTo(area) == picture.size()
          ? picture
          : picture.scaled(area, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
}
