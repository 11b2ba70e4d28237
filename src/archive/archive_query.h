#pragma once

#include <QDate>
#include <QString>
#include <QVariantList>

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
ArchiveSelection SelectArchive(const ArchiveQuery& query, ArchiveColumn sortBy = ArchiveColumn::TestedAt,
                               bool descending = true);

// The column's name in the tests table.
QString ArchiveColumnName(ArchiveColumn column);
