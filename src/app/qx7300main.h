#pragma once

#include <QDateTime>
#include <QElapsedTimer>
#include <QImage>
#include <QMainWindow>
#include <QPointer>
#include <QTimer>

#include <array>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <vector>

#include "app/shell_state.h"
#include "archive/station_archive.h"
#include "display/harmonics_histogram.h"
#include "display/harmonics_table.h"
#include "display/waveform_graph.h"
#include "link/port_binding.h"
#include "persist/configuration_file.h"
#include "persist/safe_file_writer.h"
#include "persist/settings_file.h"
#include "report/graphic_printout.h"
#include "report/report_files.h"
#include "session/command_sink.h"
#include "session/test_document.h"

namespace Ui {
class Tqx7300form;
}

class OperatorDialogs;
class Tsplashform;
class Tmsgform;
class TAboutBox;
class TConnectform;
class Tpreviewform;
class Tcomfaultform;
class TSerialPort;
class TestHistoryWindow;
class LinkRecovery;
class ArchiveSender;
class QTextDocument;

// The main window: the view of a test document and the operator's way into
// it. It holds the controls, the timers and the dialogs; the station's and
// the test's state is the document's. The live window owns a document fed
// by the serial link, and is the link through which its commands go; a
// review window shows a document a recording plays into, and changes
// nothing of it.
class Tqx7300form : public QMainWindow, public CommandSink {
  Q_OBJECT

 public:
  // Client area of the window, below the menu bar.
  static constexpr int kClientWidth = 1010;
  static constexpr int kClientHeight = 680;

  explicit Tqx7300form(OperatorDialogs& dialogs, QWidget* parent = nullptr);
  // A window that shows `reviewed` as a recording plays into it: no port,
  // no timers, its set-up and test controls locked, no dialog of the
  // replay's own.
  Tqx7300form(OperatorDialogs& dialogs, TestDocument& reviewed, const QString& recordingPath);
  ~Tqx7300form() override;

  // The other windows of the program; the main window shows them and keeps
  // the values they show.
  struct Companions {
    Tsplashform* splash = nullptr;
    Tmsgform* msgform = nullptr;
    TAboutBox* aboutBox = nullptr;
    TConnectform* connectform = nullptr;
    Tpreviewform* previewform = nullptr;
    Tcomfaultform* comfaultform = nullptr;
  };
  void SetCompanions(const Companions& companions);

  Ui::Tqx7300form& Form() { return *ui; }
  ShellState& Shell() { return shell_; }
  TestDocument& Document() { return *document_; }
  const RecordFields& Fields() const { return document_->Fields(); }
  const HarmonicsModel& Harmonics() const { return document_->Harmonics(); }
  const ReportStore& Report() const { return document_->Report(); }
  const TestState& Test() const { return document_->Test(); }
  TSerialPort& SerialPort1() { return *SerialPort1_; }
  const QImage& GraphBitmap() const { return document_->GraphBitmap(); }
  QTimer& starttimer() { return starttimer_; }
  QTimer& clocktimer() { return clocktimer_; }
  QTimer& Comstimer() { return Comstimer_; }

  // --- shell -------------------------------------------------------------
  void UpdateClock();
  // Two seconds after the window appears: brings the program up.
  void starttimerTimer();
  // Every time the window becomes the active window.
  void FormActivate();
  // Empties the result model, the waveform stores and the report lines.
  void ClearResults();

  // --- receive (qx7300main_receive.cpp) ---------------------------------
  // Bytes-available notification: reads exactly count characters.
  void SerialPort1TriggerAvail(TSerialPort& sender, quint16 count);
  // The handler's work: count characters, each taken by receiveChar.
  void ConsumeReceived(quint16 count, const std::function<quint8()>& receiveChar);
  // One complete line, into the document and onto the window; false when a
  // bounds failure ends the notification.
  bool ProcessLine(const QByteArray& line);

  // --- commands (qx7300main_commands.cpp) -------------------------------
  // The only way commands leave the program.
  void SendCommand(const QByteArray& text) override;
  // The data request that matches the standard and the display chosen.
  void RequestData();

  // --- results (qx7300main_results.cpp) --------------------------------
  // The harmonics table's marks, loaded at start-up from the working folder.
  HarmonicsTableMarks& Marks() { return marks_; }
  void LoadMarkBitmaps();

