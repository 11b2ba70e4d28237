// A recording shows what the live window showed: the review's window at a
// position is the live one at that moment, its graph included; a review
// ends safely under its own preview; start-up gives the document the
// panels' set-up.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTextStream>
#include <QtTest>

#include "app/graph_canvas.h"
#include "app/qx7300main.h"
#include "app/radio_group.h"
#include "app/recording_review.h"
#include "app/report_from_recording.h"
#include "display/graph_frame.h"
#include "record/recorded_state.h"
#include "serial/serial_port.h"
#include "record/recording_writer.h"
#include "support/record_builder.h"
#include "support/test_working_folder.h"
#include "support/window_rig.h"
#include "ui_qx7300main.h"

namespace {

QByteArray HarmonicsLine(const QByteArray& status, const QByteArray& watts = "P250.5", const QByteArray& volts = "V230.1",
                         const QByteArray& classCode = "A", const QByteArray& flags = "0") {
  RecordBuilder record;
  record.status = status;
  record.watts = watts;
  record.voltsRms = volts;
  record.classCode = classCode;
  record.supplyFlags = flags;
  return record.Line('L', HarmonicsBody(QList<QByteArray>(160, "1.500")));
}

QByteArray FlickerLine(const QByteArray& status, const QByteArray& dmax = "1.20") {
  RecordBuilder record;
  record.status = status;
  return record.Line('H', FlickerBody({{25, dmax}, {55, "1.50"}, {67, "0.80"}}));
}

QByteArray WaveLine(char type, const QByteArray& status = "W     ") {
  RecordBuilder record;
  record.status = status;
  QList<quint8> samples;
  for (int i = 0; i < 301; ++i) samples << quint8(128 + 100 * std::sin(i * 6.283 / 150));
  return record.Waveform(type, samples);
}

void PressStart(TWindowRig& rig) {
  QTest::mouseClick(rig.Ui().Button5, Qt::LeftButton);
  rig.Sent();
}

// A harmonics test run to its held results.
void RunHarmonicsTest(TWindowRig& rig) {
  rig.Select(0);
  PressStart(rig);
  for (const char* status : {"T   05", "Q     "}) QVERIFY(rig.Window().ProcessLine(HarmonicsLine(status)));
}

// What an operator sees of the window's controls: for each named widget its
// showing and its text or choice.
QMap<QString, QString> Seen(Tqx7300form& window) {
  QMap<QString, QString> seen;
  QWidget* area = window.Form().centralwidget;
  for (QWidget* w : area->findChildren<QWidget*>()) {
    const QString name = w->objectName();
    if (name.isEmpty() || name.startsWith(QLatin1String("qt_")) || name == QLatin1String("Edit11")) continue;
    QString value = w->isVisibleTo(&window) ? QStringLiteral("shown") : QStringLiteral("hidden");
    if (!w->isVisibleTo(&window)) {
      seen.insert(name, value);
      continue;
    }
    if (auto* l = qobject_cast<QLabel*>(w)) value += QStringLiteral(" '") + l->text() + QLatin1Char('\'');
    if (auto* e = qobject_cast<QLineEdit*>(w)) value += QStringLiteral(" '") + e->text() + QLatin1Char('\'');
    if (auto* b = qobject_cast<QPushButton*>(w)) value += QStringLiteral(" '") + b->text() + QLatin1Char('\'');
    if (auto* c = qobject_cast<QCheckBox*>(w)) value += c->isChecked() ? QStringLiteral(" on") : QStringLiteral(" off");
    if (auto* c = qobject_cast<QComboBox*>(w)) value += QStringLiteral(" #") + QString::number(c->currentIndex());
    if (auto* g = qobject_cast<RadioGroup*>(w)) value += QStringLiteral(" #") + QString::number(g->ItemIndex());
    if (auto* m = qobject_cast<QPlainTextEdit*>(w)) value += QStringLiteral(" '") + m->toPlainText() + QLatin1Char('\'');
    if (auto* t = qobject_cast<QTableWidget*>(w)) {
      for (int r = 0; r < t->rowCount(); ++r)
        for (int c = 0; c < t->columnCount(); ++c)
          if (t->item(r, c) != nullptr) value += QStringLiteral(" [%1,%2]'%3'").arg(c).arg(r).arg(t->item(r, c)->text());
    }
    seen.insert(name, value);
  }
  return seen;
}

QStringList Differences(const QMap<QString, QString>& live, const QMap<QString, QString>& review) {
  QStringList out;
  for (auto it = live.begin(); it != live.end(); ++it)
    if (review.value(it.key()) != it.value())
      out << it.key() + QStringLiteral(": live ") + it.value() + QStringLiteral(" | review ") + review.value(it.key());
  return out;
}

}  // namespace

