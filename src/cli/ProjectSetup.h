#pragma once

#include "data/DataModule.h"

namespace cli {

// Moves the project cursor to the project with exactly this reference; false
// when there is none.
bool findProject(data::TDM& dm, const QString& projectRef);

// Links the tables as the main window does (designs, costs and the rational
// row follow the current project) and moves to the project. False, with the
// message shown, when there is no such project.
bool openProject(data::TDM& dm, const QString& projectRef);

// Moves to a design of the current project; false, with the message shown,
// when the project has no such design.
bool openDesign(data::TDM& dm, const QString& projectRef, int designNo);

} // namespace cli
