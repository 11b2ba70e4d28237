#pragma once

#include "display/text_grid_cells.h"
#include "results/flicker_results.h"

// The fixed headings the two flicker grids are given at start-up.
GridCells FlickerTablesHeadings();
GridCells VoltageVariationHeadings();

// The cells of the "Flicker Tables" view one record rewrites: the classifier
// and its peak, and with the two-hour option the intervals and Plt, the
// interval being measured marked " <".
GridCells FlickerTablesCells(const FlickerResults& results, bool twoHourPlt);

// The "Voltage Fluctuations" view: summary lines 0 to 19 in rows 0 to 19;
// an empty summary leaves the heading in row 0.
GridCells VoltageVariationCells(const FlickerResults& results);
