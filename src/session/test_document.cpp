#include "session/test_document.h"

#include <QDir>
#include <QFile>
#include <QUuid>

#include <algorithm>
#include <map>

#include "control/analyser_setup.h"
#include "control/current_ranging.h"
#include "control/test_sequencing.h"
#include "display/graph_frame.h"
#include "link/command_vocabulary.h"
#include "link/decimal_text.h"
#include "link/field_rule.h"
#include "link/record_layout.h"
#include "link/status_record.h"
#include "persist/working_folder.h"
#include "record/recording_writer.h"
#include "record/recordings_folder.h"
#include "results/assessment_summary.h"
#include "results/harmonic_report_rows.h"
#include "results/harmonics_record.h"

namespace {

constexpr qsizetype kSampleStart = 108;
constexpr qsizetype kWaveformLineLength = 409;

const QString kTimeFormat = QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz");

// The items of the "Test Method Standard" list.
QString TestMethodText(int index) {
  switch (index) {
    case 0: return QStringLiteral("EN61000-4-7 2002");
    case 1: return QStringLiteral("EN61000-4-7 1993");
    default: return QString();
  }
}

// The items of the "No Limits Below" list.
QString NoLimitsBelowText(int index) {
  switch (index) {
    case 0: return QStringLiteral("75");
    case 1: return QStringLiteral("0");
    default: return QString();
  }
}

// A field whose first character is a prefix the meter does not show.
QByteArrayView ViewAfterPrefix(const LineFields& fields, quint16 n) {
  const QByteArrayView field = fields.View(n);
  return field.isEmpty() ? field : field.sliced(1);
}

// A code field; an empty one reads as `absent`.
void SetCode(QString& target, QByteArrayView field, QLatin1StringView absent) {
  SetFieldText(target, field.isEmpty() ? QByteArrayView(absent.data(), absent.size()) : field);
}

void CopySamples(const QByteArray& line, std::array<quint8, WaveformSamples::kEntries>& samples) {
  for (int k = 0; k < WaveformSamples::kFilled; ++k) {
    samples[static_cast<size_t>(k)] = static_cast<quint8>(line[kSampleStart + k]);
  }
}

// The recordings of a working folder: one file per test, named after its start.
QString RecordingsFolder() { return WorkingFolderPath(QLatin1String(kRecordingsFolderName)); }

QString NewRecordingPath(const QDateTime& start) {
  return QDir(RecordingsFolder())
      .filePath(start.toString(QStringLiteral("yyyy-MM-dd_HHmmss_zzz")) + QLatin1Char('.') +
                QLatin1String(kRecordingExtension));
}

// Whether a saved report would read the same: every line of both forms.
bool SameReport(const ReportStore& a, const ReportStore& b) {
  if (a.LineCount() != b.LineCount() || a.BodyStart() != b.BodyStart()) return false;
  for (int i = 0; i < ReportStore::kLines; ++i) {
    if (a.Text(i) != b.Text(i) || a.Csv(i) != b.Csv(i)) return false;
  }
  return true;
}

// The harmonics settings whose change sends the display back to "Waveform".
bool HarmonicsSettingsDiffer(const TestSetupValues& a, const TestSetupValues& b) {
  return a.Edit14 != b.Edit14 || a.Edit15 != b.Edit15 || a.Edit5 != b.Edit5 || a.CheckBox4 != b.CheckBox4 ||
         a.CheckBox1 != b.CheckBox1 || a.CheckBox2 != b.CheckBox2;
}

}  // namespace

DocumentChange& DocumentChange::operator|=(const DocumentChange& later) {
  line |= later.line;
  statusSet |= later.statusSet;
  panelsUnlocked |= later.panelsUnlocked;
  hidePrompt |= later.hidePrompt;
  if (later.prompt) prompt = later.prompt;
  resultsDue |= later.resultsDue;
  harmonics |= later.harmonics;
  flicker |= later.flicker;
  stepEnded |= later.stepEnded;
  sequenceFinished |= later.sequenceFinished;
  if (later.graphCleared) {
    // What was drawn before the clearing is gone with it.
    graphCleared = true;
    waveformDrawn = histogramDrawn = false;
  }
  if (later.waveformDrawn || later.histogramDrawn) {
    waveformDrawn = later.waveformDrawn;
    histogramDrawn = later.histogramDrawn;
    graphChange = later.graphChange;
    graphBefore = later.graphBefore;
  }
  setupChanged |= later.setupChanged;
  return *this;
}

namespace {

QString NewTestIdentity() { return QUuid::createUuid().toString(QUuid::WithoutBraces); }

}  // namespace

TestDocument::TestDocument(CommandSink& commands) : commands_(commands), testIdentity_(NewTestIdentity()) {}

TestDocument::TestDocument(const TestDocument& other, CommandSink& commands) : commands_(commands) {
  CopyStateFrom(other);
}

TestDocument::~TestDocument() { WaitForRecordings(); }

