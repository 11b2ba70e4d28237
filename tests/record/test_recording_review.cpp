// A recording reviewed offline beside the live window: positions, speeds
// and "Next Failure" show the window as it was, and the live window and its
// analyser are left alone.
#include <QDir>
#include <QLabel>
#include <QPointer>
#include <QThread>
#include <QtTest>

#include "app/qx7300main.h"
#include "app/failure_timeline.h"
#include "app/recording_review.h"
#include "record/recorded_state.h"
#include "record/recording_format.h"
#include "record/recording_writer.h"
#include "support/record_builder.h"
#include "support/window_rig.h"
#include "ui_qx7300main.h"

namespace {

// Nine harmonics records a second apart, the third and the sixth failing;
// record i reads 23i.0 V.
QString WriteRecording(const QString& path) {
  RecordingWriter writer(path);
  writer.Append({EntryKind::Begin, 0, "2026-12-08T10:00:00.000"});
  RecordedState state;
  state.EquipmentUnderTest = QStringLiteral("Kettle KX-2");
  state.ReportCounter = 6;
  writer.Append({EntryKind::State, 0, EncodeState(state)});
  writer.Append({EntryKind::Action, 1, "start-or-abort 2026-12-08T10:00:00.001"});
  writer.Append({EntryKind::Sent, 2, "T:S;"});
  for (int i = 1; i <= 9; ++i) {
    RecordBuilder record;
    record.voltsRms = "V23" + QByteArray::number(i) + ".0";
    record.verdict = i == 3 || i == 6 ? "1" : "0";
    record.status = "T   " + QByteArray::number(20 - i).rightJustified(2, '0');
    writer.Append({EntryKind::Received, quint32(i * 1000), record.Line('L', HarmonicsBody(QList<QByteArray>(160, "1.000"))).chopped(1)});
  }
  writer.Append({EntryKind::End, 9500, {}});
  return path;
}

}  // namespace

class TestRecordingReview : public QObject {
  Q_OBJECT

 private slots:
  void reviewBesideTheLiveWindow();
  void openedFromTheMenu();
  void recordingOfTheTestInHand();
  void endedOrSoughtInsideAReplayedWait_data();
  void endedOrSoughtInsideAReplayedWait();
};

void TestRecordingReview::reviewBesideTheLiveWindow() {
  TWindowRig live;
  QVERIFY(live.Ready());
  live.Ui().Label42->setText(QStringLiteral("live"));
  auto* review = new RecordingReview(WriteRecording(live.FilePath(QStringLiteral("RUN7.qxr"))), live.Dialogs());
  const auto volts = [review] { return review->Window().Form().Label42->text(); };
  const auto verdict = [review] { return review->Window().Form().Label2->text(); };

  review->SeekTo(3500);
  QCOMPARE(volts(), QStringLiteral("233.0"));
  QVERIFY(review->Window().windowTitle().endsWith(QStringLiteral("RUN7.qxr")));
  QVERIFY(!review->Window().Form().Button5->isEnabled());
  // The test as started then: its report number and equipment.
  QVERIFY(review->Window().Report().Text(0).endsWith(QStringLiteral(": 7")));
  QCOMPARE(review->Window().Report().Text(2), QStringLiteral("Equipment Under Test : Kettle KX-2"));

  // The failures, once the recording is read through: marked under the
  // slider, and gone to where each begins.
  QTRY_VERIFY(review->ReadThrough());
  auto* timeline = review->Bar().findChild<FailureTimeline*>();
  QVERIFY(timeline != nullptr);
  QCOMPARE(timeline->Spans(), (std::vector<FailureSpan>{{3000, 4000}, {6000, 7000}}));
  QVERIFY(review->NextFailure());
  QCOMPARE(review->Position(), 6000u);
  QCOMPARE(volts(), QStringLiteral("236.0"));
  QCOMPARE(verdict(), QStringLiteral("FAIL"));
  QVERIFY(!review->NextFailure());
  QVERIFY(review->PreviousFailure());
  QCOMPARE(review->Position(), 3000u);
  QCOMPARE(verdict(), QStringLiteral("FAIL"));
  QVERIFY(!review->PreviousFailure());
  QDir().mkpath(QStringLiteral(QX7300_TEST_OUTPUT));
  QVERIFY(review->Window().grab().save(QStringLiteral(QX7300_TEST_OUTPUT "/review-window.png")));
  QVERIFY(review->Bar().grab().save(QStringLiteral(QX7300_TEST_OUTPUT "/review-bar.png")));

  review->SeekTo(1000);
  QCOMPARE(volts(), QStringLiteral("231.0"));
  QCOMPARE(verdict(), QStringLiteral("PASS"));

  review->SetSpeed(RecordingReview::Speed::AsFastAsPossible);
  review->Play();
  QTRY_VERIFY(!review->Playing());
  QTRY_VERIFY(review->ReadThrough());
  QCOMPARE(review->Position(), review->Duration());
  QCOMPARE(volts(), QStringLiteral("239.0"));

  // Ten times the pace: a second of the test in a tenth of one.
  review->SeekTo(0);
  review->SetSpeed(RecordingReview::Speed::Tenfold);
  review->Play();
  QTRY_VERIFY_WITH_TIMEOUT(review->Position() >= 4000, 1500);
  review->Pause();

  QPointer<RecordingReview> ended(review);
  review->Bar().close();
  QTRY_VERIFY(ended.isNull());
  // The live window saw and sent nothing of it.
  QCOMPARE(live.Ui().Label42->text(), QStringLiteral("live"));
  QCOMPARE(live.Sent(), QByteArray());
}

