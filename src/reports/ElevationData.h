#pragma once

#include "Elevation.h"

#include <vector>

namespace data {
class TDM;
}
namespace store {
class DataSet;
}

namespace reports {

// The elevation of a design record drawn with the cells of `grid` (the
// window's own, which may be newer than the stored rows): its dimensions,
// the member widths the calculation would read for its system, finish,
// glazing and profiles, and the texts of its title. Moves no cursor.
ElevationSource designElevation(data::TDM& dm, store::DataSet& design,
                                const design::GridModel& grid);

// The same with the design's stored cells.
ElevationSource storedElevation(data::TDM& dm, store::DataSet& design);

// Every design of a project, in design-number order, with its stored cells.
std::vector<ElevationSource> projectElevations(data::TDM& dm, const QString& projectRef);

} // namespace reports