void TestDocument::CopyStateFrom(const TestDocument& other) {
  // The members as they are, not through the accessors: what is due to be
  // read or written stays due, and `other` is left exactly as it was (a
  // checkpoint copied from while its replay goes on elsewhere).
  setup_ = other.setup_;
  captured_ = other.captured_;
  testStartTime_ = other.testStartTime_;
  testIdentity_ = other.testIdentity_;
  phase_ = other.phase_;
  test_ = other.test_;
  reportHoldsSequence_ = other.reportHoldsSequence_;
  framer_ = other.framer_;
  lastRecordType_ = other.lastRecordType_;
  fields_ = other.fields_;
  extremes_ = other.extremes_;
  harmonics_ = other.harmonics_;
  dueTables_ = other.dueTables_;
  flicker_ = other.flicker_;
  manualSteps_ = other.manualSteps_;
  samples_ = other.samples_;
  summary_ = other.summary_;
  readings_ = other.readings_;
  memoFlags_ = other.memoFlags_;
  statusText_ = other.statusText_;
  report_ = other.report_;
  harmonicRowsDue_ = other.harmonicRowsDue_;
  dueFundamental_ = other.dueFundamental_;
  graph_ = other.graph_;
  faceColour_ = other.faceColour_;
  graphBitmap_ = other.graphBitmap_;
  waveformDrawing_ = other.waveformDrawing_;
  histogramDrawing_ = other.histogramDrawing_;
  clock_ = other.clock_;
  clockLocale_ = other.clockLocale_;
  replaying_ = other.replaying_;
  setUpLoading_ = other.setUpLoading_;
}

QDateTime TestDocument::Now() const { return clock_ ? *clock_ : QDateTime::currentDateTime(); }

QLocale TestDocument::ClockLocale() const { return clockLocale_ ? *clockLocale_ : QLocale(); }

// --- lines ------------------------------------------------------------------

TestDocument::Received TestDocument::ReceiveLine(const QByteArray& line) {
  // A recorded line is handled at the time it is recorded with, so that a
  // replay, which knows no other, does just the same with it.
  const bool recorded = recording_ != nullptr;
  if (recorded) clock_ = RecordReceivedLine(line);
  Received received = HandleLine(line);
  if (recorded) clock_.reset();
  return received;
}

TestDocument::Received TestDocument::HandleLine(const QByteArray& line) {
  Received received;
  received.whole = ProcessLine(line, received.change);
  return received;
}

bool TestDocument::ProcessLine(const QByteArray& received, DocumentChange& change) {
  change.line = true;
  const LineFields fields(received);
  SetCode(fields_.StatusCode, fields.View(2), QLatin1StringView("W"));
  SetCode(fields_.CurrentRangeCode, fields.View(3), QLatin1StringView("0"));
  SetCode(fields_.VoltageRangeCode, fields.View(4), QLatin1StringView("0"));
  const bool rangeFour = fields.View(3).startsWith('4');

  HandleCommonSection(fields, change);

  // The aligned line is a copy only on range "4"; otherwise it shares the
  // received one.
  QByteArray line = received;
  if (rangeFour) AlignRangeFourRecord(line);
  const char type = RecordTypeLetter(line);
  lastRecordType_ = type == 'H' || type == 'I' || type == 'L' || type == 'V' ? type : '\0';

  extremes_.Update(fields_.VoltsRms, fields_.VoltsPeak, fields_.Frequency, fields_.AmpsRms, fields_.AmpsPeak,
                   fields_.Watts);

  switch (type) {
    case 'H':
      HandleFlickerRecord(line, change);
      return true;
    case 'I':
      if (line.size() >= kWaveformLineLength) CopySamples(line, samples_.CurrentSamples);
      return true;
    case 'L':
      return HandleHarmonicsRecord(line, change);
    case 'V':
      HandleVoltageWaveform(line, change);
      return true;
    default:
      statusText_ = QStringLiteral("String Error");
      change.statusSet = true;
      return true;
  }
}

void TestDocument::HandleCommonSection(const LineFields& fields, DocumentChange& change) {
  const char status = FirstChar(fields_.StatusCode);
  ApplyStatusCode(status, change);
  // After a start the set-up stays locked through records of what came
  // before (held results, hold, overload, free run) until the analyser has
  // reported the test running; only its end gives the set-up back.
  if (StatusEnablesPanels(status) && phase_ != TestPhase::StartPending) change.panelsUnlocked = true;

  SetFieldText(fields_.VoltsRms, ViewAfterPrefix(fields, 5));
  SetFieldText(fields_.VoltsPeak, fields.View(6));
  SetFieldText(fields_.Frequency, fields.View(7));
  SetFieldText(fields_.PeakPhase, fields.View(8));
  SetFieldText(fields_.AmpsRms, ViewAfterPrefix(fields, 10));
  SetFieldText(fields_.AmpsPeak, fields.View(11));
  SetFieldText(fields_.FundamentalAmps, fields.View(12));
  SetFieldText(fields_.TotalHarmonics, fields.View(13));
  SetFieldText(fields_.Watts, ViewAfterPrefix(fields, 14));
  SetFieldText(fields_.VoltAmps, fields.View(15));
  HandleAssessmentFields(fields);
  // The present fundamental of the harmonic tables comes with every line.
  harmonics_.HarmonicText[2][1] = fields_.FundamentalAmps;
  harmonics_.HarmonicValue[2][1] = ParseSingle(fields_.FundamentalAmps).value_or(0.0f);
  ShowReadings(fields_);
}

