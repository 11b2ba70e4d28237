#include "app/statistics_table.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include <array>

#include "app/csv_export.h"
#include "session/analysis_csv.h"
#include "session/recording_analysis.h"

namespace {

enum Column { kOrder, kLimit, kMinimum, kMean, kMaximum, kPercentile, kMargin, kColumns };

const std::array<QString, kColumns> kHeadings{
    QStringLiteral("Order"),   QStringLiteral("Limit (A)"),           QStringLiteral("Minimum (A)"),
    QStringLiteral("Mean (A)"), QStringLiteral("Maximum (A)"),        QStringLiteral("95th percentile (A)"),
    QStringLiteral("Least margin (%)")};

QString Amps(double value) { return QString::number(value, 'g', 4); }

}  // namespace

StatisticsModel::StatisticsModel(std::vector<HarmonicStatistic> statistics, QObject* parent)
    : QAbstractTableModel(parent), statistics_(std::move(statistics)) {}

int StatisticsModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(statistics_.size());
}

int StatisticsModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumns; }

QVariant StatisticsModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const HarmonicStatistic& s = statistics_[static_cast<size_t>(index.row())];
  if (role == Qt::TextAlignmentRole) return int(Qt::AlignRight | Qt::AlignVCenter);
  if (role == Qt::ForegroundRole && index.column() == kMargin && s.leastMargin && *s.leastMargin < 0) {
    return QColor(Qt::red);
  }
  if (role != Qt::DisplayRole) return {};
  switch (index.column()) {
    case kOrder: return s.order;
    case kLimit: return s.limit > 0 ? Amps(s.limit) : QStringLiteral("-");
    case kMinimum: return Amps(s.minimum);
    case kMean: return Amps(s.mean);
    case kMaximum: return Amps(s.maximum);
    case kPercentile: return Amps(s.percentile95);
    case kMargin: return s.leastMargin ? QString::number(*s.leastMargin, 'f', 1) : QStringLiteral("-");
    default: return {};
  }
}

QVariant StatisticsModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 || section >= kColumns) {
    return QAbstractTableModel::headerData(section, orientation, role);
  }
  return kHeadings[static_cast<size_t>(section)];
}

StatisticsTable::StatisticsTable(const RecordingAnalysis& analysis, OperatorDialogs& dialogs, QWidget* parent)
    : QWidget(parent), model_(new StatisticsModel(analysis.Statistics().Orders(), this)), dialogs_(dialogs) {
  setWindowTitle(QStringLiteral("Harmonic Statistics"));
  table_ = new QTableView(this);
  table_->setModel(model_);
  table_->verticalHeader()->hide();
  table_->resizeColumnsToContents();
  table_->setMinimumSize(640, 360);
  auto* exportButton = new QPushButton(QStringLiteral("Export CSV..."), this);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(exportButton);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(table_, 1);
  layout->addLayout(buttons);
  connect(exportButton, &QPushButton::clicked, this, [this] { ExportCsv(); });
}

bool StatisticsTable::ExportCsv() {
  return ExportCsvLines(dialogs_, QStringLiteral("Export Statistics as CSV"), StatisticsCsv(model_->Statistics()));
}
