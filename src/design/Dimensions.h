#pragma once

#include "GridModel.h"

#include <QStringList>
#include <array>

namespace store {
class DataSet;
}

namespace design {

// The fifteen frame dimensions of a design, mm: H[i] is DimH(i+1), the width
// of column i; V[j] is DimV(j+1), the height of row j. 0 means not used.
struct Dimensions {
    std::array<double, ColCount> H{};
    std::array<double, RowCount> V{};

    // Reads DimH1..DimH10 and DimV1..DimV5 of the data set's current row.
    static Dimensions fromRecord(store::DataSet& design);
};

namespace detail {
// Sum of `count` consecutive entries from `first`; false when they leave the array.
template <size_t N>
bool sumOf(const std::array<double, N>& values, int first, int count, double& out) {
    if (first < 0 || first + count > int(N)) return false;
    double s = 0;
    for (int i = first; i < first + count; ++i)
        s += values[size_t(i)];
    out = s;
    return true;
}
} // namespace detail

// The width and height of the cell at (RowNo, ColNo), merged cells included.
// A result the cell's span does not define (covered cells, unknown shapes,
// indexes off the grid) is left as the caller passed it. Inline: the
// calculation asks for every cell several times.
inline void GetDimension(const GridModel& grid, const Dimensions& dims, int RowNo, int ColNo,
                         double& DimH, double& DimV) {
    if (RowNo < 0 || RowNo >= RowCount || ColNo < 0 || ColNo >= ColCount) return;
    const Span s = grid.span(RowNo, ColNo);
    const int cs = s.ColSpan, rs = s.RowSpan;
    const bool square = cs == 2 && rs == 2;
    // A single column of any height has its width; a single row up to three
    // columns wide, and the 2 x 2 area, have their summed width.
    if ((cs == 1 && rs >= 1) || (rs == 1 && cs >= 1 && cs <= 3) || square)
        detail::sumOf(dims.H, ColNo, cs, DimH);
    if ((rs == 1 && cs >= 1) || (cs == 1 && rs >= 1 && rs <= 3) || square)
        detail::sumOf(dims.V, RowNo, rs, DimV);
}

// The dimension boxes EnableDimensions enables for the selected cell: the
// names of the width boxes of its columns and the height boxes of its rows,
// none for a "NONE" cell.
QStringList EnableDimensions(const GridModel& grid, int selRow, int selCol);

// The dimension field names, "DimH1".."DimH10" then "DimV1".."DimV5".
const std::array<QString, ColCount + RowCount>& dimensionFields();

} // namespace design
