// The Harmonics Summary panel from the assessment fields of each line.
#include <QLabel>
#include <QPlainTextEdit>
#include <QtTest>

#include "app/qx7300main.h"
#include "results/assessment_summary.h"
#include "support/record_builder.h"
#include "support/scripted_operator_dialogs.h"
#include "ui_qx7300main.h"

class TestSummaryPanel : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();
  void classification_data();
  void classification();
  void emptyClassCodeKeepsTheCaptions();
  void supplyChecks_data();
  void supplyChecks();
  void memoShowsTheLastRecordOfAPass();
  void verdict_data();
  void verdict();

 private:
  // As the event loop runs after a notification: the memo follows then.
  void Process(const RecordBuilder& record) {
    QVERIFY(window_->ProcessLine(record.Line('X')));
    QCoreApplication::sendPostedEvents();
  }
  Ui::Tqx7300form& Ui() { return window_->Form(); }

  ScriptedOperatorDialogs* dialogs_ = nullptr;
  Tqx7300form* window_ = nullptr;
};

void TestSummaryPanel::init() {
  dialogs_ = new ScriptedOperatorDialogs;
  window_ = new Tqx7300form(*dialogs_);
  window_->starttimer().stop();
}

void TestSummaryPanel::cleanup() {
  delete window_;
  delete dialogs_;
}

void TestSummaryPanel::classification_data() {
  QTest::addColumn<QByteArray>("code");
  QTest::addColumn<QString>("caption1");
  QTest::addColumn<QString>("caption2");
  QTest::addColumn<QString>("value1");
  QTest::addColumn<QString>("value2");
  QTest::addColumn<QString>("line1");
  QTest::addColumn<QString>("line2");
  QTest::newRow("0") << QByteArray("0") << "Actual Power" << "Threshold" << "75.0 W" << "1000"
                     << "No Limits, actual power" << "over professional threshold.";
  QTest::newRow("A") << QByteArray("A") << "Actual Power" << "" << "75.0 W" << "" << "Class A. Limits Apply." << "";
  QTest::newRow("B") << QByteArray("B") << "Actual Power" << "" << "75.0 W" << "" << "Class B. Limits Apply." << "";
  QTest::newRow("C") << QByteArray("C") << "Fundamental" << "Power Factor" << "75.0 A" << "1000" << "Class C." << "";
  QTest::newRow("D") << QByteArray("D") << "Actual Power" << "Basis Power" << "75.0 W" << "1000" << "Class D." << "";
  QTest::newRow("X") << QByteArray("X") << "Actual Power" << "Threshold" << "75.0 W" << "1000" << "Class D but A Limits Apply."
                     << "";
  QTest::newRow("Z") << QByteArray("Z") << "Actual Power" << "Threshold" << "75.0 W" << "1000" << "No Limits, actual power"
                     << "below minimum threshold.";
  // An unknown code keeps the captions and first line of the line before.
  QTest::newRow("unknown") << QByteArray("Q") << "Fundamental" << "Power Factor" << "75.0 A" << "1000" << "Class C." << "";
}

void TestSummaryPanel::classification() {
  QFETCH(QByteArray, code);
  QFETCH(QString, caption1);
  QFETCH(QString, caption2);
  QFETCH(QString, value1);
  QFETCH(QString, value2);
  QFETCH(QString, line1);
  QFETCH(QString, line2);
  RecordBuilder record;
  record.classCode = "C";
  record.summary1 = "0.51";
  record.summary2 = "0.95";
  Process(record);
  Ui().Label19->setText(QStringLiteral("left from before"));
  record.classCode = code;
  record.summary1 = "75.0";
  record.summary2 = "1000";
  Process(record);
  QCOMPARE(Ui().Label28->text(), caption1);
  QCOMPARE(Ui().Label29->text(), caption2);
  QCOMPARE(Ui().Label22->text(), value1);
  QCOMPARE(Ui().Label34->text(), value2);
  QCOMPARE(Ui().Label35->text(), line1);
  QCOMPARE(Ui().Label19->text(), line2);
  QCOMPARE(window_->Fields().ClassCode, QString::fromLatin1(code));
}

