// Replays the seed corpora of the configuration, settings, report recall and
// recording fuzzers and a few thousand mutations of each through their harnesses: no
// file may crash a reader, and what a reader gives must survive the program's
// own save and read back the same (the harnesses abort when it does not).
// Then a few hostile files whose outcome is known.
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QtTest>

#include "persist/configuration_file.h"
#include "persist/settings_file.h"
#include "readers_harness.h"
#include "replay_mutations.h"
#include "report/report_files.h"
#include "report/report_text.h"
#include "support/test_working_folder.h"

namespace {

using Harness = void (*)(const std::uint8_t*, std::size_t);

void Run(Harness harness, const QByteArray& input) {
  harness(reinterpret_cast<const std::uint8_t*>(input.constData()), static_cast<std::size_t>(input.size()));
}

QList<QByteArray> Seeds(const char* target) {
  return fuzzreplay::SeedCorpus(SourceFilePath(QStringLiteral("fuzz/corpus/") + QLatin1String(target)));
}

void ReplayWithMutations(const char* target, Harness harness, QByteArrayView special, int rounds) {
  const QList<QByteArray> seeds = Seeds(target);
  QVERIFY2(seeds.size() >= 6, "seed corpus missing");
  for (const QByteArray& seed : seeds) Run(harness, seed);
  QRandomGenerator random(20261208);
  for (int round = 0; round < rounds; ++round) {
    Run(harness, fuzzreplay::Mutate(seeds[random.bounded(int(seeds.size()))], random, special));
  }
}

QString WriteFile(const QString& name, const QByteArray& bytes) {
  QFile file(name);
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) return QString();
  return QDir::current().absoluteFilePath(name);
}

QByteArray Lines(const QStringList& lines) { return lines.join(QStringLiteral("\r\n")).toLatin1() + "\r\n"; }

}  // namespace

class TestReadersFuzzReplay : public QObject {
  Q_OBJECT

 private slots:
  void configurationCorpus() { ReplayWithMutations("configuration", RunConfigurationHarness, "\r\n-+0123456789TRUEFALSE ", 3000); }
  void settingsCorpus() { ReplayWithMutations("settings", RunSettingsHarness, "\r\n;,.-+0123456789e ", 3000); }
  void recallCorpus() { ReplayWithMutations("recall", RunRecallHarness, QByteArrayView("\r\n\0 ", 4), 2000); }
  void recordingCorpus() { ReplayWithMutations("recording", RunRecordingHarness, QByteArrayView("\0\x1f\x8b" "BSRTAE\n", 10), 2000); }

  void hostileConfigurations();
  void hostileSettings();
  void hostileRecalls();
};

void TestReadersFuzzReplay::hostileConfigurations() {
  QStringList lines = ConfigurationLines(TestSetupValues{});
  // An index line far outside 0..255 keeps its low eight bits; one beyond a
  // 32-bit number is not a number, and the load stops there.
  lines[10] = QStringLiteral("-1");
  lines[11] = QStringLiteral("2147483647");
  lines[12] = QStringLiteral("2147483648");
  ConfigurationRead read = ReadConfiguration(WriteFile(QStringLiteral("big.hac"), Lines(lines)));
  QVERIFY(read.Failed);
  QCOMPARE(read.Items.size(), 10);
  QCOMPARE(read.Items[8].Index, 255);
  QCOMPARE(read.Items[9].Index, 255);

  // A megabyte on one text line and thousands of lines after line 30.
  lines = ConfigurationLines(TestSetupValues{});
  lines[6] = QString(1 << 20, QLatin1Char('x'));
  for (int i = 0; i < 5000; ++i) lines << QStringLiteral("junk");
  read = ReadConfiguration(WriteFile(QStringLiteral("long.hac"), Lines(lines)));
  QVERIFY(!read.Failed);
  QCOMPARE(read.Items.size(), 28);
  QCOMPARE(read.Items[4].Text.size(), 1 << 20);

  // Bytes that are no text at all, and CR line ends only (one line).
  Run(RunConfigurationHarness, QByteArray(4096, '\0'));
  Run(RunConfigurationHarness, QByteArray(200, '\r'));
  Run(RunConfigurationHarness, QByteArray(100, '\n'));
  read = ReadConfiguration(WriteFile(QStringLiteral("cr.hac"), QByteArray(200, '\r')));
  QVERIFY(read.Failed);
  QVERIFY(read.Items.isEmpty());
}

