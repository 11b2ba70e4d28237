#include "app/printer_font_dialog.h"

#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

PrinterFontDialog::PrinterFontDialog(const QFont& font, const QColor& colour, int minPoints,
                                     int maxPoints, QWidget* parent)
    : QDialog(parent), colour_(colour) {
  setWindowTitle(QStringLiteral("Printer Font"));
  family_ = new QFontComboBox(this);
  family_->setFontFilters(QFontComboBox::MonospacedFonts);
  family_->setCurrentFont(font);
  size_ = new QComboBox(this);
  for (int points = minPoints; points <= maxPoints; ++points) size_->addItem(QString::number(points), points);
  const int current = qBound(minPoints, font.pointSize() > 0 ? font.pointSize() : minPoints, maxPoints);
  size_->setCurrentIndex(current - minPoints);
  colourButton_ = new QPushButton(QStringLiteral("Colour..."), this);
  sample_ = new QLabel(QStringLiteral("Report Number        : 41"), this);
  sample_->setMinimumHeight(40);

  auto* fields = new QFormLayout;
  fields->addRow(QStringLiteral("&Font:"), family_);
  fields->addRow(QStringLiteral("&Size:"), size_);
  fields->addRow(QStringLiteral("Colour:"), colourButton_);
  fields->addRow(QStringLiteral("Sample:"), sample_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(fields);
  layout->addWidget(buttons);

  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(colourButton_, &QPushButton::clicked, this, &PrinterFontDialog::ChooseColour);
  connect(family_, &QFontComboBox::currentFontChanged, this, &PrinterFontDialog::ShowSample);
  connect(size_, &QComboBox::currentIndexChanged, this, &PrinterFontDialog::ShowSample);
  ShowSample();
}

QFont PrinterFontDialog::SelectedFont() const {
  QFont font(family_->currentFont().family());
  font.setPointSize(size_->currentData().toInt());
  return font;
}

void PrinterFontDialog::ChooseColour() {
  const QColor chosen = QColorDialog::getColor(colour_, this, QStringLiteral("Font Colour"));
  if (chosen.isValid()) colour_ = chosen;
  ShowSample();
}

void PrinterFontDialog::ShowSample() {
  sample_->setFont(SelectedFont());
  QPalette palette = sample_->palette();
  palette.setColor(QPalette::WindowText, colour_);
  sample_->setPalette(palette);
  QPixmap swatch(16, 16);
  swatch.fill(colour_);
  colourButton_->setIcon(swatch);
}
