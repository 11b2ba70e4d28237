// The analysis of a recorded test as the operator sees it (the trend view,
// the statistics table, the failure timeline, pictures of them left in
// test-output) and as the command line writes it (--trend, --statistics).
#include <QCategoryAxis>
#include <QChart>
#include <QLineSeries>
#include <QProcess>
#include <QSlider>
#include <QStyleOptionSlider>
#include <QTableView>
#include <QtTest>

#include "app/failure_timeline.h"
#include "app/statistics_table.h"
#include "app/trend_view.h"
#include "record/recording_reader.h"
#include "session/recording_analysis.h"
#include "session/trend_samples.h"
#include "support/analysis_recordings.h"
#include "support/scripted_operator_dialogs.h"
#include "support/test_working_folder.h"

namespace {

const QString kOutput = QStringLiteral(QX7300_TEST_OUTPUT);

RecordingAnalysis Analyse(const QString& path) {
  RecordingAnalysis analysis;
  RecordingReader recording(path);
  AnalyseRecording(recording, analysis);
  return analysis;
}

QLineSeries* Series(QChart* chart, const QString& name) {
  for (QAbstractSeries* series : chart->series()) {
    if (series->name() == name) return qobject_cast<QLineSeries*>(series);
  }
  return nullptr;
}

QStringList FileLines(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  QStringList lines = QString::fromLatin1(file.readAll()).split(QStringLiteral("\r\n"));
  if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
  return lines;
}

bool SavePicture(QWidget& widget, const QString& name) {
  QDir().mkpath(kOutput);
  return widget.grab().save(kOutput + QLatin1Char('/') + name);
}

// Where a slider of the timeline's width puts its handle centre for a value.
class ProbeSlider : public QSlider {
 public:
  using QSlider::QSlider;
  int HandleCentre(int value) {
    setValue(value);
    QStyleOptionSlider option;
    initStyleOption(&option);
    return style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this).center().x();
  }
};

int RunVeltrix(const QStringList& arguments, QString* errors) {
  QProcess veltrix;
  veltrix.start(QStringLiteral(QX7300_VELTRIX), arguments);
  if (!veltrix.waitForFinished(60000)) return -1;
  *errors = QString::fromLocal8Bit(veltrix.readAllStandardError());
  return veltrix.exitCode();
}

}  // namespace

class TestAnalysisViews : public QObject {
  Q_OBJECT

 private slots:
  void trendViewDrawsTheSeriesAgainstTheLimit();
  void statisticsTableAndItsExport();
  void failureTimelineMarksUnderTheSlider();
  void commandLineWritesTrendAndStatistics_data();
  void commandLineWritesTrendAndStatistics();
};

