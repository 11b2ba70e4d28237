// The test document on its own, with no window: the analyser's records and
// the operator's actions go in, commands come out, and the test's phase,
// its report and its recording are what a window would show and save.
#include <QDir>
#include <QtTest>

#include "persist/safe_file_writer.h"
#include "record/recording_format.h"
#include "session/test_document.h"
#include "support/record_builder.h"
#include "support/test_working_folder.h"

namespace {

class CommandLog : public CommandSink {
 public:
  void SendCommand(const QByteArray& text) override { sent += text; }
  QByteArray sent;
};

QByteArray Record(const QByteArray& status, char type = 'I', const QByteArray& body = {}) {
  RecordBuilder record;
  record.status = status;
  return record.Line(type, body);
}

QByteArray FlickerRecord(const QByteArray& status) {
  return Record(status, 'H', FlickerBody({{25, "2.10"}, {55, "1.50"}, {67, "0.80"}}));
}

StationSetup FlickerSetup(bool manual, int steps = 3) {
  StationSetup setup;
  setup.Setup.ComboBox1 = 1;
  setup.Setup.RadioButton1 = !manual;
  setup.Setup.RadioButton2 = manual;
  setup.Setup.Edit1 = QString::number(steps);
  setup.Setup.Edit7 = manual ? QStringLiteral("60") : QStringLiteral("600");
  setup.EquipmentUnderTest = QStringLiteral("Kettle KX-2");
  return setup;
}

// A script of what happens, one step a character: S the start button, N
// "New Test", F "Free Run", any other letter a record of that status.
void Play(TestDocument& document, const QByteArray& script) {
  for (char step : script) {
    switch (step) {
      case 'S': document.StartOrAbort(); break;
      case 'N': document.NewTest(); break;
      case 'F': document.FreeRun(); break;
      default: document.ReceiveLine(FlickerRecord(QByteArray(1, step) + (step == 'T' ? "   30" : "     "))); break;
    }
  }
}

QStringList Lines(const ReportStore& report, bool csv) {
  QStringList lines;
  for (int i = 0; i <= report.LineCount(); ++i) lines << (csv ? report.Csv(i) : report.Text(i));
  return lines;
}

}  // namespace

Q_DECLARE_METATYPE(TestPhase)

class TestTestDocument : public QObject {
  Q_OBJECT

 private slots:
  void phaseFollowsTheAnalyser_data();
  void phaseFollowsTheAnalyser();
  void startSendsTheSetUpItCaptures();
  void sequenceKeepsItsFirstStepsSetUp();
  void recordingReplaysToTheSameReport();
  void recordingEnds_data();
  void recordingEnds();
  void recordingsFolderKeptWithinItsBound();
};

void TestTestDocument::phaseFollowsTheAnalyser_data() {
  QTest::addColumn<bool>("manual");
  QTest::addColumn<QByteArray>("script");
  QTest::addColumn<TestPhase>("phase");
  QTest::addColumn<int>("step");  // the manual step about to run
  QTest::newRow("nothing started") << false << QByteArray("UUQ") << TestPhase::ResultsHeld << 1;
  QTest::newRow("records of before a start") << false << QByteArray("SQQUH") << TestPhase::StartPending << 1;
  QTest::newRow("timed test held") << false << QByteArray("STTQQ") << TestPhase::ResultsHeld << 1;
  QTest::newRow("held results re-armed") << false << QByteArray("STQU") << TestPhase::Idle << 1;
  QTest::newRow("free run before the test ran") << false << QByteArray("SQF") << TestPhase::Idle << 1;
  QTest::newRow("manual step ended once") << true << QByteArray("STQQQ") << TestPhase::ResultsHeld << 2;
  QTest::newRow("manual step start pending") << true << QByteArray("STQSQ") << TestPhase::StartPending << 2;
  QTest::newRow("sequence finished") << true << QByteArray("STQSTQSTQQ") << TestPhase::SequenceFinished << 3;
  QTest::newRow("finished sequence refuses a start") << true << QByteArray("STQSTQSTQS") << TestPhase::SequenceFinished << 3;
  QTest::newRow("new test after the end") << true << QByteArray("STQSTQSTQNQ") << TestPhase::ResultsHeld << 1;
}

