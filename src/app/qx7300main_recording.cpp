// Each test kept as it crossed the wire: opening a recording for review,
// and the review window's view of the document the recording plays into.
#include <QDir>
#include <QFileInfo>

#include "app/draw_grid.h"
#include "app/graph_canvas.h"
#include "app/operator_dialogs.h"
#include "app/qx7300main.h"
#include "app/radio_group.h"
#include "app/recording_review.h"
#include "record/recording_reader.h"
#include "display/graph_frame.h"
#include "ui_qx7300main.h"

void Tqx7300form::ShowReviewed(const DocumentChange& change) {
  const StationSetup& setup = document_->Setup();
  const TestSetupValues& s = setup.Setup;
  if (change.setupChanged || !change.line) {
    ShowSetup(s);
    for (QLineEdit* edit : {ui->Edit8, ui->Edit9}) {
      const QSignalBlocker quiet(edit);
      edit->setText(edit == ui->Edit8 ? setup.EquipmentUnderTest : setup.SerialNumber);
    }
    // The panels as the live window arranged them for the recorded set-up
    // (what they send goes to the review's silent sink), and the display
    // area as the recorded choices arrange it.
    const bool flicker = s.ComboBox1 == 1;
    if (flicker) {
      ShowFlickerSettings();
    } else {
      ShowHarmonicsSettings();
    }
    const int item = flicker ? s.RadioGroup2 : s.RadioGroup1;
    ui->CheckBox7->setVisible(item == 0);
    ShowScaleButtons(!flicker && item == 1);
    ui->DrawGrid1->setVisible(!flicker && item == 2);
    ui->StringGrid2->setVisible(flicker && item == 1);
    ui->StringGrid3->setVisible(flicker && item == 2);
    ui->Panel12->setVisible(flicker && item == 3);
  }
  ShowRange();
  ShowStatus();
  ShowSecondsToGo();
  ShowStartButton();
  ShowSummaryPanel();
  ShowMeterReadings();
  UpdateFlickerDisplay();
  if (ManualSwitching()) ShowManualSwitchingResults();
  if (ui->DrawGrid1->isVisible()) ui->DrawGrid1->viewport()->update();
  // The graph as the document last cleared and drew it.
  if (change.graphCleared) ui->Panel6->CopyImage(ClearedGraphArea(palette().color(QPalette::Button)), kHistogramPlace);
  if (change.waveformDrawn || change.histogramDrawn) {
    ui->Panel6->CopyImage(document_->GraphBitmap(), change.waveformDrawn ? kWaveformPlace : kHistogramPlace);
  }
  UpdateClock();
  // The showing enables some controls as the recorded status says; a
  // review changes nothing.
  LockForReview();
}

void Tqx7300form::LockForReview() {
  for (QWidget* control : {static_cast<QWidget*>(ui->Panel1), static_cast<QWidget*>(ui->Panel2),
                           static_cast<QWidget*>(ui->ComboBox1), static_cast<QWidget*>(ui->RadioGroup1),
                           static_cast<QWidget*>(ui->RadioGroup2), static_cast<QWidget*>(ui->CheckBox7),
                           static_cast<QWidget*>(ui->Button1), static_cast<QWidget*>(ui->Button2),
                           static_cast<QWidget*>(ui->Button3), static_cast<QWidget*>(ui->Button4),
                           static_cast<QWidget*>(ui->Button5), static_cast<QWidget*>(ui->Button6),
                           static_cast<QWidget*>(ui->Button7), static_cast<QWidget*>(ui->Button8),
                           static_cast<QWidget*>(ui->Button10), static_cast<QWidget*>(ui->Button11),
                           static_cast<QWidget*>(ui->Button12)})
    control->setEnabled(false);
  // What would change the live set-up or settings is the live window's,
  // and so is the station's history.
  for (QAction* action : {ui->OpenRecording1, ui->TestHistory1, ui->ReCallReport1, ui->LoadConfiguration1,
                          ui->PrinterFont1, ui->Settings2, ui->RestoreDefaultSettings1})
    action->setEnabled(false);
}

void Tqx7300form::OpenRecording1Click() {
  const QString path = dialogs_.OpenFileName({QStringLiteral("QX7300 Open Recording"),
                                              QStringLiteral("QX7300 Recordings|*.qxr"),
                                              QString::fromLatin1(kRecordingExtension), QDir::currentPath(), false});
  if (path.isEmpty()) return;
  // The start is read at once; damage further on is found as the review
  // reads the recording through, and said then.
  const RecordingReader probe(path);
  if (!probe.Start().isValid()) {
    dialogs_.ShowWarning(probe.Problem());
    return;
  }
  // It deletes itself when the review ends.
  new RecordingReview(path, dialogs_, shell_.PrinterFont);
}
