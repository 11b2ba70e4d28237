#include "app/connect.h"

#include <QMouseEvent>

#include "app/lab_archive_dialog.h"
#include "app/port_chooser.h"
#include "app/window_placement.h"
#include "persist/settings_file.h"
#include "ui_connect.h"

TConnectform::TConnectform(QWidget* parent) : QDialog(parent), ui(new Ui::TConnectform) {
  ui->setupUi(this);
  QFont arial(QStringLiteral("Arial"));
  arial.setPixelSize(12);
  setFont(arial);
  FixClientSize(this, width(), height());
  // The devices present, beside the number.
  portChooser_ = PortChooser::AttachBeside(ui->Edit1, this);
  // A dialog closed without its choice taken forgets the device chosen.
  connect(this, &QDialog::rejected, portChooser_, &PortChooser::Discard);
  ui->SpinEdit1->setRange(ProgramSettings::kMinRecordingsLimit, ProgramSettings::kMaxRecordingsLimit);
  // The service panel covers the report number frame when it shows.
  ui->Panel3->setAutoFillBackground(true);
  connect(ui->Button1, &QPushButton::clicked, this, &QDialog::reject);
  connect(ui->Button2, &QPushButton::clicked, this, [this] {
    done(Accepted);
    emit AcceptPressed();
  });
  connect(ui->Button3, &QPushButton::clicked, this,
          [this] { emit TransmitPressed(ui->Edit3->text().toLatin1()); });
  connect(ui->Button4, &QPushButton::clicked, this, [this] {
    LabArchiveDialog lab(labServer_, askPassword_, this);
    if (lab.exec() == QDialog::Accepted) labServer_ = lab.Server();
  });
}

TConnectform::~TConnectform() { delete ui; }

void TConnectform::Prepare(quint8 comPort, quint32 reportCounter, qint32 recordingsLimitMB, qint64 recordingsUseBytes) {
  ui->Panel3->hide();
  ui->Edit1->setText(QString::number(comPort));
  ui->Edit2->setText(QString::number(static_cast<quint64>(reportCounter) + 1));
  ui->SpinEdit1->setValue(recordingsLimitMB);
  ui->Label4->setText(QStringLiteral("%1 MB in use").arg(double(recordingsUseBytes) / 1e6, 0, 'f', 1));
}

void TConnectform::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::RightButton) ui->Panel3->show();
  QDialog::mousePressEvent(event);
}