void TestTestDocument::phaseFollowsTheAnalyser() {
  QFETCH(bool, manual);
  QFETCH(QByteArray, script);
  QFETCH(TestPhase, phase);
  QFETCH(int, step);
  TestWorkingFolder folder;
  CommandLog commands;
  TestDocument document(commands);
  document.SetSetup(FlickerSetup(manual));
  document.NewManualSequence();
  Play(document, script);
  QCOMPARE(document.Phase(), phase);
  QCOMPARE(int(document.Test().StepNumber), step);
}

void TestTestDocument::startSendsTheSetUpItCaptures() {
  TestWorkingFolder folder;
  CommandLog commands;
  TestDocument document(commands);
  StationSetup setup;  // harmonics, class A
  setup.Setup.Edit7 = QStringLiteral("70000");
  document.SetSetup(setup);
  const TestDocument::StartResult start = document.StartOrAbort();
  QVERIFY(start.began && start.durationCorrected);
  QCOMPARE(commands.sent, QByteArray("K:A;E:S;N:75;D:150;T:S;R:H;"));
  // The report describes the duration the test ran with.
  QCOMPARE(document.Report().Text(1).contains(QStringLiteral("150")), true);
  QCOMPARE(document.ReportCounter(), 1u);
  QCOMPARE(document.Report().Text(0), QStringLiteral("Report Number        : 1"));

  // A running test is aborted, and only that goes out.
  commands.sent.clear();
  document.ReceiveLine(Record("T   20"));
  QVERIFY(document.StartOrAbort().aborted);
  QCOMPARE(commands.sent, QByteArray("T:A;"));
}

// A manual sequence is one test: what is set between its steps is the next
// test's; a change of standard gives the finished test up with its report.
void TestTestDocument::sequenceKeepsItsFirstStepsSetUp() {
  TestWorkingFolder folder;
  CommandLog commands;
  TestDocument sequence(commands);
  StationSetup manual = FlickerSetup(true, 2);
  sequence.SetSetup(manual);
  sequence.SetReportCounter(6);
  sequence.NewManualSequence();
  Play(sequence, "STQ");
  manual.EquipmentUnderTest = QStringLiteral("Toaster T-1");
  sequence.SetSetup(manual);
  sequence.SetReportCounter(40);
  Play(sequence, "STQ");
  QCOMPARE(sequence.Phase(), TestPhase::SequenceFinished);
  QCOMPARE(sequence.Report().Text(0), QStringLiteral("Report Number        : 6"));
  QCOMPARE(sequence.Report().Text(2), QStringLiteral("Equipment Under Test : Kettle KX-2"));

  const StationSetup harmonics;
  sequence.SetSetup(harmonics);
  sequence.StandardChanged();
  sequence.StandardSettled();
  QCOMPARE(sequence.ReportedSetup(), harmonics);
}

void TestTestDocument::recordingReplaysToTheSameReport() {
  TestWorkingFolder folder;
  CommandLog commands;
  TestDocument live(commands);
  live.SetSetup(FlickerSetup(true, 2));
  live.NewManualSequence();
  Play(live, "USTTQQ");
  // Set-up edited between the steps, recorded as the next state.
  StationSetup edited = FlickerSetup(true, 2);
  edited.SerialNumber = QStringLiteral("SN 42");
  live.SetSetup(edited);
  Play(live, "STTQQQUN");
  bool failed = true;
  QString path;
  const std::optional<QByteArray> bytes = live.RecordingBytes(&failed, &path);
  QVERIFY(bytes && !failed);
  const RecordingContents recording = ReadRecordingBytes(*bytes);
  QCOMPARE(recording.Problem, QString());

  SilentCommands none;
  TestDocument replayed(none);
  replayed.SetReplaying();
  for (const RecordingEntry& entry : recording.Entries) replayed.ReplayEntry(recording.Start, entry);
  QVERIFY(Lines(live.Report(), false).join('\n').contains(QStringLiteral("Combined Result")));
  QCOMPARE(Lines(replayed.Report(), false), Lines(live.Report(), false));
  QCOMPARE(Lines(replayed.Report(), true), Lines(live.Report(), true));
  QCOMPARE(replayed.Phase(), live.Phase());
}