  // --- graphs (qx7300main_graphs.cpp) -----------------------------------
  // Each draw replaces GraphBitmap; the caller copies it to the window.
  void DrawWaveformGraph();
  void DrawHarmonicsHistogram();
  // Paints over the graph area, then pauses three ticks.
  void ClearGraphArea();
  void ShowScaleButtons(bool visible);
  // The window's paint: re-applies the display area's layout and copies the
  // kept graph back; it never draws a graph, sends or waits.
  void FormPaint();

  // --- flicker and manual switching (qx7300main_flicker.cpp) --------------
  // The step table, its marks and the combined result.
  void ShowManualSwitchingResults();

  // --- test control (qx7300main_testcontrol.cpp) ---------------------------
  // The start button: starts a timed test or a manual step, or aborts the
  // test that runs.
  void StartOrAbort();
  void NewManualSequence();
  // Current ranging: the lock button, "Range Up" (-1) and "Range Down" (+1).
  void ToggleLock();
  void StepRange(int direction);
  void SendRange();

  // --- settings panels (qx7300main_settings.cpp) --------------------------
  void StandardChanged();
  // Prepares the window for the standard chosen in "Measurement".
  void ReinitialiseForStandard();
  void HarmonicsSettingChanged();
  void SendHarmonicMethod();
  void SendFlickerSetup();
  void SendTestSetup();
  void SendNominalSupply();

  // --- link supervision (qx7300main_link.cpp) ----------------------------
  // The watchdog: the analyser has been silent for 2 s after a command.
  void ComstimerTimer();
  // The no-response dialog's buttons.
  void RetryLink();
  // "&Settings...": the port and the next report number.
  void Settings2Click();
  void AcceptSettings();

  // --- persistence (qx7300main_persist.cpp) ------------------------------
  // The set-up as the configuration file holds it.
  TestSetupValues TakeTestSetup() const;
  void LoadConfiguration(const QString& path);
  void SaveConfigurationFile(const QString& path);
  // The settings file, then the start-up configuration; nothing until the
  // settings have been loaded at start-up.
  void SaveSettings();
  void ReadSettings();
  // recordings/ is kept within this size from now on.
  void UseRecordingsLimit(qint32 megabytes);
  void DefaultsProcedure();


  // --- recording (qx7300main_recording.cpp) -------------------------------
  // The time the window lives in: the document's.
  QDateTime Now() const { return document_->Now(); }
  // A review window after entries were played: the set-up panels, the
  // readings and the displays as the document has them now.
  void ShowReviewed(const DocumentChange& change);

  // --- report --------------------------------------------------------------
  // Empties the report store and builds the report afresh.
  void ClearReport() { document_->ClearReport(); }
  // Rewrites the header and the body head; result rows stay.
  void BuildReport() { document_->BuildReport(); }

 signals:
  // The window has closed for good; the program ends.
  void Closed();