// The menu opens a review window; a damaged recording is named and what is
// whole of it is shown.
void TestRecordingReview::openedFromTheMenu() {
  TWindowRig live;
  QVERIFY(live.Ready());
  const QString path = WriteRecording(live.FilePath(QStringLiteral("RUN8.qxr")));
  QFile file(path);
  QVERIFY(file.open(QIODevice::ReadWrite));
  QVERIFY(file.resize(file.size() - 30));
  file.close();
  live.Dialogs().openAnswers << path;
  live.Ui().OpenRecording1->trigger();
  QCOMPARE(live.Dialogs().fileDialogs.last().filter, QStringLiteral("QX7300 Recordings|*.qxr"));
  // Found once the review has read the recording through; said without
  // holding the live window up.
  QTRY_COMPARE(live.Dialogs().Texts(QStringLiteral("notice")).size(), 1);
  const QString notice = live.Dialogs().Texts(QStringLiteral("notice"))[0];
  QVERIFY2(notice.startsWith(QStringLiteral("RUN8.qxr: it is cut short")), qPrintable(notice));
  QWidget* reviewWindow = nullptr;
  for (QWidget* widget : QApplication::topLevelWidgets())
    if (widget->isVisible() && widget->windowTitle() == QStringLiteral("Veltrix Review - RUN8.qxr")) reviewWindow = widget;
  QVERIFY(reviewWindow != nullptr);
  reviewWindow->close();
  QTRY_VERIFY(!reviewWindow->isVisible());
}

// The live test's own recording, opened while it is being written, shows
// what it holds so far and is not taken for a damaged one.
void TestRecordingReview::recordingOfTheTestInHand() {
  TWindowRig live;
  QVERIFY(live.Ready());
  live.Select(0);
  QTest::mouseClick(live.Ui().Button5, Qt::LeftButton);
  RecordBuilder record;
  record.status = "T   05";
  record.voltsRms = "V231.5";
  QVERIFY(live.Window().ProcessLine(record.Line('L', HarmonicsBody(QList<QByteArray>(160, "1.000")))));
  const QStringList files = QDir(live.FilePath(QStringLiteral("recordings"))).entryList({QStringLiteral("*.qxr")});
  QCOMPARE(files.size(), 1);
  const QString path = live.FilePath(QStringLiteral("recordings/") + files[0]);
  // Once the writer's flush has put the line in the file.
  QTRY_VERIFY_WITH_TIMEOUT(ReadRecordingFile(path).Entries.size() >= 4, 3000);
  live.Dialogs().openAnswers << path;
  live.Ui().OpenRecording1->trigger();
  QWidget* bar = nullptr;
  for (QWidget* widget : QApplication::topLevelWidgets())
    if (widget->windowTitle() == QStringLiteral("Recording Review - ") + files[0]) bar = widget;
  QVERIFY(bar != nullptr);
  const auto status = [bar] {
    QStringList texts;
    for (QLabel* label : bar->findChildren<QLabel*>()) texts << label->text();
    return texts.join(QLatin1Char('|'));
  };
  QTRY_VERIFY2(status().contains(QStringLiteral("Still being recorded")), qPrintable(status()));
  QVERIFY2(live.Dialogs().Texts(QStringLiteral("notice")).isEmpty(), qPrintable(live.Dialogs().Texts(QStringLiteral("notice")).join('\n')));
  bar->close();
  QTRY_VERIFY(!bar->isVisible());
}

void TestRecordingReview::endedOrSoughtInsideAReplayedWait_data() {
  QTest::addColumn<bool>("close");
  QTest::newRow("sought back") << false;
  QTest::newRow("closed") << true;
}

// The replayed start changes the display, which waits its ticks with the
// events handled; the operator seeks back or closes the review just then.
void TestRecordingReview::endedOrSoughtInsideAReplayedWait() {
  QFETCH(bool, close);
  TWindowRig live;
  QVERIFY(live.Ready());
  live.Ui().Label42->setText(QStringLiteral("live"));
  auto* review = new RecordingReview(WriteRecording(live.FilePath(QStringLiteral("RUN7.qxr"))), live.Dialogs());
  QPointer<RecordingReview> alive(review);
  // Fires once the replay has entered a wait of its own; a replay that never
  // waits cannot be caught inside one.
  bool fired = false;
  QTimer inside;
  inside.setInterval(0);
  connect(&inside, &QTimer::timeout, this, [&] {
    if (QThread::currentThread()->loopLevel() == 0) return;
    fired = true;
    inside.stop();
    if (close) {
      review->Bar().close();
    } else {
      review->SeekTo(0);
    }
  });
  inside.start();
  review->SetSpeed(RecordingReview::Speed::AsFastAsPossible);
  review->Play();
  QTRY_VERIFY(fired || !alive->Playing());
  inside.stop();
  if (!close) {
    QTRY_VERIFY(!review->Playing());
    QCOMPARE(review->Window().Form().Label42->text(), QStringLiteral("239.0"));
  }
  if (alive) alive->Bar().close();
  QTRY_VERIFY(alive.isNull());
  QCOMPARE(live.Ui().Label42->text(), QStringLiteral("live"));
  QCOMPARE(live.Sent(), QByteArray());
}

QTEST_MAIN(TestRecordingReview)
#include "test_recording_review.moc"
