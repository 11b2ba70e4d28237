#pragma once

#include <QAbstractTableModel>
#include <QHash>
#include <QList>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>

#include "archive/archive_entry.h"
#include "archive/archive_files.h"
#include "archive/archive_query.h"

// The archive's tests as a table, newest first unless sorted otherwise: the
// database selects, filters and sorts, and the rows are read from it in
// batches as a view scrolls to them, so an archive of any size is listed
// at once. A column after the archive's own tells what the last check
// found of each entry's files.
class ArchiveModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  // The rows read at a time.
  static constexpr int kBatch = 200;
  // The column of the files' state, after kArchiveColumns.
  static constexpr int kFilesColumn = kArchiveColumns;

  // The database stays open for the model's life; the selection is made at
  // once, newest first, and read `batch` rows at a time.
  explicit ArchiveModel(const QSqlDatabase& db, QObject* parent = nullptr, int batch = kBatch);
  ~ArchiveModel() override;

  // The search and filters; the listing is made again.
  void SetQuery(const ArchiveQuery& query);
  const ArchiveQuery& Query() const { return query_; }
  ArchiveColumn SortColumn() const { return sortColumn_; }
  bool SortDescending() const { return descending_; }
  // The listing made again, with what was filed since.
  void Refresh();

  // How many tests the search and filters select (not only those read yet).
  qint64 Count() const { return count_; }
  // Why the last selection failed; empty when it did not.
  QString Error() const { return error_; }
  // The stations the archive holds tests of.
  QStringList Stations() const;

  // The archive's number of the test on `row`; 0 for no such row.
  qint64 EntryId(int row) const;
  // The report number and the equipment, to name the test to an operator.
  QString EntryName(int row) const;
  // The files filed with a test, their bytes too when `withContents` and
  // the archive keeps them.
  QList<ArchiveFile> Files(qint64 id, bool withContents = false) const;
  // What a check of the test's files found, shown in the files column:
  // the worst of their states.
  void SetFilesFound(qint64 id, const QList<FileState>& states);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
  // By the database, for every column but the files' state.
  void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
  bool canFetchMore(const QModelIndex& parent = QModelIndex()) const override;
  void fetchMore(const QModelIndex& parent = QModelIndex()) override;

 signals:
  // A new selection is listed (its count may differ).
  void Selected();

 private:
  struct Row {
    qint64 id = 0;
    QString localTime;
    qint64 reportNumber = 0;
    QString equipment;
    QString serialNumber;
    QString testedBy;
    QString standard;
    QString classOrOptions;
    QString verdict;
    qint64 durationSeconds = 0;
    QString station;
    QString failures;
  };
  enum class FilesFound { Unchecked, Ok, Changed, Missing, NoFiles };

  void Select();
  QVariant Display(const Row& row, int column) const;

  QSqlDatabase db_;
  ArchiveQuery query_;
  ArchiveColumn sortColumn_ = ArchiveColumn::TestedAt;
  bool descending_ = true;
  // Where the next batch starts; nullopt before the first.
  std::optional<ArchivePlace> place_;
  int batch_;
  bool atEnd_ = true;
  QList<Row> read_;
  qint64 count_ = 0;
  QString error_;
  QHash<qint64, FilesFound> filesFound_;
};

// A test's length as the listing gives it: "h:mm:ss".
QString ArchiveDurationText(qint64 seconds);
// The station's local time of a test as the listing gives it, from the
// archive's "yyyy-MM-ddThh:mm:ss+hh:mm": "yyyy-MM-dd hh:mm:ss".
QString ArchiveLocalTimeText(const QString& localTime);