void TestDocument::ShowReadings(const RecordFields& fields) {
  readings_.VoltAmps = fields.VoltAmps;
  // The maximum before this line's own reading is taken into the extremes.
  readings_.WattsMax = FormatFixed(extremes_.WattsMax, 2, 6);
  readings_.PowerFactor = FormatFixed(RatioOf(fields.Watts, fields.VoltAmps), 3, 6);
  readings_.VoltageCrestFactor = FormatFixed(RatioOf(fields.VoltsPeak, fields.VoltsRms), 3, 6);
  readings_.CurrentCrestFactor = FormatFixed(RatioOf(fields.AmpsPeak, fields.AmpsRms), 3, 6);
}

void TestDocument::ApplyStatusCode(char status, DocumentChange& change) {
  if (const std::optional<QString> text = ::StatusText(status)) {
    statusText_ = *text;
    change.statusSet = true;
  }
  if (status == 'I') change.hidePrompt = true;
  if (status == 'T') HandleSecondsToGo(change);
  if (StatusClearsResultsLatched(status)) {
    // Any code but "Test Complete" re-arms the end of a test; "Test
    // Running" also ends the wait for a start.
    if (status == 'T' && phase_ != TestPhase::SequenceFinished) {
      phase_ = TestPhase::Running;
    } else if (phase_ == TestPhase::ResultsHeld) {
      phase_ = TestPhase::Idle;
    }
  }
  if (status != 'Q') return;

  BuildReport();
  // The analyser keeps sending "Test Complete" while it holds the results;
  // the end of the test is handled for the first of them only, and not for
  // results still held from before a start.
  const bool firstOfTheEnd = phase_ == TestPhase::Idle || phase_ == TestPhase::Running;
  if (!TestIsManual()) {
    if (firstOfTheEnd) {
      phase_ = TestPhase::ResultsHeld;
      RecordingTailFrom();
    }
    return;
  }
  change.hidePrompt = true;
  if (!firstOfTheEnd) return;
  phase_ = TestPhase::ResultsHeld;
  change.stepEnded = true;
  RecordStepResult(change);
}

void TestDocument::HandleSecondsToGo(DocumentChange& change) {
  const std::optional<quint16> secs = SecondsToGo(fields_.StatusCode);
  if (!secs) return;
  if (TestIsManual()) {
    change.prompt = PromptForStep(*secs, test_.TestDuration);
  } else if (*secs <= 2) {
    // The results are about to be held: a window shows them.
    change.resultsDue = true;
  }
}

void TestDocument::HandleAssessmentFields(const LineFields& fields) {
  const QByteArrayView classCode = fields.View(17);
  const QByteArrayView verdict = fields.View(16);
  const AssessmentSummary summary =
      SummariseAssessment(fields.View(9), verdict, classCode, fields.View(18), fields.View(19));
  fields_.SupplyCheckFlags = summary.SupplyCheckFlags;
  memoFlags_ = summary.SupplyCheckFlags & 15;
  SetFieldText(fields_.HarmonicsVerdict, verdict);
  SetFieldText(fields_.ClassCode, classCode);

  summary_.Verdict = summary.verdict;
  SetFieldText(summary_.Value2, summary.value2);
  if (summary.classified) {
    if (summary.caption1) summary_.Caption1 = *summary.caption1;
    if (summary.caption2) summary_.Caption2 = *summary.caption2;
    if (summary.line1) summary_.ClassLine1 = *summary.line1;
    summary_.ClassLine2 = summary.line2;
  }
  // The unit follows the caption the row shows now, kept or just set.
  const QString unit = SummaryValueUnit(summary_.Caption1);
  const QLatin1StringView value(summary.value1.data(), summary.value1.size());
  if (summary_.Value1.size() != value.size() + unit.size() || !summary_.Value1.startsWith(value) ||
      !summary_.Value1.endsWith(unit)) {
    summary_.Value1 = QString(value) + unit;
  }
}

bool TestDocument::HandleHarmonicsRecord(const QByteArray& line, DocumentChange& change) {
  if (!HarmonicsRecordReadsWhole(line)) {
    // A cut-short record ends the line here with what it read kept; its
    // report rows wait for a whole one, and the rows still due are those of
    // the model before it.
    WriteDueHarmonicRows();
    return ReadHarmonicsRecord(line, Model());
  }
  if (HarmonicsRecordHasTables(line)) {
    // The tables are read once something looks at them: a replay skips
    // those of the records nothing looked at.
    ReadHarmonicVerdicts(line, harmonics_);
    dueTables_ = line;
  }
  harmonicRowsDue_ = true;
  dueFundamental_ = harmonics_.HarmonicText[2][1];
  change.harmonics = true;
  if (setup_.Setup.RadioGroup1 == 1) change |= DrawHarmonicsHistogram();
  return true;
}

void TestDocument::HandleFlickerRecord(const QByteArray& line, DocumentChange& change) {
  if (graph_.GraphClearPending) change |= ClearGraphArea();
  ReadFlickerFields(line, flicker_);
  const FlickerOptions options = TestFlickerOptions();
  UpdateFlickerSummary(flicker_, options);
  // Once a manual sequence has finished, its results table holds these rows
  // of the report; the records that keep coming while the results are held
  // must not write over it.
  if (!reportHoldsSequence_) {
    WriteFlickerReportRows(flicker_, options, Rows());
  }
  change.flicker = true;
}

