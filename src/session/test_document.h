#pragma once

#include <QDateTime>
#include <QElapsedTimer>
#include <QImage>
#include <QLocale>
#include <QString>

#include <future>
#include <memory>
#include <optional>
#include <vector>

#include "control/test_state.h"
#include "display/graph_state.h"
#include "display/harmonics_histogram.h"
#include "display/manual_switching_view.h"
#include "display/waveform_graph.h"
#include "link/meter_extremes.h"
#include "link/record_fields.h"
#include "link/rx_line_framer.h"
#include "link/status_record.h"
#include "record/recorded_state.h"
#include "record/recording_format.h"
#include "report/report_store.h"
#include "report/report_text.h"
#include "results/flicker_results.h"
#include "results/harmonics_model.h"
#include "results/manual_steps.h"
#include "results/waveform_samples.h"
#include "session/command_sink.h"

class LineFields;
class RecordingWriter;

// Where the test in hand stands. Only a start the operator gave (or its
// replay) leads out of Idle; the analyser's status codes move it on.
enum class TestPhase {
  Idle,              // no test, or the held results of an earlier one re-armed
  StartPending,      // started; records still on the line describe what came before
  Running,           // the analyser reports the test running
  ResultsHeld,       // "Test Complete": its end has been handled once
  SequenceFinished,  // the last step of a manual sequence has ended
};

// The set-up panels and the test identification as the operator left them.
struct StationSetup {
  TestSetupValues Setup;
  QString EquipmentUnderTest;
  QString SerialNumber;
  bool operator==(const StationSetup&) const = default;
};

// What the summary panel of the harmonics standard shows: the panel keeps
// its captions and first classification line until a class code says what
// they read.
struct SummaryPanel {
  QString Verdict;
  QString ClassLine1;
  QString ClassLine2;
  QString Caption1 = QStringLiteral("Actual Power");
  QString Caption2 = QStringLiteral("Threshold");
  QString Value1;  // with the unit of Caption1
  QString Value2;
};

// The readings the meter panel derives from a line.
struct DerivedReadings {
  QString VoltAmps;
  QString PowerFactor;
  QString VoltageCrestFactor;
  QString CurrentCrestFactor;
  QString WattsMax;
};

// What one handled line (or one operator action) changed, for a view to
// show that and nothing else. Several may be merged, for a view that shows
// a batch of lines at once.
struct DocumentChange {
  bool line = false;              // a record came: status, meter and summary
  bool statusSet = false;         // the status text was given anew (StatusText)
  bool panelsUnlocked = false;    // the status gives the set-up back to the operator
  bool hidePrompt = false;        // the operator prompt goes
  std::optional<SwitchingPrompt> prompt;  // a manual step's prompt, while it runs
  bool resultsDue = false;        // a timed test is about to hold its results
  bool harmonics = false;         // the harmonic tables changed
  bool flicker = false;           // the flicker results changed
  bool stepEnded = false;         // a manual step ended: its result recorded
  bool sequenceFinished = false;  // ... and it was the last step
  bool graphCleared = false;      // GraphBitmap was emptied before anything was drawn on it
  bool waveformDrawn = false;     // GraphBitmap holds a new waveform
  bool histogramDrawn = false;    // GraphBitmap holds a new histogram
  GraphChange graphChange;        // what the last draw changed on GraphBitmap
  GraphState graphBefore;         // the graph state the last draw started from
  bool setupChanged = false;      // a replayed state changed the set-up

  DocumentChange& operator|=(const DocumentChange& later);
};

// The station's state and the state of the test in hand, without any
// window: the received-line entry, the record fields and everything derived
// from them, the test's phase, the set-up a test started with, the report,
// its counter, the graph bitmap the printouts take, and the recording.
//
// Lines and operator actions go in; commands go out through the sink; each
// call returns what it changed. A live window feeds it from the serial link
// and forwards the operator's actions; a review or a headless rebuild feeds
// it a recording, with a sink that sends nothing.
class TestDocument {
 public:
  explicit TestDocument(CommandSink& commands);
  ~TestDocument();
  TestDocument(const TestDocument&) = delete;
  TestDocument& operator=(const TestDocument&) = delete;
  // The document as `other` stands, for a replay to go on from (a review's
  // checkpoint): everything but the recording; commands go to `commands`.
  TestDocument(const TestDocument& other, CommandSink& commands);
  // This document made as `other` stands, but for its own recording and
  // commands.
  void CopyStateFrom(const TestDocument& other);

