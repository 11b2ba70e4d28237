#include "app/preview.h"

#include "app/window_placement.h"
#include "ui_preview.h"

Tpreviewform::Tpreviewform(QWidget* parent) : QDialog(parent), ui(new Ui::Tpreviewform) {
  ui->setupUi(this);
  FixClientSize(this, width(), height());
  CentreOnScreen(this);
  connect(ui->Button1, &QPushButton::clicked, this, &Tpreviewform::PrintPressed);
  connect(ui->Button2, &QPushButton::clicked, this, &Tpreviewform::SaveTextPressed);
  connect(ui->Button3, &QPushButton::clicked, this, &Tpreviewform::SaveCsvPressed);
  connect(ui->Button4, &QPushButton::clicked, this, &QDialog::accept);
}

Tpreviewform::~Tpreviewform() { delete ui; }

void Tpreviewform::ShowLines(const QStringList& lines, const QString& fontName, int pointSize) {
  QFont font(fontName);
  font.setPointSize(pointSize);
  font.setStyleHint(QFont::TypeWriter);
  ui->Memo1->setFont(font);
  ui->Memo1->setPlainText(lines.join(QLatin1Char('\n')));
}

void Tpreviewform::OfferCsvSave(bool offered) {
  ui->Button3->setEnabled(offered);
  ui->Button3->setToolTip(offered ? QString() : QStringLiteral("A recalled report is kept as text only"));
}

bool Tpreviewform::event(QEvent* event) {
  if (event->type() == QEvent::WindowActivate) emit Activated();
  return QDialog::event(event);
}
