#include "app/archived_report_view.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

ArchivedReportView::ArchivedReportView(QWidget* parent) : QDialog(parent) {
  auto* layout = new QVBoxLayout(this);
  note_ = new QLabel(this);
  note_->setWordWrap(true);
  note_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  text_ = new QPlainTextEdit(this);
  text_->setReadOnly(true);
  text_->setLineWrapMode(QPlainTextEdit::NoWrap);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
  layout->addWidget(note_);
  layout->addWidget(text_, 1);
  layout->addWidget(buttons);
  resize(720, 640);
}

void ArchivedReportView::Show(const QString& title, const QString& note, const QString& text, const QFont& font) {
  setWindowTitle(title);
  note_->setText(note);
  note_->setVisible(!note.isEmpty());
  QFont fixed(font);
  fixed.setStyleHint(QFont::TypeWriter);
  text_->setFont(fixed);
  text_->setPlainText(text);
  show();
  raise();
  activateWindow();
}

QString ArchivedReportView::Note() const { return note_->text(); }

QString ArchivedReportView::Text() const { return text_->toPlainText(); }