 protected:
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  // The window's own reactions and what they share; the description's
  // names are kept.
  // --- shell -------------------------------------------------------------
  // Closes the splash and lets the link watchdog speak.
  void AcceptSplash();
  // Asked before the window closes: returns the analyser to free run and
  // closes the port; always lets the window close.
  bool FormCloseQuery();
  // The panels as the document keeps them.
  StationSetup TakeStationSetup() const;
  void ShowAboutBox();
  // --- receive (qx7300main_receive.cpp) ---------------------------------
  // What the document changed, shown.
  void ShowChange(const DocumentChange& change);
  // --- results (qx7300main_results.cpp) --------------------------------
  // The harmonics summary panel as the document has it.
  void ShowSummaryPanel();
  // The harmonics table's cell drawing.
  void DrawGrid1DrawCell(QPainter& painter, int column, int row, const QRect& cell);
  // A harmonics record's table: only the cells whose content changed are
  // painted again.
  void UpdateChangedHarmonicsCells();
  // The operator prompt of manual switching, placed and coloured at start-up.
  void PlaceOperatorPrompt();
  // --- graphs (qx7300main_graphs.cpp) -----------------------------------
  // The screen's own drawing of what the document drew.
  void ShowGraphDrawn(const DocumentChange& change);
  void CopyGraphToWindow(QPoint windowPos);
  // The memo takes the flags once the handling of the notification is done.
  void ShowSupplyCheckMemo(int flags);
  void ShowPendingMemo();
  // The screen's device pixels a pixel where the graphs show.
  qreal GraphScreenRatio() const;
  // What the window shows of the graph: the screen's own drawing when it
  // has one at the screen's density, else GraphBitmap_.
  const QImage& ShownGraph() const;
  // The window's side of it: the area shown empty, then the pause.
  void ShowGraphCleared();
  void Button10Click();  // "Scale Up"
  void Button11Click();  // "Scale Down"
  void Button12Click();  // "Auto-set Scale"
  // The display choices under the graph area.
  void RadioGroup1Click();  // "Harmonics Display Options"
  void RadioGroup2Click();  // "Flicker Display Options"
  // --- flicker and manual switching (qx7300main_flicker.cpp) --------------
  // Refreshes the flicker display chosen from the latest results.
  void UpdateFlickerDisplay();
  // The fixed headings of the flicker grids.
  void WriteFlickerGridHeadings();
  // Empties the voltage-variation summary and its grid below the heading:
  // the lines of an earlier test must not stand beside a new one's.
  void ClearFlickerSummary();
  // --- test control (qx7300main_testcontrol.cpp) ---------------------------
  void Button4Click();  // "New Test"
  void Button1Click();  // "Free Run"
  void Button2Click();  // "Hold"
  void Button3Click();  // "Reset Meter"
  void RadioButton1Click();  // "Continuous" selected
  void RadioButton2Click();  // "Manual Switching" selected
  void ClearManualGrids();
  // The start button's caption and whether it can be pressed, from the
  // last status, the test type and the manual sequence.
  void ShowStartButton();
  // --- settings panels (qx7300main_settings.cpp) --------------------------
  // The set-up sent again as the panels hold it, for the standard chosen.
  void ResendSetup();
  void ShowHarmonicsSettings();
  void ShowFlickerSettings();
  void SensingMethodChanged();
  void CheckBox5Click();  // the two-hour Plt box
  // --- link supervision (qx7300main_link.cpp) ----------------------------
  void CancelLink();
  void UseOffline();
  // The port's device went away by itself (an adapter pulled): the window
  // says so, link supervision takes over at once, and the device is looked
  // for until it is back or the operator works offline.
  void SerialPortLost();
  // The lost device is there again: the port opens on it; true when open.
  bool ReopenFoundDevice();
  // Where the lost device is looked for: what the port's number names now;
  // but a port that opened through COM<n> of the working folder waits for
  // COM<n> to come back rather than take the machine's /dev/ttyS<n-1>,
  // another device.
  QString LostPortPath() const;
  // COM<n> of the working folder made a link to the device chosen in a
  // list (nothing when none was chosen); a link already there that leads
  // elsewhere is replaced only when the operator says so. What it replaced
  // when it bound, so that a port that will not open can have it back.
  std::optional<ComLinkBefore> BindChosenDevice(quint16 comNumber, const QString& target);
  // --- persistence (qx7300main_persist.cpp) ------------------------------
  // One value of a configuration applied to its control, which reacts as to
  // the operator when the value changes.
  void ApplySetupItem(const ConfigurationItem& item);
  void SaveCurrentConfiguration1Click();
  void LoadConfiguration1Click();
  void ApplySetupDefaults();
  void RestoreDefaultSettings1Click();
  ProgramSettings TakeProgramSettings() const;
  // --- report output (qx7300main_output.cpp) -----------------------------
  void PreViewReport1Click();
  // "Print Report...": portrait, then the print job.
  void PrintReport1Click();
  // The report printed in the printer's current orientation.
  void PrintReportJob();
  void SaveTextReportFile();
  void SaveCsvReportFile();
  // "Save Report as P&DF File...": the report page and the graphic printout
  // in one PDF.
  void SavePdfReportFile();
  // A report's files saved as one, the test's recording beside them, and
  // filed in the station's archive with them (`form` the role of the
  // report's own file: "text", "csv" or "pdf"); a failure is shown.
  void SaveReportFiles(const QString& reportPath, const QString& form, QList<FileToSave> files);
  // The archive's entry of the report shown, without its files.
  ArchiveEntry ShownReportEntry() const;
  // "Import Reports into History...": a folder of saved reports filed.
  void ImportReports1Click();
  // The report is read into a store of its own and previewed; the live
  // report goes on apart from it. Its set-up is then loaded as the menu's
  // load does it.
  void ReCallReport1Click();
  void PrinterFont1Click();
  void Screendump1Click();
  void PrintCurrentGraphic1Click();
  // The preview shows the text report in the printer font.
  void FillPreview();
  // What the preview, printing and saving take: the recalled report while
  // one is shown, else the live one.
  const ReportStore& ShownReport() const;
  GraphicIdentification GraphicId() const;
  QFont PrinterQFont() const;
  QColor PrinterColour() const;
  // --- recording (qx7300main_recording.cpp) -------------------------------
  // "&Open Recording...": the recording reviewed in a window of its own.
  void OpenRecording1Click();
  // The recording of the report shown, made a whole file, to save beside
  // it: the test in hand's, or the one a recalled report was kept with;
  // nullopt when there is none.
  std::optional<QByteArray> RecordingOfShownReport();
  // --- history (qx7300main_history.cpp) -----------------------------------
  // "Test &History...": the station's archive listed in a window of its
  // own, one at a time, beside the live window.
  void TestHistory1Click();
  // --- the lab's archive server (qx7300main_labserver.cpp) ------------------
  // The station's queued entries go to `server` from now on (none: they
  // stay queued in the station's archive).
  void UseLabServer(const ArchiveServer& server);
  // The server wants a password: asked for once a run.
  void AskLabPassword();
  // After a test is filed: what waits goes to the lab's server.
  void SendToLabServer();

