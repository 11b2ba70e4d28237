// The report and the graph taken to paper and to disk: the preview, the
// printouts, the text, CSV and PDF files, recall, and the printer menu
// entries.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>
#include <QPrinter>

#include <algorithm>

#include "app/operator_dialogs.h"
#include "app/preview.h"
#include "app/qx7300main.h"
#include "archive/entry_from_document.h"
#include "archive/entry_from_report.h"
#include "archive/report_import.h"
#include "persist/configuration_file.h"
#include "persist/safe_file_writer.h"
#include "persist/working_folder.h"
#include "record/recording_format.h"
#include "report/graphic_printout.h"
#include "report/report_files.h"
#include "report/report_pdf.h"
#include "report/report_printout.h"
#include "ui_qx7300main.h"

namespace {

// Reports are kept in the working folder, beside the settings and the
// start-up set-up (the desktop menu starts the program in ~/orvane). The
// dialogs open there and make no folder of their own.
QString ReportFolder() { return QDir::currentPath(); }

OperatorDialogs::FileDialogOptions SaveTextDialog() {
  return {QStringLiteral("QX7300 Save Report as Text File"), QStringLiteral("Text Files|*.TXT"),
          QStringLiteral("TXT"), ReportFolder(), true};
}

OperatorDialogs::FileDialogOptions SaveCsvDialog() {
  // The CSV dialog carries the text dialog's title.
  return {QStringLiteral("QX7300 Save Report as Text File"), QStringLiteral("Comma Separated Files|*.CSV"),
          QStringLiteral("CSV"), ReportFolder(), true};
}

OperatorDialogs::FileDialogOptions SavePdfDialog() {
  return {QStringLiteral("QX7300 Save Report as PDF File"), QStringLiteral("PDF Files|*.pdf"),
          QStringLiteral("pdf"), ReportFolder(), true};
}

OperatorDialogs::FileDialogOptions RecallDialog() {
  return {QString(), QStringLiteral("QX7300 Reports|*.TXT"), QStringLiteral("*.TXT"), ReportFolder(), false};
}

const QString kPrintFailed = QStringLiteral("The printer could not print the page");
const QString kPdfFailed = QStringLiteral("The PDF report could not be made");

// What a file holds; nullopt when it is missing or cannot be read.
std::optional<QByteArray> FileContents(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  return file.readAll();
}

// The set-up saved beside a report, found whatever the letter case of its
// name: RUN7.TXT finds run7.hac.
QString CompanionOf(const QString& reportPath) {
  return PathIgnoringCase(CompanionConfigurationPath(reportPath));
}

// The reports that share the name of the files of a save (RUN7.TXT with the
// set-up beside it, RUN7.CSV, RUN7.pdf) and are not among them.
QStringList OtherReportsOfName(const QList<FileToSave>& files) {
  const QFileInfo first(files.first().path);
  const qsizetype dot = first.fileName().lastIndexOf(QLatin1Char('.'));
  const QString base = dot > 0 ? first.fileName().left(dot) : first.fileName();
  QStringList others;
  for (const char* extension : {"TXT", "CSV", "pdf"}) {
    const QString path = PathIgnoringCase(first.dir().filePath(base + QLatin1Char('.') + QLatin1String(extension)));
    const bool saved = std::any_of(files.begin(), files.end(), [&path](const FileToSave& file) {
      return QFileInfo(file.path).absoluteFilePath().compare(QFileInfo(path).absoluteFilePath(), Qt::CaseInsensitive) == 0;
    });
    if (saved || !QFileInfo(path).isFile()) continue;
    others << path;
    // A text report goes with the set-up saved beside it.
    if (QString(QLatin1String(extension)) == QStringLiteral("TXT") && QFileInfo(CompanionOf(path)).isFile()) others << CompanionOf(path);
  }
  return others;
}

QString AnotherTestsReportsText(const QStringList& others, const QString& recordingPath, const QString& reportPath,
                                bool withRecording, bool recordedBefore) {
  QStringList names;
  for (const QString& other : others) names << QFileInfo(other).fileName();
  const QString recording = QFileInfo(recordingPath).fileName();
  const QString theirs = recordedBefore ? QStringLiteral("recorded in %1").arg(recording)
                                        : QStringLiteral("which has no recording beside it");
  const QString what = !withRecording   ? QStringLiteral("removes it, since this report has none")
                       : recordedBefore ? QStringLiteral("puts this test's recording in its place")
                                        : QStringLiteral("puts this test's recording %1 beside them").arg(recording);
  return QStringLiteral("%1 belong to another test, %2. Saving %3 %4. Remove %1 as well, so that "
                        "no report stands beside another test's recording?\n(No: nothing is saved.)")
      .arg(names.join(QStringLiteral(", ")), theirs, QFileInfo(reportPath).fileName(), what);
}

}  // namespace

