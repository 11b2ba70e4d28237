#pragma once

#include <QPrinter>
#include <QPointer>
#include <QWidget>

#include "app/operator_dialogs.h"

// The operator dialogs as real Qt boxes, parented to the main window once it
// exists so they centre over it.
class QtOperatorDialogs : public OperatorDialogs {
 public:
  QtOperatorDialogs();

  void SetParentWindow(QWidget* parent) { parent_ = parent; }

  void ShowMessage(const QString& text) override;
  void ShowWarning(const QString& text) override;
  void ShowWarningWithDetails(const QString& text, const QString& details) override;
  void ShowInformation(const QString& text) override;
  void ShowNotice(const QString& text) override;
  bool Confirm(const QString& text) override;
  void ShowError(const QString& text) override;
  std::optional<QString> AskPassword(const QString& caption, const QString& prompt) override;
  std::optional<QString> InputBox(const QString& caption, const QString& prompt,
                                  const QString& proposed) override;
  std::optional<PortAnswer> AskPort(const QString& caption, const QString& prompt,
                                    const QString& proposed) override;
  QString OpenFileName(const FileDialogOptions& options) override;
  QString SaveFileName(const FileDialogOptions& options) override;
  QString ExistingFolder(const FileDialogOptions& options) override;
  QPrinter& Printer() override { return printer_; }
  bool Print() override;
  void PrinterSetup() override;
  std::optional<FontChoice> ChooseFont(const FontChoice& current, int minPoints,
                                       int maxPoints) override;

 private:
  QPointer<QWidget> parent_;
  QPrinter printer_;
};