  // --- what it holds ------------------------------------------------------
  const RecordFields& Fields() const { return fields_; }
  const MeterExtremes& Extremes() const { return extremes_; }
  const HarmonicsModel& Harmonics() const { return Model(); }
  const FlickerResults& Flicker() const { return flicker_; }
  const ManualSteps& Steps() const { return manualSteps_; }
  const WaveformSamples& Samples() const { return samples_; }
  const ReportStore& Report() const { return Rows(); }
  const TestState& Test() const { return test_; }
  TestPhase Phase() const { return phase_; }
  const SummaryPanel& Summary() const { return summary_; }
  const DerivedReadings& Readings() const { return readings_; }
  // The supply check flags of the last line; nullopt before any.
  std::optional<int> SupplyCheckFlags() const { return memoFlags_; }
  // The test status text of the last line, "String Error" for a record of
  // an unknown type; empty before any line gave one.
  const QString& StatusText() const { return statusText_; }
  const QImage& GraphBitmap() const { return graphBitmap_; }
  const GraphState& Graph() const { return graph_; }
  GraphState& Graph() { return graph_; }
  const RxLineFramer& Framer() const { return framer_; }
  // The type letter of the last line handled ('L', 'H', 'V', 'I'); NUL
  // before any, or for a line of another type.
  char LastRecordType() const { return lastRecordType_; }
  // For whoever sets a state up directly rather than by lines and actions:
  // tools that prepare a document, and tests.
  RecordFields& Fields() { return fields_; }
  HarmonicsModel& Harmonics() {
    WriteDueHarmonicRows();
    return Model();
  }
  ManualSteps& Steps() { return manualSteps_; }
  ReportStore& Report() { return Rows(); }
  TestState& Test() { return test_; }

  // The panels as they stand, and the set-up the report describes: the one
  // the test in hand started with, or the panels' before any test.
  const StationSetup& Setup() const { return setup_; }
  const StationSetup& ReportedSetup() const { return captured_ ? captured_->setup : setup_; }
  // The report number the settings keep: the last test's.
  quint32 ReportCounter() const { return test_.ReportCounter; }
  void SetReportCounter(quint32 counter) { test_.ReportCounter = counter; }
  QDateTime TestStartTime() const { return testStartTime_; }
  void SetTestStartTime(const QDateTime& time) { testStartTime_ = time; }
  // The identity of the test the report describes: new at each test's
  // start (a manual sequence keeps its first step's), the same however
  // often and wherever its report is saved.
  const QString& TestIdentity() const { return testIdentity_; }

  // The time the document lives in: the clock, or the recorded time of the
  // line or action being handled.
  QDateTime Now() const;
  // The locale the station's clock is written in: this system's, or the
  // recorded station's in a replay.
  QLocale ClockLocale() const;

  // --- the set-up ---------------------------------------------------------
  // The panels changed; nothing else happens (the live window runs the
  // reactions that go with the change).
  void SetSetup(const StationSetup& setup) { setup_ = setup; }
  // A state of a recording: the set-up changes, and the changes a window
  // would have reacted to are made as it made them.
  DocumentChange ApplyRecordedState(const RecordedState& state);
  bool FlickerStandard() const { return setup_.Setup.ComboBox1 == 1; }
  // The program puts a whole set-up on the panels (defaults, a recalled
  // report's) between these two calls: a change of standard in it keeps
  // the test in hand.
  void LoadingSetUp(bool begins);
  bool ManualSwitching() const { return setup_.Setup.RadioButton2 && FlickerStandard(); }

  // --- lines in -----------------------------------------------------------
  // Bytes of the line, one at a time; a whole line is handled at once.
  // `whole` is false when a cut-short record ended the line and the rest of
  // the bytes must wait for a later notification.
  struct Received {
    DocumentChange change;
    bool whole = true;
  };
  // A line from the live link: recorded, then handled at its recorded time.
  Received ReceiveLine(const QByteArray& line);
  // One line, handled as it came.
  Received HandleLine(const QByteArray& line);
  // The framing state of the receive entry.
  bool Feed(char ch, QByteArray* completed) { return framer_.Feed(ch, completed); }
  // Forgets a line begun and not finished: the port opened (again), and
  // what comes now goes on with some other line than the one cut short.
  void DiscardPartialLine() { framer_.Clear(); }

