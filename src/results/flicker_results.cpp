#include "results/flicker_results.h"

#include "link/decimal_text.h"
#include "link/field_rule.h"
#include "link/status_record.h"
#include "results/harmonic_report_rows.h"

namespace {

constexpr qsizetype kSectionStart = 107;  // the type letter
constexpr qsizetype kSectionLength = 1000;
constexpr int kVerdictColumn = 48;
constexpr double kPstLimit = 1.0;
constexpr double kPltLimit = 0.65;

// The classifier's durations, in the report's and the table's own widths.
constexpr std::array<const char*, 15> kClassifierDurations{"0.1%", "0.7%", "1.0%", "1.5%", "2.2%",
                                                          "3%",   "4%",   "6%",   "8%",   "10%",
                                                          "13%",  "17%",  "30%",  "50%",  "80%"};
constexpr int kFirstClassifierField = 38;
constexpr int kFirstIntervalField = 55;
constexpr int kIntervals = 12;
constexpr int kPltField = 67;

std::optional<double> WithoutBlanks(const QString& text) {
  return ParseDecimal(QString(text).remove(QLatin1Char(' ')));
}

QString StateText(const QString& code, const QString& level) {
  if (code.startsWith(QLatin1Char('0'))) return QStringLiteral("Steady at ") + level + QLatin1Char('%');
  if (code.startsWith(QLatin1Char('1'))) return QStringLiteral("Transition ") + level + QLatin1Char('%');
  if (code.startsWith(QLatin1Char('2'))) return QStringLiteral("Extended Change");
  return QString();
}

// The analyser's verdict on a line: "0" pass, "1" fail, else none.
QString WithAnalyserVerdict(const QString& line, const QString& verdict) {
  if (verdict.startsWith(QLatin1Char('0'))) return WithVerdict(line, true);
  if (verdict.startsWith(QLatin1Char('1'))) return WithVerdict(line, false);
  return line;
}

}  // namespace

void ReadFlickerFields(const QByteArray& line, FlickerResults& results) {
  const LineFields section(line.mid(kSectionStart, kSectionLength));
  for (int k = FlickerResults::kFirstField; k <= FlickerResults::kLastField; ++k)
    results.FlickerField[static_cast<size_t>(k)] = QString::fromLatin1(section.Field(static_cast<quint16>(k)));
}

QString WithVerdict(const QString& text, bool pass) {
  return PadColumn(text, kVerdictColumn) + (pass ? QStringLiteral("PASS") : QStringLiteral("FAIL"));
}

std::optional<double> LargestPst(const FlickerResults& results) {
  std::optional<double> largest;
  for (int k = kFirstIntervalField; k < kFirstIntervalField + kIntervals; ++k) {
    const std::optional<double> pst = WithoutBlanks(results.F(k));
    if (pst && (!largest || *pst > *largest)) largest = pst;
  }
  return largest;
}