void TestDocument::HandleVoltageWaveform(const QByteArray& line, DocumentChange& change) {
  if (graph_.GraphClearPending) change |= ClearGraphArea();
  if (line.size() < kWaveformLineLength) return;
  CopySamples(line, samples_.VoltageSamples);
  change |= DrawWaveformGraph();
}

void TestDocument::RecordStepResult(DocumentChange& change) {
  // A finished sequence keeps its results as they were reported: a later
  // "Test Complete" period neither records nor moves the step on, since a
  // step past the last would enter the marks and the combined result.
  if (test_.ManualSequenceFinished) return;
  ManualStepRecord& step = manualSteps_.Step(test_.StepNumber);
  step.time = Now().time().toString(QStringLiteral("hh:mm:ss"));
  step.dmax = flicker_.F(25);
  const quint8 lastStep = std::max<quint8>(test_.EventsToCollect, 1);
  if (test_.StepNumber < lastStep) {
    if (test_.StepNumber < ManualSteps::kSteps) ++test_.StepNumber;
    return;
  }

  test_.ManualSequenceFinished = true;
  test_.StepNumber = lastStep;
  phase_ = TestPhase::SequenceFinished;
  RecordingTailFrom();
  change.sequenceFinished = true;
  // The last step is evaluated with its own result before anything of it is
  // reported.
  const ManualSwitchingView view = EvaluateSteps();
  std::map<std::pair<int, int>, QString> cells;
  for (const GridCell& cell : view.cells) cells[{cell.column, cell.row}] = cell.text;
  WriteManualResultsHeading(Rows());
  QList<std::array<QString, 4>> stepCells;
  for (int s = 1; s <= test_.StepNumber; ++s) {
    const StepCellPlace place = StepCellsAt(s);
    std::array<QString, 4> row;
    for (int c = 0; c < 4; ++c) {
      const auto found = cells.find({place.column + c, place.row});
      if (found != cells.end()) row[static_cast<size_t>(c)] = found->second;
    }
    stepCells << row;
  }
  WriteManualReportRows(stepCells, view.combined, Rows());
  reportHoldsSequence_ = true;
}

ManualSwitchingView TestDocument::EvaluateSteps() {
  return EvaluateManualSteps(manualSteps_, test_.StepNumber, test_.EventsToCollect, test_.ManualSequenceFinished);
}

// --- the test's set-up ------------------------------------------------------

FlickerOptions TestDocument::TestFlickerOptions() const {
  const TestSetupValues& s = ReportedSetup().Setup;
  FlickerOptions options;
  options.voltageFluctuations = s.CheckBox3;
  options.flicker = s.CheckBox6;
  options.twoHourPlt = s.CheckBox5;
  options.continuous = s.RadioButton1;
  return options;
}

bool TestDocument::TestIsFlicker() const { return ReportedSetup().Setup.ComboBox1 == 1; }

bool TestDocument::TestIsManual() const { return ReportedSetup().Setup.RadioButton2 && TestIsFlicker(); }

// --- the operator's actions -------------------------------------------------

TestDocument::StartResult TestDocument::StartOrAbort() {
  StartResult result;
  testStartTime_ = Now();
  result.aborted = FirstChar(fields_.StatusCode) == 'T';
  result.refused = ManualSwitching() && test_.ManualSequenceFinished;
  // A test (a manual sequence from its first step) is recorded from here.
  if (!result.aborted && !result.refused && (!ManualSwitching() || test_.StepNumber == 1)) {
    result.recordingProblem = BeginRecording();
    result.recordingFailed = recording_ && recording_->Failed();
  }
  // Recorded with the time the report tells.
  RecordAction(kActionStart, testStartTime_);
  if (result.aborted) {
    // A manual sequence goes on after an aborted step.
    if (!TestIsManual()) RecordingTailFrom();
    // The report tells when the test was aborted.
    if (captured_) captured_->startTime = testStartTime_;
    Send(Command::AbortTest());
    return result;
  }
  // A finished sequence keeps its results until a new one is begun.
  if (result.refused) return result;
  result.began = true;
  if (setup_.Setup.ComboBox1 == 0 || setup_.Setup.ComboBox1 == 1) CheckTestDuration(result);
  // A manual-switching step keeps the earlier steps' results and the
  // report's number.
  if (!ManualSwitching()) {
    ClearResults();
    ++test_.ReportCounter;
  }
  // What the report of this test describes, whatever the panels say later:
  // a manual sequence is one test from its first step, which tells the
  // time of the step that runs.
  if (!captured_ || !ManualSwitching() || test_.StepNumber == 1) {
    captured_ = CapturedTest{setup_, test_.ReportCounter, testStartTime_};
    testIdentity_ = NewTestIdentity();
  } else {
    captured_->startTime = testStartTime_;
  }
  // Until the analyser reports the test running, records still on the line
  // (results held, on hold, free run) describe what came before it.
  phase_ = TestPhase::StartPending;
  ResetMeterExtremes();
  ClearReport();
  SendTestSetup();
  const int standard = setup_.Setup.ComboBox1;
  if (standard == 0) {
    Send(Command::Duration(test_.TestDuration));
    Send(Command::StartTest());
    Send(Command::RequestHarmonics());
  } else if (standard == 1) {
    Send(Command::Duration(test_.TestDuration));
    // Anything but 1 to 24 collects 24 steps, and the box says so.
    const std::optional<quint8> events = TestSequencing::ValidEvents(setup_.Setup.Edit1);
    test_.EventsToCollect = events.value_or(TestSequencing::kMaxEvents);
    result.eventsCorrected = !events;
    Send(Command::StartTest());
    Send(Command::RequestFlicker());
  }
  return result;
}

