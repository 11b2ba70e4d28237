#include "app/comfault.h"

#include "app/window_placement.h"
#include "ui_comfault.h"

Tcomfaultform::Tcomfaultform(QWidget* parent) : QDialog(parent), ui(new Ui::Tcomfaultform) {
  ui->setupUi(this);
  FixClientSize(this, width(), height());
}

Tcomfaultform::~Tcomfaultform() { delete ui; }
