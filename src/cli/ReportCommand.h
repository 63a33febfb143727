#pragma once

#include "Commands.h"

namespace cli {

// report design PROJECT_REF DESIGN_NO -o FILE | report summary PROJECT_REF -o FILE |
// report rational PROJECT_REF -o FILE: writes the report in the format of the
// file's ending (.pdf, .xlsx, .txt, .csv).
int reportCommand(Context& ctx);

// rational PROJECT_REF [--target W]: stores the target when given, runs the
// analysis, stores the figures and prints them with the verdict.
int rationalCommand(Context& ctx);

} // namespace cli
