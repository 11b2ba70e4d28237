#include "archive/entry_from_report.h"

#include <QLocale>
#include <QRegularExpression>
#include <QStringList>

#include "archive/archive_files.h"
#include "archive/entry_from_document.h"
#include "persist/configuration_file.h"

namespace {

// The value after "Label   : " on a header line, when the line has that label.
std::optional<QString> HeaderValue(const QString& line, const QString& label) {
  if (!line.startsWith(label)) return std::nullopt;
  const qsizetype colon = line.indexOf(QLatin1Char(':'), label.size());
  if (colon < 0 || !line.mid(label.size(), colon - label.size()).trimmed().isEmpty()) return std::nullopt;
  return line.mid(colon + 1).trimmed();
}

// "09 December 2026 16:30 for 10 Seconds." as the report writes it.
bool ReadTestedOn(const QString& value, ArchiveEntry& entry) {
  static const QRegularExpression pattern(
      QStringLiteral("^(\\d{2} [A-Za-z]+ \\d{4} \\d{2}:\\d{2}) for (\\S*) Seconds\\."));
  const QRegularExpressionMatch match = pattern.match(value);
  if (!match.hasMatch()) return false;
  const QDateTime local = QLocale::c().toDateTime(match.captured(1), QStringLiteral("dd MMMM yyyy HH:mm"));
  if (!local.isValid()) return false;
  entry.testedAt = local.toOffsetFromUtc(local.offsetFromUtc());
  entry.durationSeconds = match.captured(2).toLongLong();
  return true;
}

std::optional<TestSetupValues> SetupOf(const std::optional<QByteArray>& bytes) {
  if (!bytes) return std::nullopt;
  QStringList lines = QString::fromLatin1(*bytes).split(QLatin1Char('\n'));
  for (QString& line : lines) {
    if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
  }
  const ConfigurationRead read = ConfigurationFromLines(lines);
  if (read.Failed) return std::nullopt;
  TestSetupValues values;
  for (const ConfigurationItem& item : read.Items) ApplyConfigurationItem(item, values);
  return values;
}

}  // namespace

QString ReportIdentity(const QByteArray& report) { return QStringLiteral("report-") + QString::fromLatin1(ArchiveHash(report)); }

std::optional<ArchiveEntry> EntryFromReportText(const QByteArray& report, const std::optional<QByteArray>& setup,
                                                QString* why) {
  const auto refuse = [why](const QString& text) {
    if (why != nullptr) *why = text;
    return std::nullopt;
  };
  QStringList lines = QString::fromLatin1(report).split(QLatin1Char('\n'));
  for (QString& line : lines) {
    if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
  }
  if (lines.size() < 5) return refuse(QStringLiteral("it is not a report (too short)"));
  ArchiveEntry entry;
  bool numbered = false;
  const std::optional<QString> number = HeaderValue(lines[0], QStringLiteral("Report Number"));
  if (number) entry.reportNumber = number->toUInt(&numbered);
  if (!numbered) return refuse(QStringLiteral("it is not a report (no report number on its first line)"));
  const std::optional<QString> testedOn = HeaderValue(lines[1], QStringLiteral("Tested On"));
  if (!testedOn || !ReadTestedOn(*testedOn, entry))
    return refuse(QStringLiteral("its second line does not say when the test was made"));
  const std::optional<QString> equipment = HeaderValue(lines[2], QStringLiteral("Equipment Under Test"));
  const std::optional<QString> serial = HeaderValue(lines[3], QStringLiteral("Serial Number"));
  const std::optional<QString> testedBy = HeaderValue(lines[4], QStringLiteral("Tested by"));
  if (!equipment || !serial || !testedBy)
    return refuse(QStringLiteral("its header lacks the equipment, serial number or tester"));
  entry.equipment = *equipment;
  entry.serialNumber = *serial;
  entry.testedBy = *testedBy;

  static const QRegularExpression harmonicRow(QStringLiteral("^\\s*(\\d+|21 - 39) : .*\\b(Pass|Fail)$"));
  bool failed = false;
  bool passed = false;
  QString limits;
  for (const QString& line : lines) {
    if (const std::optional<QString> applied = HeaderValue(line, QStringLiteral("Limits Applied"))) limits = *applied;
    if (line.contains(QLatin1String("Test Method: EN61000-3-3"))) entry.standard = QStringLiteral("EN61000-3-3");
    if (const QRegularExpressionMatch row = harmonicRow.match(line); row.hasMatch()) {
      if (row.captured(2) == QLatin1String("Fail")) {
        failed = true;
        const QString order = row.captured(1);
        entry.failures << (order.contains(QLatin1Char('-')) ? QStringLiteral("Harmonics 21 - 39")
                                                             : QStringLiteral("Harmonic ") + order);
      } else {
        passed = true;
      }
      continue;
    }
    TakeFlickerVerdict(line, entry, failed, passed);
  }
  if (entry.standard.isEmpty() && limits.startsWith(QLatin1String("EN61000-3-2"))) entry.standard = QStringLiteral("EN61000-3-2");
  if (entry.standard.isEmpty()) return refuse(QStringLiteral("it names neither standard"));
  entry.verdict = OverallVerdict(failed, passed);
  if (const std::optional<TestSetupValues> values = SetupOf(setup)) {
    entry.classOrOptions = ClassOrOptionsOf(*values);
  } else if (entry.standard == QLatin1String("EN61000-3-2")) {
    entry.classOrOptions = limits.mid(QStringLiteral("EN61000-3-2").size()).trimmed();
  }
  entry.uid = ReportIdentity(report);
  entry.reportText = QString::fromLatin1(report);
  return entry;
}
