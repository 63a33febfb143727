#pragma once

#include "CellWords.h"
#include "SashRows.h"
#include "design/Dimensions.h"
#include "design/GridModel.h"

#include <QStringList>

namespace calc {

// The size-limit warnings of a design, in the order they are shown: first the
// width and height limits of each typed base cell's own sash row, then the
// glazing's largest pane area for every base cell. Nothing when warningsOff.
QStringList designWarnings(const design::GridModel& grid, const design::Dimensions& dims,
                           const SashRows& sashes, const GlazingRow& glazing,
                           const QString& designRef, bool warningsOff);
QStringList designWarnings(const CellWords& words, const design::Dimensions& dims,
                           const SashRows& sashes, const GlazingRow& glazing,
                           const QString& designRef, bool warningsOff);

// A number as the messages write it: shortest general form, up to 15 digits.
QString messageNumber(double value);

// The design's costs, accumulated cell by cell.
struct CostTotals {
    long double frame = 0;
    long double glazing = 0;
    long double factory = 0;
    // Installation, costed like the factory cost; the stored row has no place
    // for it, the price shows it.
    long double install = 0;
    // Words of typed cells the system's sash rows do not list (costed nothing).
    QStringList unpriced;
};

// The cost loop, column by column. Each typed cell is costed from its own sash
// row, found by its word in any letter case; a cell type the system does not
// list costs nothing.
CostTotals costLoop(const design::GridModel& grid, const design::Dimensions& dims,
                    const SashRows& sashes, const QString& finish, double glazingCost);
CostTotals costLoop(const CellWords& words, const design::Dimensions& dims, const SashRows& sashes,
                    const QString& finish, double glazingCost);

// Total cost per m² of window; 0 for a design without area.
long double totalCostPerArea(const CostTotals& costs, long double area);

} // namespace calc
