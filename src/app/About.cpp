#include "app/About.h"

#include <QEvent>
#include <QPixmap>

#include "app/window_placement.h"
#include "ui_About.h"

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent), ui(new Ui::TAboutBox) {
  ui->setupUi(this);
  FixClientSize(this, width(), height());
  ui->ProgramIcon->setPixmap(ProgramPicture(*this));
  connect(ui->OKButton, &QPushButton::clicked, this, &QDialog::accept);
}

TAboutBox::~TAboutBox() { delete ui; }

QPixmap ProgramPicture(const QWidget& shownOn) {
  if (shownOn.devicePixelRatioF() == 1.0) return QPixmap(QStringLiteral(":/veltrix/about.png"));
  QPixmap dense(QStringLiteral(":/veltrix/about@2x.png"));
  dense.setDevicePixelRatio(2.0);
  return dense;
}

QString TAboutBox::VersionText() const { return ui->Version->text(); }

bool TAboutBox::event(QEvent* event) {
  if (event->type() == QEvent::WindowActivate) FormActivate();
  return QDialog::event(event);
}

void TAboutBox::FormActivate() {
  setWindowTitle(QStringLiteral("About Veltrix"));
  ui->Version->setText(QString::fromLatin1(kSoftwareVersionText));
}