void TestDocument::CheckTestDuration(StartResult& result) {
  // Checked before the test's set-up is taken, so that its report tells
  // the duration it runs for.
  std::optional<int> seconds = TestSequencing::ValidDuration(setup_.Setup.Edit7);
  if (!seconds) {
    result.durationCorrected = true;
    seconds = TestSequencing::kDefaultDuration;
    setup_.Setup.Edit7 = QString::number(*seconds);
  }
  test_.TestDuration = static_cast<quint16>(*seconds);
}

void TestDocument::NewTest() {
  testStartTime_ = Now();
  RecordAction(kActionNewTest, testStartTime_);
  RecordingTailFrom();
  NewManualSequence();
}

void TestDocument::ManualSwitchingChosen() {
  NewManualSequence();
  testStartTime_ = Now();
}

void TestDocument::NewManualSequence() {
  test_.StepNumber = 1;
  test_.ManualSequenceFinished = false;
  manualSteps_.StartSequence();
  flicker_.FlickerDisplayLines.fill(QString());
  // Results the analyser may still be holding belong to an earlier test:
  // only a step started from here ends with a result of this sequence.
  if (phase_ != TestPhase::StartPending) phase_ = TestPhase::ResultsHeld;
}

DocumentChange TestDocument::FreeRun() {
  RecordAction(kActionFreeRun);
  // Free run between the steps of a sequence does not end it.
  if (!TestIsManual() || test_.ManualSequenceFinished) RecordingTailFrom();
  if (phase_ == TestPhase::StartPending) phase_ = TestPhase::Idle;
  Send(Command::FreeRun());
  RequestData();
  DocumentChange change;
  change.panelsUnlocked = true;
  return change;
}

void TestDocument::Hold() {
  Send(Command::HoldTest());
  RequestData();
}

void TestDocument::ResetMeter() {
  Send(Command::ResetMeter());
  RequestData();
}

TestDocument::LockResult TestDocument::ToggleLock() {
  RecordAction(kActionToggleLock);
  LockResult result;
  result.change = ClearGraphArea();
  test_.RangeLocked = !test_.RangeLocked;
  result.locked = test_.RangeLocked;
  Send(test_.RangeLocked ? Command::LockRange() : Command::AutoRange());
  RequestData();
  return result;
}

void TestDocument::StepRange(int direction) {
  RecordAction(direction > 0 ? kActionRangeUp : kActionRangeDown);
  ResetMeterExtremes();
  test_.RangeLocked = true;
  // At either end of the span the same range is asked for again.
  graph_.RangeIndex = CurrentRanging::SteppedRange(graph_.RangeIndex, direction);
  SendRange();
}

void TestDocument::FinishRangeStep() {
  RecordAction(kActionRangeSettled);
  BuildReport();
}

void TestDocument::StandardChanged() {
  RecordAction(kActionStandardChanged);
  // The report in hand belonged to the other standard: it is given up with
  // its test, and the next one describes the panels.
  captured_.reset();
  ClearReport();
  ResetMeterExtremes();
}

void TestDocument::StandardSettled() {
  RecordAction(kActionStandardSettled);
  if (setup_.Setup.ComboBox1 == 0) {
    // Harmonics are measured on the range the analyser picks itself.
    test_.RangeLocked = false;
    Send(Command::AutoRange());
    graph_.AutoScale = true;
  }
  RequestData();
  BuildReport();
}

DocumentChange TestDocument::DisplayChosen(DisplayGroup group) {
  DocumentChange change = ClearGraphArea();
  BuildReport();
  const bool harmonics = group == DisplayGroup::Harmonics;
  const int item = harmonics ? setup_.Setup.RadioGroup1 : setup_.Setup.RadioGroup2;
  if (item < 0 || item > (harmonics ? 2 : 3)) return change;
  Send(item == 0 ? Command::RequestWaveforms() : harmonics ? Command::RequestHarmonics() : Command::RequestFlicker());
  if (item == 0) change |= DrawWaveformGraph();
  if (harmonics && item == 1) change |= DrawHarmonicsHistogram();
  return change;
}

void TestDocument::ClearResults() {
  WriteDueHarmonicRows();
  Model().Clear();
  samples_.Clear();
  Rows().ClearLines();
  // The flicker summary with it.
  NewManualSequence();
}

// --- commands -----------------------------------------------------------------

void TestDocument::SendHarmonicMethod() { Send(Command::HarmonicMethod(setup_.Setup.ComboBox4)); }

