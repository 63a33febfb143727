#pragma once

#include "Engine.h"
#include "Output.h"

namespace data {
class TDM;
} // namespace data

namespace reports {

// The "Fenestration Design Summary" of the current project: its designs by
// storey, then reference, with each storey's window area and area x U. With
// `showPrices` each design's unit and line price, the storeys' and the
// project's totals (the quotation settings' currency; std::runtime_error when
// they cannot be read).
Document summaryReport(data::TDM& dm, bool showPrices = false);

// "Rational Design (SANS 10400XA)": the project's target, totals and verdict
// from its ProjectRational row (as it stands, posted or not), then the designs.
Document rationalReport(data::TDM& dm);

} // namespace reports
