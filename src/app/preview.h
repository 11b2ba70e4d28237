#pragma once

#include <QDialog>

namespace Ui {
class Tpreviewform;
}

// Report preview: the text report as it will print, with print and save
// buttons. The main window fills it each time it becomes active, so it is
// current also after one of its own save dialogs.
class Tpreviewform : public QDialog {
  Q_OBJECT

 public:
  explicit Tpreviewform(QWidget* parent = nullptr);
  ~Tpreviewform() override;

  Ui::Tpreviewform& Form() { return *ui; }
  // Shows the lines in the given font name and size.
  void ShowLines(const QStringList& lines, const QString& fontName, int pointSize);
  // "Save as .CSV File" is offered only for a report that has a CSV form.
  void OfferCsvSave(bool offered);

 signals:
  void Activated();
  void PrintPressed();
  void SaveTextPressed();
  void SaveCsvPressed();

 protected:
  bool event(QEvent* event) override;

 private:
  Ui::Tpreviewform* ui;
};
