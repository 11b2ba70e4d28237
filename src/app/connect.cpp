#include "app/connect.h"

#include "app/window_placement.h"
#include "ui_connect.h"

TConnectform::TConnectform(QWidget* parent) : QDialog(parent), ui(new Ui::TConnectform) {
  ui->setupUi(this);
  FixClientSize(this, width(), height());
}

TConnectform::~TConnectform() { delete ui; }