class TestReviewFidelity : public QObject {
  Q_OBJECT

 private slots:
  void reviewShowsTheWindowAsItWas_data();
  void reviewShowsTheWindowAsItWas();
  void reviewGraphAfterHistogramToWaveform();
  void replayedGraphAfterLockWithLinesComing();
  void reviewClosedWhilePreviewShows();
  void startUpWithFlickerSetUp();
};

void TestReviewFidelity::reviewShowsTheWindowAsItWas_data() {
  QTest::addColumn<QString>("kind");
  QTest::newRow("harmonics timed") << QStringLiteral("harmonics");
  QTest::newRow("harmonics class D, memo") << QStringLiteral("classD");
  QTest::newRow("flicker continuous") << QStringLiteral("flicker");
  QTest::newRow("manual sequence") << QStringLiteral("manual");
}

// A test run on the live window, its report saved with the recording; the
// review at the recording's end shows what the live window showed.
void TestReviewFidelity::reviewShowsTheWindowAsItWas() {
  QFETCH(QString, kind);
  TWindowRig::Options options;
  options.markBitmaps = true;
  TWindowRig rig(options);
  QVERIFY(rig.Ready());
  Ui::Tqx7300form& ui = rig.Ui();
  Tqx7300form& window = rig.Window();
  window.LoadMarkBitmaps();
  const bool flicker = kind == QLatin1String("flicker") || kind == QLatin1String("manual");
  rig.Select(flicker ? 1 : 0);
  if (kind == QLatin1String("classD")) {
    ui.ComboBox3->setCurrentIndex(3);
    emit ui.ComboBox3->activated(3);
    rig.Sent();
  }
  if (kind == QLatin1String("manual")) {
    ui.RadioButton2->setChecked(true);
    ui.Edit1->setText(QStringLiteral("2"));
    rig.Sent();
  }
  ui.Edit8->setText(QStringLiteral("Kettle"));
  if (kind == QLatin1String("manual")) {
    for (const char* dmax : {"1.00", "3.00"}) {
      PressStart(rig);
      for (const char* status : {"T    1", "Q     "}) QVERIFY(window.ProcessLine(FlickerLine(status, dmax)));
    }
    QCOMPARE(ui.Button5->text(), QStringLiteral("Test has Finished"));
  } else {
    PressStart(rig);
    for (const char* status : {"T   05", "T   02", "T   01", "Q     ", "Q     "}) {
      QVERIFY(window.ProcessLine(flicker ? FlickerLine(status)
                                         : HarmonicsLine(status, "P250.5", "V230.1",
                                                         kind == QLatin1String("classD") ? "D" : "A",
                                                         kind == QLatin1String("classD") ? "5" : "0")));
    }
  }
  QVERIFY(window.ProcessLine(WaveLine('V', "Q     ")));
  QCoreApplication::processEvents();
  const QString path = rig.FilePath(QStringLiteral("RUN1.TXT"));
  rig.Dialogs().saveAnswers << path;
  ui.SaveReportasTextFile1->trigger();
  QCoreApplication::processEvents();
  const QMap<QString, QString> live = Seen(window);

  RecordingContents recording = ReadRecordingFile(rig.FilePath(QStringLiteral("RUN1.qxr")));
  QCOMPARE(recording.Problem, QString());
  auto* review = new RecordingReview(std::move(recording), QStringLiteral("RUN1.qxr"), rig.Dialogs());
  review->SeekTo(review->Duration());
  QCoreApplication::processEvents();
  const QMap<QString, QString> atEnd = Seen(review->Window());
  const QStringList differ = Differences(live, atEnd);
  // Played entry by entry from the start, the same.
  review->SeekTo(0);
  review->SetSpeed(RecordingReview::Speed::AsFastAsPossible);
  review->Play();
  QTRY_VERIFY(!review->Playing());
  QCoreApplication::processEvents();
  const QStringList played = Differences(atEnd, Seen(review->Window()));
  review->Bar().close();
  QVERIFY2(differ.isEmpty(), qPrintable(differ.join(QLatin1Char('\n'))));
  QVERIFY2(played.isEmpty(), qPrintable(played.join(QLatin1Char('\n'))));
}