void TestAnalysisViews::trendViewDrawsTheSeriesAgainstTheLimit() {
  TestWorkingFolder folder;
  ScriptedOperatorDialogs dialogs;
  {
    using namespace harmonics_recording;
    TrendView view(Analyse(Write(folder.FilePath(QStringLiteral("H.qxr")))), dialogs);
    QVERIFY(!view.FlickerStandard());
    view.Choose(5);
    QLineSeries* limit = Series(view.Chart(), QStringLiteral("Limit"));
    QLineSeries* maximum = Series(view.Chart(), QStringLiteral("Maximum"));
    QVERIFY(limit && maximum);
    QCOMPARE(limit->count(), kRecords);
    QCOMPARE(limit->at(kRecords - 1), QPointF(14.0, float(Amps(Limit(5, kRecords)))));
    QCOMPARE(maximum->at(2), QPointF(3.0, float(Amps(Maximum(5, 3)))));
    auto* time = qobject_cast<QCategoryAxis*>(view.Chart()->axes(Qt::Horizontal).value(0));
    QVERIFY(time);
    QVERIFY(time->categoriesLabels().contains(QStringLiteral("0:00:14")));
    view.resize(800, 450);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QVERIFY(SavePicture(view, QStringLiteral("trend-harmonics.png")));

    dialogs.saveAnswers << folder.FilePath(QStringLiteral("TREND5.CSV"));
    QVERIFY(view.ExportCsv());
    const QStringList lines = FileLines(folder.FilePath(QStringLiteral("TREND5.CSV")));
    QCOMPARE(lines.size(), kRecords + 1);
    QVERIFY(lines[0].startsWith(QStringLiteral("From,To,Records,Order 5 average (A) minimum")));
    QVERIFY(lines[3].startsWith(QStringLiteral("0:00:03.000,0:00:03.000,1,") + QString::number(Amps(Average(5, 3)))));
  }
  {
    using namespace flicker_recording;
    TrendView view(Analyse(Write(folder.FilePath(QStringLiteral("F.qxr")))), dialogs);
    QVERIFY(view.FlickerStandard());
    view.Choose(kFlickerDmax);
    QLineSeries* limit = Series(view.Chart(), QStringLiteral("Limit"));
    QVERIFY(limit && Series(view.Chart(), QStringLiteral("d(max)")));
    QCOMPARE(limit->at(0).y(), 6.0);
    view.resize(800, 450);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QVERIFY(SavePicture(view, QStringLiteral("trend-flicker.png")));
  }
}

void TestAnalysisViews::statisticsTableAndItsExport() {
  using namespace harmonics_recording;
  TestWorkingFolder folder;
  ScriptedOperatorDialogs dialogs;
  StatisticsTable table(Analyse(Write(folder.FilePath(QStringLiteral("H.qxr")))), dialogs);
  QAbstractItemModel* model = table.Table()->model();
  QCOMPARE(model->rowCount(), 39);
  QCOMPARE(model->headerData(5, Qt::Horizontal).toString(), QStringLiteral("95th percentile (A)"));
  QCOMPARE(model->index(0, 0).data().toString(), QStringLiteral("2"));
  QCOMPARE(model->index(0, 1).data().toString(), QString::number(Amps(Limit(2, kLastRunning)), 'g', 4));
  table.resize(760, 520);
  table.show();
  QVERIFY(QTest::qWaitForWindowExposed(&table));
  QVERIFY(SavePicture(table, QStringLiteral("statistics-table.png")));

  dialogs.saveAnswers << QString();  // cancelled: nothing written
  QVERIFY(!table.ExportCsv());
  dialogs.saveAnswers << folder.FilePath(QStringLiteral("STATS.CSV"));
  QVERIFY(table.ExportCsv());
  QCOMPARE(dialogs.Texts(QStringLiteral("save")).value(1), QStringLiteral("Export Statistics as CSV"));
  const QStringList lines = FileLines(folder.FilePath(QStringLiteral("STATS.CSV")));
  QCOMPARE(lines.size(), 40);
  QVERIFY(lines[1].startsWith(QStringLiteral("2,10,")));
}

void TestAnalysisViews::failureTimelineMarksUnderTheSlider() {
  using namespace harmonics_recording;
  TestWorkingFolder folder;
  const RecordingAnalysis analysis = Analyse(Write(folder.FilePath(QStringLiteral("H.qxr"))));
  const quint32 duration = analysis.LastObserved();
  QWidget bar;
  auto* slider = new ProbeSlider(Qt::Horizontal, &bar);
  slider->setRange(0, static_cast<int>(duration / 1000));
  auto* timeline = new FailureTimeline(duration, analysis.FailureSpans(), &bar);
  auto* layout = new QVBoxLayout(&bar);
  layout->addWidget(slider);
  layout->addWidget(timeline);
  bar.resize(420, 60);
  bar.show();
  QVERIFY(QTest::qWaitForWindowExposed(&bar));
  QCOMPARE(timeline->width(), slider->width());
  for (int second : {0, 6, 8, 14}) QVERIFY(std::abs(timeline->XForTime(second * 1000u) - slider->HandleCentre(second)) <= 1);

  QVERIFY(SavePicture(bar, QStringLiteral("failure-timeline.png")));
  const QImage strip = timeline->grab().toImage();
  const int middle = strip.height() / 2;
  QCOMPARE(strip.pixelColor(timeline->XForTime(7000), middle), QColor(Qt::red));
  QCOMPARE(strip.pixelColor(timeline->XForTime(13500), middle), QColor(Qt::red));
  QVERIFY(strip.pixelColor(timeline->XForTime(10000), middle) != QColor(Qt::red));
  QVERIFY(strip.pixelColor(timeline->XForTime(3000), middle) != QColor(Qt::red));
}

