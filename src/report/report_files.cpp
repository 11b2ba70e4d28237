#include "report/report_files.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include "persist/safe_file_writer.h"
#include "report/report_text.h"

namespace {

QByteArray LinesBytes(const ReportStore& report, const QString& (ReportStore::*line)(int) const) {
  QStringList lines;
  for (int i = 0; i <= report.LineCount(); ++i) lines << (report.*line)(i);
  return TextLinesBytes(lines);
}

}  // namespace

QByteArray TextReportBytes(const ReportStore& report) { return LinesBytes(report, &ReportStore::Text); }
QByteArray CsvReportBytes(const ReportStore& report) { return LinesBytes(report, &ReportStore::Csv); }

ReportFileResult RecallReport(const QString& path, const ReportSnapshot& current,
                              ReportStore& report) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    return {ReportFileResult::Status::OpenFailed, file.errorString()};
  }
  QStringList lines;
  do {
    if (lines.size() == ReportStore::kLines) {
      return {ReportFileResult::Status::TooManyLines, QStringLiteral("Range check error")};
    }
    QByteArray line = file.readLine();
    if (file.error() != QFileDevice::NoError) {
      return {ReportFileResult::Status::ReadFailed, file.errorString()};
    }
    if (line.endsWith('\n')) {
      line.chop(1);
      if (line.endsWith('\r')) line.chop(1);
    }
    lines.append(QString::fromLatin1(line));
  } while (!file.atEnd());

  ClearReport(current, report);
  for (int i = 0; i < lines.size(); ++i) report.SetText(i, lines[i]);
  report.SetLineCount(static_cast<int>(lines.size()) - 1);
  return {};
}
