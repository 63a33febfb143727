#pragma once

#include "Engine.h"
#include "Output.h"

#include <memory>

class QWidget;

namespace app {
class Messages;
class TDM;
} // namespace app
namespace design {
class GridModel;
}

namespace reports {

// The "Fenestration Design Report" of the current project and design rows of
// the data module, with the picture in "Screen1.bmp" of the working folder.
Document designReport(app::TDM& dm);

// The report command: writes the picture of `grid` (the design shown) as
// "Screen1.bmp", then lays the report out. The caller recalculates first.
Document designReportWithPicture(app::TDM& dm, const design::GridModel& grid);

// The report command in the window: picture, then the preview (whole page).
void previewDesignReport(app::TDM& dm, const design::GridModel& grid, app::Messages& messages,
                         QWidget* parent = nullptr);

// The supplier logo file the report prints for a supplier code (exact, case
// sensitive); empty for any other code.
QString supplierLogoFile(const QString& supplier);

} // namespace reports
