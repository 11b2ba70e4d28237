#include "report/report_text.h"

#include <algorithm>

#include "report/report_forms.h"

namespace {

// How each quantity of the header and body head prints from its extremes.
constexpr QuantityForm kSupplyVoltage{0.1, 1, " Vrms  ", " Vrms  "};
constexpr QuantityForm kFrequency{0.01, 2, " Hz", " Hz"};
constexpr QuantityForm kLoadPower{0.1, 1, " W ", " W "};
constexpr QuantityForm kRmsAmps{0.1, 1, " Arms  ", " Arms    "};
constexpr QuantityForm kRmsMilliamps{0.1, 1, "mArms  ", "mArms  "};
constexpr QuantityForm kPeakAmps{1.0, 1, " Apk", " Apk"};
constexpr QuantityForm kPeakMilliamps{1.0, 1, "mApk", "mApk"};

constexpr int kSummaryLine = 7;
constexpr int kLimitsLine = 13;
constexpr int kUnitsLine = 17;

// First character of a code, or NUL for an empty one (outside every range).
char FirstOf(const QString& code) { return code.isEmpty() ? '\0' : code.front().toLatin1(); }

bool InRange(char c, char first, char last) { return c >= first && c <= last; }

// The load current switches to milliamperes two ranges later than the
// harmonic values do.
bool MilliampereLoadCurrent(char rangeCode) { return InRange(rangeCode, '7', 'E'); }

// A rebuild keeps the result rows already appended below the same body
// head in the output; after a clear, or under another body head, the count
// starts again at the body start.
void EndBodyHead(int bodyStart, ReportStore& report) {
  const bool sameBody = report.BodyStart() == bodyStart;
  report.SetBodyStart(bodyStart);
  report.SetLineCount(sameBody ? std::max(report.LineCount(), bodyStart) : bodyStart);
}

QString LimitsLine(const ReportSnapshot& s) {
  QString line = QStringLiteral("Limits Applied       : EN61000-3-2 ") + s.ClassVerdict.trimmed();
  if (s.Professional) line += QStringLiteral("  Professional,");
  switch (FirstOf(s.ClassCode)) {
    case 'C':
      line += QStringLiteral("limits for ") + s.SummaryValue1 + QStringLiteral(" at ") + s.SummaryValue2 +
              QStringLiteral(" PF");
      break;
    case 'D':
      line += QStringLiteral("limits for ") + s.SummaryValue2 + QStringLiteral(" Watts.");
      break;
    case '0':
    case 'X':
    case 'Z':
    {
      // The reason and the verdict text may end the sentence already; the
      // line gets one full stop, not two.
      const QString reason = s.ClassReason.trimmed();
      if (!reason.isEmpty()) line += QLatin1Char(' ') + reason;
      if (!line.endsWith(QLatin1Char('.'))) line += QLatin1Char('.');
      break;
    }
    default:
      break;
  }
  return line;
}

// The units under the harmonic table's headings; other range codes leave
// the line as it was.
void WriteUnitsLine(char rangeCode, ReportStore& report) {
  if (InRange(rangeCode, '0', '4')) {
    report.SetText(kUnitsLine, QStringLiteral("               Amp          Amp                       Amp"));
    report.SetCsv(kUnitsLine, QStringLiteral(",Amp,Amp,,Amp"));
  } else if (InRange(rangeCode, '5', 'E')) {
    report.SetText(kUnitsLine, QStringLiteral("                mA           mA                       mA"));
    report.SetCsv(kUnitsLine, QStringLiteral(",mA,mA,,mA"));
  }
}

}  // namespace

void ClearReport(const ReportSnapshot& snapshot, ReportStore& report) {
  report.SetLineCount(0);
  report.ClearLines();
  BuildReport(snapshot, report);
}

void BuildReport(const ReportSnapshot& snapshot, ReportStore& report) {
  BuildReportHeader(snapshot, report);
  if (snapshot.Measurement == 0)
    BuildHarmonicsReportBody(snapshot, report);
  else if (snapshot.Measurement == 1)
    BuildFlickerReportBody(snapshot, report);
}

