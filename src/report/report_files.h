#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

#include "report/report_store.h"

struct ReportSnapshot;

// What became of a report file operation, with the system's text for a failure.
struct ReportFileResult {
  enum class Status { Done, OpenFailed, ReadFailed, TooManyLines };
  Status status = Status::Done;
  QString errorText;

  bool Ok() const { return status == Status::Done; }
};

// Lines 0 to LineCount of the text or the CSV form, each ended by CR LF, in
// Latin-1 (characters outside it become "?"); a CR or LF inside a line
// becomes a blank.
QByteArray TextReportBytes(const ReportStore& report);
QByteArray CsvReportBytes(const ReportStore& report);

// Reads a saved text report back: at least one line (an empty file gives one
// empty line), at most 81, ended by CR LF or LF. Only when the whole file
// has been read is the report cleared and rebuilt from current (ClearReport),
// its text lines 0, 1, ... replaced by the file's and the line count set to
// the last of them; the CSV form keeps what the rebuild gave it. A file that
// cannot be opened or read, or that has more than 81 lines, leaves the report
// untouched.
ReportFileResult RecallReport(const QString& path, const ReportSnapshot& current,
                              ReportStore& report);

// A saved report brought back: its text as the file holds it, kept apart
// from the live report, and the set-up and the recording saved beside it
// (nullopt when there was none to read).
struct RecalledReport {
  ReportStore Report;
  std::optional<QByteArray> Companion;
  std::optional<QByteArray> Recording;
};