void UpdateFlickerSummary(FlickerResults& results, const FlickerOptions& options) {
  auto& lines = results.FlickerDisplayLines;
  const auto f = [&results](int k) { return results.F(k); };
  lines[0] = QStringLiteral("Voltage Variations :");
  lines[1] = QStringLiteral("Variation over last 1000ms: ") + f(17).mid(1, 10) + QStringLiteral("% ");
  lines[2] = QStringLiteral("                    within: ") + f(19) + QStringLiteral("% and ") + f(18) +
             QStringLiteral("% ");
  lines[3].clear();
  lines[4] = QStringLiteral("             Present State: ") + StateText(f(20), f(21));
  lines[5] = QStringLiteral("                  Duration: ") + f(22) + QStringLiteral("Seconds");
  lines[6] = QStringLiteral("             Highest Level: ") + f(24) + QLatin1Char('%');
  lines[7] = QStringLiteral("              Lowest Level: ") + f(23) + QLatin1Char('%');
  lines[8] = QStringLiteral("                    d(max): ") + f(25) + QStringLiteral("% ");
  lines[9].clear();
  lines[10] = QStringLiteral("     Highest d(t) of 500ms: ") + f(27) + QLatin1Char('%');
  lines[11] = QStringLiteral("   Present d(t) over 3.33%: ") + f(29) + QStringLiteral(" Seconds");
  lines[12] = QStringLiteral("   Longest d(t) over 3.33%: ") + f(30) + QStringLiteral(" Seconds");
  lines[13] = QStringLiteral("      Highest Steady State: ") + f(31) + QStringLiteral("% ");
  lines[14] = QStringLiteral("       Lowest Steady State: ") + f(32) + QLatin1Char('%');
  lines[15] = QStringLiteral(" Max d(c) Between Adjacent: ") + f(34) + QLatin1Char('%');
  lines[16] = QStringLiteral("      Max d(c) Between Any: ") + f(36) + QLatin1Char('%');

  if (options.voltageFluctuations) {
    lines[8] = WithAnalyserVerdict(lines[8], f(26));
    lines[10] = WithAnalyserVerdict(lines[10], f(28));
    lines[15] = WithAnalyserVerdict(lines[15], f(35));
  }
  if (!options.flicker) {
    lines[18].clear();
    return;
  }
  lines[17].clear();
  // Until an interval has a value the test has measured nothing: the line
  // keeps its layout but carries no verdict.
  const std::optional<double> pst = LargestPst(results);
  const QString pstLine = QStringLiteral("    Short Term Flicker Pst: ") +
                          (pst ? FormatFixed(static_cast<float>(*pst), 2, 6) : QStringLiteral("     -"));
  lines[18] = pst ? WithVerdict(pstLine, *pst <= kPstLimit) : pstLine;
  if (options.twoHourPlt) {
    // A Plt that is not a number is never judged a pass.
    const std::optional<double> plt = WithoutBlanks(f(kPltField));
    const QString pltLine = QStringLiteral("     Long Term Flicker Plt: ") + f(kPltField);
    lines[19] = plt ? WithVerdict(pltLine, *plt <= kPltLimit) : pltLine;
  } else {
    lines[19].clear();
  }
}

void WriteFlickerReportRows(const FlickerResults& results, const FlickerOptions& options, ReportStore& report) {
  const int b = report.BodyStart();
  const auto& lines = results.FlickerDisplayLines;
  if (options.voltageFluctuations || options.flicker) {
    report.SetText(b + 1, QStringLiteral("Voltage Variations : "));
    for (int k = 6; k <= 19; ++k) report.SetBoth(b + k - 4, lines[static_cast<size_t>(k)]);
    report.SetLineCount(b + 19);
  }
  if (!options.flicker) return;
  if (options.continuous) {
    report.SetText(b + 21, QStringLiteral("Flicker Results : "));
    report.SetCsv(b + 21, QStringLiteral("Flicker Results"));
    report.SetText(b + 22, QStringLiteral("       Pst Classifier          Plt Calculation"));
    report.SetCsv(b + 22, QStringLiteral("Pst Classifier,,Plt Calculation"));
    report.SetText(b + 23, QStringLiteral("       Duration       Flicker    Interval     Pst"));
    report.SetCsv(b + 23, QStringLiteral("Duration,Flicker,Interval,Pst"));
    for (int i = 0; i < static_cast<int>(kClassifierDurations.size()); ++i) {
      const QString duration = QString::fromLatin1(kClassifierDurations[static_cast<size_t>(i)]);
      const QString value = results.F(kFirstClassifierField + i);
      report.SetText(b + 24 + i, duration.rightJustified(13) + QStringLiteral("       ") + value);
      report.SetCsv(b + 24 + i, duration.rightJustified(4) + QStringLiteral(" ,") + value);
    }
    report.SetCsv(b + 39, QStringLiteral("Peak pu ,") + results.F(37));
    if (options.twoHourPlt) {
      // The text report starts the interval column one row below the CSV.
      for (int i = 1; i <= kIntervals; ++i) {
        const QString value = results.F(kFirstIntervalField + i - 1);
        report.SetText(b + 24 + i, report.Text(b + 24 + i) + QString::number(i).rightJustified(5) +
                                       QStringLiteral(":       ") + value);
        report.SetCsv(b + 23 + i, report.Csv(b + 23 + i) + QLatin1Char(',') + QString::number(i) +
                                      QStringLiteral(": ,") + value);
      }
      report.SetText(b + 37, report.Text(b + 37) + QStringLiteral("  Plt =      ") + results.F(kPltField));
      report.SetCsv(b + 36, report.Csv(b + 36) + QStringLiteral(",Plt =  ,") + results.F(kPltField));
    }
  }
  report.SetLineCount(b + 39);
}
