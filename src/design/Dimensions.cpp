#include "Dimensions.h"

#include "store/DataSet.h"

#include <algorithm>

namespace design {

const std::array<QString, ColCount + RowCount>& dimensionFields() {
    static const std::array<QString, ColCount + RowCount> names = [] {
        std::array<QString, ColCount + RowCount> n;
        for (int i = 0; i < ColCount; ++i)
            n[size_t(i)] = QStringLiteral("DimH%1").arg(i + 1);
        for (int j = 0; j < RowCount; ++j)
            n[size_t(ColCount + j)] = QStringLiteral("DimV%1").arg(j + 1);
        return n;
    }();
    return names;
}

Dimensions Dimensions::fromRecord(store::DataSet& design) {
    Dimensions d;
    const auto& names = dimensionFields();
    for (int i = 0; i < ColCount; ++i)
        d.H[size_t(i)] = design.fieldByName(names[size_t(i)]).asFloat();
    for (int j = 0; j < RowCount; ++j)
        d.V[size_t(j)] = design.fieldByName(names[size_t(ColCount + j)]).asFloat();
    return d;
}

QStringList EnableDimensions(const GridModel& grid, int selRow, int selCol) {
    QStringList boxes;
    if (selRow < 0 || selRow >= RowCount || selCol < 0 || selCol >= ColCount) return boxes;
    if (grid.mode(selRow, selCol) == None) return boxes;
    const Span s = grid.span(selRow, selCol);
    const auto& names = dimensionFields();
    for (int c = selCol; c < std::min(ColCount, selCol + std::clamp(s.ColSpan, 1, 3)); ++c)
        boxes << names[size_t(c)];
    for (int r = selRow; r < std::min(RowCount, selRow + std::clamp(s.RowSpan, 1, 3)); ++r)
        boxes << names[size_t(ColCount + r)];
    return boxes;
}

} // namespace design
