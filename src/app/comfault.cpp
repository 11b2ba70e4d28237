#include "app/comfault.h"

#include "app/window_placement.h"
#include "ui_comfault.h"

Tcomfaultform::Tcomfaultform(QWidget* parent) : QDialog(parent), ui(new Ui::Tcomfaultform) {
  ui->setupUi(this);
  QFont arial(QStringLiteral("Arial"));
  arial.setPixelSize(12);
  setFont(arial);
  FixClientSize(this, width(), height());
  connect(ui->Button1, &QPushButton::clicked, this, [this] {
    done(Rejected);
    emit UseOfflinePressed();
  });
  connect(ui->Button2, &QPushButton::clicked, this, [this] {
    done(Rejected);
    emit CancelPressed();
  });
  connect(ui->Button3, &QPushButton::clicked, this, [this] {
    done(Accepted);
    emit RetryPressed();
  });
}

Tcomfaultform::~Tcomfaultform() { delete ui; }

void Tcomfaultform::SetComPort(quint8 port) { ui->Edit1->setText(QString::number(port)); }

QString Tcomfaultform::ComPortText() const { return ui->Edit1->text(); }
