#include "report/report_files.h"

#include "persist/safe_file_writer.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>

#include "report/report_text.h"

namespace {

QByteArray LinesBytes(const ReportStore& report, const QString& (ReportStore::*line)(int) const) {
  QByteArray bytes;
  for (int i = 0; i <= report.LineCount(); ++i) {
    // A line break inside a line would split it and shift the lines after it.
    QString text = (report.*line)(i);
    bytes += text.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' ')).toLatin1();
    bytes += "\r\n";
  }
  return bytes;
}

ReportFileResult Saved(const QString& path, const QByteArray& bytes) {
  const QString error = SaveFileBytesOrError(path, bytes);
  if (error.isEmpty()) return {};
  return {ReportFileResult::Status::WriteFailed, error};
}

}  // namespace

// Unbuffered, so that a write the system cuts short (a full disk, a size
// limit) shows here: buffered, the short write surfaces only in the flush
// inside commit(), which commit() does not report, and the cut-down file
// would replace the old one.
QByteArray TextReportBytes(const ReportStore& report) { return LinesBytes(report, &ReportStore::Text); }
QByteArray CsvReportBytes(const ReportStore& report) { return LinesBytes(report, &ReportStore::Csv); }

ReportFileResult SaveTextReport(const QString& path, const ReportStore& report) {
  return Saved(path, TextReportBytes(report));
}

ReportFileResult SaveCsvReport(const QString& path, const ReportStore& report) {
  return Saved(path, CsvReportBytes(report));
}

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
