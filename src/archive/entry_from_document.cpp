#include "archive/entry_from_document.h"

#include "persist/configuration_file.h"
#include "report/report_files.h"
#include "session/test_document.h"

namespace {

// The summary lines that carry a verdict, by what they begin with.
struct JudgedLine {
  const char* label;
  const char* quantity;
};
constexpr JudgedLine kJudgedLines[] = {
    {"d(max):", "d(max)"},
    {"Highest d(t) of 500ms:", "d(t)"},
    {"Max d(c) Between Adjacent:", "d(c)"},
    {"Short Term Flicker Pst:", "Pst"},
    {"Long Term Flicker Plt:", "Plt"},
};

}  // namespace

QString StandardOf(const TestSetupValues& setup) {
  return setup.ComboBox1 == 1 ? QStringLiteral("EN61000-3-3") : QStringLiteral("EN61000-3-2");
}

QString ClassOrOptionsOf(const TestSetupValues& setup) {
  if (setup.ComboBox1 != 1) {
    const int index = qBound(0, setup.ComboBox3, 3);
    QString text = QStringLiteral("Class ") + QLatin1Char(static_cast<char>('A' + index));
    if (setup.CheckBox4) text += QStringLiteral(", Professional");
    return text;
  }
  QStringList options;
  if (setup.CheckBox3) options << QStringLiteral("Voltage Fluctuations");
  if (setup.CheckBox6) options << QStringLiteral("Flicker");
  if (setup.CheckBox5) options << QStringLiteral("Plt 2 h");
  options << (setup.RadioButton2 ? QStringLiteral("Manual Switching") : QStringLiteral("Continuous"));
  return options.join(QStringLiteral(", "));
}

qint64 DurationOf(const TestSetupValues& setup) { return setup.Edit7.trimmed().toLongLong(); }

QString FlickerQuantityOf(const QString& line) {
  const QString trimmed = line.trimmed();
  for (const JudgedLine& judged : kJudgedLines) {
    if (trimmed.startsWith(QLatin1String(judged.label))) return QString::fromLatin1(judged.quantity);
  }
  return {};
}

void TakeFlickerVerdict(const QString& line, ArchiveEntry& entry, bool& failed, bool& passed) {
  const QString quantity = FlickerQuantityOf(line);
  if (quantity.isEmpty()) return;
  if (line.endsWith(QLatin1String("FAIL"))) {
    failed = true;
    entry.failures << quantity;
  } else if (line.endsWith(QLatin1String("PASS"))) {
    passed = true;
  }
}

QString OverallVerdict(bool anyFailed, bool anyPassed) {
  if (anyFailed) return QStringLiteral("FAIL");
  return anyPassed ? QStringLiteral("PASS") : QString();
}

ArchiveEntry EntryFromDocument(const TestDocument& document) {
  const StationSetup& reported = document.ReportedSetup();
  const ReportSnapshot snapshot = document.TakeReportSnapshot();
  ArchiveEntry entry;
  entry.uid = document.TestIdentity();
  entry.reportNumber = static_cast<quint32>(snapshot.ReportCounter);
  entry.testedAt = snapshot.TestStartTime;
  entry.durationSeconds = DurationOf(reported.Setup);
  entry.equipment = reported.EquipmentUnderTest.trimmed();
  entry.serialNumber = reported.SerialNumber.trimmed();
  entry.testedBy = reported.Setup.Edit10.trimmed();
  entry.standard = StandardOf(reported.Setup);
  entry.classOrOptions = ClassOrOptionsOf(reported.Setup);
  bool failed = false;
  bool passed = false;
  if (reported.Setup.ComboBox1 == 1) {
    for (const QString& line : document.Flicker().FlickerDisplayLines) TakeFlickerVerdict(line, entry, failed, passed);
  } else {
    const HarmonicsModel& harmonics = document.Harmonics();
    for (int n = 2; n <= 41; ++n) {
      if (harmonics.HarmonicVerdict[static_cast<size_t>(n)] != 255) continue;
      entry.failures << (n == 41 ? QStringLiteral("Harmonics 21 - 39") : QStringLiteral("Harmonic %1").arg(n));
    }
    const QString verdict = document.Summary().Verdict.trimmed();
    failed = verdict == QLatin1String("FAIL") || !entry.failures.isEmpty();
    passed = verdict == QLatin1String("PASS");
  }
  entry.verdict = OverallVerdict(failed, passed);
  entry.reportText = QString::fromLatin1(TextReportBytes(document.Report()));
  return entry;
}
