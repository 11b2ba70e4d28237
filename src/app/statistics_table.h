#pragma once

#include <QAbstractTableModel>
#include <QWidget>

#include <vector>

#include "results/harmonic_statistics.h"

class OperatorDialogs;
class QTableView;
class RecordingAnalysis;

// The harmonic statistics of a recorded test, one row an order: the
// current's minimum, mean, maximum and 95th percentile while the test ran,
// its limit and the least margin to it (red when the current went over).
class StatisticsModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit StatisticsModel(std::vector<HarmonicStatistic> statistics, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

  const std::vector<HarmonicStatistic>& Statistics() const { return statistics_; }

 private:
  std::vector<HarmonicStatistic> statistics_;
};

// The table with its "Export CSV..." button. Keeps a copy of the statistics.
class StatisticsTable : public QWidget {
  Q_OBJECT

 public:
  StatisticsTable(const RecordingAnalysis& analysis, OperatorDialogs& dialogs, QWidget* parent = nullptr);

  QTableView* Table() const { return table_; }
  bool ExportCsv();

 private:
  StatisticsModel* model_ = nullptr;
  OperatorDialogs& dialogs_;
  QTableView* table_ = nullptr;
};
