#pragma once

#include <QWidget>

#include "persist/configuration_file.h"
#include "results/trend_buckets.h"

class OperatorDialogs;
class QChart;
class QChartView;
class QComboBox;
class RecordingAnalysis;

// The trend of a recorded test against its limit, over the recording's
// time (h:mm:ss). EN61000-3-2: the chosen harmonic order's average and
// maximum current with the order's limit; EN61000-3-3: the chosen flicker
// series (a Pst interval, Plt, d(max), d(t) or d(c)) with its limit. Each
// bucket of the trend shows its highest value (its lowest limit), so a
// value over the limit stays in sight however long the test. "Export
// CSV..." saves the buckets of what the chooser offers.
//
// Keeps a copy of the analysis' trends: the analysis may go.
class TrendView : public QWidget {
  Q_OBJECT

 public:
  TrendView(const RecordingAnalysis& analysis, OperatorDialogs& dialogs, QWidget* parent = nullptr);

  bool FlickerStandard() const { return flicker_; }
  // A harmonic order 2 to 40, or a flicker series (trend_samples.h).
  void Choose(int orderOrSeries);
  QChart* Chart() const;
  bool ExportCsv();

 private:
  void Redraw();
  void AddLine(const QString& name, int series, bool lowest, const QColor& colour, double& top);

  bool flicker_;
  TrendBuckets trends_;
  TestSetupValues setup_;
  quint32 duration_;
  OperatorDialogs& dialogs_;
  QComboBox* chooser_ = nullptr;
  QChartView* view_ = nullptr;
  int chosen_ = 0;
};
