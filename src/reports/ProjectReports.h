#pragma once

#include "Engine.h"
#include "Output.h"

class QWidget;

namespace app {
class Messages;
class TDM;
} // namespace app

namespace reports {

// The "Fenestration Design Summary" of the current project: its designs by
// storey, then reference, with each storey's window area and area x U.
Document summaryReport(app::TDM& dm);

// "Rational Design (SANS 10400XA)": the project's target, totals and verdict
// from its ProjectRational row (as it stands, posted or not), then the designs.
Document rationalReport(app::TDM& dm);

// The preview windows (zoomed to the page width). Both close the data
// module's DesignQuery and GlassQuery when the window closes.
void previewSummaryReport(app::TDM& dm, app::Messages& messages, QWidget* parent = nullptr);
void previewRationalReport(app::TDM& dm, app::Messages& messages, QWidget* parent = nullptr);

} // namespace reports