void TestAnalysisViews::commandLineWritesTrendAndStatistics_data() {
  QTest::addColumn<bool>("flicker");
  QTest::addColumn<QStringList>("request");
  QTest::addColumn<int>("exitCode");
  QTest::addColumn<int>("lines");        // the header included; -1: written onto the recording
  QTest::addColumn<QString>("expected");  // a line the file holds
  QTest::newRow("harmonic order 5") << false << QStringList{QStringLiteral("--trend"), QStringLiteral("5")} << 0
                                    << 15 << QStringLiteral("0:00:11.000,11.000,%1,%2,%3");
  QTest::newRow("flicker series") << true << QStringList{QStringLiteral("--trend"), QStringLiteral("flicker")} << 0
                                  << 9
                                  << QStringLiteral("0:00:04.000,4.000,1.3,,,,,,,,,,,,0.4,4,1.5,2.1,1,0.65,6,3,3.3");
  QTest::newRow("statistics") << false << QStringList{QStringLiteral("--statistics")} << 0 << 40
                              << QStringLiteral("Order,Records,Limit (A),Minimum (A),Mean (A),Maximum (A),95th percentile (A),Least margin (%)");
  QTest::newRow("no such order") << false << QStringList{QStringLiteral("--trend"), QStringLiteral("41")} << 2 << 0
                                 << QString();
  // Written onto the recording by a slip: refused, the recording kept.
  QTest::newRow("trend onto its recording") << false << QStringList{QStringLiteral("--trend"), QStringLiteral("5")} << 2
                                            << -1 << QString();
  QTest::newRow("statistics onto its recording") << false << QStringList{QStringLiteral("--statistics")} << 2 << -1
                                                 << QString();
}

void TestAnalysisViews::commandLineWritesTrendAndStatistics() {
  QFETCH(bool, flicker);
  QFETCH(QStringList, request);
  QFETCH(int, exitCode);
  QFETCH(int, lines);
  QFETCH(QString, expected);
  TestWorkingFolder folder;
  const QString recording = folder.FilePath(QStringLiteral("RUN9.qxr"));
  flicker ? flicker_recording::Write(recording) : harmonics_recording::Write(recording);
  const QString out = lines < 0 ? recording : folder.FilePath(QStringLiteral("RUN9.csv"));
  const QByteArray recorded = FileBytes(recording);
  QString errors;
  QCOMPARE(RunVeltrix(QStringList{QStringLiteral("--report-from"), recording} + request +
                          QStringList{QStringLiteral("--out"), out},
                      &errors),
           exitCode);
  if (lines < 0) {
    QCOMPARE(FileBytes(recording), recorded);
    return;
  }
  const QStringList written = FileLines(out);
  QCOMPARE(written.size(), lines);
  if (expected.contains(QStringLiteral("%1"))) {
    using namespace harmonics_recording;
    // Record 11 came on a milliampere range: written in amperes.
    expected = expected.arg(Amps(Average(5, 11))).arg(Amps(Maximum(5, 11))).arg(Amps(Limit(5, 11)));
  }
  if (!expected.isEmpty()) QVERIFY2(written.contains(expected), qPrintable(written.join(QLatin1Char('\n'))));
}

QTEST_MAIN(TestAnalysisViews)
#include "test_analysis_views.moc"
