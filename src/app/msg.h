#pragma once

#include <QColor>
#include <QWidget>

class QLabel;

namespace Ui {
class Tmsgform;
}

// The operator prompt window of manual-switching tests: one large label
// telling the operator to switch the unit under test on or off.
class Tmsgform : public QWidget {
  Q_OBJECT

 public:
  explicit Tmsgform(QWidget* parent = nullptr);
  ~Tmsgform() override;

  QLabel* PromptLabel() const;
  void SetColour(const QColor& colour);

 private:
  Ui::Tmsgform* ui;
};
