#include "app/report_from_recording.h"

#include <QPrinter>
#include <QTextStream>

#include "app/operator_dialogs.h"
#include "app/qx7300main.h"
#include "persist/safe_file_writer.h"
#include "persist/settings_file.h"
#include "persist/working_folder.h"
#include "record/recording_format.h"
#include "report/report_files.h"
#include "report/report_pdf.h"
#include "ui_qx7300main.h"

namespace {

// Nobody to ask: every box goes to the messages, every question is
// answered no.
class UnattendedDialogs : public OperatorDialogs {
 public:
  explicit UnattendedDialogs(QTextStream& messages) : messages_(messages), printer_(QPrinter::HighResolution) {}

  void ShowMessage(const QString& text) override { Say(text); }
  void ShowWarning(const QString& text) override { Say(text); }
  void ShowInformation(const QString& text) override { Say(text); }
  bool Confirm(const QString& text) override {
    Say(text);
    return false;
  }
  void ShowError(const QString& text) override { Say(text); }
  std::optional<QString> InputBox(const QString&, const QString&, const QString&) override { return std::nullopt; }
  QString OpenFileName(const FileDialogOptions&) override { return {}; }
  QString SaveFileName(const FileDialogOptions&) override { return {}; }
  QPrinter& Printer() override { return printer_; }
  bool Print() override { return false; }
  void PrinterSetup() override {}
  std::optional<FontChoice> ChooseFont(const FontChoice&, int, int) override { return std::nullopt; }

 private:
  void Say(const QString& text) { messages_ << "veltrix: " << text << Qt::endl; }

  QTextStream& messages_;
  QPrinter printer_;
};

enum class Form { Text, Csv, Pdf };

std::optional<Form> FormOf(const QString& path) {
  if (path.endsWith(QStringLiteral(".txt"), Qt::CaseInsensitive)) return Form::Text;
  if (path.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive)) return Form::Csv;
  if (path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive)) return Form::Pdf;
  return std::nullopt;
}

}  // namespace

int ReportFromRecording(const QString& recordingPath, const QString& outPath, QTextStream& messages) {
  const std::optional<Form> form = FormOf(outPath);
  if (!form) {
    messages << "veltrix: " << outPath << ": the report is written as .txt, .csv or .pdf" << Qt::endl;
    return 2;
  }
  const RecordingContents recording = ReadRecordingFile(recordingPath);
  if (!recording.Problem.isEmpty()) messages << "veltrix: " << recording.Problem << Qt::endl;
  if (!recording.Start.isValid()) return 2;

  UnattendedDialogs dialogs(messages);
  Tqx7300form window(dialogs);
  window.PrepareForReplay();
  for (const RecordingEntry& entry : recording.Entries) window.ReplayEntry(recording.Start, entry);

  QByteArray bytes;
  switch (*form) {
    case Form::Text:
      bytes = TextReportBytes(window.Report());
      break;
    case Form::Csv:
      bytes = CsvReportBytes(window.Report());
      break;
    case Form::Pdf: {
      // In the printer font of this working folder's settings, when it has them.
      const SettingsRead settings = ReadSettingsFile(WorkingFolderPath(QString::fromLatin1(kSettingsFileName)));
      window.Shell().PrinterFont = settings.Settings ? settings.Settings->PrinterFont : PrinterFontValues{};
      const QPrinter& printer = dialogs.Printer();
      bytes = ReportPdfBytes(window.Report(), window.GraphBitmap(), window.GraphicId(), window.PrinterQFont(),
                             window.PrinterColour(), {printer.pageLayout(), printer.resolution()});
      break;
    }
  }
  const QString error = bytes.isEmpty() ? QStringLiteral("the report could not be made") : SaveFileBytesOrError(outPath, bytes);
  if (!error.isEmpty()) {
    messages << "veltrix: " << outPath << ": " << error << Qt::endl;
    return 1;
  }
  return recording.Problem.isEmpty() ? 0 : 1;
}