void TestSummaryPanel::emptyClassCodeKeepsTheCaptions() {
  RecordBuilder record;
  record.classCode = "Z";
  Process(record);
  record.classCode = "";
  record.summary1 = "12.5";
  record.summary2 = "66";
  record.verdict = "1";
  Process(record);
  QCOMPARE(Ui().Label28->text(), QStringLiteral("Actual Power"));
  QCOMPARE(Ui().Label29->text(), QStringLiteral("Threshold"));
  QCOMPARE(Ui().Label35->text(), QStringLiteral("No Limits, actual power"));
  QCOMPARE(Ui().Label19->text(), QStringLiteral("below minimum threshold."));
  // The values and the verdict are always rewritten.
  QCOMPARE(Ui().Label22->text(), QStringLiteral("12.5 W"));
  QCOMPARE(Ui().Label34->text(), QStringLiteral("66"));
  QCOMPARE(Ui().Label2->text(), QStringLiteral("FAIL"));
}

void TestSummaryPanel::supplyChecks_data() {
  QTest::addColumn<QByteArray>("field");
  QTest::addColumn<QStringList>("memo");
  const QStringList meets{QStringLiteral("Supply Meets EN Requirements")};
  QTest::newRow("0") << QByteArray("0") << meets;
  QTest::newRow("empty") << QByteArray("") << meets;
  QTest::newRow("lower case") << QByteArray("a") << meets;
  QTest::newRow("A") << QByteArray("A") << QStringList{"Supply Fails :", "Voltage Limits", "Crest Limits"};
  QTest::newRow("F") << QByteArray("F")
                     << QStringList{"Supply Fails :", "Harmonic Requirements", "Voltage Limits", "Frequency Limits",
                                    "Crest Limits"};
  QTest::newRow("only the first digit") << QByteArray("4F") << QStringList{"Supply Fails :", "Frequency Limits"};
}

void TestSummaryPanel::supplyChecks() {
  QFETCH(QByteArray, field);
  QFETCH(QStringList, memo);
  RecordBuilder record;
  record.supplyFlags = field;
  Process(record);
  QCOMPARE(Ui().Memo1->toPlainText().split(QLatin1Char('\n')), memo);
}

void TestSummaryPanel::memoShowsTheLastRecordOfAPass() {
  // Records handled in one go: the memo shows the last one's checks once the
  // event loop runs, and a report taken before then carries them already.
  const QStringList meets{QStringLiteral("Supply Meets EN Requirements")};
  const QStringList crest{QStringLiteral("Supply Fails :"), QStringLiteral("Crest Limits")};
  RecordBuilder record;
  record.supplyFlags = "8";
  Process(record);
  QCOMPARE(Ui().Memo1->toPlainText().split(QLatin1Char('\n')), crest);
  for (const QByteArray flags : {"2", "5", "0"}) {
    record.supplyFlags = flags;
    QVERIFY(window_->ProcessLine(record.Line('X')));
  }
  QCOMPARE(window_->Document().TakeReportSnapshot().SummaryMemo, meets);
  QCoreApplication::sendPostedEvents();
  QCOMPARE(Ui().Memo1->toPlainText().split(QLatin1Char('\n')), meets);
  QCOMPARE(window_->Document().TakeReportSnapshot().SummaryMemo, meets);
}

void TestSummaryPanel::verdict_data() {
  QTest::addColumn<QByteArray>("field");
  QTest::addColumn<QString>("shown");
  QTest::newRow("0 passes") << QByteArray("0") << "PASS";
  QTest::newRow("1 fails") << QByteArray("1") << "FAIL";
  QTest::newRow("empty fails") << QByteArray("") << "FAIL";
  QTest::newRow("00 is not 0") << QByteArray("00") << "FAIL";
}

void TestSummaryPanel::verdict() {
  QFETCH(QByteArray, field);
  QFETCH(QString, shown);
  RecordBuilder record;
  record.verdict = field;
  Process(record);
  QCOMPARE(Ui().Label2->text(), shown);
}

QTEST_MAIN(TestSummaryPanel)
#include "test_summary_panel.moc"
