#include "support/scripted_operator_dialogs.h"

#include <utility>

ScriptedOperatorDialogs::ScriptedOperatorDialogs(const QString& pdfPath)
    : printer_(std::make_unique<QPrinter>(QPrinter::HighResolution)) {
  printer_->setOutputFormat(QPrinter::PdfFormat);
  if (!pdfPath.isEmpty()) printer_->setOutputFileName(pdfPath);
}

QStringList ScriptedOperatorDialogs::Texts(const QString& kind) const {
  QStringList texts;
  for (const Shown& box : shown) {
    if (box.kind == kind) texts << box.text;
  }
  return texts;
}

void ScriptedOperatorDialogs::ShowMessage(const QString& text) { shown.append({"message", text}); }

void ScriptedOperatorDialogs::ShowWarning(const QString& text) {
  shown.append({"warning", text});
  if (const auto operatorMeanwhile = std::exchange(whileNextWarningShown, nullptr)) operatorMeanwhile();
}

void ScriptedOperatorDialogs::ShowWarningWithDetails(const QString& text, const QString& details) {
  shown.append({"warning", text, details});
  if (const auto operatorMeanwhile = std::exchange(whileNextWarningShown, nullptr)) operatorMeanwhile();
}

void ScriptedOperatorDialogs::ShowNotice(const QString& text) { shown.append({"notice", text}); }

void ScriptedOperatorDialogs::ShowInformation(const QString& text) {
  shown.append({"information", text});
}

bool ScriptedOperatorDialogs::Confirm(const QString& text) {
  shown.append({"confirm", text});
  return confirmAnswers.isEmpty() ? false : confirmAnswers.dequeue();
}

void ScriptedOperatorDialogs::ShowError(const QString& text) { shown.append({"error", text}); }

std::optional<QString> ScriptedOperatorDialogs::InputBox(const QString& caption,
                                                         const QString& prompt,
                                                         const QString& proposed) {
  Q_UNUSED(proposed);
  shown.append({"input", caption + QLatin1Char('|') + prompt});
  return inputAnswers.isEmpty() ? std::nullopt : inputAnswers.dequeue();
}

QString ScriptedOperatorDialogs::OpenFileName(const FileDialogOptions& options) {
  shown.append({"open", options.title});
  fileDialogs.append(options);
  return openAnswers.isEmpty() ? QString() : openAnswers.dequeue();
}

QString ScriptedOperatorDialogs::ExistingFolder(const FileDialogOptions& options) {
  shown.append({"folder", options.title});
  fileDialogs.append(options);
  return folderAnswers.isEmpty() ? QString() : folderAnswers.dequeue();
}

QString ScriptedOperatorDialogs::SaveFileName(const FileDialogOptions& options) {
  shown.append({"save", options.title});
  fileDialogs.append(options);
  return saveAnswers.isEmpty() ? QString() : saveAnswers.dequeue();
}

bool ScriptedOperatorDialogs::Print() {
  shown.append({"print", QString()});
  return printAnswers.isEmpty() ? false : printAnswers.dequeue();
}

void ScriptedOperatorDialogs::PrinterSetup() { shown.append({"printer-setup", QString()}); }

std::optional<OperatorDialogs::FontChoice> ScriptedOperatorDialogs::ChooseFont(
    const FontChoice& current, int minPoints, int maxPoints) {
  Q_UNUSED(current);
  shown.append({"font", QStringLiteral("%1-%2").arg(minPoints).arg(maxPoints)});
  return fontAnswers.isEmpty() ? std::nullopt : fontAnswers.dequeue();
}

std::optional<OperatorDialogs::PortAnswer> ScriptedOperatorDialogs::AskPort(const QString& caption,
                                                                           const QString& prompt,
                                                                           const QString& proposed) {
  const std::optional<QString> number = InputBox(caption, prompt, proposed);
  if (!number) return std::nullopt;
  return PortAnswer{*number, deviceAnswers.isEmpty() ? QString() : deviceAnswers.dequeue()};
}