  void ApplyDesignAppearance();
  void ConfigureDisplayGrids();
  void WriteManualGridHeader();
  void ConnectMenu();
  void SetMeterPanelColour(const QColor& colour);
  void ConfigureSerialPort();
  // Every change of a set-up control reaches the document before the
  // control's own reaction runs.
  void ConnectSetupToDocument();
  void SyncSetup();
  void ShowStatus();
  void ShowSecondsToGo();
  void ShowOperatorPrompt(const QString& text, const QColor& colour);
  void HideOperatorPrompt();
  void ShowMeterReadings();
  void ShowRange();
  void ConnectTestControl();
  void ConnectLinkSupervision();
  void ConnectPersistence();
  void ConnectReportOutput();
  void ConnectPreview();
  void ConnectLinkDialogs();
  void ConnectSettingsPanels();
  void SetSettingsPanelsEnabled(bool enabled);
  // A test holds the set-up, from its start to its end.
  bool SetUpLocked() const;
  // The panels show the set-up as the document has it, without reacting.
  void ShowSetup(const TestSetupValues& setup);
  void LockForReview();
  // Waits that let the window's events run: the live window only. A review
  // window never runs the event loop inside a replay step.
  void Pause(int ticks);
  // Step 5 of the flicker settings: what the sensing method allows.
  void ApplySensingMethod();
  bool ManualSwitching() const;
  bool FlickerStandard() const;
  void Construct();

  Ui::Tqx7300form* ui;
  OperatorDialogs& dialogs_;
  Companions companions_;

  // What each harmonics table cell showed when it was last painted,
  // column by column within a row.
  std::array<HarmonicsTableCell, kHarmonicsTableColumns * kHarmonicsTableRows> paintedTableCells_;
  ShellState shell_;
  // The live window's own document; a review window shows another's.
  std::unique_ptr<TestDocument> ownDocument_;
  TestDocument* document_ = nullptr;
  bool reviewMode_ = false;
  // The recording a review window shows.
  QString reviewedPath_;
  TSerialPort* SerialPort1_ = nullptr;
  LinkRecovery* linkRecovery_ = nullptr;
  // The number of the port when it last opened through COM<n> of the
  // working folder.
  std::optional<quint16> openedThroughComEntry_;
  std::optional<RecalledReport> recalled_;
  QPointer<TestHistoryWindow> history_;
  std::unique_ptr<ArchiveSender> archiveSender_;
  // Given by the operator this run; never saved.
  QString labPassword_;
  bool labPasswordRefused_ = false;
  // The station's archive, opened at the first report saved; why it cannot
  // be opened is told once.
  StationArchive archive_;
  bool archiveProblemTold_ = false;
  // What the last draw changed on the document's GraphBitmap, for the copy
  // onto the window.
  GraphChange graphChange_;
  // On a screen of more than one device pixel a pixel, the same graphs drawn
  // again at its density for the window (GraphBitmap stays the bitmap the
  // printouts and the report take, the same on every screen).
  QImage screenGraph_;
  WaveformDrawing screenWaveform_;
  HistogramDrawing screenHistogram_;
  GraphChange screenChange_;
  HarmonicsTableMarks marks_;

  // A document for each set of supply check flags, laid out once and shown
  // by turns in the summary memo.
  std::array<QTextDocument*, 16> supplyMemos_{};
  // The flags of the last record, while the memo has still to show them.
  std::optional<int> pendingMemoFlags_;

  QTimer starttimer_;
  QTimer clocktimer_;
  QTimer Comstimer_;
};
