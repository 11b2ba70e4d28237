// The report rebuilt from a saved report's recording (--report-from) is the
// saved report, byte for byte, whatever the operator did between the end of
// the test and the save.
#include <QTextStream>
#include <QtTest>

#include "app/qx7300main.h"
#include "app/radio_group.h"
#include "app/report_from_recording.h"
#include "support/record_builder.h"
#include "support/test_working_folder.h"
#include "support/window_rig.h"
#include "ui_qx7300main.h"

namespace {

QByteArray HarmonicsLine(const QByteArray& status, const QByteArray& watts = "P250.5",
                         const QByteArray& volts = "V230.1") {
  RecordBuilder record;
  record.status = status;
  record.watts = watts;
  record.voltsRms = volts;
  return record.Line('L', HarmonicsBody(QList<QByteArray>(160, "1.500")));
}

QByteArray FlickerLine(const QByteArray& status) {
  RecordBuilder record;
  record.status = status;
  return record.Line('H', FlickerBody({{25, "1.20"}, {55, "1.50"}, {67, "0.80"}}));
}

void PressStart(TWindowRig& rig) {
  QTest::mouseClick(rig.Ui().Button5, Qt::LeftButton);
  rig.Sent();
}

}  // namespace

class TestRebuiltReport : public QObject {
  Q_OBJECT

 private slots:
  void rebuiltReportIsTheSavedOne_data();
  void rebuiltReportIsTheSavedOne();
};

void TestRebuiltReport::rebuiltReportIsTheSavedOne_data() {
  QTest::addColumn<int>("standard");
  QTest::addColumn<QString>("after");  // what the operator does after the test, before saving
  QTest::newRow("harmonics") << 0 << QString();
  QTest::newRow("tester edited") << 0 << QStringLiteral("edit");
  QTest::newRow("display chosen") << 0 << QStringLiteral("display");
  QTest::newRow("free run, readings go on") << 0 << QStringLiteral("freerun");
  QTest::newRow("range stepped") << 0 << QStringLiteral("range");
  QTest::newRow("range stepped, records while it settles") << 0 << QStringLiteral("range-settle");
  QTest::newRow("aborted") << 0 << QStringLiteral("abort");
  QTest::newRow("same standard chosen again") << 0 << QStringLiteral("standard");
  QTest::newRow("impedance chosen") << 0 << QStringLiteral("impedance");
  QTest::newRow("configuration loaded") << 0 << QStringLiteral("load");
  QTest::newRow("next report number") << 0 << QStringLiteral("number");
  QTest::newRow("lock toggled") << 0 << QStringLiteral("lock");
  QTest::newRow("retry") << 0 << QStringLiteral("retry");
  QTest::newRow("other standard, records still coming") << 0 << QStringLiteral("other-standard");
  QTest::newRow("flicker") << 1 << QString();
  QTest::newRow("defaults restored") << 1 << QStringLiteral("defaults");
  QTest::newRow("harmonics report recalled") << 1 << QStringLiteral("recall");
}

