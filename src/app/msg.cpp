#include "app/msg.h"

#include "ui_msg.h"

Tmsgform::Tmsgform(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint), ui(new Ui::Tmsgform) {
  ui->setupUi(this);
  setAutoFillBackground(true);
}

Tmsgform::~Tmsgform() { delete ui; }

QLabel* Tmsgform::PromptLabel() const { return ui->Label1; }

void Tmsgform::SetColour(const QColor& colour) {
  QPalette pal = palette();
  pal.setColor(QPalette::Window, colour);
  setPalette(pal);
}
