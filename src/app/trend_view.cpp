#include "app/trend_view.h"

#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QValueAxis>
#include <QVBoxLayout>

#include <algorithm>
#include <array>

#include "app/csv_export.h"
#include "session/analysis_csv.h"
#include "session/recording_analysis.h"
#include "session/trend_samples.h"

namespace {

// Time ticks, in seconds: the first that gives at most kMaxTicks.
constexpr std::array<int, 15> kTickSteps{1, 2, 5, 10, 15, 30, 60, 120, 300, 600, 900, 1800, 3600, 7200, 14400};
constexpr int kMaxTicks = 8;
const QString kLimitName = QStringLiteral("Limit");

QCategoryAxis* TimeAxis(double seconds) {
  auto* axis = new QCategoryAxis;
  axis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
  axis->setRange(0, std::max(seconds, 1.0));
  int step = kTickSteps.back();
  for (int candidate : kTickSteps) {
    if (seconds / candidate <= kMaxTicks) {
      step = candidate;
      break;
    }
  }
  for (int t = 0; t <= seconds; t += step) axis->append(ElapsedText(static_cast<quint32>(t) * 1000), t);
  axis->setTitleText(QStringLiteral("Time (h:mm:ss)"));
  return axis;
}

}  // namespace

TrendView::TrendView(const RecordingAnalysis& analysis, OperatorDialogs& dialogs, QWidget* parent)
    : QWidget(parent),
      flicker_(analysis.FlickerStandard()),
      trends_(flicker_ ? analysis.FlickerTrends() : analysis.HarmonicTrends()),
      setup_(analysis.Setup()),
      duration_(analysis.LastObserved()),
      dialogs_(dialogs) {
  setWindowTitle(QStringLiteral("Trend"));
  chooser_ = new QComboBox(this);
  if (flicker_) {
    for (int s = 0; s < kFlickerTrendSeries; ++s) chooser_->addItem(FlickerSeriesName(s), s);
  } else {
    for (int order = kTrendFirstOrder; order <= kTrendLastOrder; ++order) chooser_->addItem(QString::number(order), order);
  }
  auto* exportButton = new QPushButton(QStringLiteral("Export CSV..."), this);
  view_ = new QChartView(new QChart, this);
  view_->setRenderHint(QPainter::Antialiasing);
  view_->setMinimumSize(560, 320);

  auto* controls = new QHBoxLayout;
  controls->addWidget(new QLabel(flicker_ ? QStringLiteral("Series") : QStringLiteral("Harmonic order"), this));
  controls->addWidget(chooser_);
  controls->addStretch(1);
  controls->addWidget(exportButton);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(controls);
  layout->addWidget(view_, 1);

  connect(chooser_, &QComboBox::activated, this, [this](int index) { Choose(chooser_->itemData(index).toInt()); });
  connect(exportButton, &QPushButton::clicked, this, [this] { ExportCsv(); });
  Choose(flicker_ ? 0 : kTrendFirstOrder);
}

QChart* TrendView::Chart() const { return view_->chart(); }

void TrendView::Choose(int orderOrSeries) {
  const int index = chooser_->findData(orderOrSeries);
  if (index < 0) return;
  chooser_->setCurrentIndex(index);
  chosen_ = orderOrSeries;
  Redraw();
}

void TrendView::AddLine(const QString& name, int series, bool lowest, const QColor& colour, double& top) {
  auto* line = new QLineSeries;
  line->setName(name);
  line->setColor(colour);
  for (int b = 0; b < trends_.Count(); ++b) {
    const TrendRange& range = trends_.Range(series, b);
    if (range.values == 0) continue;
    const double value = lowest ? range.minimum : range.maximum;
    line->append(trends_.Bucket(b).end / 1000.0, value);
    top = std::max(top, value);
  }
  Chart()->addSeries(line);
}

void TrendView::Redraw() {
  QChart* chart = Chart();
  chart->removeAllSeries();
  for (QAbstractAxis* axis : chart->axes()) {
    chart->removeAxis(axis);
    delete axis;
  }
  double top = 0;
  QString unit;
  if (flicker_) {
    AddLine(FlickerSeriesName(chosen_), chosen_, false, Qt::blue, top);
    if (const std::optional<double> limit = FlickerSeriesLimit(setup_, chosen_)) {
      auto* line = new QLineSeries;
      line->setName(kLimitName);
      line->setColor(Qt::red);
      line->append(0, *limit);
      line->append(std::max(duration_ / 1000.0, 1.0), *limit);
      chart->addSeries(line);
      top = std::max(top, *limit);
    }
    unit = chosen_ < kFlickerDmax ? QString() : QStringLiteral(" (%)");
    chart->setTitle(FlickerSeriesName(chosen_));
  } else {
    AddLine(HarmonicSeriesName(HarmonicSeries::Average), HarmonicSeriesIndex(chosen_, HarmonicSeries::Average), false,
            Qt::blue, top);
    AddLine(HarmonicSeriesName(HarmonicSeries::Maximum), HarmonicSeriesIndex(chosen_, HarmonicSeries::Maximum), false,
            QColor(0, 128, 0), top);
    AddLine(kLimitName, HarmonicSeriesIndex(chosen_, HarmonicSeries::Limit), true, Qt::red, top);
    unit = QStringLiteral(" (A)");
    chart->setTitle(QStringLiteral("Harmonic %1").arg(chosen_));
  }

  auto* time = TimeAxis(duration_ / 1000.0);
  auto* values = new QValueAxis;
  values->setRange(0, top > 0 ? top * 1.1 : 1.0);
  values->setTitleText((flicker_ ? FlickerSeriesName(chosen_) : QStringLiteral("Current")) + unit);
  chart->addAxis(time, Qt::AlignBottom);
  chart->addAxis(values, Qt::AlignLeft);
  for (QAbstractSeries* series : chart->series()) {
    series->attachAxis(time);
    series->attachAxis(values);
  }
}

bool TrendView::ExportCsv() {
  std::vector<int> series;
  QStringList names;
  if (flicker_) {
    for (int s = 0; s < kFlickerTrendSeries; ++s) {
      series.push_back(s);
      const std::optional<double> limit = FlickerSeriesLimit(setup_, s);
      names << FlickerSeriesName(s) + (limit ? QStringLiteral(" (limit %1)").arg(CsvNumber(*limit)) : QString());
    }
  } else {
    for (HarmonicSeries s : {HarmonicSeries::Average, HarmonicSeries::Maximum, HarmonicSeries::Limit}) {
      series.push_back(HarmonicSeriesIndex(chosen_, s));
      names << QStringLiteral("Order %1 %2 (A)").arg(chosen_).arg(HarmonicSeriesName(s).toLower());
    }
  }
  return ExportCsvLines(dialogs_, QStringLiteral("Export Trend as CSV"), TrendBucketsCsv(trends_, series, names));
}
