// The report and the graph taken to paper and to disk: the preview, the
// printouts, the text and CSV files, recall, and the printer menu entries.
#include <QDir>
#include <QPrinter>

#include "app/operator_dialogs.h"
#include "app/preview.h"
#include "app/qx7300main.h"
#include "persist/configuration_file.h"
#include "report/graphic_printout.h"
#include "report/report_files.h"
#include "report/report_printout.h"
#include "ui_qx7300main.h"

namespace {

// The operator's report folder ("c:\orvane" of the analyser's own PCs): the
// folder orvane in the home folder, made when it is missing.
QString ReportFolder() {
  const QString folder = QDir::home().filePath(QStringLiteral("orvane"));
  QDir().mkpath(folder);
  return folder;
}

OperatorDialogs::FileDialogOptions SaveTextDialog() {
  return {QStringLiteral("QX7300 Save Report as Text File"), QStringLiteral("Text Files|*.TXT"),
          QStringLiteral("TXT"), ReportFolder(), true};
}

OperatorDialogs::FileDialogOptions SaveCsvDialog() {
  // The CSV dialog carries the text dialog's title.
  return {QStringLiteral("QX7300 Save Report as Text File"), QStringLiteral("Comma Separated Files|*.CSV"),
          QStringLiteral("CSV"), ReportFolder(), true};
}

OperatorDialogs::FileDialogOptions RecallDialog() {
  return {QString(), QStringLiteral("QX7300 Reports|*.TXT"), QStringLiteral("*.TXT"), ReportFolder(), false};
}

const QString kPrintFailed = QStringLiteral("The printer could not print the page");

}  // namespace

void Tqx7300form::ConnectReportOutput() {
  connect(ui->PreViewReport1, &QAction::triggered, this, &Tqx7300form::PreViewReport1Click);
  connect(ui->PrintReport1, &QAction::triggered, this, &Tqx7300form::PrintReport1Click);
  connect(ui->SaveReportasTextFile1, &QAction::triggered, this, &Tqx7300form::SaveTextReportFile);
  connect(ui->SaveReportasCSVFile1, &QAction::triggered, this, &Tqx7300form::SaveCsvReportFile);
  connect(ui->ReCallReport1, &QAction::triggered, this, &Tqx7300form::ReCallReport1Click);
  connect(ui->PrinterSetup1, &QAction::triggered, this, [this] { dialogs_.PrinterSetup(); });
  connect(ui->PrinterFont1, &QAction::triggered, this, &Tqx7300form::PrinterFont1Click);
  connect(ui->Screendump1, &QAction::triggered, this, &Tqx7300form::Screendump1Click);
  connect(ui->PrintCurrentGraphic1, &QAction::triggered, this, &Tqx7300form::PrintCurrentGraphic1Click);
}

void Tqx7300form::ConnectPreview() {
  Tpreviewform* preview = companions_.previewform;
  if (preview == nullptr) return;
  connect(preview, &Tpreviewform::Activated, this, &Tqx7300form::FillPreview);
  connect(preview, &Tpreviewform::PrintPressed, this, &Tqx7300form::PrintReportJob);
  connect(preview, &Tpreviewform::SaveTextPressed, this, &Tqx7300form::SaveTextReportFile);
  connect(preview, &Tpreviewform::SaveCsvPressed, this, &Tqx7300form::SaveCsvReportFile);
}

QFont Tqx7300form::PrinterQFont() const {
  QFont font(shell_.PrinterFont.Name);
  font.setPointSize(shell_.PrinterFont.Size);
  return font;
}

QColor Tqx7300form::PrinterColour() const { return PrinterFontColour(shell_.PrinterFont.Colour); }

void Tqx7300form::FillPreview() {
  if (companions_.previewform == nullptr) return;
  QStringList lines;
  for (int i = 0; i <= report_.LineCount(); ++i) lines << report_.Text(i);
  companions_.previewform->ShowLines(lines, shell_.PrinterFont.Name, shell_.PrinterFont.Size);
}

void Tqx7300form::PreViewReport1Click() {
  if (companions_.previewform != nullptr) companions_.previewform->exec();
}

void Tqx7300form::PrintReport1Click() {
  dialogs_.Printer().setPageOrientation(QPageLayout::Portrait);
  PrintReportJob();
}

void Tqx7300form::PrintReportJob() {
  if (!dialogs_.Print()) return;
  if (!PrintReport(dialogs_.Printer(), report_, PrinterQFont(), PrinterColour())) dialogs_.ShowError(kPrintFailed);
}

void Tqx7300form::SaveTextReportFile() {
  const QString path = dialogs_.SaveFileName(SaveTextDialog());
  if (path.isEmpty()) return;
  // The set-up beside the report, so that recalling it brings both back.
  SaveConfigurationFile(CompanionConfigurationPath(path));
  const ReportFileResult saved = SaveTextReport(path, report_);
  if (!saved.Ok()) dialogs_.ShowError(saved.errorText);
}

void Tqx7300form::SaveCsvReportFile() {
  const QString path = dialogs_.SaveFileName(SaveCsvDialog());
  if (path.isEmpty()) return;
  const ReportFileResult saved = SaveCsvReport(path, report_);
  if (!saved.Ok()) dialogs_.ShowError(saved.errorText);
}

void Tqx7300form::ReCallReport1Click() {
  const QString path = dialogs_.OpenFileName(RecallDialog());
  if (path.isEmpty()) return;
  // A file that cannot be read whole leaves the report as it was.
  const ReportFileResult recalled = RecallReport(path, TakeReportSnapshot(), report_);
  if (!recalled.Ok()) {
    dialogs_.ShowError(recalled.errorText);
    return;
  }
  PreViewReport1Click();
  LoadConfiguration(CompanionConfigurationPath(path));
}

void Tqx7300form::PrinterFont1Click() {
  const std::optional<OperatorDialogs::FontChoice> choice =
      dialogs_.ChooseFont({PrinterQFont(), PrinterColour()}, 6, 10);
  if (choice) {
    shell_.PrinterFont.Name = choice->font.family();
    shell_.PrinterFont.Size = choice->font.pointSize();
    shell_.PrinterFont.Colour = PrinterFontColourNumber(choice->colour);
  }
  // Kept at once, confirmed or not.
  SaveSettings();
}

void Tqx7300form::Screendump1Click() {
  if (!PrintScreendump(dialogs_.Printer(), centralWidget()->grab().toImage())) dialogs_.ShowError(kPrintFailed);
}

void Tqx7300form::PrintCurrentGraphic1Click() {
  if (!dialogs_.Print()) return;
  const GraphicIdentification id{ui->Edit8->text(), ui->Edit9->text(), ui->Edit10->text(), ui->Edit11->text()};
  if (!PrintGraphic(dialogs_.Printer(), GraphBitmap_, id, PrinterQFont(), PrinterColour())) dialogs_.ShowError(kPrintFailed);
}
