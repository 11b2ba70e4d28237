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

namespace {

// A lone "-" centred in a column of this width, as PadColumn writes it.
QString CentredDash(int width) {
  QString centred = QStringLiteral("-");
  while (centred.size() < width) centred = QStringLiteral("  ") + centred + QLatin1Char(' ');
  return centred.right(width);
}

void AppendColumn(QString& row, const QString& text, int width) {
  if (text == QLatin1StringView("-")) {
    static const QString dash12 = CentredDash(kColumn);
    row += width == kColumn ? dash12 : CentredDash(width);
    return;
  }
  row += text;
  if (text.size() < width) row.resize(row.size() + width - text.size(), QLatin1Char(' '));
}

}  // namespace

QString PadColumn(const QString& text, int width) {
  QString padded;
  AppendColumn(padded, text, width);
  return padded;
}

void WriteHarmonicReportRows(const HarmonicsModel& model, ReportStore& report) {
  WriteHarmonicReportRows(model, model.HarmonicText[2][1], report);
}

void WriteHarmonicReportRows(const HarmonicsModel& model, const QString& fundamentalAmps, ReportStore& report) {
  // Forty rows for every harmonics record: built in place, one allocation a
  // row.
  const int b = report.BodyStart();
  report.SetLineCount(b + 44);
  QString fundamental = QStringLiteral("Fundamental : ");
  AppendColumn(fundamental, model.HarmonicText[1][1], kColumn);
  AppendColumn(fundamental, fundamentalAmps, kColumn);
  report.SetText(b + 1, fundamental);
  const QLatin1Char comma(',');
  for (int n = 2; n <= 41; ++n) {
    const QString pct3 = Percent(model, 3, n);
    const QString pct4 = Percent(model, 4, n);
    const QString suffix = VerdictSuffix(model.HarmonicVerdict[n]);
    QString row;
    row.reserve(96);
    if (n == 41) {
      AppendColumn(row, QStringLiteral("21 - 39 : "), 14);
    } else {
      row += QLatin1StringView("  ");
      AppendColumn(row, QString::number(n) + QLatin1StringView(" : "), kColumn);
    }
    AppendColumn(row, model.HarmonicText[1][n], kColumn);
    AppendColumn(row, model.HarmonicText[3][n], kColumn);
    AppendColumn(row, pct3, kColumn);
    AppendColumn(row, model.HarmonicText[4][n], kColumn);
    AppendColumn(row, pct4, kColumn);
    row += suffix;
    report.SetText(b + n, row);

    QString csv;
    csv.reserve(64);
    if (n == 41) {
      csv += QLatin1StringView("21 - 39:,");
    } else {
      csv += QString::number(n);
      csv += comma;
    }
    for (const QString* field : {&model.HarmonicText[1][n], &model.HarmonicText[3][n], &pct3,
                                 &model.HarmonicText[4][n], &pct4}) {
      csv += *field;
      csv += comma;
    }
    csv += suffix;
    report.SetCsv(b + n, csv);
  }
}
