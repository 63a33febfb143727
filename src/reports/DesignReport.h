#pragma once

#include "Engine.h"
#include "Output.h"

#include <memory>

namespace data {
class TDM;
} // namespace data
namespace design {
class GridModel;
}

namespace reports {

// The "Fenestration Design Report" of the current project and design rows of
// the data module, with the picture in "Screen1.bmp" of the working folder.
Document designReport(data::TDM& dm);

// The report command: writes the picture of `grid` (the design shown) as
// "Screen1.bmp", then lays the report out. The caller recalculates first.
Document designReportWithPicture(data::TDM& dm, const design::GridModel& grid);

// The supplier logo file the report prints for a supplier code (exact, case
// sensitive); empty for any other code.
QString supplierLogoFile(const QString& supplier);

} // namespace reports
