#include "app/qt_operator_dialogs.h"

#include "app/port_chooser.h"
#include "app/printer_font_dialog.h"
#include "app/veltrix_application.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>

namespace {

// "Text Files|*.TXT" pairs become Qt's "Text Files (*.TXT)" filters.
QString QtFilter(const QString& filter) {
  const QStringList parts = filter.split('|');
  QStringList filters;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    filters << QStringLiteral("%1 (%2)").arg(parts[i], QString(parts[i + 1]).replace(';', ' '));
  }
  return filters.join(QStringLiteral(";;"));
}

QString Caption() { return QString::fromLatin1(kApplicationTitle); }

void Box(QWidget* parent, QMessageBox::Icon icon, const QString& text) {
  QMessageBox box(icon, Caption(), text, QMessageBox::Ok, parent);
  box.exec();
}

void PrepareFileDialog(QFileDialog& dialog, const OperatorDialogs::FileDialogOptions& options) {
  if (!options.title.isEmpty()) dialog.setWindowTitle(options.title);
  dialog.setNameFilter(QtFilter(options.filter));
  QString extension = options.defaultExtension;
  extension.remove(QStringLiteral("*.")).remove('.');
  dialog.setDefaultSuffix(extension);
  if (!options.initialFolder.isEmpty()) dialog.setDirectory(options.initialFolder);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
}

}  // namespace

QtOperatorDialogs::QtOperatorDialogs() : printer_(QPrinter::HighResolution) {}

void QtOperatorDialogs::ShowMessage(const QString& text) { Box(parent_, QMessageBox::NoIcon, text); }

void QtOperatorDialogs::ShowWarning(const QString& text) { Box(parent_, QMessageBox::Warning, text); }

void QtOperatorDialogs::ShowNotice(const QString& text) {
  auto* box = new QMessageBox(QMessageBox::Warning, Caption(), text, QMessageBox::Ok, parent_);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setWindowModality(Qt::NonModal);
  box->show();
}

void QtOperatorDialogs::ShowWarningWithDetails(const QString& text, const QString& details) {
  QMessageBox box(QMessageBox::Warning, Caption(), text, QMessageBox::Ok, parent_);
  box.setDetailedText(details);
  box.exec();
}

void QtOperatorDialogs::ShowInformation(const QString& text) {
  Box(parent_, QMessageBox::Information, text);
}

bool QtOperatorDialogs::Confirm(const QString& text) {
  QMessageBox box(QMessageBox::Question, Caption(), text, QMessageBox::Yes | QMessageBox::No, parent_);
  return box.exec() == QMessageBox::Yes;
}

void QtOperatorDialogs::ShowError(const QString& text) { Box(parent_, QMessageBox::Critical, text); }

std::optional<QString> QtOperatorDialogs::InputBox(const QString& caption, const QString& prompt,
                                                   const QString& proposed) {
  bool ok = false;
  const QString answer =
      QInputDialog::getText(parent_, caption, prompt, QLineEdit::Normal, proposed, &ok);
  if (!ok) return std::nullopt;
  return answer;
}

std::optional<QString> QtOperatorDialogs::AskPassword(const QString& caption, const QString& prompt) {
  bool ok = false;
  const QString answer = QInputDialog::getText(parent_, caption, prompt, QLineEdit::Password, QString(), &ok);
  if (!ok) return std::nullopt;
  return answer;
}

std::optional<OperatorDialogs::PortAnswer> QtOperatorDialogs::AskPort(const QString& caption,
                                                                     const QString& prompt,
                                                                     const QString& proposed) {
  QDialog dialog(parent_);
  dialog.setWindowTitle(caption);
  auto* number = new QLineEdit(proposed, &dialog);
  number->setMaximumWidth(60);
  auto* devices = new PortChooser(number, &dialog);
  devices->setMinimumWidth(320);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  auto* row = new QHBoxLayout;
  row->addWidget(number);
  row->addWidget(devices, 1);
  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(new QLabel(prompt, &dialog));
  layout->addLayout(row);
  layout->addWidget(buttons);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  number->selectAll();
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return PortAnswer{number->text(), devices->ChosenTarget()};
}

QString QtOperatorDialogs::OpenFileName(const FileDialogOptions& options) {
  QFileDialog dialog(parent_);
  PrepareFileDialog(dialog, options);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().first();
}

QString QtOperatorDialogs::SaveFileName(const FileDialogOptions& options) {
  QFileDialog dialog(parent_);
  PrepareFileDialog(dialog, options);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, !options.confirmOverwrite);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().first();
}

QString QtOperatorDialogs::ExistingFolder(const FileDialogOptions& options) {
  QFileDialog dialog(parent_);
  dialog.setWindowTitle(options.title);
  if (!options.initialFolder.isEmpty()) dialog.setDirectory(options.initialFolder);
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOption(QFileDialog::ShowDirsOnly, true);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().first();
}

bool QtOperatorDialogs::Print() {
  QPrintDialog dialog(&printer_, parent_);
  return dialog.exec() == QDialog::Accepted;
}

void QtOperatorDialogs::PrinterSetup() {
  QPageSetupDialog dialog(&printer_, parent_);
  dialog.exec();
}

std::optional<OperatorDialogs::FontChoice> QtOperatorDialogs::ChooseFont(const FontChoice& current,
                                                                         int minPoints,
                                                                         int maxPoints) {
  PrinterFontDialog dialog(current.font, current.colour, minPoints, maxPoints, parent_);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return FontChoice{dialog.SelectedFont(), dialog.SelectedColour()};
}
