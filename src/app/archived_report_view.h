#pragma once

#include <QDialog>

class QLabel;
class QPlainTextEdit;

// An archived test's report, read only, in the printer font: the text the
// archive or the file gives, with a note above it on where it came from
// when that matters (a file changed since it was filed, the archive's own
// copy, a report filed only as a PDF).
class ArchivedReportView : public QDialog {
  Q_OBJECT

 public:
  explicit ArchivedReportView(QWidget* parent = nullptr);

  void Show(const QString& title, const QString& note, const QString& text, const QFont& font);
  QString Note() const;
  QString Text() const;

 private:
  QLabel* note_ = nullptr;
  QPlainTextEdit* text_ = nullptr;
};