void TestDocument::SendFlickerSetup() {
  for (const QByteArray& command : FlickerSetupCommands(setup_.Setup.CheckBox5, setup_.Setup.RadioGroup11 == 1))
    Send(command);
}

void TestDocument::SendTestSetup() {
  const TestSetupValues& s = setup_.Setup;
  QList<QByteArray> commands;
  if (s.ComboBox1 == 0) {
    HarmonicsSetup setup;
    setup.classIndex = s.ComboBox3;
    setup.classCAmps = s.Edit14;
    setup.classCPowerFactor = s.Edit15;
    setup.classCAutomatic = s.CheckBox1;
    setup.classDWatts = s.Edit5;
    setup.classDAutomatic = s.CheckBox2;
    setup.professional = s.CheckBox4;
    setup.noLimitsBelow = NoLimitsBelowText(s.ComboBox7);
    commands = HarmonicsSetupCommands(setup);
  } else if (s.ComboBox1 == 1) {
    commands = FlickerLimitCommands({s.ComboBox2, s.Edit2, s.ComboBox5});
  }
  for (const QByteArray& command : commands) Send(command);
}

bool TestDocument::SendNominalSupply() {
  const QList<QByteArray> commands = NominalSupplyCommands(setup_.Setup.Edit13, setup_.Setup.RadioGroup5);
  if (commands.isEmpty()) return false;
  for (const QByteArray& command : commands) Send(command);
  RequestData();
  return true;
}

void TestDocument::RequestData() {
  const int standard = setup_.Setup.ComboBox1;
  if (standard == 0) {
    switch (setup_.Setup.RadioGroup1) {
      case 0: Send(Command::RequestWaveforms()); break;
      case 1:
      case 2: Send(Command::RequestHarmonics()); break;
      default: break;
    }
  } else if (standard == 1) {
    switch (setup_.Setup.RadioGroup2) {
      case 0: Send(Command::RequestWaveforms()); break;
      case 1:
      case 2:
      case 3: Send(Command::RequestFlicker()); break;
      default: break;
    }
  }
}

void TestDocument::SendRange() {
  Send(Command::SelectRange(graph_.RangeIndex));
  RequestData();
}

// --- the report ---------------------------------------------------------------

ReportSnapshot TestDocument::TakeReportSnapshot() const {
  const StationSetup& reported = ReportedSetup();
  const TestSetupValues& setup = reported.Setup;
  ReportSnapshot s;
  s.ReportCounter = static_cast<qint32>(captured_ ? captured_->reportCounter : test_.ReportCounter);
  s.TestStartTime = captured_ ? captured_->startTime : testStartTime_;
  s.TimedTestDuration = setup.Edit7;
  s.EquipmentUnderTest = reported.EquipmentUnderTest;
  s.SerialNumber = reported.SerialNumber;
  s.TestedBy = setup.Edit10;
  s.ManualSwitching = TestIsManual();
  s.Measurement = setup.ComboBox1;
  s.Extremes = extremes_;
  s.CurrentRangeCode = fields_.CurrentRangeCode;
  s.VoltAmps = readings_.VoltAmps;
  s.PowerFactor = readings_.PowerFactor;
  s.CurrentCrestFactor = readings_.CurrentCrestFactor;
  s.TestMethodStandard = TestMethodText(setup.ComboBox4);
  s.Professional = setup.CheckBox4;
  if (memoFlags_) {
    const QString& memo = SupplyCheckMemo(*memoFlags_);
    if (!memo.isEmpty()) s.SummaryMemo = memo.split(QLatin1Char('\n'));
  }
  s.ClassCode = fields_.ClassCode;
  s.ClassVerdict = summary_.ClassLine1;
  s.ClassReason = summary_.ClassLine2;
  s.SummaryValue1 = summary_.Value1;
  s.SummaryValue2 = summary_.Value2;
  return s;
}

void TestDocument::ClearReport() {
  reportHoldsSequence_ = false;
  ::ClearReport(TakeReportSnapshot(), Rows());
}

void TestDocument::BuildReport() { ::BuildReport(TakeReportSnapshot(), Rows()); }

// --- the graph ------------------------------------------------------------------

DocumentChange TestDocument::ClearGraphArea() {
  graphBitmap_ = ClearedGraphArea(faceColour_);
  graph_.GraphClearPending = false;
  DocumentChange change;
  change.graphCleared = true;
  return change;
}

DocumentChange TestDocument::DrawWaveformGraph() {
  DocumentChange change;
  change.graphBefore = graph_;
  change.graphChange = waveformDrawing_.Draw(graphBitmap_, graph_, samples_, setup_.Setup.CheckBox7,
                                             FirstChar(fields_.CurrentRangeCode), FirstChar(fields_.VoltageRangeCode));
  change.waveformDrawn = true;
  return change;
}

DocumentChange TestDocument::DrawHarmonicsHistogram() {
  DocumentChange change;
  // The scale is chosen once, by this drawing; a denser copy starts from
  // the same state.
  change.graphBefore = graph_;
  change.graphChange = histogramDrawing_.Draw(graphBitmap_, graph_, Model(), FirstChar(fields_.CurrentRangeCode));
  change.histogramDrawn = true;
  return change;
}

HarmonicsModel& TestDocument::Model() const {
  if (!dueTables_.isEmpty()) {
    ReadHarmonicTables(dueTables_, harmonics_);
    dueTables_.clear();
  }
  return harmonics_;
}

