#include "results/harmonic_report_rows.h"

#include "link/status_record.h"

namespace {

constexpr int kColumn = 12;

QString Percent(const HarmonicsModel& model, int table, int n) {
  const float limit = model.HarmonicValue[1][n];
  const float value = model.HarmonicValue[table][n];
  if (limit == 0.0f || value == 0.0f) return QStringLiteral("-");
  return FormatFixed(100.0f * value / limit, 1, 5);
}

QString VerdictSuffix(quint8 verdict) {
  if (verdict == 1) return QStringLiteral(" Pass");
  if (verdict == 255) return QStringLiteral(" Fail");
  return QStringLiteral(" - ");
}

}  // namespace

QString PadColumn(const QString& text, int width) {
  if (text != QStringLiteral("-")) return text.leftJustified(width, QLatin1Char(' '), false);
  QString centred = text;
  while (centred.size() < width) centred = QStringLiteral("  ") + centred + QLatin1Char(' ');
  return centred.right(width);
}

void WriteHarmonicReportRows(const HarmonicsModel& model, ReportStore& report) {
  const int b = report.BodyStart();
  report.SetLineCount(b + 44);
  report.SetText(b + 1, QStringLiteral("Fundamental : ") + PadColumn(model.HarmonicText[1][1], kColumn) +
                            PadColumn(model.HarmonicText[2][1], kColumn));
  for (int n = 2; n <= 41; ++n) {
    const QString pct3 = Percent(model, 3, n);
    const QString pct4 = Percent(model, 4, n);
    const QString suffix = VerdictSuffix(model.HarmonicVerdict[n]);
    const QString label = n == 41 ? PadColumn(QStringLiteral("21 - 39 : "), 14)
                                  : QStringLiteral("  ") + PadColumn(QString::number(n) + QStringLiteral(" : "), kColumn);
    report.SetText(b + n, label + PadColumn(model.HarmonicText[1][n], kColumn) +
                              PadColumn(model.HarmonicText[3][n], kColumn) + PadColumn(pct3, kColumn) +
                              PadColumn(model.HarmonicText[4][n], kColumn) + PadColumn(pct4, kColumn) + suffix);
    const QString csvLabel = n == 41 ? QStringLiteral("21 - 39:,") : QString::number(n) + QLatin1Char(',');
    report.SetCsv(b + n, csvLabel + model.HarmonicText[1][n] + QLatin1Char(',') + model.HarmonicText[3][n] +
                             QLatin1Char(',') + pct3 + QLatin1Char(',') + model.HarmonicText[4][n] +
                             QLatin1Char(',') + pct4 + QLatin1Char(',') + suffix);
  }
}
