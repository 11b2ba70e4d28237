// Choosing what the graph and table area shows: each choice clears the
// area, asks the analyser for the records it needs, shows its controls and
// draws a graph at once.
#include "app/qx7300main.h"
#include "app/radio_group.h"
#include "display/graph_frame.h"
#include "link/command_vocabulary.h"
#include "ui_qx7300main.h"

void Tqx7300form::RadioGroup1Click() {
  ClearGraphArea();
  BuildReport();
  const int item = ui->RadioGroup1->ItemIndex();
  if (item < 0 || item > 2) return;
  ui->CheckBox7->setVisible(item == 0);
  ShowScaleButtons(item == 1);
  SendCommand(item == 0 ? Command::RequestWaveforms() : Command::RequestHarmonics());
  ui->DrawGrid1->setVisible(item == 2);
  ui->StringGrid2->hide();
  ui->StringGrid3->hide();
  ui->Panel12->hide();
  if (item == 0) {
    DrawWaveformGraph();
    CopyGraphToWindow(kWaveformPlace);
  } else if (item == 1) {
    DrawHarmonicsHistogram();
    CopyGraphToWindow(kHistogramPlace);
  }
}

void Tqx7300form::RadioGroup2Click() {
  ClearGraphArea();
  BuildReport();
  const int item = ui->RadioGroup2->ItemIndex();
  if (item < 0 || item > 3) return;
  ui->CheckBox7->setVisible(item == 0);
  // The scale buttons belong to the histogram; a waveform leaves them be.
  if (item != 0) ShowScaleButtons(false);
  SendCommand(item == 0 ? Command::RequestWaveforms() : Command::RequestFlicker());
  ui->DrawGrid1->hide();
  ui->StringGrid2->setVisible(item == 1);
  ui->StringGrid3->setVisible(item == 2);
  ui->Panel12->setVisible(item == 3);
  if (item == 0) {
    DrawWaveformGraph();
    CopyGraphToWindow(kWaveformPlace);
  }
}