void TestDocument::WriteDueHarmonicRows() const {
  if (!harmonicRowsDue_) return;
  harmonicRowsDue_ = false;
  WriteHarmonicReportRows(Model(), dueFundamental_, report_);
}

// --- recording --------------------------------------------------------------------

RecordedState TestDocument::TakeRecordedState() const {
  // A manual index the automatic scale does not use is no change.
  const RecordedScale scale = graph_.AutoScale ? RecordedScale{} : RecordedScale{false, graph_.ManualScaleIndex};
  return {setup_.Setup, setup_.EquipmentUnderTest, setup_.SerialNumber, static_cast<qint32>(test_.ReportCounter),
          ClockLocale().name(), scale};
}

QString TestDocument::BeginRecording() {
  // What a replay starts is not recorded again.
  if (replaying_) return {};
  EndRecording();
  ended_.reset();
  // Room for the new recording, made before it exists.
  PruneRecordingsFolder();
  recording_ = std::make_unique<RecordingWriter>(NewRecordingPath(testStartTime_));
  recordingClock_.start();
  recordingStart_ = testStartTime_;
  recordedState_.reset();
  tailFrom_.reset();
  RecordEntry(EntryKind::Begin, testStartTime_.toString(kTimeFormat).toLatin1());
  RecordStateIfChanged();
  if (recording_->Problem().isEmpty()) return {};
  return QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(recording_->Path()), recording_->Problem());
}

void TestDocument::EndRecording() {
  if (!recording_) return;
  const QString path = recording_->Path();
  recording_->Append({EntryKind::End, static_cast<quint32>(std::min(recordingClock_.elapsed(), bounds_.capMilliseconds)), {}});
  // The last writes and the join happen beside the caller, which goes on
  // at once; the document waits for them only when it goes itself, or
  // when the recording is saved beside the report.
  std::erase_if(closingRecordings_, [](const std::shared_future<bool>& closing) {
    return closing.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
  });
  std::shared_future<bool> written = std::async(std::launch::async, [writer = std::move(recording_)]() mutable {
                                       const bool whole = writer->Complete();
                                       writer.reset();
                                       return whole;
                                     }).share();
  closingRecordings_.push_back(written);
  ended_ = EndedRecording{path, written, report_};
  tailFrom_.reset();
}

void TestDocument::WaitForRecordings() {
  EndRecording();
  for (const std::shared_future<bool>& closing : closingRecordings_) closing.wait();
  closingRecordings_.clear();
}

void TestDocument::RecordingTailFrom() {
  if (recording_ && !tailFrom_) tailFrom_ = recordingClock_.elapsed();
}

std::optional<quint32> TestDocument::RecordingTime() {
  if (!recording_) return std::nullopt;
  const qint64 at = recordingClock_.elapsed();
  if (at >= bounds_.capMilliseconds || (tailFrom_ && at - *tailFrom_ >= bounds_.tailMilliseconds)) {
    EndRecording();
    return std::nullopt;
  }
  return static_cast<quint32>(at);
}

void TestDocument::PruneRecordingsFolder() {
  if (replaying_ || recordingsLimit_ <= 0) return;
  QStringList keep;
  if (recording_) keep << recording_->Path();
  if (ended_) keep << ended_->path;
  PruneRecordings(RecordingsFolder(), recordingsLimit_, keep);
}

void TestDocument::RecordEntry(EntryKind kind, const QByteArray& payload) {
  if (const std::optional<quint32> at = RecordingTime()) recording_->Append({kind, *at, payload});
}

std::optional<QDateTime> TestDocument::RecordReceivedLine(const QByteArray& line) {
  RecordStateIfChanged();
  const std::optional<quint32> at = RecordingTime();
  if (!at) return std::nullopt;
  // Recorded without its LF: a replay onto a line sends each with one.
  recording_->Append({EntryKind::Received, *at, line.endsWith('\n') ? line.chopped(1) : line});
  return recordingStart_.addMSecs(*at);
}

void TestDocument::RecordStateIfChanged() {
  if (!recording_) return;
  RecordedState state = TakeRecordedState();
  if (recordedState_ && *recordedState_ == state) return;
  RecordEntry(EntryKind::State, EncodeState(state));
  recordedState_ = std::move(state);
}

void TestDocument::RecordAction(const char* action) { RecordAction(action, Now()); }

void TestDocument::RecordAction(const char* action, const QDateTime& at) {
  if (!recording_) return;
  RecordStateIfChanged();
  RecordEntry(EntryKind::Action, QByteArray(action) + ' ' + at.toString(kTimeFormat).toLatin1());
}

void TestDocument::RecordSent(const QByteArray& command) { RecordEntry(EntryKind::Sent, command); }

std::optional<QByteArray> TestDocument::RecordingBytes(bool* failed, QString* path) {
  *failed = false;
  RecordStateIfChanged();
  bool written = false;
  if (recording_) {
    *path = recording_->Path();
    written = recording_->Complete();
  } else if (ended_ && SameReport(ended_->report, report_)) {
    *path = ended_->path;
    written = ended_->written.get();
  } else {
    return std::nullopt;
  }
  QFile file(*path);
  if (!written || !file.open(QIODevice::ReadOnly)) {
    *failed = true;
    return std::nullopt;
  }
  return file.readAll();
}