// The review plays a change from the histogram back to the waveform: the
// graph area shows no piece of the histogram, as the live window does not.
void TestReviewFidelity::reviewGraphAfterHistogramToWaveform() {
  TWindowRig rig;
  QVERIFY(rig.Ready());
  Ui::Tqx7300form& ui = rig.Ui();
  Tqx7300form& window = rig.Window();
  RunHarmonicsTest(rig);
  ui.RadioGroup1->SetItemIndex(1);
  QTest::qWait(30);
  QVERIFY(window.ProcessLine(HarmonicsLine("Q     ")));
  QTest::qWait(30);
  ui.RadioGroup1->SetItemIndex(0);
  QTest::qWait(30);
  QVERIFY(window.ProcessLine(WaveLine('V', "Q     ")));
  QCoreApplication::processEvents();
  const QImage live = ui.Panel6->grab().toImage();
  const QString path = rig.FilePath(QStringLiteral("RUN1.TXT"));
  rig.Dialogs().saveAnswers << path;
  ui.SaveReportasTextFile1->trigger();

  RecordingContents recording = ReadRecordingFile(rig.FilePath(QStringLiteral("RUN1.qxr")));
  QList<quint32> times;
  for (const RecordingEntry& e : recording.Entries) times << e.Milliseconds;
  auto* review = new RecordingReview(std::move(recording), QStringLiteral("RUN1.qxr"), rig.Dialogs());
  // Entry by entry, as a slow playback shows them.
  for (quint32 t : times) review->SeekTo(t);
  QCoreApplication::processEvents();
  const QImage shown = review->Window().Form().Panel6->grab().toImage();
  QDir().mkpath(QStringLiteral(QX7300_TEST_OUTPUT));
  live.save(QStringLiteral(QX7300_TEST_OUTPUT "/review-fidelity-live-graph.png"));
  shown.save(QStringLiteral(QX7300_TEST_OUTPUT "/review-fidelity-review-graph.png"));
  int differing = 0;
  for (int y = 0; y < live.height(); ++y)
    for (int x = 0; x < live.width(); ++x)
      if (live.pixel(x, y) != shown.pixel(x, y)) ++differing;
  review->Bar().close();
  QCOMPARE(differing, 0);
}