void TestReadersFuzzReplay::hostileSettings() {
  const QStringList good = SettingsLines(ProgramSettings{}, QDateTime(QDate(2026, 12, 7), QTime(14, 5)));
  struct Case {
    QString port;
    std::optional<int> expected;
  };
  // Halves round to even; what rounds outside 0..255 fails the read; text
  // that is no number, infinities and NaN count as 0.
  const Case cases[] = {
      {QStringLiteral("255.5;"), std::nullopt}, {QStringLiteral("254.5;"), 254},
      {QStringLiteral("-0.5;"), 0},             {QStringLiteral("-0.6;"), std::nullopt},
      {QStringLiteral("1e300;"), std::nullopt}, {QStringLiteral("1e999;"), 0},
      {QStringLiteral("nan;"), 0},              {QStringLiteral("inf;"), 0},
      {QStringLiteral(";3"), 0},                {QStringLiteral("  7 ,8;"), 7},
  };
  for (const Case& c : cases) {
    QStringList lines = good;
    lines[3] = c.port;
    const QByteArray bytes = Lines(lines);
    const SettingsRead read = ReadSettingsFile(WriteFile(QStringLiteral("QX7300.ini"), bytes));
    QVERIFY2(read.ComPortNumber.has_value() == c.expected.has_value(), qPrintable(c.port));
    if (c.expected) QCOMPARE(int(*read.ComPortNumber), *c.expected);
    Run(RunSettingsHarness, bytes);
  }
  // A font size beyond 16 bits keeps its low 16 bits, and a size below 6 is 8.
  QStringList lines = good;
  lines[4] = QStringLiteral("65541");  // 0x10005
  const SettingsRead read = ReadSettingsFile(WriteFile(QStringLiteral("QX7300.ini"), Lines(lines)));
  QVERIFY(read.Settings.has_value());
  QCOMPARE(read.Settings->PrinterFont.Size, 8);
  Run(RunSettingsHarness, QByteArray(4096, ';'));
  Run(RunSettingsHarness, Lines(good).repeated(500));
}

void TestReadersFuzzReplay::hostileRecalls() {
  ReportSnapshot snapshot;
  ReportStore report;
  // 81 lines recall, 82 are refused, whatever their line ends.
  const QByteArray line81 = QByteArray("x\r\n").repeated(81);
  QVERIFY(RecallReport(WriteFile(QStringLiteral("81.txt"), line81), snapshot, report).Ok());
  QCOMPARE(report.LineCount(), 80);
  const QByteArray lf82 = QByteArray("x\n").repeated(81) + "x";
  QCOMPARE(RecallReport(WriteFile(QStringLiteral("82.txt"), lf82), snapshot, report).status,
           ReportFileResult::Status::TooManyLines);
  QCOMPARE(report.LineCount(), 80);
  // An empty file is one empty line.
  QVERIFY(RecallReport(WriteFile(QStringLiteral("0.txt"), QByteArray()), snapshot, report).Ok());
  QCOMPARE(report.LineCount(), 0);
  QCOMPARE(report.Text(0), QString());
  Run(RunRecallHarness, QByteArray(1 << 20, 'y'));
  Run(RunRecallHarness, QByteArray(81, '\n'));
  Run(RunRecallHarness, QByteArray(82, '\n'));
  Run(RunRecallHarness, QByteArray(500, '\r'));
  Run(RunRecallHarness, QByteArray(3000, '\0'));
}

QTEST_GUILESS_MAIN(TestReadersFuzzReplay)
#include "test_readers_fuzz_replay.moc"
