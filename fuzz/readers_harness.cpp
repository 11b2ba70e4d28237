#include "readers_harness.h"

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QList>
#include <QStringList>

#include "input_file.h"
#include "persist/configuration_file.h"
#include "persist/safe_file_writer.h"
#include "persist/settings_file.h"
#include "record/recorded_state.h"
#include "record/recording_format.h"
#include "report/report_files.h"
#include "report/report_text.h"

namespace {

constexpr int kConfigurationItems = 28;  // lines 3 to 30

void Check(bool condition, const char* what) { FuzzCheck(condition, "reader", what); }

// A text as it reads back after the program's writer has saved it: a CR
// inside a line becomes a blank.
QString AsWritten(QString text) { return text.replace(QLatin1Char('\r'), QLatin1Char(' ')); }

QString WriteScratch(const QByteArray& bytes) {
  const QString path = FuzzScratchFilePath();
  QFile file(path);
  Check(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size(),
        "scratch file not written");
  return path;
}

bool SameItem(const ConfigurationItem& a, const ConfigurationItem& b) {
  return a.Line == b.Line && a.Control == b.Control && a.Kind == b.Kind &&
         AsWritten(a.Text) == b.Text && a.Index == b.Index && a.Checked == b.Checked;
}

// The lines a recall must give for a file, worked out apart from the reader:
// split at LF, one CR before it dropped, a last line without LF still a
// line, an empty file one empty line.
QList<QByteArray> ExpectedReportLines(const QByteArray& bytes) {
  QList<QByteArray> lines = bytes.split('\n');  // every piece but the last ended with LF
  for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
    if (lines[i].endsWith('\r')) lines[i].chop(1);
  }
  if (lines.size() > 1 && bytes.endsWith('\n')) lines.removeLast();  // nothing after the last LF
  return lines;
}

ReportSnapshot Snapshot() {
  ReportSnapshot snapshot;
  snapshot.ReportCounter = 7;
  snapshot.TestStartTime = QDateTime(QDate(2026, 12, 7), QTime(14, 5));
  snapshot.TimedTestDuration = QStringLiteral("600");
  snapshot.EquipmentUnderTest = QStringLiteral("Bench supply");
  snapshot.CurrentRangeCode = QStringLiteral("7");
  snapshot.ClassCode = QStringLiteral("A");
  return snapshot;
}

}  // namespace

void RunConfigurationHarness(const std::uint8_t* data, std::size_t size) {
  const ConfigurationRead read = ReadConfiguration(WriteFuzzInputFile(data, size));
  Check(read.Items.size() <= kConfigurationItems, "more items than lines 3 to 30");
  Check(read.Failed == (read.Items.size() < kConfigurationItems), "failure flag and item count disagree");
  const QList<ConfigurationItem> defaults = ConfigurationItems(TestSetupValues{});
  TestSetupValues values;
  for (int i = 0; i < read.Items.size(); ++i) {
    const ConfigurationItem& item = read.Items[i];
    Check(item.Line == 3 + i, "items out of file order");
    Check(item.Control == defaults[i].Control && item.Kind == defaults[i].Kind, "item of the wrong control");
    Check(item.Index >= 0 && item.Index <= 255, "index outside 0..255");
    ApplyConfigurationItem(item, values);
  }

  // The set-up saved and loaded again gives the same items, all 28 of them.
  const ConfigurationRead again = ReadConfiguration(WriteScratch(TextLinesBytes(ConfigurationLines(values))));
  Check(!again.Failed && again.Items.size() == kConfigurationItems, "saved configuration does not load");
  for (int i = 0; i < read.Items.size(); ++i) {
    Check(SameItem(read.Items[i], again.Items[i]), "configuration changed on its way through a save");
  }
}

