#pragma once

#include "display/text_grid_cells.h"
#include "results/manual_steps.h"

// What the manual switching results panel shows after an evaluation.
struct ManualSwitchingView {
  QString combined;  // " -" or the mean with two decimals
  GridCells cells;   // number, time, d(max) and status cells to rewrite
};

// Marks the highest and lowest of the steps that hold a result of this
// sequence (steps 1 to stepNumber - 1 while it runs, all eventsToCollect
// once it has finished) and averages the others.
ManualSwitchingView EvaluateManualSteps(ManualSteps& steps, int stepNumber, int eventsToCollect, bool finished);

// Where the four cells of step s (number, time, d(max), status) begin:
// steps 1 to 12 in the left half of the grid, 13 to 24 in the right.
struct StepCellPlace {
  int column;
  int row;
};
StepCellPlace StepCellsAt(int step);
