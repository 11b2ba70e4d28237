#pragma once

#include <QColor>
#include <QDialog>
#include <QFont>

class QComboBox;
class QFontComboBox;
class QLabel;
class QPushButton;

// The printer font dialog: a fixed-pitch font, a size from the range the
// report layout allows (only those sizes are offered), and the colour of the
// printed text, with a report line as a sample.
class PrinterFontDialog : public QDialog {
  Q_OBJECT

 public:
  PrinterFontDialog(const QFont& font, const QColor& colour, int minPoints, int maxPoints,
                    QWidget* parent = nullptr);

  QFont SelectedFont() const;
  QColor SelectedColour() const { return colour_; }

  QFontComboBox* FamilyBox() const { return family_; }
  QComboBox* SizeBox() const { return size_; }

 private:
  void ChooseColour();
  void ShowSample();

  QFontComboBox* family_ = nullptr;
  QComboBox* size_ = nullptr;
  QPushButton* colourButton_ = nullptr;
  QLabel* sample_ = nullptr;
  QColor colour_;
};