void RunSettingsHarness(const std::uint8_t* data, std::size_t size) {
  const SettingsRead read = ReadSettingsFile(WriteFuzzInputFile(data, size));
  if (!read.Settings) return;
  const ProgramSettings& settings = *read.Settings;
  Check(read.ComPortNumber && *read.ComPortNumber == settings.ComPortNumber, "two ports");
  Check(settings.PrinterFont.Size >= 6 && settings.PrinterFont.Size <= 0xFFFF, "font size out of range");
  const QColor colour = PrinterFontColour(settings.PrinterFont.Colour);
  Check(colour.isValid(), "no font colour");
  Check(PrinterFontColour(PrinterFontColourNumber(colour)) == colour, "font colour changed on its way back");

  // Saved and read again: the same settings.
  const QDateTime savedAt(QDate(2026, 12, 7), QTime(14, 5));
  const SettingsRead again = ReadSettingsFile(WriteScratch(TextLinesBytes(SettingsLines(settings, savedAt))));
  Check(again.Settings.has_value(), "saved settings do not read");
  ProgramSettings expected = settings;
  expected.PrinterFont.Name = AsWritten(expected.PrinterFont.Name);
  Check(*again.Settings == expected, "settings changed on their way through a save");
}

void RunRecallHarness(const std::uint8_t* data, std::size_t size) {
  static const ReportSnapshot snapshot = Snapshot();
  ReportStore before;
  for (int i = 0; i < ReportStore::kLines; ++i) {
    before.SetText(i, QStringLiteral("text %1").arg(i));
    before.SetCsv(i, QStringLiteral("csv,%1").arg(i));
  }
  before.SetLineCount(40);
  before.SetBodyStart(kHarmonicsBodyStart);

  const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  ReportStore report = before;
  const ReportFileResult result = RecallReport(WriteFuzzInputFile(data, size), snapshot, report);
  const QList<QByteArray> lines = ExpectedReportLines(bytes);
  if (!result.Ok()) {
    Check(result.status == ReportFileResult::Status::TooManyLines, "recall failed on a readable file");
    Check(lines.size() > ReportStore::kLines, "too many lines refused for a short file");
    Check(!result.errorText.isEmpty(), "failure without its text");
    for (int i = 0; i < ReportStore::kLines; ++i) {
      Check(report.Text(i) == before.Text(i) && report.Csv(i) == before.Csv(i), "refused recall changed the report");
    }
    Check(report.LineCount() == before.LineCount(), "refused recall changed the line count");
    return;
  }
  Check(lines.size() <= ReportStore::kLines, "more than 81 lines recalled");
  Check(report.LineCount() == lines.size() - 1, "wrong line count");
  for (int i = 0; i < lines.size(); ++i) {
    Check(report.Text(i) == QString::fromLatin1(lines[i]), "recalled line differs from the file");
  }
  for (int i = static_cast<int>(lines.size()); i < ReportStore::kLines; ++i) {
    Check(!report.Text(i).startsWith(QStringLiteral("text ")), "line of the old report left behind");
  }

  // Saved and recalled again: the same lines.
  ReportStore again = before;
  Check(RecallReport(WriteScratch(TextReportBytes(report)), snapshot, again).Ok(), "saved report does not recall");
  Check(again.LineCount() == report.LineCount(), "line count changed on its way through a save");
  for (int i = 0; i <= report.LineCount(); ++i) {
    Check(again.Text(i) == AsWritten(report.Text(i)), "report changed on its way through a save");
  }
}

void RunRecordingHarness(const std::uint8_t* data, std::size_t size) {
  const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  const RecordingContents contents = ReadRecordingBytes(bytes);
  Check(contents.Problem.isEmpty() || !contents.Problem.trimmed().isEmpty(), "a problem without words");
  if (contents.Problem.isEmpty()) Check(contents.Start.isValid(), "a whole recording without its start");

  // What was read is written again and reads back the same, whole.
  QByteArray stream = kRecordingMagic;
  for (const RecordingEntry& entry : contents.Entries) {
    stream += EncodeEntry(entry);
    if (entry.Kind != EntryKind::State) continue;
    if (const std::optional<RecordedState> state = DecodeState(entry.Payload)) {
      Check(DecodeState(EncodeState(*state)) == state, "state changed on its way through its writer");
    }
  }
  const RecordingContents again = DecodeRecording(stream);
  Check(again.Entries.size() == contents.Entries.size(), "entries lost on their way through the writer");
  for (qsizetype i = 0; i < again.Entries.size(); ++i) {
    const RecordingEntry& a = again.Entries[i];
    const RecordingEntry& b = contents.Entries[i];
    Check(a.Kind == b.Kind && a.Milliseconds == b.Milliseconds && a.Payload == b.Payload, "entry changed");
  }
  if (contents.Start.isValid()) Check(again.Problem.isEmpty(), "a rewritten recording reads as damaged");
}