void TestTestDocument::recordingEnds_data() {
  QTest::addColumn<bool>("manual");
  QTest::addColumn<QByteArray>("before");  // played, then the bound's time passes
  QTest::addColumn<bool>("ended");         // ... and the line then received is not recorded
  QTest::newRow("timed test: its end, then the tail") << false << QByteArray("STTQQ") << true;
  QTest::newRow("free run") << false << QByteArray("STTF") << true;
  QTest::newRow("new test") << false << QByteArray("STTN") << true;
  QTest::newRow("a test that never ends: the cap") << false << QByteArray("STTTT") << true;
  QTest::newRow("a sequence between its steps") << true << QByteArray("STTQQ") << false;
  QTest::newRow("a sequence after its last step") << true << QByteArray("STTQQSTTQ") << true;
}

// A recording ends a short tail after its test is over, and at the cap at
// the latest: what the line brings later is not in it.
void TestTestDocument::recordingEnds() {
  QFETCH(bool, manual);
  QFETCH(QByteArray, before);
  QFETCH(bool, ended);
  TestWorkingFolder folder;
  CommandLog commands;
  TestDocument live(commands);
  live.SetRecordingBounds({.tailMilliseconds = 300, .capMilliseconds = 1500});
  live.SetSetup(FlickerSetup(manual, 2));
  live.NewManualSequence();
  Play(live, before);
  QTest::qWait(before.endsWith("TT") ? 1600 : 400);
  Play(live, "U");
  live.WaitForRecordings();
  const QStringList files = QDir(folder.FilePath(QStringLiteral("recordings"))).entryList(QDir::Files);
  QCOMPARE(files.size(), 1);
  const RecordingContents recording = ReadRecordingFile(folder.FilePath(QStringLiteral("recordings/") + files[0]));
  QCOMPARE(recording.Problem, QString());
  QVERIFY(recording.Ended);
  const qsizetype received = std::count_if(recording.Entries.begin(), recording.Entries.end(),
                                           [](const RecordingEntry& entry) { return entry.Kind == EntryKind::Received; });
  const qsizetype lines = std::count_if(before.begin(), before.end(), [](char step) { return QByteArray("SNF").indexOf(step) < 0; });
  QCOMPARE(received, lines + (ended ? 0 : 1));
  QVERIFY(recording.Entries.last().Milliseconds <= 1500);
}

// Starting a test keeps recordings/ within its bound, oldest first; the
// test in hand's recording and a recording saved beside a report stay,
// wherever the report was saved.
void TestTestDocument::recordingsFolderKeptWithinItsBound() {
  TestWorkingFolder folder;
  const QString recordings = folder.FilePath(QStringLiteral("recordings/"));
  QVERIFY(QDir().mkpath(recordings));
  for (const char* day : {"2001-01-01", "2001-01-02", "2001-01-03"})
    QVERIFY(SaveFileBytes(recordings + QLatin1String(day) + QStringLiteral("_100000_000.qxr"), QByteArray(300'000, 'r')));
  QVERIFY(SaveFileBytes(folder.FilePath(QStringLiteral("RUN1.qxr")), QByteArray(300'000, 's')));
  // A report saved into recordings/ keeps its recording there too.
  QVERIFY(SaveFileBytes(recordings + QStringLiteral("RUN2.TXT"), "report"));
  QVERIFY(SaveFileBytes(recordings + QStringLiteral("RUN2.qxr"), QByteArray(300'000, 't')));
  CommandLog commands;
  TestDocument live(commands);
  live.SetRecordingsLimit(700'000);
  live.SetSetup(FlickerSetup(false));
  Play(live, "STT");
  QStringList left = QDir(recordings).entryList({QStringLiteral("2*.qxr")}, QDir::Files);
  QCOMPARE(left.size(), 3);
  QCOMPARE(left.mid(0, 2), (QStringList{"2001-01-02_100000_000.qxr", "2001-01-03_100000_000.qxr"}));
  const QString inHand = left[2];
  // A bound below what the test in hand takes removes all but it.
  live.SetRecordingsLimit(1);
  live.PruneRecordingsFolder();
  QCOMPARE(QDir(recordings).entryList(QDir::Files), (QStringList{inHand, "RUN2.qxr", "RUN2.TXT"}));
  QCOMPARE(FileBytes(folder.FilePath(QStringLiteral("RUN1.qxr"))), QByteArray(300'000, 's'));
  QCOMPARE(FileBytes(recordings + QStringLiteral("RUN2.qxr")), QByteArray(300'000, 't'));
}

QTEST_MAIN(TestTestDocument)
#include "test_test_document.moc"