void BuildReportHeader(const ReportSnapshot& s, ReportStore& report) {
  const QString counter = QString::number(s.ReportCounter);
  report.SetText(0, QStringLiteral("Report Number        : ") + counter);
  report.SetCsv(0, QStringLiteral("Report Number:, ") + counter);

  const QString date = ReportDateText(s.TestStartTime);
  const QString duration = QStringLiteral(" for ") + s.TimedTestDuration + QStringLiteral(" Seconds.");
  report.SetText(1, QStringLiteral("Tested On            : ") + date + duration +
                        (s.ManualSwitching ? QStringLiteral(" Per Step") : QString()));
  report.SetCsv(1, QStringLiteral("Tested On : ,") + date + QLatin1Char(',') + duration);

  const QString equipment = s.EquipmentUnderTest.trimmed();
  report.SetText(2, QStringLiteral("Equipment Under Test : ") + equipment);
  report.SetCsv(2, QStringLiteral("Equipment Under Test : ,") + equipment);
  const QString serial = s.SerialNumber.trimmed();
  report.SetText(3, QStringLiteral("Serial Number        : ") + serial);
  report.SetCsv(3, QStringLiteral("Serial Number : ,") + serial);
  const QString tester = s.TestedBy.trimmed();
  report.SetText(4, QStringLiteral("Tested by            : ") + tester);
  report.SetCsv(4, QStringLiteral("Tested by : ,") + tester);

  report.SetBoth(5, QString());

  const MeterExtremes& e = s.Extremes;
  const QString volts = SingleOrRange(kSupplyVoltage, e.VoltsRmsMax, e.VoltsRmsMin);
  const QString hertz = SingleOrRange(kFrequency, e.FrequencyMax, e.FrequencyMin);
  report.SetText(6, QStringLiteral("Supply Voltage : ") + volts + RoundedDecimal(e.VoltsPeakMax, 1) +
                        QStringLiteral(" Vpk   Frequency : ") + hertz);
  report.SetCsv(6, QStringLiteral("Supply Voltage :, ") + volts + QLatin1Char(',') + hertz);
}

void BuildHarmonicsReportBody(const ReportSnapshot& s, ReportStore& report) {
  report.SetText(kSummaryLine, SummaryLine(s.SummaryMemo));
  report.SetCsv(kSummaryLine, SummaryCsvLine(s.SummaryMemo));
  report.SetBoth(8, QString());
  const MeterExtremes& e = s.Extremes;
  report.SetBoth(9, QStringLiteral("Load Power     : ") + SingleOrRange(kLoadPower, e.WattsMax, e.WattsMin) +
                        s.VoltAmps.trimmed() + QStringLiteral(" VA  Power Factor ") + s.PowerFactor.trimmed());
  report.SetBoth(10, LoadCurrentLine(s));
  report.SetBoth(11, QString());
  report.SetBoth(12, QStringLiteral("Measurement Standard : ") + s.TestMethodStandard);
  report.SetBoth(kLimitsLine, LimitsLine(s));
  report.SetBoth(14, QString());
  report.SetText(15, QStringLiteral("Harmonic       Limit       Average       %       max. Value     %       Assessment"));
  report.SetCsv(15, QStringLiteral("Harmonic,Limit,Average,%,max. Value,%,Assessment"));
  report.SetText(16, QStringLiteral(" Number       Current    (filtered)    Limit     (Filtered)    Limit"));
  report.SetCsv(16, QStringLiteral("Number,Current,(filtered),Limit,(Filtered),Limit"));
  WriteUnitsLine(FirstOf(s.CurrentRangeCode), report);
  EndBodyHead(kHarmonicsBodyStart, report);
}

void BuildFlickerReportBody(const ReportSnapshot& s, ReportStore& report) {
  report.SetBoth(7, LoadCurrentLine(s));
  report.SetBoth(8, QString());
  report.SetBoth(9, s.ManualSwitching ? QStringLiteral("Test Method: EN61000-3-3 +A1:2001 Annex B")
                                      : QStringLiteral("Test Method: EN61000-3-3 +A1:2001"));
  EndBodyHead(kFlickerBodyStart, report);
}

QString LoadCurrentLine(const ReportSnapshot& s) {
  const bool milliamperes = MilliampereLoadCurrent(FirstOf(s.CurrentRangeCode));
  const MeterExtremes& e = s.Extremes;
  const QString rms = SingleOrRange(milliamperes ? kRmsMilliamps : kRmsAmps, e.AmpsRmsMax, e.AmpsRmsMin);
  const QString peak = SingleOrRange(milliamperes ? kPeakMilliamps : kPeakAmps, e.AmpsPeakMax, e.AmpsPeakMin);
  return QStringLiteral("Load Current   : ") + rms + peak + QStringLiteral(" Crest Factor: ") +
         s.CurrentCrestFactor.trimmed();
}

QString SummaryLine(const QStringList& memo) {
  const auto at = [&memo](int i) { return memo.at(i); };
  switch (memo.size()) {
    case 1:
      return at(0) + QLatin1Char('.');
    case 2:
      return at(0) + QLatin1Char(' ') + at(1) + QLatin1Char('.');
    case 3:
      return at(0) + QLatin1Char(' ') + at(1) + QStringLiteral(" and ") + at(2) + QLatin1Char('.');
    case 4:
      return at(0) + QLatin1Char(' ') + at(1) + QLatin1Char(',') + at(2) + QStringLiteral(" and ") + at(3) +
             QLatin1Char('.');
    case 5:
      return at(0) + QLatin1Char(' ') + at(1) + QLatin1Char(',') + at(2) + QLatin1Char(',') + at(3) +
             QStringLiteral(" and ") + at(4) + QLatin1Char('.');
    default:
      // No memo, or more lines than the supply checks can give.
      return QStringLiteral(".");
  }
}

QString SummaryCsvLine(const QStringList& memo) {
  if (memo.size() <= 1) return memo.value(0);
  QString line;
  for (const QString& text : memo) line += QLatin1Char(',') + text;
  return line;
}
