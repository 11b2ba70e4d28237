#include "app/report_from_recording.h"

#include <QFileInfo>
#include <QPrinter>
#include <QTextStream>

#include <QGuiApplication>
#include <QPalette>

#include "app/test_clock.h"
#include "persist/safe_file_writer.h"
#include "persist/settings_file.h"
#include "persist/working_folder.h"
#include "record/recording_reader.h"
#include "report/report_files.h"
#include "report/report_pdf.h"
#include "session/test_document.h"

namespace {

enum class Form { Text, Csv, Pdf };

std::optional<Form> FormOf(const QString& path) {
  if (path.endsWith(QStringLiteral(".txt"), Qt::CaseInsensitive)) return Form::Text;
  if (path.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive)) return Form::Csv;
  if (path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive)) return Form::Pdf;
  return std::nullopt;
}

// What is wrong with the recording, without its file's name: "cut short in
// entry 57".
QString DamageOf(const QString& problem, const QString& recordingPath) {
  QString damage = problem;
  const QString name = QFileInfo(recordingPath).fileName() + QStringLiteral(": ");
  if (damage.startsWith(name)) damage.remove(0, name.size());
  if (damage.startsWith(QStringLiteral("it is "))) damage.remove(0, 6);
  return damage;
}

}  // namespace

bool IsTheRecording(const QString& recordingPath, const QString& outPath) {
  const QFileInfo recording(recordingPath);
  return recording.exists() && recording.canonicalFilePath() == QFileInfo(outPath).canonicalFilePath();
}

int ReportFromRecording(const QString& recordingPath, const QString& outPath, QTextStream& messages, bool partial) {
  const std::optional<Form> form = FormOf(outPath);
  if (!form) {
    messages << "veltrix: " << outPath << ": the report is written as .txt, .csv or .pdf" << Qt::endl;
    return 2;
  }
  if (IsTheRecording(recordingPath, outPath)) {
    messages << "veltrix: " << outPath << ": is the recording itself; not written" << Qt::endl;
    return 2;
  }
  // Read as it plays: the memory taken does not grow with the recording.
  RecordingReader recording(recordingPath);
  if (!recording.Start().isValid()) {
    messages << "veltrix: " << recording.Problem() << Qt::endl;
    return 2;
  }

  // Played into a document of its own: no window, nothing sent.
  SilentCommands silent;
  TestDocument document(silent);
  document.SetReplaying();
  document.SetFaceColour(QGuiApplication::palette().color(QPalette::Button));
  RecordingEntry entry;
  while (recording.Next(entry)) document.ReplayEntry(recording.Start(), entry);
  // A damaged recording writes nothing unless asked to, and then says so in
  // the report's first line.
  const bool damaged = !recording.Problem().isEmpty();
  if (damaged) messages << "veltrix: " << recording.Problem() << Qt::endl;
  if (damaged && !partial) {
    messages << "veltrix: " << outPath << ": not written; --partial writes the report of what is whole" << Qt::endl;
    return 1;
  }
  // A recording still being written is not damaged, only not yet whole.
  const QString damage = damaged ? DamageOf(recording.Problem(), recordingPath) : QString();
  const QString notice = !damaged ? QString()
                         : damage == QLatin1String("still being recorded")
                             ? QStringLiteral("PARTIAL REPORT: rebuilt from a recording still being recorded")
                             : QStringLiteral("PARTIAL REPORT: rebuilt from a damaged recording (%1)").arg(damage);
  const QByteArray noticeLine = damaged ? TextLinesBytes({notice}) : QByteArray();

  QByteArray bytes;
  switch (*form) {
    case Form::Text:
      bytes = noticeLine + TextReportBytes(document.Report());
      break;
    case Form::Csv:
      bytes = noticeLine + CsvReportBytes(document.Report());
      break;
    case Form::Pdf: {
      // In the printer font of this working folder's settings, when it has them.
      const SettingsRead settings = ReadSettingsFile(WorkingFolderPath(QString::fromLatin1(kSettingsFileName)));
      const PrinterFontValues font = settings.Settings ? settings.Settings->PrinterFont : PrinterFontValues{};
      QFont printerFont(font.Name);
      printerFont.setPointSize(font.Size);
      const StationSetup& reported = document.ReportedSetup();
      // The graphic's date and time line is the test clock at the recording's
      // end, written as the recorded station wrote it.
      const GraphicIdentification id{reported.EquipmentUnderTest, reported.SerialNumber, reported.Setup.Edit10,
                                     FormatTestClock(document.Now(), document.ClockLocale())};
      const QPrinter printer(QPrinter::HighResolution);
      bytes = ReportPdfBytes(document.Report(), document.GraphBitmap(), id, printerFont,
                             PrinterFontColour(font.Colour), {printer.pageLayout(), printer.resolution()},
                             {notice, true});
      break;
    }
  }
  const QString error = bytes.isEmpty() ? QStringLiteral("the report could not be made") : SaveFileBytesOrError(outPath, bytes);
  if (!error.isEmpty()) {
    messages << "veltrix: " << outPath << ": " << error << Qt::endl;
    return 1;
  }
  return damaged ? 1 : 0;
}
