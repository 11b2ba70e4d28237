#include "archive/archive_model.h"

#include <QBrush>
#include <QColor>
#include <QDateTime>
#include <QSqlError>

#include "archive/archive_schema.h"
#include "archive/archive_store.h"

namespace {

const char* const kHeaders[] = {"Date and time", "Report No.",   "Equipment", "Serial No.", "Tested by", "Standard",
                                "Class/Options", "Verdict",      "Duration",  "Station",    "Files"};

const QColor kFailColour(200, 0, 0);
const QColor kChangedColour(170, 90, 0);

// The statement's values bound in order.
bool Run(QSqlQuery& query, const QString& statement, const QVariantList& values) {
  if (!query.prepare(statement)) return false;
  for (const QVariant& value : values) query.addBindValue(value);
  return query.exec();
}

}  // namespace

QString ArchiveDurationText(qint64 seconds) {
  if (seconds < 0) seconds = 0;
  return QStringLiteral("%1:%2:%3")
      .arg(seconds / 3600)
      .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
      .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QString ArchiveLocalTimeText(const QString& localTime) {
  const QDateTime time = QDateTime::fromString(localTime, Qt::ISODate);
  if (!time.isValid()) return localTime;
  return time.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

ArchiveModel::ArchiveModel(const QSqlDatabase& db, QObject* parent, int batch)
    : QAbstractTableModel(parent), db_(db), batch_(batch) {
  Select();
}

ArchiveModel::~ArchiveModel() = default;

void ArchiveModel::SetQuery(const ArchiveQuery& query) {
  query_ = query;
  Select();
}

void ArchiveModel::Refresh() { Select(); }

void ArchiveModel::sort(int column, Qt::SortOrder order) {
  if (column < 0 || column >= kArchiveColumns) return;
  sortColumn_ = static_cast<ArchiveColumn>(column);
  descending_ = order == Qt::DescendingOrder;
  Select();
}

void ArchiveModel::Select() {
  beginResetModel();
  read_.clear();
  place_.reset();
  atEnd_ = true;
  count_ = 0;
  error_.clear();
  const ArchiveSelection selection =
      SelectArchive(query_, sortColumn_, descending_, std::nullopt, 0, IsServerDatabase(db_));
  // The count takes the conditions without the order; no value is bound
  // in the order.
  const QString conditions = selection.clause.left(selection.clause.lastIndexOf(QLatin1String(" ORDER BY ")));
  QSqlQuery count(db_);
  if (!Run(count, QStringLiteral("SELECT COUNT(*) FROM tests") + conditions, selection.values) || !count.next()) {
    error_ = count.lastError().text();
  } else {
    count_ = count.value(0).toLongLong();
    atEnd_ = false;
  }
  endResetModel();
  // The first batch at once: a view shows the listing's top without asking.
  fetchMore();
  emit Selected();
}

bool ArchiveModel::canFetchMore(const QModelIndex& parent) const { return !parent.isValid() && !atEnd_; }

void ArchiveModel::fetchMore(const QModelIndex& parent) {
  if (parent.isValid() || atEnd_) return;
  const ArchiveSelection selection =
      SelectArchive(query_, sortColumn_, descending_, place_, batch_, IsServerDatabase(db_));
  QSqlQuery rows(db_);
  rows.setForwardOnly(true);
  if (!Run(rows,
           QStringLiteral("SELECT id, local_time, report_number, equipment, serial_number, tested_by, standard,"
                          " class_or_options, verdict, duration_s, station, failures, %1 FROM tests")
                   .arg(ArchiveColumnName(sortColumn_)) +
               selection.clause,
           selection.values)) {
    error_ = rows.lastError().text();
    atEnd_ = true;
    return;
  }
  QList<Row> batch;
  while (rows.next()) {
    place_ = ArchivePlace{rows.value(12), rows.value(0).toLongLong()};
    Row row;
    row.id = rows.value(0).toLongLong();
    row.localTime = rows.value(1).toString();
    row.reportNumber = rows.value(2).toLongLong();
    row.equipment = rows.value(3).toString();
    row.serialNumber = rows.value(4).toString();
    row.testedBy = rows.value(5).toString();
    row.standard = rows.value(6).toString();
    row.classOrOptions = rows.value(7).toString();
    row.verdict = rows.value(8).toString();
    row.durationSeconds = rows.value(9).toLongLong();
    row.station = rows.value(10).toString();
    row.failures = rows.value(11).toString();
    batch << row;
  }
  if (batch.size() < batch_) atEnd_ = true;
  if (batch.isEmpty()) return;
  beginInsertRows(QModelIndex(), int(read_.size()), int(read_.size() + batch.size() - 1));
  read_ << batch;
  endInsertRows();
}

int ArchiveModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(read_.size()); }

int ArchiveModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kFilesColumn + 1; }

