#pragma once

#include <QColor>
#include <QFont>
#include <QString>

#include <optional>

class QPrinter;

// Every box and dialog that waits for the operator goes through this one
// interface: the program uses the Qt implementation, tests install a scripted
// one that records what was shown and gives prepared answers, so no test ever
// blocks on a real modal box.
class OperatorDialogs {
 public:
  struct FileDialogOptions {
    QString title;             // empty: the system's default title
    QString filter;            // "Text Files|*.TXT" form: description, bar, pattern
    QString defaultExtension;  // appended when the operator types none
    QString initialFolder;     // empty: no initial folder
    bool confirmOverwrite = false;
  };

  struct FontChoice {
    QFont font;
    QColor colour;
  };

  virtual ~OperatorDialogs() = default;

  // A plain message box with an OK button.
  virtual void ShowMessage(const QString& text) = 0;
  // A warning box with an OK button.
  virtual void ShowWarning(const QString& text) = 0;
  // The same warning box, carrying a longer explanation in its details
  // (shown on request). Without a box of its own it is the plain warning.
  virtual void ShowWarningWithDetails(const QString& text, const QString& /*details*/) {
    ShowWarning(text);
  }
  // An information box with an OK button.
  virtual void ShowInformation(const QString& text) = 0;
  // A warning that waits for no one: the box stays until it is closed
  // while the program goes on at once.
  virtual void ShowNotice(const QString& text) = 0;
  // A confirmation box with Yes and No; true for Yes.
  virtual bool Confirm(const QString& text) = 0;
  // The default error box for an error that escaped an event reaction.
  virtual void ShowError(const QString& text) = 0;
  // An input box; nullopt when the operator cancels.
  virtual std::optional<QString> InputBox(const QString& caption, const QString& prompt,
                                          const QString& proposed) = 0;
  // A password, typed without being shown; nullopt when the operator
  // cancels. Without a box of its own it is the input box.
  virtual std::optional<QString> AskPassword(const QString& caption, const QString& prompt) {
    return InputBox(caption, prompt, QString());
  }
  // The port-number prompt, with the serial devices present listed beside
  // the number: the number as typed, and the link target of a device chosen
  // from the list (empty when none was); nullopt when cancelled. Without a
  // list of its own it is the input box.
  struct PortAnswer {
    QString number;
    QString deviceTarget;
  };
  virtual std::optional<PortAnswer> AskPort(const QString& caption, const QString& prompt,
                                            const QString& proposed) {
    const std::optional<QString> answer = InputBox(caption, prompt, proposed);
    if (!answer) return std::nullopt;
    return PortAnswer{*answer, QString()};
  }
  // File dialogs; an empty name when the operator cancels.
  virtual QString OpenFileName(const FileDialogOptions& options) = 0;
  virtual QString SaveFileName(const FileDialogOptions& options) = 0;
  // A folder that exists (the options' title and initial folder); empty
  // when the operator cancels.
  virtual QString ExistingFolder(const FileDialogOptions& options) = 0;

  // The printer every print operation draws on.
  virtual QPrinter& Printer() = 0;
  // The print dialog for Printer(); false when cancelled.
  virtual bool Print() = 0;
  // The printer set-up dialog for Printer().
  virtual void PrinterSetup() = 0;
  // The printer font dialog: fixed-pitch fonts, sizes minPoints to
  // maxPoints, colour shown; nullopt when cancelled.
  virtual std::optional<FontChoice> ChooseFont(const FontChoice& current, int minPoints,
                                               int maxPoints) = 0;
};
