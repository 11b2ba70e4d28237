// Choosing what the graph and table area shows: each choice clears the
// area, asks the analyser for the records it needs, shows its controls and
// draws a graph at once.
#include "app/draw_grid.h"
#include "app/graph_canvas.h"
#include "app/qx7300main.h"
#include "app/radio_group.h"
#include "display/graph_frame.h"
#include "display/harmonics_table.h"
#include "ui_qx7300main.h"

void Tqx7300form::RadioGroup1Click() {
  // A review window's display follows the recording (ShowReviewed).
  if (reviewMode_) return;
  SyncSetup();
  const DocumentChange change = document_->DisplayChosen(TestDocument::DisplayGroup::Harmonics);
  ShowGraphCleared();
  const int item = ui->RadioGroup1->ItemIndex();
  if (item < 0 || item > 2) return;
  ui->CheckBox7->setVisible(item == 0);
  ShowScaleButtons(item == 1);
  ui->DrawGrid1->setVisible(item == 2);
  ui->StringGrid2->hide();
  ui->StringGrid3->hide();
  ui->Panel12->hide();
  if (change.waveformDrawn || change.histogramDrawn) ShowGraphDrawn(change);
}

void Tqx7300form::RadioGroup2Click() {
  if (reviewMode_) return;
  SyncSetup();
  const DocumentChange change = document_->DisplayChosen(TestDocument::DisplayGroup::Flicker);
  ShowGraphCleared();
  const int item = ui->RadioGroup2->ItemIndex();
  if (item < 0 || item > 3) return;
  ui->CheckBox7->setVisible(item == 0);
  // The scale buttons belong to the histogram; a waveform leaves them be.
  if (item != 0) ShowScaleButtons(false);
  ui->DrawGrid1->hide();
  ui->StringGrid2->setVisible(item == 1);
  ui->StringGrid3->setVisible(item == 2);
  ui->Panel12->setVisible(item == 3);
  if (item == 0) {
    ShowGraphDrawn(change);
  } else if (item == 1 || item == 2) {
    // The latest results at once, not what the grid held when last shown:
    // the next flicker record may be far off, or not come while the link
    // is down.
    UpdateFlickerDisplay();
  }
}

void Tqx7300form::FormPaint() {
  // Only geometry and one copy of the kept graph: no command, no wait, no
  // report. A paint can come at any moment, also inside a wait.
  ui->StringGrid1->setGeometry(73, 20, 416, 256);
  static constexpr std::array<int, 9> kManualGridWidths{25, 70, 55, 50, 4, 25, 70, 55, 50};
  for (int c = 0; c < static_cast<int>(kManualGridWidths.size()); ++c)
    ui->StringGrid1->setColumnWidth(c, kManualGridWidths[static_cast<size_t>(c)]);
  WriteManualGridHeader();
  const int standard = ui->ComboBox1->currentIndex();
  if (ManualSwitching() && standard == 1) ShowManualSwitchingResults();

  ui->DrawGrid1->SetColumnWidths(QList<int>(kHarmonicsTableWidths.begin(), kHarmonicsTableWidths.end()));
  ui->DrawGrid1->move(ui->DrawGrid1->x(), 12);
  ui->StringGrid2->move(500, 12);
  ui->StringGrid3->move(500, 12);
  ui->Panel8->move(440, 2);
  ui->Panel12->move(440, 2);

  const int harmonicsDisplay = ui->RadioGroup1->ItemIndex();
  const int flickerDisplay = ui->RadioGroup2->ItemIndex();
  if ((standard == 0 && harmonicsDisplay == 0) || (standard == 1 && flickerDisplay == 0)) {
    ui->Panel6->CopyImage(ShownGraph(), kWaveformPlace, GraphCanvas::Repaint::AlreadyPainting);
  } else if (standard == 0 && harmonicsDisplay == 1) {
    ui->Panel6->CopyImage(ShownGraph(), kHistogramPlace, GraphCanvas::Repaint::AlreadyPainting);
  }

  // Total harmonics is a reading of the harmonics standard only.
  if (standard == 0 || standard == 1) {
    for (QWidget* label : {ui->Label95, ui->Label85, ui->Label94}) label->setVisible(standard == 0);
  }
}