// The lock toggled while waveform records keep coming: the graph replayed
// from the recording is the one the live window ended with.
void TestReviewFidelity::replayedGraphAfterLockWithLinesComing() {
  TWindowRig rig;
  QVERIFY(rig.Ready());
  Ui::Tqx7300form& ui = rig.Ui();
  Tqx7300form& window = rig.Window();
  RunHarmonicsTest(rig);
  ui.RadioGroup1->SetItemIndex(0);
  rig.Sent();
  QVERIFY(rig.Analyser().WriteAll(WaveLine('V', "Q     ") + WaveLine('V', "Q     ")));
  QTest::mouseClick(ui.Button8, Qt::LeftButton);
  rig.Sent();
  const QImage live = window.GraphBitmap();
  const QString path = rig.FilePath(QStringLiteral("RUN1.TXT"));
  rig.Dialogs().saveAnswers << path;
  ui.SaveReportasTextFile1->trigger();

  const RecordingContents recording = ReadRecordingFile(rig.FilePath(QStringLiteral("RUN1.qxr")));
  SilentCommands silent;
  TestDocument replayed(silent);
  replayed.SetReplaying();
  replayed.SetFaceColour(window.palette().color(QPalette::Button));
  for (const RecordingEntry& entry : recording.Entries) replayed.ReplayEntry(recording.Start, entry);
  QDir().mkpath(QStringLiteral(QX7300_TEST_OUTPUT));
  live.save(QStringLiteral(QX7300_TEST_OUTPUT "/review-fidelity-lock-live.png"));
  replayed.GraphBitmap().save(QStringLiteral(QX7300_TEST_OUTPUT "/review-fidelity-lock-replayed.png"));
  QCOMPARE(replayed.GraphBitmap().convertToFormat(QImage::Format_RGB32), live.convertToFormat(QImage::Format_RGB32));
}

// The review's report previewed; the operator closes the review bar while
// the preview is open, then closes the preview.
void TestReviewFidelity::reviewClosedWhilePreviewShows() {
  TWindowRig rig;
  QVERIFY(rig.Ready());
  Ui::Tqx7300form& ui = rig.Ui();
  RunHarmonicsTest(rig);
  const QString path = rig.FilePath(QStringLiteral("RUN1.TXT"));
  rig.Dialogs().saveAnswers << path;
  ui.SaveReportasTextFile1->trigger();
  auto* review = new RecordingReview(ReadRecordingFile(rig.FilePath(QStringLiteral("RUN1.qxr"))),
                                     QStringLiteral("RUN1.qxr"), rig.Dialogs());
  QPointer<RecordingReview> alive(review);
  review->SeekTo(review->Duration());
  QWidget* bar = &review->Bar();
  bool closed = false;
  QTimer::singleShot(200, bar, [&] {
    QWidget* preview = QApplication::activeModalWidget();
    qInfo() << "modal while previewing:" << (preview ? preview->metaObject()->className() : "none");
    bar->close();
    closed = true;
  });
  QTimer::singleShot(800, qApp, [&] {
    if (QWidget* preview = QApplication::activeModalWidget()) preview->close();
  });
  review->Window().Form().PreViewReport1->trigger();
  qInfo() << "back from the preview; review alive:" << !alive.isNull();
  QTRY_VERIFY(closed);
  QTRY_VERIFY(alive.isNull());
}

// The program starts with the settings and a start-up set-up of the flicker
// standard, manual switching: the document's set-up is the panels'.
void TestReviewFidelity::startUpWithFlickerSetUp() {
  TWindowRig::Options options;
  options.markBitmaps = true;
  TWindowRig rig(options);
  QVERIFY(rig.Ready());
  rig.Select(1);
  rig.Ui().RadioButton2->setChecked(true);
  rig.Ui().Edit1->setText(QStringLiteral("4"));
  rig.Window().Shell().SettingsLoaded = true;
  rig.Window().SaveSettings();
  rig.Sent();
  rig.Window().SerialPort1().SetOpen(false);
  ScriptedOperatorDialogs dialogs;
  Tqx7300form window(dialogs);
  window.starttimer().stop();
  window.show();
  window.starttimerTimer();
  qInfo() << "shown:" << dialogs.Texts(QStringLiteral("warning")) << "button" << window.Form().Button5->text()
          << "manual" << window.Form().RadioButton2->isChecked() << "standard" << window.Form().ComboBox1->currentIndex();
  QCOMPARE(window.Document().Setup().Setup, window.TakeTestSetup());
  QCOMPARE(window.Document().ManualSwitching(), window.Form().RadioButton2->isChecked());
}

QTEST_MAIN(TestReviewFidelity)
#include "test_review_fidelity.moc"
