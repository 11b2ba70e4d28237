#include "app/preview.h"

#include "app/window_placement.h"
#include "ui_preview.h"

Tpreviewform::Tpreviewform(QWidget* parent) : QDialog(parent), ui(new Ui::Tpreviewform) {
  ui->setupUi(this);
  FixClientSize(this, width(), height());
}

Tpreviewform::~Tpreviewform() { delete ui; }