  // --- the operator's actions ---------------------------------------------
  struct StartResult {
    DocumentChange change;
    bool aborted = false;     // the running test was asked to stop
    bool refused = false;     // a finished sequence is not started again
    bool began = false;       // a test or a step began
    bool durationCorrected = false;  // the duration box must read the default
    bool eventsCorrected = false;    // "Number of Events" must read the maximum
    // Why the test that began cannot be recorded (or may be cut short);
    // empty when its recording was made.
    QString recordingProblem;
    bool recordingFailed = false;  // ... and it is not being made at all
  };
  // "Start" or "Abort": what the start button does as the test stands.
  StartResult StartOrAbort();
  // "New Test": a new manual sequence is prepared; the finished report stays.
  void NewTest();
  // "Manual Switching" chosen: a new sequence, as "New Test".
  void ManualSwitchingChosen();
  DocumentChange FreeRun();
  void Hold();
  void ResetMeter();
  // The lock button: the graph area cleared, the range locked or freed.
  struct LockResult {
    DocumentChange change;
    bool locked = false;
  };
  LockResult ToggleLock();
  // "Range Up" (-1) or "Range Down" (+1): the new range is asked for; the
  // report is rebuilt by FinishRangeStep once its records have come.
  void StepRange(int direction);
  void FinishRangeStep();
  // The document's side of a change of standard: the test in hand and its
  // report are given up and the meter extremes reset; once the analyser's
  // records of the new standard have come, StandardSettled asks for the
  // ones the display needs and builds the report.
  void StandardChanged();
  void StandardSettled();
  // The document's side of a new choice in one of the two display groups
  // (the one of the standard not chosen reacts too): the graph area
  // cleared, the report rebuilt, the records the display needs asked for,
  // its graph drawn.
  enum class DisplayGroup { Harmonics, Flicker };
  DocumentChange DisplayChosen(DisplayGroup group);
  // The reported set-up's flicker options.
  FlickerOptions ReportedFlickerOptions() const { return TestFlickerOptions(); }
  // A new manual sequence: steps, their results and the flicker summary
  // emptied; results the analyser may still hold belong to an earlier test.
  void NewManualSequence();
  // Empties the result model, the waveform stores and the report lines.
  void ClearResults();
  void ResetMeterExtremes() { extremes_.Reset(); }
  // Asks the analyser again for everything the set-up says: after the link
  // came back, or after the set-up changed.
  void SendHarmonicMethod();
  void SendFlickerSetup();
  void SendTestSetup();
  // False when the nominal supply is not a value to send.
  bool SendNominalSupply();
  void RequestData();
  void SendRange();

  // --- the report -----------------------------------------------------------
  void ClearReport();
  void BuildReport();
  ReportSnapshot TakeReportSnapshot() const;
  // The graph area emptied in the face colour of the window.
  DocumentChange ClearGraphArea();
  DocumentChange DrawWaveformGraph();
  DocumentChange DrawHarmonicsHistogram();
  void SetFaceColour(const QColor& colour) { faceColour_ = colour; }
  // The manual switching results as they stand now.
  ManualSwitchingView EvaluateSteps();

  // --- recording and replay -------------------------------------------------
  RecordedState TakeRecordedState() const;
  // A new recording begins with each test (the first step of a manual
  // sequence). It ends a tail after the test is over (its end, the end of
  // the sequence's last step, an abort, "Free Run" or "New Test"), so that
  // the held results are in it, at the latest at the cap, and when the
  // next test begins or the document goes.
  struct RecordingBounds {
    qint64 tailMilliseconds = 10'000;
    // Past the longest test (60000 s), and far short of the 49.7 days
    // after which the entries' 32-bit times would wrap.
    qint64 capMilliseconds = 24 * 3600 * 1000;
  };
  void SetRecordingBounds(const RecordingBounds& bounds) { bounds_ = bounds; }
  // The size recordings/ is kept within, pruned at each start; 0: no bound.
  void SetRecordingsLimit(qint64 bytes) { recordingsLimit_ = bytes; }
  // Prunes recordings/ to its size now, keeping the test in hand's.
  void PruneRecordingsFolder();
  void RecordAction(const char* action);
  void RecordAction(const char* action, const QDateTime& at);
  void RecordSent(const QByteArray& command);
  // The recording of the test in hand as one whole file; nullopt when there
  // is none, or when it has ended and the report has changed since (it
  // would rebuild another one). `failed` says whether it could not be
  // written.
  std::optional<QByteArray> RecordingBytes(bool* failed, QString* path);
  // Ends the recording and waits until every recording is closed.
  void WaitForRecordings();
  // One entry of a recording that began at `start`, handled as the live
  // document handled it. Nothing is recorded and nothing is sent.
  DocumentChange ReplayEntry(const QDateTime& start, const RecordingEntry& entry);
  void SetReplaying() { replaying_ = true; }

