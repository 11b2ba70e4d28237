#include "archive/archive_query.h"

#include <QStringList>

#include "archive/archive_schema.h"

namespace {

// A text to find inside a field: LIKE's own characters stand for themselves.
QString Inside(const QString& text) {
  QString escaped = text;
  escaped.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
  escaped.replace(QLatin1Char('%'), QLatin1String("\\%"));
  escaped.replace(QLatin1Char('_'), QLatin1String("\\_"));
  return QLatin1Char('%') + escaped + QLatin1Char('%');
}

// Fewer letters than a piece of the full-text index: read every test.
constexpr int kShortestIndexed = 3;

// The text with each of its letters in either case. A station's LIKE
// folds the case of English letters only, so a short text with an Umlaut
// is looked for in each of its forms (at most four).
QStringList CaseForms(const QString& text) {
  QStringList forms{QString()};
  for (const QChar c : text) {
    QStringList longer;
    for (const QString& form : std::as_const(forms)) {
      longer << form + c.toLower();
      if (c.toUpper() != c.toLower()) longer << form + c.toUpper();
    }
    forms = longer;
  }
  forms.removeDuplicates();
  return forms;
}

// `text` anywhere in `expression`, in upper or lower case: a server lowers
// both sides alike; a station compares each form of the text.
QString Contains(const QString& expression, const QString& text, bool onServer, QVariantList& values) {
  if (onServer) {
    values << Inside(text);
    return QStringLiteral("lower(%1) LIKE lower(?) ESCAPE '\\'").arg(expression);
  }
  QStringList any;
  for (const QString& form : CaseForms(text)) {
    any << QStringLiteral("%1 LIKE ? ESCAPE '\\'").arg(expression);
    values << Inside(form);
  }
  return QLatin1Char('(') + any.join(QLatin1String(" OR ")) + QLatin1Char(')');
}

}  // namespace

QString ArchiveColumnName(ArchiveColumn column) {
  switch (column) {
    case ArchiveColumn::TestedAt: return QStringLiteral("tested_at");
    case ArchiveColumn::ReportNumber: return QStringLiteral("report_number");
    case ArchiveColumn::Equipment: return QStringLiteral("equipment");
    case ArchiveColumn::SerialNumber: return QStringLiteral("serial_number");
    case ArchiveColumn::TestedBy: return QStringLiteral("tested_by");
    case ArchiveColumn::Standard: return QStringLiteral("standard");
    case ArchiveColumn::ClassOrOptions: return QStringLiteral("class_or_options");
    case ArchiveColumn::Verdict: return QStringLiteral("verdict");
    case ArchiveColumn::Duration: return QStringLiteral("duration_s");
    case ArchiveColumn::Station: return QStringLiteral("station");
  }
  return QStringLiteral("tested_at");
}

ArchiveSelection SelectArchive(const ArchiveQuery& query, ArchiveColumn sortBy, bool descending,
                               const std::optional<ArchivePlace>& after, int limit, bool onServer) {
  QStringList conditions;
  ArchiveSelection selection;
  // The station's full-text table: a quoted phrase of three-letter pieces
  // finds the text anywhere in the columns named, in upper or lower case.
  const auto indexed = [&](const QString& columns, const QString& text) {
    QString phrase = text;
    phrase.replace(QLatin1Char('"'), QLatin1String("\"\""));
    conditions << QStringLiteral("id IN (SELECT rowid FROM tests_search WHERE tests_search MATCH ?)");
    const QString quoted = QLatin1Char('"') + phrase + QLatin1Char('"');
    selection.values << (columns.isEmpty() ? quoted : columns + QStringLiteral(" : ") + quoted);
  };
  const auto contains = [&](const QString& column, const QString& text) {
    if (text.isEmpty()) return;
    if (!onServer && text.size() >= kShortestIndexed) return indexed(column, text);
    conditions << Contains(column, text, onServer, selection.values);
  };
  contains(QStringLiteral("equipment"), query.equipment);
  contains(QStringLiteral("serial_number"), query.serialNumber);
  contains(QStringLiteral("tested_by"), query.testedBy);
  if (query.freeText.isEmpty()) {
  } else if (onServer) {
    // The expression the server's trigram index is made on.
    conditions << ArchiveSearchedText() + QStringLiteral(" LIKE lower(?) ESCAPE '\\'");
    selection.values << Inside(query.freeText);
  } else if (query.freeText.size() >= kShortestIndexed) {
    indexed({}, query.freeText);  // every column
  } else {
    const QStringList columns{"equipment", "serial_number", "tested_by", "standard", "class_or_options",
                              "verdict", "failures", "station", "report_text"};
    QStringList any;
    for (const QString& column : columns) any << Contains(column, query.freeText, onServer, selection.values);
    conditions << QLatin1Char('(') + any.join(QLatin1String(" OR ")) + QLatin1Char(')');
  }
  if (!query.standard.isEmpty()) {
    conditions << QStringLiteral("standard = ?");
    selection.values << query.standard;
  }
  if (!query.verdict.isEmpty()) {
    conditions << QStringLiteral("verdict = ?");
    selection.values << (query.verdict == QLatin1String("NONE") ? QString(QLatin1String("")) : query.verdict);
  }
  // The date at the station: the first ten characters of its local time.
  if (query.since.isValid()) {
    conditions << QStringLiteral("substr(local_time, 1, 10) >= ?");
    selection.values << query.since.toString(Qt::ISODate);
  }
  if (query.until.isValid()) {
    conditions << QStringLiteral("substr(local_time, 1, 10) <= ?");
    selection.values << query.until.toString(Qt::ISODate);
  }
  if (!query.station.isEmpty()) {
    conditions << QStringLiteral("station = ?");
    selection.values << query.station;
  }
  // The order is by the column, then by id, both the same way: the rows
  // after a place are those beyond it as a pair.
  if (after) {
    conditions << QStringLiteral("(%1, id) %2 (?, ?)").arg(ArchiveColumnName(sortBy), descending ? "<" : ">");
    selection.values << after->sortValue << after->id;
  }
  if (!conditions.isEmpty()) selection.clause = QStringLiteral(" WHERE ") + conditions.join(QLatin1String(" AND "));
  // Ties keep the order of filing, so a listing reads the same every time.
  const QString direction = descending ? QStringLiteral(" DESC") : QStringLiteral(" ASC");
  selection.clause += QStringLiteral(" ORDER BY ") + ArchiveColumnName(sortBy) + direction + QStringLiteral(", id") + direction;
  if (limit > 0) selection.clause += QStringLiteral(" LIMIT %1").arg(limit);
  return selection;
}
