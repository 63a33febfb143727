#pragma once

#include "Commands.h"

namespace cli {

// calc PROJECT_REF [DESIGN_NO]: calculates one design, or every design of the
// project, stores the results and prints them.
int calcCommand(Context& ctx);

} // namespace cli