void Tqx7300form::ConnectReportOutput() {
  connect(ui->PreViewReport1, &QAction::triggered, this, &Tqx7300form::PreViewReport1Click);
  connect(ui->PrintReport1, &QAction::triggered, this, &Tqx7300form::PrintReport1Click);
  connect(ui->SaveReportasTextFile1, &QAction::triggered, this, &Tqx7300form::SaveTextReportFile);
  connect(ui->SaveReportasCSVFile1, &QAction::triggered, this, &Tqx7300form::SaveCsvReportFile);
  connect(ui->SaveReportasPDFFile1, &QAction::triggered, this, &Tqx7300form::SavePdfReportFile);
  connect(ui->ReCallReport1, &QAction::triggered, this, &Tqx7300form::ReCallReport1Click);
  connect(ui->OpenRecording1, &QAction::triggered, this, &Tqx7300form::OpenRecording1Click);
  connect(ui->TestHistory1, &QAction::triggered, this, &Tqx7300form::TestHistory1Click);
  connect(ui->ImportReports1, &QAction::triggered, this, &Tqx7300form::ImportReports1Click);
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

const ReportStore& Tqx7300form::ShownReport() const { return recalled_ ? recalled_->Report : document_->Report(); }

GraphicIdentification Tqx7300form::GraphicId() const {
  // The test's own identification, as its report has it.
  const StationSetup& reported = document_->ReportedSetup();
  return {reported.EquipmentUnderTest, reported.SerialNumber, reported.Setup.Edit10, ui->Edit11->text()};
}

void Tqx7300form::FillPreview() {
  if (companions_.previewform == nullptr) return;
  const ReportStore& report = ShownReport();
  QStringList lines;
  for (int i = 0; i <= report.LineCount(); ++i) lines << report.Text(i);
  companions_.previewform->ShowLines(lines, shell_.PrinterFont.Name, shell_.PrinterFont.Size);
  // A recalled report was kept as text only.
  companions_.previewform->OfferCsvSave(!recalled_);
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
  if (!PrintReport(dialogs_.Printer(), ShownReport(), PrinterQFont(), PrinterColour())) dialogs_.ShowError(kPrintFailed);
}

void Tqx7300form::SaveTextReportFile() {
  const QString path = dialogs_.SaveFileName(SaveTextDialog());
  if (path.isEmpty()) return;
  // The set-up beside the report, so that recalling it brings both back: the
  // one its test ran with; a recalled report keeps the set-up it was saved
  // with. The two are saved as one, so a report never stands beside another
  // report's set-up.
  QList<FileToSave> files{{path, TextReportBytes(ShownReport())}};
  if (!recalled_) {
    files.append({CompanionOf(path), TextLinesBytes(ConfigurationLines(document_->ReportedSetup().Setup))});
  } else if (recalled_->Companion) {
    files.append({CompanionOf(path), *recalled_->Companion});
  }
  SaveReportFiles(path, QStringLiteral("text"), std::move(files));
}

void Tqx7300form::SaveCsvReportFile() {
  if (recalled_) return;  // no CSV form was kept with a recalled report
  const QString path = dialogs_.SaveFileName(SaveCsvDialog());
  if (path.isEmpty()) return;
  SaveReportFiles(path, QStringLiteral("csv"), {{path, CsvReportBytes(document_->Report())}});
}

void Tqx7300form::SavePdfReportFile() {
  const QString path = dialogs_.SaveFileName(SavePdfDialog());
  if (path.isEmpty()) return;
  const QPrinter& printer = dialogs_.Printer();
  const QByteArray pdf = ReportPdfBytes(ShownReport(), document_->GraphBitmap(), GraphicId(), PrinterQFont(), PrinterColour(),
                                        {printer.pageLayout(), printer.resolution()});
  if (pdf.isEmpty()) {
    dialogs_.ShowError(kPdfFailed);
    return;
  }
  SaveReportFiles(path, QStringLiteral("pdf"), {{path, pdf}});
}

std::optional<QByteArray> Tqx7300form::RecordingOfShownReport() {
  if (recalled_) return recalled_->Recording;
  bool failed = false;
  QString recordingPath;
  std::optional<QByteArray> bytes = document_->RecordingBytes(&failed, &recordingPath);
  if (failed) {
    // The report is still saved; the operator learns what it lacks.
    dialogs_.ShowWarning(QStringLiteral("The test's recording %1 could not be written; the report is saved without it.")
                             .arg(QDir::toNativeSeparators(recordingPath)));
  }
  return bytes;
}

ArchiveEntry Tqx7300form::ShownReportEntry() const {
  if (!recalled_) return EntryFromDocument(*document_);
  // A recalled report is known by what its text says, under an identity of
  // its own.
  const QByteArray text = TextReportBytes(recalled_->Report);
  std::optional<ArchiveEntry> entry = EntryFromReportText(text, recalled_->Companion, nullptr);
  if (!entry) {
    entry = ArchiveEntry{};
    entry->uid = ReportIdentity(text);
    entry->reportText = QString::fromLatin1(text);
  }
  return *entry;
}

void Tqx7300form::SaveReportFiles(const QString& reportPath, const QString& form, QList<FileToSave> files) {
  // A report's name stands for one test: the recording beside it is this
  // report's, or none is (an older one would rebuild another test).
  const std::optional<QByteArray> recording = RecordingOfShownReport();
  const QString recordingPath = RecordingPathForReport(reportPath);
  files.append(recording ? FileToSave{recordingPath, *recording} : FileToSave{recordingPath, {}, true});
  // The recording there already is another test's unless the one saved
  // now continues it (an earlier save of the same test); the other reports
  // of the name kept with it go too, or nothing is saved. Reports of the
  // name with no recording beside them are another test's too when this
  // save brings one: a save of this test would have put it there.
  if (const QStringList others = OtherReportsOfName(files); !others.isEmpty()) {
    const bool recordedBefore = QFile::exists(recordingPath);
    const std::optional<QByteArray> older = recordedBefore ? FileContents(recordingPath) : std::nullopt;
    const bool another = recordedBefore ? !recording || !older || !recording->startsWith(*older) : recording.has_value();
    if (another) {
      if (!dialogs_.Confirm(AnotherTestsReportsText(others, recordingPath, reportPath, recording.has_value(), recordedBefore)))
        return;
      for (const QString& other : others) files.append({other, {}, true});
    }
  }
  // A review's report has no recording of its own: saved under the name of
  // the recording it reviews, it would take that recording away.
  if (!recording && reviewMode_ && QFileInfo::exists(recordingPath) &&
      QFileInfo(recordingPath).canonicalFilePath() == QFileInfo(reviewedPath_).canonicalFilePath()) {
    const QString name = QFileInfo(recordingPath).fileName();
    if (!dialogs_.Confirm(QStringLiteral("%1 is the recording under review. Saving %2 from the review removes it, "
                                         "since this report has none. Remove %1?\n(No: nothing is saved.)")
                              .arg(name, QFileInfo(reportPath).fileName())))
      return;
  }
  // The entry is written first, in a transaction that stays open while the
  // files are saved: files that fail take it back, so the archive never
  // names a report that is not there. Files saved whose entry cannot be
  // written stay saved; the operator is told.
  QString openError;
  QSqlDatabase* archive = archive_.Database(&openError);
  ReportFiling filing(archive, openError, shell_.LabServer.IsSet());
  ArchiveEntry entry = ShownReportEntry();
  entry.station = QSysInfo::machineHostName();
  QList<FiledFile> filed;
  const QString companion = CompanionOf(reportPath);
  for (const FileToSave& file : files) {
    if (file.remove) continue;
    const QString role = file.path == reportPath ? form
                         : file.path == recordingPath ? QStringLiteral("recording")
                         : file.path == companion ? QStringLiteral("setup")
                                                  : QString();
    if (!role.isEmpty()) filed << FiledFile{role, file.path, file.bytes};
  }
  entry.files = ArchiveFilesOf(filed);
  filing.Begin(entry);
  const QString error = SaveFilesTogetherOrError(files);
  if (!error.isEmpty()) {
    filing.Abandon();
    dialogs_.ShowError(error);
    return;
  }
  const QString notFiled = filing.Finish();
  if (notFiled.isEmpty()) SendToLabServer();
  // An archive that cannot be opened is told of once; an entry that cannot
  // be written each time.
  if (notFiled.isEmpty() || (archive == nullptr && archiveProblemTold_)) return;
  if (archive == nullptr) archiveProblemTold_ = true;
  dialogs_.ShowWarning(QStringLiteral("The report is saved, but it could not be filed in the archive: ") + notFiled);
}

void Tqx7300form::ReCallReport1Click() {
  const QString path = dialogs_.OpenFileName(RecallDialog());
  if (path.isEmpty()) return;
  // The recalled report is kept apart from the live one, which the
  // analyser's records go on filling while the preview shows the file.
  RecalledReport recalled;
  const ReportFileResult read = RecallReport(path, document_->TakeReportSnapshot(), recalled.Report);
  if (!read.Ok()) {
    dialogs_.ShowError(read.errorText);
    return;
  }
  const QString companion = CompanionOf(path);
  recalled.Companion = FileContents(companion);
  // Its recording goes with it to a save under another name.
  recalled.Recording = FileContents(RecordingPathForReport(path));
  recalled_ = std::move(recalled);
  {
    const auto back = qScopeGuard([this] { recalled_.reset(); });
    PreViewReport1Click();
  }
  // The report's set-up comes back onto the panels as "Load
  // Configuration..." brings one, unless a test holds the set-up now. It
  // prepares the next test: the live report and its meter extremes stay.
  if (SetUpLocked()) return;
  document_->LoadingSetUp(true);
  const auto loaded = qScopeGuard([this] { document_->LoadingSetUp(false); });
  const ConfigurationRead setup = ReadConfiguration(companion);
  const int standard = ui->ComboBox1->currentIndex();
  for (const ConfigurationItem& item : setup.Items) ApplySetupItem(item);
  if (ui->ComboBox1->currentIndex() != standard) {
    // The panels of the other standard, then the report's values over the
    // ones they start with.
    ReinitialiseForStandard();
    for (const ConfigurationItem& item : setup.Items) ApplySetupItem(item);
  }
  SyncSetup();
  ResendSetup();
  if (setup.Failed) dialogs_.ShowMessage(QString::fromLatin1(kConfigurationReadError));
}

void Tqx7300form::ImportReports1Click() {
  const QString folder =
      dialogs_.ExistingFolder({QStringLiteral("Import Reports into History"), QString(), QString(), ReportFolder(), false});
  if (folder.isEmpty()) return;
  QString error;
  QSqlDatabase* archive = archive_.Database(&error);
  if (archive == nullptr) {
    dialogs_.ShowError(QStringLiteral("The archive could not be opened: ") + error);
    return;
  }
  dialogs_.ShowInformation(ImportReports(*archive, folder, QSysInfo::machineHostName()).Text());
}

void Tqx7300form::PrinterFont1Click() {
  const std::optional<OperatorDialogs::FontChoice> choice = dialogs_.ChooseFont(
      {PrinterQFont(), PrinterColour()}, PrinterFontValues::kMinSize, PrinterFontValues::kMaxSize);
  if (choice) {
    shell_.PrinterFont.Name = choice->font.family();
    shell_.PrinterFont.Size =
        qBound(PrinterFontValues::kMinSize, choice->font.pointSize(), PrinterFontValues::kMaxSize);
    shell_.PrinterFont.Colour = PrinterFontColourNumber(choice->colour);
  }
  // Kept at once, confirmed or not.
  SaveSettings();
}

void Tqx7300form::Screendump1Click() {
  // Asked where to print like every other job: the print dialog shows the
  // page turned and asks before it replaces a file of the chosen name.
  dialogs_.Printer().setPageOrientation(QPageLayout::Landscape);
  if (!dialogs_.Print()) return;
  if (!PrintScreendump(dialogs_.Printer(), centralWidget()->grab().toImage())) dialogs_.ShowError(kPrintFailed);
}

void Tqx7300form::PrintCurrentGraphic1Click() {
  if (!dialogs_.Print()) return;
  if (!PrintGraphic(dialogs_.Printer(), document_->GraphBitmap(), GraphicId(), PrinterQFont(), PrinterColour())) dialogs_.ShowError(kPrintFailed);
}
