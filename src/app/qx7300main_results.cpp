// Result records from the analyser: the harmonic tables and their report
// rows.
#include "app/qx7300main.h"
#include "app/radio_group.h"
#include "results/harmonic_report_rows.h"
#include "results/harmonics_record.h"
#include "ui_qx7300main.h"

bool Tqx7300form::HandleHarmonicsRecord(const QByteArray& line) {
  // A cut-short record ends the line here; its report rows wait for a
  // whole one.
  if (!ReadHarmonicsRecord(line, harmonics_)) return false;
  WriteHarmonicReportRows(harmonics_, report_);
  switch (ui->RadioGroup1->ItemIndex()) {
    case 1:
      DrawHarmonicsHistogram();
      CopyGraphToWindow(QPoint(451, 16));
      break;
    case 2:
      ui->DrawGrid1->viewport()->update();
      break;
    default:
      break;
  }
  return true;
}
