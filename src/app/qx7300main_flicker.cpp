// Voltage-variation and flicker records, and manual-switching results:
// the summary, the report rows, the two flicker grids and the step table.
#include <QTableWidget>

#include "app/operator_dialogs.h"
#include "app/qx7300main.h"
#include "app/radio_group.h"
#include "app/string_grid.h"
#include "control/test_sequencing.h"
#include "display/flicker_views.h"
#include "display/manual_switching_view.h"
#include "ui_qx7300main.h"

namespace {

enum FlickerDisplay { kWaveForm = 0, kVoltageFluctuations = 1, kFlickerTables = 2, kManualSwitching = 3 };

void WriteCells(QTableWidget* grid, const GridCells& cells) {
  for (const GridCell& cell : cells) SetGridCell(grid, cell.column, cell.row, cell.text);
}

}  // namespace

FlickerOptions Tqx7300form::CurrentFlickerOptions() const {
  FlickerOptions options;
  options.voltageFluctuations = ui->CheckBox3->isChecked();
  options.flicker = ui->CheckBox6->isChecked();
  options.twoHourPlt = ui->CheckBox5->isChecked();
  options.continuous = ui->RadioButton1->isChecked();
  return options;
}

bool Tqx7300form::HandleFlickerRecord(const QByteArray& line) {
  if (graph_.GraphClearPending) ClearGraphArea();
  ReadFlickerFields(line, flicker_);
  const FlickerOptions options = CurrentFlickerOptions();
  UpdateFlickerSummary(flicker_, options);
  // Once a manual sequence has finished, its step table holds these rows of
  // the report; the records that keep coming while the results are held
  // must not write over it.
  if (options.continuous || !test_.ManualSequenceFinished) WriteFlickerReportRows(flicker_, options, report_);
  switch (ui->RadioGroup2->ItemIndex()) {
    case kVoltageFluctuations:
      if (graph_.GraphClearPending) ClearGraphArea();
      WriteCells(ui->StringGrid2, VoltageVariationCells(flicker_));
      break;
    case kFlickerTables:
      WriteCells(ui->StringGrid3, FlickerTablesCells(flicker_, options.twoHourPlt));
      break;
    default:
      break;
  }
  return true;
}

void Tqx7300form::UpdateFlickerDisplay() {
  switch (ui->RadioGroup2->ItemIndex()) {
    case kVoltageFluctuations: WriteCells(ui->StringGrid2, VoltageVariationCells(flicker_)); break;
    case kFlickerTables: WriteCells(ui->StringGrid3, FlickerTablesCells(flicker_, ui->CheckBox5->isChecked())); break;
    case kManualSwitching: ShowManualSwitchingResults(); break;
    default: break;
  }
}

void Tqx7300form::ClearFlickerSummary() {
  flicker_.FlickerDisplayLines.fill(QString());
  ClearGridColumn(ui->StringGrid2, 0, 1, FlickerResults::kSummaryLines - 1);
}

void Tqx7300form::WriteFlickerGridHeadings() {
  WriteCells(ui->StringGrid3, FlickerTablesHeadings());
  WriteCells(ui->StringGrid2, VoltageVariationHeadings());
}

void Tqx7300form::ShowManualSwitchingResults() {
  const ManualSwitchingView view =
      EvaluateManualSteps(manualSteps_, test_.StepNumber, test_.EventsToCollect, test_.ManualSequenceFinished);
  WriteCells(ui->StringGrid1, view.cells);
  ui->Label12->setText(view.combined);
}

void Tqx7300form::RecordStepResult() {
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
    ShowStartButton();
    ShowManualSwitchingResults();
    return;
  }

  test_.ManualSequenceFinished = true;
  test_.StepNumber = lastStep;
  ShowStartButton();
  // The last step is evaluated with its own result before anything of it is
  // reported, whatever a repaint does while the message shows.
  ShowManualSwitchingResults();
  WriteManualResultsHeading(report_);
  dialogs_.ShowInformation(TestSequencing::kSequenceFinished);
  QList<std::array<QString, 4>> stepCells;
  for (int s = 1; s <= test_.StepNumber; ++s) {
    const StepCellPlace place = StepCellsAt(s);
    std::array<QString, 4> cells;
    for (int c = 0; c < 4; ++c) cells[static_cast<size_t>(c)] = GridCellText(ui->StringGrid1, place.column + c, place.row);
    stepCells << cells;
  }
  WriteManualReportRows(stepCells, ui->Label12->text(), report_);
}
