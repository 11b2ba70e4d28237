// The review of a recording shows what the live window showed: at the
// recording's end, and stepped through it entry by entry, every named
// control and the graph area are as they were on the live window, and no
// box of the replay is shown; ending the review under its own preview is
// safe.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

#include "app/graph_canvas.h"
#include "app/qx7300main.h"
#include "app/radio_group.h"
#include "app/recording_review.h"
#include "support/record_builder.h"
#include "support/window_rig.h"
#include "ui_qx7300main.h"

namespace {

QByteArray HarmonicsLine(const QByteArray& status, const QByteArray& classCode = "A", const QByteArray& flags = "0") {
  RecordBuilder record;
  record.status = status;
  record.classCode = classCode;
  record.supplyFlags = flags;
  return record.Line('L', HarmonicsBody(QList<QByteArray>(160, "1.500")));
}

QByteArray FlickerLine(const QByteArray& status, const QByteArray& dmax = "1.20") {
  RecordBuilder record;
  record.status = status;
  return record.Line('H', FlickerBody({{25, dmax}, {55, "1.50"}, {67, "0.80"}}));
}

QByteArray VoltageWaveform() {
  RecordBuilder record;
  record.status = "Q     ";
  QList<quint8> samples;
  for (int i = 0; i < 301; ++i) samples << quint8(128 + 100 * std::sin(i * 6.283 / 150));
  return record.Waveform('V', samples);
}

void PressStart(TWindowRig& rig) {
  QTest::mouseClick(rig.Ui().Button5, Qt::LeftButton);
  rig.Sent();
}

// The report saved (with its recording) and the recording opened for review.
RecordingReview* SaveAndReview(TWindowRig& rig) {
  rig.Dialogs().saveAnswers << rig.FilePath(QStringLiteral("RUN1.TXT"));
  rig.Ui().SaveReportasTextFile1->trigger();
  // A checkpoint after nearly every entry: each seek starts from one.
  auto* review = new RecordingReview(rig.FilePath(QStringLiteral("RUN1.qxr")), rig.Dialogs(), PrinterFontValues{}, 1);
  if (!QTest::qWaitFor([review] { return review->ReadThrough(); })) qFatal("the recording was not read through");
  return review;
}

// What an operator sees of the window's controls: for each named widget its
// showing and its text or choice.
QMap<QString, QString> Seen(Tqx7300form& window) {
  QMap<QString, QString> seen;
  QWidget* area = window.Form().centralwidget;
  for (QWidget* w : area->findChildren<QWidget*>()) {
    const QString name = w->objectName();
    if (name.isEmpty() || name.startsWith(QLatin1String("qt_")) || name == QLatin1String("Edit11") ||
        name == QLatin1String("Button8"))  // the review does not show the range lock's caption
      continue;
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
  // The graph area, pixel for pixel.
  const QImage canvas = window.Form().Panel6->grab().toImage();
  seen.insert(QStringLiteral("canvas"),
              QString::number(qHashBits(canvas.constBits(), static_cast<size_t>(canvas.sizeInBytes()))));
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
  void reviewClosedWhilePreviewShows();
};

void TestReviewFidelity::reviewShowsTheWindowAsItWas_data() {
  QTest::addColumn<QString>("kind");
  QTest::newRow("harmonics timed") << QStringLiteral("harmonics");
  QTest::newRow("harmonics class D, memo") << QStringLiteral("classD");
  QTest::newRow("histogram, then the waveform again") << QStringLiteral("histogram");
  QTest::newRow("histogram scaled by hand") << QStringLiteral("scaled");
  QTest::newRow("lock toggled as waveforms come") << QStringLiteral("lock");
  QTest::newRow("flicker continuous") << QStringLiteral("flicker");
  QTest::newRow("manual sequence") << QStringLiteral("manual");
}

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
  const bool classD = kind == QLatin1String("classD");
  rig.Select(flicker ? 1 : 0);
  if (classD) {
    ui.ComboBox3->setCurrentIndex(3);
    emit ui.ComboBox3->activated(3);
  }
  if (kind == QLatin1String("manual")) {
    ui.RadioButton2->setChecked(true);
    ui.Edit1->setText(QStringLiteral("2"));
  }
  rig.Sent();
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
      QVERIFY(window.ProcessLine(flicker ? FlickerLine(status) : HarmonicsLine(status, classD ? "D" : "A", classD ? "5" : "0")));
    }
  }
  if (kind == QLatin1String("histogram")) {
    ui.RadioGroup1->SetItemIndex(1);
    QVERIFY(window.ProcessLine(HarmonicsLine("Q     ")));
    ui.RadioGroup1->SetItemIndex(0);
  }
  if (kind == QLatin1String("scaled")) {
    ui.RadioGroup1->SetItemIndex(1);
    for (int i = 0; i < 2; ++i) QTest::mouseClick(ui.Button10, Qt::LeftButton);  // "Scale Up"
    QVERIFY(window.ProcessLine(HarmonicsLine("Q     ")));
  }
  if (kind == QLatin1String("lock")) {
    // The records come while the lock clears the graph area and waits.
    ui.RadioGroup1->SetItemIndex(0);
    rig.Sent();
    QVERIFY(rig.Analyser().WriteAll(VoltageWaveform() + VoltageWaveform()));
    QTest::mouseClick(ui.Button8, Qt::LeftButton);
    rig.Sent();
  } else if (kind != QLatin1String("scaled")) {
    QVERIFY(window.ProcessLine(VoltageWaveform()));
  }
  QCoreApplication::processEvents();
  RecordingReview* review = SaveAndReview(rig);
  QCoreApplication::processEvents();
  const QMap<QString, QString> live = Seen(window);
  review->SeekTo(review->Duration());
  QCoreApplication::processEvents();
  const QMap<QString, QString> atEnd = Seen(review->Window());
  // Stepped entry by entry from the start, as a slow playback shows it.
  review->SeekTo(0);
  for (const RecordingEntry& entry : ReadRecordingFile(rig.FilePath(QStringLiteral("RUN1.qxr"))).Entries) {
    if (entry.Milliseconds > review->Position()) review->SeekTo(entry.Milliseconds);
  }
  QCoreApplication::processEvents();
  const QStringList stepped = Differences(atEnd, Seen(review->Window()));
  review->Bar().close();
  // What the live sequence said to its operator, the replay does not say again.
  QCOMPARE(rig.Dialogs().Texts(QStringLiteral("information")).size(), kind == QLatin1String("manual") ? 1 : 0);
  const QStringList differ = Differences(live, atEnd);
  QVERIFY2(differ.isEmpty(), qPrintable(differ.join(QLatin1Char('\n'))));
  QVERIFY2(stepped.isEmpty(), qPrintable(stepped.join(QLatin1Char('\n'))));
}

// The operator closes the review bar while the review's preview is open.
void TestReviewFidelity::reviewClosedWhilePreviewShows() {
  TWindowRig rig;
  QVERIFY(rig.Ready());
  rig.Select(0);
  PressStart(rig);
  for (const char* status : {"T   05", "Q     "}) QVERIFY(rig.Window().ProcessLine(HarmonicsLine(status)));
  RecordingReview* review = SaveAndReview(rig);
  QPointer<RecordingReview> alive(review);
  review->SeekTo(review->Duration());
  QTimer::singleShot(200, &review->Bar(), [review] { review->Bar().close(); });
  // A preview still open later is closed, as the operator would.
  QTimer::singleShot(2000, qApp, [] {
    if (QWidget* preview = QApplication::activeModalWidget()) preview->close();
  });
  review->Window().Form().PreViewReport1->trigger();
  QTRY_VERIFY(alive.isNull());
}

QTEST_MAIN(TestReviewFidelity)
#include "test_review_fidelity.moc"