 private:
  struct CapturedTest {
    StationSetup setup;
    quint32 reportCounter = 0;
    QDateTime startTime;
  };

  bool ProcessLine(const QByteArray& line, DocumentChange& change);
  void HandleCommonSection(const LineFields& fields, DocumentChange& change);
  void ApplyStatusCode(char status, DocumentChange& change);
  void HandleSecondsToGo(DocumentChange& change);
  void HandleAssessmentFields(const LineFields& fields);
  bool HandleHarmonicsRecord(const QByteArray& line, DocumentChange& change);
  void HandleFlickerRecord(const QByteArray& line, DocumentChange& change);
  void HandleVoltageWaveform(const QByteArray& line, DocumentChange& change);
  void RecordStepResult(DocumentChange& change);
  void CheckTestDuration(StartResult& result);
  void ShowReadings(const RecordFields& fields);
  DocumentChange ReplayAction(const QByteArray& payload);
  FlickerOptions TestFlickerOptions() const;
  bool TestIsManual() const;
  bool TestIsFlicker() const;
  void Send(const QByteArray& command) { commands_.SendCommand(command); }

  QString BeginRecording();
  void EndRecording();
  // The test is over: its recording runs on for the tail.
  void RecordingTailFrom();
  // The time of an entry recorded now; nullopt when the recording has
  // reached its bounds (it is then ended).
  std::optional<quint32> RecordingTime();
  void RecordEntry(EntryKind kind, const QByteArray& payload);
  void RecordStateIfChanged();
  std::optional<QDateTime> RecordReceivedLine(const QByteArray& line);

  CommandSink& commands_;
  StationSetup setup_;
  std::optional<CapturedTest> captured_;
  QDateTime testStartTime_;
  QString testIdentity_;
  TestPhase phase_ = TestPhase::Idle;
  TestState test_;
  // The report holds the results table of a finished manual sequence: the
  // records that keep coming must not write over it until it is emptied.
  bool reportHoldsSequence_ = false;

  RxLineFramer framer_;
  char lastRecordType_ = '\0';
  RecordFields fields_;
  MeterExtremes extremes_;
  // The tables of the last whole harmonics record, read into the model
  // once something looks at it (Model()).
  mutable HarmonicsModel harmonics_;
  mutable QByteArray dueTables_;
  HarmonicsModel& Model() const;
  FlickerResults flicker_;
  ManualSteps manualSteps_;
  WaveformSamples samples_;
  SummaryPanel summary_;
  DerivedReadings readings_;
  std::optional<int> memoFlags_;
  QString statusText_;
  // Every harmonics record rewrites the same rows of the report, from the
  // model alone: they are written once something reads the report, writes
  // other rows, or changes the model otherwise, rather than 28 times a
  // second.
  mutable ReportStore report_;
  mutable bool harmonicRowsDue_ = false;
  QString dueFundamental_;
  void WriteDueHarmonicRows() const;
  ReportStore& Rows() const {
    WriteDueHarmonicRows();
    return report_;
  }

  GraphState graph_;
  QColor faceColour_;
  QImage graphBitmap_;
  WaveformDrawing waveformDrawing_;
  HistogramDrawing histogramDrawing_;

  std::unique_ptr<RecordingWriter> recording_;
  std::vector<std::shared_future<bool>> closingRecordings_;
  // The last recording once it has ended, while it may still be the one
  // of the report in hand: the report as it ended.
  struct EndedRecording {
    QString path;
    std::shared_future<bool> written;
    ReportStore report;
  };
  std::optional<EndedRecording> ended_;
  RecordingBounds bounds_;
  std::optional<qint64> tailFrom_;
  qint64 recordingsLimit_ = 0;
  QElapsedTimer recordingClock_;
  QDateTime recordingStart_;
  std::optional<RecordedState> recordedState_;
  std::optional<QDateTime> clock_;
  std::optional<QLocale> clockLocale_;
  bool replaying_ = false;
  // A replay is inside the program's loading of a set-up: a state that
  // changes the standard came from it.
  bool setUpLoading_ = false;
};