QVariant ArchiveModel::Display(const Row& row, int column) const {
  switch (static_cast<ArchiveColumn>(column)) {
    case ArchiveColumn::TestedAt: return ArchiveLocalTimeText(row.localTime);
    case ArchiveColumn::ReportNumber: return row.reportNumber;
    case ArchiveColumn::Equipment: return row.equipment;
    case ArchiveColumn::SerialNumber: return row.serialNumber;
    case ArchiveColumn::TestedBy: return row.testedBy;
    case ArchiveColumn::Standard: return row.standard;
    case ArchiveColumn::ClassOrOptions: return row.classOrOptions;
    case ArchiveColumn::Verdict: return row.verdict;
    case ArchiveColumn::Duration: return ArchiveDurationText(row.durationSeconds);
    case ArchiveColumn::Station: return row.station;
  }
  switch (filesFound_.value(row.id, FilesFound::Unchecked)) {
    case FilesFound::Ok: return QStringLiteral("ok");
    case FilesFound::Changed: return QStringLiteral("changed");
    case FilesFound::Missing: return QStringLiteral("missing");
    case FilesFound::NoFiles: return QStringLiteral("no files");
    case FilesFound::Unchecked: break;
  }
  return QString();
}

QVariant ArchiveModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= read_.size() || index.column() > kFilesColumn) return {};
  const Row& row = read_[index.row()];
  const int column = index.column();
  const bool verdict = column == int(ArchiveColumn::Verdict);
  switch (role) {
    case Qt::DisplayRole: return Display(row, column);
    case Qt::ForegroundRole:
      if (verdict && row.verdict == QLatin1String("FAIL")) return QBrush(kFailColour);
      if (column == kFilesColumn) {
        const FilesFound found = filesFound_.value(row.id, FilesFound::Unchecked);
        if (found == FilesFound::Missing) return QBrush(kFailColour);
        if (found == FilesFound::Changed) return QBrush(kChangedColour);
      }
      return {};
    case Qt::ToolTipRole:
      if (verdict && !row.failures.isEmpty())
        return QStringLiteral("Failed: ") + row.failures.split(QLatin1Char('\n'), Qt::SkipEmptyParts).join(", ");
      if (verdict && row.verdict.isEmpty()) return QStringLiteral("The test gave no verdict");
      return {};
    case Qt::TextAlignmentRole:
      if (column == int(ArchiveColumn::ReportNumber) || column == int(ArchiveColumn::Duration))
        return QVariant(Qt::AlignRight | Qt::AlignVCenter);
      return {};
    default: return {};
  }
}

QVariant ArchiveModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section > kFilesColumn) return {};
  return QString::fromLatin1(kHeaders[section]);
}

QStringList ArchiveModel::Stations() const {
  QStringList stations;
  QSqlQuery query(db_);
  if (!query.exec(QStringLiteral("SELECT DISTINCT station FROM tests WHERE station <> '' ORDER BY station")))
    return stations;
  while (query.next()) stations << query.value(0).toString();
  return stations;
}

qint64 ArchiveModel::EntryId(int row) const { return row >= 0 && row < read_.size() ? read_[row].id : 0; }

QString ArchiveModel::EntryName(int row) const {
  if (row < 0 || row >= read_.size()) return {};
  const Row& entry = read_[row];
  return QStringLiteral("Report No. %1, %2").arg(entry.reportNumber).arg(entry.equipment);
}

QList<ArchiveFile> ArchiveModel::Files(qint64 id, bool withContents) const {
  QSqlDatabase db = db_;
  return ReadEntryFiles(db, id, withContents);
}

void ArchiveModel::SetFilesFound(qint64 id, const QList<FileState>& states) {
  FilesFound found = states.isEmpty() ? FilesFound::NoFiles : FilesFound::Ok;
  for (const FileState state : states) {
    if (state == FileState::Missing) found = FilesFound::Missing;
    if (state == FileState::Changed && found != FilesFound::Missing) found = FilesFound::Changed;
  }
  filesFound_.insert(id, found);
  for (int row = 0; row < read_.size(); ++row) {
    if (read_[row].id != id) continue;
    const QModelIndex cell = index(row, kFilesColumn);
    emit dataChanged(cell, cell);
  }
}
