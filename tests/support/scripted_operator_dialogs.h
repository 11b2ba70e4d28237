#pragma once

#include <QList>
#include <QPrinter>
#include <QQueue>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

#include "app/operator_dialogs.h"

// Operator dialogs for tests: every box is recorded instead of shown, and
// questions take the answers a test prepared (or a cancel when none is left).
// Printing goes into a PDF file the test can read back.
class ScriptedOperatorDialogs : public OperatorDialogs {
 public:
  struct Shown {
    QString kind;  // "message", "warning", "notice", "information", "confirm", "error", "input", "open", "save",
                   // "print", "printer-setup", "font"
    QString text;  // the box's text, the input box's prompt, or the file dialog's title
    QString details = {};  // a warning box's details, when it has some
  };

  explicit ScriptedOperatorDialogs(const QString& pdfPath = QString());

  QList<Shown> shown;
  QQueue<bool> confirmAnswers;
  QQueue<std::optional<QString>> inputAnswers;
  // The device chosen beside the number in the port prompt (after its
  // number from inputAnswers); none when empty.
  QQueue<QString> deviceAnswers;
  QQueue<QString> openAnswers;
  QQueue<QString> saveAnswers;
  QQueue<QString> folderAnswers;
  QQueue<bool> printAnswers;
  QQueue<std::optional<FontChoice>> fontAnswers;
  QList<FileDialogOptions> fileDialogs;
  // What the operator does while the next warning is up: a real box runs
  // the event loop until it is closed, so the program goes on meanwhile.
  std::function<void()> whileNextWarningShown;

  // The texts of the boxes of one kind, in the order shown.
  QStringList Texts(const QString& kind) const;

  void ShowMessage(const QString& text) override;
  void ShowWarning(const QString& text) override;
  void ShowWarningWithDetails(const QString& text, const QString& details) override;
  void ShowInformation(const QString& text) override;
  void ShowNotice(const QString& text) override;
  bool Confirm(const QString& text) override;
  void ShowError(const QString& text) override;
  std::optional<QString> InputBox(const QString& caption, const QString& prompt,
                                  const QString& proposed) override;
  std::optional<PortAnswer> AskPort(const QString& caption, const QString& prompt,
                                    const QString& proposed) override;
  QString OpenFileName(const FileDialogOptions& options) override;
  QString SaveFileName(const FileDialogOptions& options) override;
  QString ExistingFolder(const FileDialogOptions& options) override;
  QPrinter& Printer() override { return *printer_; }
  bool Print() override;
  void PrinterSetup() override;
  std::optional<FontChoice> ChooseFont(const FontChoice& current, int minPoints,
                                       int maxPoints) override;

 private:
  std::unique_ptr<QPrinter> printer_;
};
