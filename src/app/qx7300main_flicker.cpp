// Voltage-variation and flicker records, and manual-switching results:
// the summary, the report rows, the two flicker grids and the step table.
#include <QTableWidget>

#include "app/qx7300main.h"
#include "app/radio_group.h"
#include "app/string_grid.h"
#include "display/flicker_views.h"
#include "display/manual_switching_view.h"
#include "ui_qx7300main.h"

namespace {

enum FlickerDisplay { kWaveForm = 0, kVoltageFluctuations = 1, kFlickerTables = 2, kManualSwitching = 3 };

void WriteCells(QTableWidget* grid, const GridCells& cells) {
  for (const GridCell& cell : cells) SetGridCell(grid, cell.column, cell.row, cell.text);
}

}  // namespace

void Tqx7300form::UpdateFlickerDisplay() {
  const FlickerResults& flicker = document_->Flicker();
  switch (ui->RadioGroup2->ItemIndex()) {
    case kVoltageFluctuations: WriteCells(ui->StringGrid2, VoltageVariationCells(flicker)); break;
    case kFlickerTables:
      WriteCells(ui->StringGrid3, FlickerTablesCells(flicker, document_->ReportedFlickerOptions().twoHourPlt));
      break;
    case kManualSwitching: ShowManualSwitchingResults(); break;
    default: break;
  }
}

void Tqx7300form::ClearFlickerSummary() {
  ClearGridColumn(ui->StringGrid2, 0, 1, FlickerResults::kSummaryLines - 1);
}

void Tqx7300form::WriteFlickerGridHeadings() {
  WriteCells(ui->StringGrid3, FlickerTablesHeadings());
  WriteCells(ui->StringGrid2, VoltageVariationHeadings());
}

void Tqx7300form::ShowManualSwitchingResults() {
  const ManualSwitchingView view = document_->EvaluateSteps();
  WriteCells(ui->StringGrid1, view.cells);
  ui->Label12->setText(view.combined);
}
