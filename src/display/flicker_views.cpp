#include "display/flicker_views.h"

#include "link/field_rule.h"

namespace {

constexpr std::array<const char*, 15> kDurations{"0.1%", "0.7%", "1.0%", "1.5%", "2.2%", "3%",  "4%", "6%",
                                                 "8%",   "10%",  "13%",  "17%",  "30%",  "50%", "80%"};
constexpr int kFirstClassifierRow = 3;
constexpr int kFirstIntervalRow = 3;
constexpr int kFooterRow = 19;
constexpr int kIntervals = 12;

}  // namespace

GridCells FlickerTablesHeadings() {
  return {{0, 0, QStringLiteral("Flicker Meter")},
          {0, 1, QStringLiteral("    Pst Classifier")},
          {1, 1, QStringLiteral("    Plt Calculation")},
          {0, 2, QStringLiteral(" Duration     Flicker")},
          {1, 2, QStringLiteral(" Interval     Pst")}};
}

GridCells VoltageVariationHeadings() { return {{0, 0, QStringLiteral("Voltage Variations")}}; }

GridCells FlickerTablesCells(const FlickerResults& results, bool twoHourPlt) {
  GridCells cells{{0, kFooterRow, QStringLiteral("Peak pu ") + results.F(37)}};
  for (int i = 0; i < static_cast<int>(kDurations.size()); ++i) {
    cells.append({0, kFirstClassifierRow + i,
                  QString::fromLatin1(kDurations[static_cast<size_t>(i)]).rightJustified(6) +
                      QStringLiteral("       ") + results.F(38 + i)});
  }
  if (!twoHourPlt) return cells;
  const qsizetype firstInterval = cells.size();
  for (int i = 1; i <= kIntervals; ++i) {
    cells.append({1, kFirstIntervalRow + i - 1,
                  QString::number(i).rightJustified(5) + QStringLiteral(":       ") + results.F(54 + i)});
  }
  cells.append({1, kFooterRow, QStringLiteral("  Plt =      ") + results.F(67)});
  // The interval being measured. Only the rewritten interval cells take the
  // mark, so it never piles up on a cell that no record rewrites.
  const QString marked = results.F(54);
  const int interval = marked.isEmpty() ? 0 : HexDigitValue(marked.at(0).toLatin1());
  if (interval >= 1 && interval <= kIntervals) cells[firstInterval + interval - 1].text += QStringLiteral(" <");
  return cells;
}

GridCells VoltageVariationCells(const FlickerResults& results) {
  GridCells cells;
  for (int row = 0; row < FlickerResults::kSummaryLines; ++row)
    cells.append({0, row, results.FlickerDisplayLines[static_cast<size_t>(row)]});
  // Before a record has filled the summary the grid keeps its heading.
  if (cells.first().text.isEmpty()) cells.first() = VoltageVariationHeadings().first();
  return cells;
}
