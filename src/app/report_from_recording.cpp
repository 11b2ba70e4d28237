#include "app/report_from_recording.h"

#include <QFile>
#include <QFileInfo>
#include <QSysInfo>
#include <QPrinter>
#include <QTextStream>

#include <QGuiApplication>
#include <QPalette>

#include "app/test_clock.h"
#include "archive/archive_files.h"
#include "archive/entry_from_document.h"
#include "archive/station_archive.h"
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

QString RoleOf(Form form) {
  switch (form) {
    case Form::Text: return QStringLiteral("text");
    case Form::Csv: return QStringLiteral("csv");
    case Form::Pdf: return QStringLiteral("pdf");
  }
  return {};
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
  if (bytes.isEmpty()) {
    messages << "veltrix: " << outPath << ": the report could not be made" << Qt::endl;
    return 1;
  }
  // Filed in the working folder's archive as a report the window saves is:
  // written with the file, or not at all. The test is known by its
  // recording's bytes, so a report rebuilt again updates its entry.
  StationArchive archive;
  QString openError;
  // With a lab's server set, the entry waits in the station's archive for
  // the program's next run to send it.
  const SettingsRead settings = ReadSettingsFile(WorkingFolderPath(QLatin1String(kSettingsFileName)));
  ReportFiling filing(archive.Database(&openError), openError, settings.Settings && settings.Settings->LabServer.IsSet());
  ArchiveEntry filed = EntryFromDocument(document);
  QFile recordingFile(recordingPath);
  const QByteArray recorded = recordingFile.open(QIODevice::ReadOnly) ? recordingFile.readAll() : QByteArray();
  filed.uid = QStringLiteral("recording-") + QString::fromLatin1(ArchiveHash(recorded));
  filed.station = QSysInfo::machineHostName();
  filed.files = ArchiveFilesOf({{RoleOf(*form), outPath, bytes}, {QStringLiteral("recording"), recordingPath, recorded}});
  filing.Begin(filed);
  const QString error = SaveFileBytesOrError(outPath, bytes);
  if (!error.isEmpty()) {
    filing.Abandon();
    messages << "veltrix: " << outPath << ": " << error << Qt::endl;
    return 1;
  }
  if (const QString notFiled = filing.Finish(); !notFiled.isEmpty())
    messages << "veltrix: the report is saved, but it could not be filed in the archive: " << notFiled << Qt::endl;
  return damaged ? 1 : 0;
}
