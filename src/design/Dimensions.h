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

// The width and height of the cell at (RowNo, ColNo), merged cells included.
// A result the cell's span does not define (covered cells, unknown shapes,
// indexes off the grid) is left as the caller passed it.
void GetDimension(const GridModel& grid, const Dimensions& dims, int RowNo, int ColNo, double& DimH,
                  double& DimV);

// The dimension boxes EnableDimensions enables for the selected cell: the
// names of the width boxes of its columns and the height boxes of its rows,
// none for a "NONE" cell.
QStringList EnableDimensions(const GridModel& grid, int selRow, int selCol);

// The dimension field names, "DimH1".."DimH10" then "DimV1".."DimV5".
const std::array<QString, ColCount + RowCount>& dimensionFields();

} // namespace design
