#include "app/comfault.h"

#include "app/port_chooser.h"
#include "app/window_placement.h"
#include "ui_comfault.h"

Tcomfaultform::Tcomfaultform(QWidget* parent) : QDialog(parent), ui(new Ui::Tcomfaultform) {
  ui->setupUi(this);
  QFont arial(QStringLiteral("Arial"));
  arial.setPixelSize(12);
  setFont(arial);
  FixClientSize(this, width(), height());
  // The devices present, beside the number.
  portChooser_ = PortChooser::AttachBeside(ui->Edit1, this);
  // A dialog closed without its choice taken forgets the device chosen.
  connect(this, &QDialog::rejected, portChooser_, &PortChooser::Discard);
  connect(ui->Button1, &QPushButton::clicked, this, [this] {
    done(Rejected);
    emit UseOfflinePressed();
  });
  connect(ui->Button2, &QPushButton::clicked, this, &Tcomfaultform::reject);
  connect(ui->Button3, &QPushButton::clicked, this, [this] {
    done(Accepted);
    emit RetryPressed();
  });
  // An operator who types the port number and presses Enter means to try
  // again on it.
  ui->Button3->setDefault(true);
}

Tcomfaultform::~Tcomfaultform() { delete ui; }

void Tcomfaultform::SetComPort(quint8 port) { ui->Edit1->setText(QString::number(port)); }

QString Tcomfaultform::ComPortText() const { return ui->Edit1->text(); }

void Tcomfaultform::reject() {
  // Escape and the close box give up for now, as "Cancel" does; going
  // offline for the rest of the run is only ever chosen on purpose.
  done(Rejected);
  emit CancelPressed();
}

void Tcomfaultform::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // Typing replaces the number shown.
  ui->Edit1->setFocus(Qt::OtherFocusReason);
  ui->Edit1->selectAll();
}
