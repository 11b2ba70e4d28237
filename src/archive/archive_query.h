#pragma once

#include <QDate>
#include <QString>
#include <QVariantList>

#include <optional>

// Which archived tests to show, and in what order: the history window's
// search and filters and the command line's options alike.
struct ArchiveQuery {
  // Found anywhere in the field, upper and lower case alike; empty: any.
  QString equipment;
  QString serialNumber;
  QString testedBy;
  // Found in any of the texts of the test, its report included.
  QString freeText;
  QString standard;  // "EN61000-3-2" or "EN61000-3-3"; empty: both
  QString verdict;   // "PASS", "FAIL", or "NONE" for a test that gave none; empty: any
  QDate since;       // on or after, by the date at the station; null: no bound
  QDate until;       // on or before
  QString station;   // exactly; empty: every station
};

// The columns a listing can be sorted by, in the history window's order.
enum class ArchiveColumn {
  TestedAt, ReportNumber, Equipment, SerialNumber, TestedBy, Standard, ClassOrOptions, Verdict, Duration, Station,
};
inline constexpr int kArchiveColumns = 10;

// The part of a SELECT on `tests` after FROM tests: " WHERE ... ORDER BY
// ...", with ? for each of `values`, in order. Written for both databases.
struct ArchiveSelection {
  QString clause;
  QVariantList values;
};
// Where a listing read a batch at a time has got to: the sort column's
// value and the id of the last row read.
struct ArchivePlace {
  QVariant sortValue;
  qint64 id = 0;
};
// With `after`, only the rows that follow it in the order; with `limit`,
// at most that many. Each batch is then a statement of its own, as quick
// deep in a listing as at its top, and no statement stays open between
// batches (a server's connection holds one result at a time).
// `onServer`: written for a lab's server (PostgreSQL), else for a
// station's file (SQLite); the free-text search uses each one's index.
ArchiveSelection SelectArchive(const ArchiveQuery& query, ArchiveColumn sortBy = ArchiveColumn::TestedAt,
                               bool descending = true, const std::optional<ArchivePlace>& after = std::nullopt,
                               int limit = 0, bool onServer = false);

// The column's name in the tests table.
QString ArchiveColumnName(ArchiveColumn column);