void TestRebuiltReport::rebuiltReportIsTheSavedOne() {
  QFETCH(int, standard);
  QFETCH(QString, after);
  TWindowRig::Options options;
  options.linkDialogs = true;
  TWindowRig rig(options);
  QVERIFY(rig.Ready());
  Ui::Tqx7300form& ui = rig.Ui();
  Tqx7300form& window = rig.Window();
  rig.Select(0);
  const QString older = rig.FilePath(QStringLiteral("RUN0.TXT"));
  rig.Dialogs().saveAnswers << older;
  ui.SaveReportasTextFile1->trigger();
  rig.Select(standard);
  const auto record = [standard](const QByteArray& status, const QByteArray& watts = "P250.5",
                                 const QByteArray& volts = "V230.1") {
    return standard == 0 ? HarmonicsLine(status, watts, volts) : FlickerLine(status);
  };
  PressStart(rig);
  QVERIFY(window.ProcessLine(record("T   05", "P250.5", "V230.1")));
  QVERIFY(window.ProcessLine(record("T   04", "P260.5", "V231.1")));
  if (after == QStringLiteral("abort")) {
    QTest::qWait(1100);  // the abort is a minute's second later
    PressStart(rig);
    QVERIFY(window.ProcessLine(record("I     ", "P255.5")));
  } else {
    for (const char* status : {"Q     ", "Q     "}) QVERIFY(window.ProcessLine(record(status)));
  }
  if (after == QStringLiteral("edit")) ui.Edit10->setText(QStringLiteral("B. Next"));
  if (after == QStringLiteral("display")) {
    ui.RadioGroup1->SetItemIndex(1);
    QVERIFY(window.ProcessLine(record("Q     ")));
  }
  if (after == QStringLiteral("freerun")) {
    QTest::mouseClick(ui.Button1, Qt::LeftButton);
    QVERIFY(window.ProcessLine(record("W     ", "P10.0", "V240.0")));
    ui.RadioGroup1->SetItemIndex(2);
  }
  if (after == QStringLiteral("range")) {
    QTest::mouseClick(ui.Button6, Qt::LeftButton);
    QVERIFY(window.ProcessLine(record("Q     ")));
  }
  if (after == QStringLiteral("range-settle")) {
    // Records come in while the new range settles, before the report is built.
    QTest::mouseClick(ui.Button1, Qt::LeftButton);
    rig.Sent();
    QByteArray lines;
    for (int i = 0; i < 3; ++i) lines += record("W     ", "P12.0", "V240.0");
    QVERIFY(rig.Analyser().WriteAll(lines));
    QTest::mouseClick(ui.Button6, Qt::LeftButton);
    QVERIFY(window.Report().Text(6).contains(QStringLiteral("240.0")));
  }
  if (after == QStringLiteral("standard")) emit ui.ComboBox1->activated(0);
  if (after == QStringLiteral("impedance")) emit ui.ComboBox6->activated(0);
  if (after == QStringLiteral("load")) {
    rig.Dialogs().openAnswers << rig.FilePath(QStringLiteral("RUN0.HAC"));
    ui.LoadConfiguration1->trigger();
  }
  if (after == QStringLiteral("number")) window.Document().SetReportCounter(41);
  if (after == QStringLiteral("lock")) QTest::mouseClick(ui.Button8, Qt::LeftButton);
  if (after == QStringLiteral("retry")) window.RetryLink();
  if (after == QStringLiteral("other-standard")) {
    // Records of the harmonics standard still on the line, a far higher power.
    QVERIFY(rig.Analyser().WriteAll(record("Q     ", "P999.5", "V249.0")));
    ui.ComboBox1->setCurrentIndex(1);
    emit ui.ComboBox1->activated(1);
  }
  if (after == QStringLiteral("defaults")) {
    rig.Dialogs().confirmAnswers << true;
    ui.RestoreDefaultSettings1->trigger();
  }
  if (after == QStringLiteral("recall")) {
    rig.Dialogs().openAnswers << older;
    ui.ReCallReport1->trigger();
  }
  if (standard == 1) QVERIFY(window.ProcessLine(record("Q     ")));
  rig.Sent();

  const QString path = rig.FilePath(QStringLiteral("RUN1.TXT"));
  rig.Dialogs().saveAnswers << path;
  ui.SaveReportasTextFile1->trigger();
  QString messages;
  QTextStream stream(&messages);
  const QString rebuilt = rig.FilePath(QStringLiteral("REBUILT.txt"));
  QCOMPARE(ReportFromRecording(rig.FilePath(QStringLiteral("RUN1.qxr")), rebuilt, stream), 0);
  QCOMPARE(QString::fromLatin1(FileBytes(rebuilt)).split(QStringLiteral("\r\n")),
           QString::fromLatin1(FileBytes(path)).split(QStringLiteral("\r\n")));
  QVERIFY(FileBytes(path).startsWith("Report Number"));
}

QTEST_MAIN(TestRebuiltReport)
#include "test_rebuilt_report.moc"