// --- replay ---------------------------------------------------------------------

DocumentChange TestDocument::ApplyRecordedState(const RecordedState& state) {
  DocumentChange change;
  change.setupChanged = true;
  const TestSetupValues before = setup_.Setup;
  const TestSetupValues& after = state.Setup;
  setup_.EquipmentUnderTest = state.EquipmentUnderTest;
  setup_.SerialNumber = state.SerialNumber;
  test_.ReportCounter = static_cast<quint32>(state.ReportCounter);
  if (state.ClockLocale) clockLocale_ = QLocale(*state.ClockLocale);
  if (state.Scale) {
    graph_.AutoScale = state.Scale->Automatic;
    if (!state.Scale->Automatic) graph_.ManualScaleIndex = state.Scale->ManualIndex;
  }
  // The changes a window reacts to, in the order it would meet them. A
  // set-up the program loaded changes the standard without giving the test
  // in hand up; only the operator's change does (recordings made before the
  // program marked its loading know no other).
  if (after.ComboBox1 != before.ComboBox1 && setUpLoading_) {
    setup_.Setup.ComboBox1 = after.ComboBox1;
    graph_.GraphClearPending = true;
  } else if (after.ComboBox1 != before.ComboBox1) {
    setup_.Setup.ComboBox1 = after.ComboBox1;
    // Both display choices go back to their first item.
    if (setup_.Setup.RadioGroup1 != 0) {
      setup_.Setup.RadioGroup1 = 0;
      change |= DisplayChosen(DisplayGroup::Harmonics);
    }
    if (setup_.Setup.RadioGroup2 != 0) {
      setup_.Setup.RadioGroup2 = 0;
      change |= DisplayChosen(DisplayGroup::Flicker);
    }
    graph_.GraphClearPending = true;
    change |= DrawWaveformGraph();
    // A new flicker set-up starts as a continuous test.
    if (after.ComboBox1 == 1 && setup_.Setup.RadioButton2) {
      setup_.Setup.RadioButton1 = true;
      setup_.Setup.RadioButton2 = false;
    }
    StandardChanged();
    StandardSettled();
  }
  if (HarmonicsSettingsDiffer(before, after) && setup_.Setup.RadioGroup1 != 0) {
    setup_.Setup.RadioGroup1 = 0;
    change |= DisplayChosen(DisplayGroup::Harmonics);
  }
  const bool manualChosen = after.RadioButton2 && !setup_.Setup.RadioButton2;
  const int harmonicsDisplay = setup_.Setup.RadioGroup1;
  const int flickerDisplay = setup_.Setup.RadioGroup2;
  setup_.Setup = after;
  if (after.RadioGroup1 != harmonicsDisplay) change |= DisplayChosen(DisplayGroup::Harmonics);
  if (after.RadioGroup2 != flickerDisplay) change |= DisplayChosen(DisplayGroup::Flicker);
  if (manualChosen) ManualSwitchingChosen();
  return change;
}

void TestDocument::LoadingSetUp(bool begins) { RecordAction(begins ? kActionSetUpLoading : kActionSetUpLoaded); }

DocumentChange TestDocument::ReplayAction(const QByteArray& payload) {
  const qsizetype blank = payload.indexOf(' ');
  const QByteArray action = payload.left(blank);
  if (blank > 0) {
    const QDateTime at = QDateTime::fromString(QString::fromLatin1(payload.mid(blank + 1)), kTimeFormat);
    if (at.isValid()) clock_ = at;
  }
  if (action == kActionStart) return StartOrAbort().change;
  if (action == kActionNewTest) NewTest();
  if (action == kActionFreeRun) return FreeRun();
  if (action == kActionRangeUp || action == kActionRangeDown) StepRange(action == kActionRangeUp ? +1 : -1);
  if (action == kActionStandardChanged) StandardChanged();
  // The report built as the live one built it: at once for recordings that
  // do not mark the settling, again once the records of the settling came.
  if (action == kActionRangeUp || action == kActionRangeDown || action == kActionRangeSettled) FinishRangeStep();
  if (action == kActionStandardSettled) StandardSettled();
  if (action == kActionSetUpLoading || action == kActionSetUpLoaded) setUpLoading_ = action == kActionSetUpLoading;
  if (action == kActionToggleLock) return ToggleLock().change;
  return {};
}

DocumentChange TestDocument::ReplayEntry(const QDateTime& start, const RecordingEntry& entry) {
  clock_ = start.addMSecs(entry.Milliseconds);
  DocumentChange change;
  switch (entry.Kind) {
    case EntryKind::State:
      if (const std::optional<RecordedState> state = DecodeState(entry.Payload)) change = ApplyRecordedState(*state);
      break;
    case EntryKind::Received:
      // Handled as it came off the line, with its LF.
      change = HandleLine(entry.Payload + '\n').change;
      break;
    case EntryKind::Action:
      change = ReplayAction(entry.Payload);
      break;
    case EntryKind::Begin:
    case EntryKind::Sent:
    case EntryKind::End:
      break;
  }
  return change;
}
