#pragma once

#include "design/GridModel.h"

#include <QString>

namespace data {
class TDM;
}

namespace exchange {

// The refusals of the two copy commands, as the user reads them.
inline const QString BlankReferenceMessage = QStringLiteral("New Reference can NOT be blank!");
inline const QString ProjectExistsMessage =
    QStringLiteral("WARNING - Project Reference Already Exists, project NOT Copied");

// A reference of nothing but blanks counts as blank: it would look empty
// everywhere it is shown.
bool isBlankReference(const QString& reference);

// The project reference window's check of a typed reference. When a project
// with that reference exists it becomes the current project, the warning is
// shown and the result is false; a blank reference is left to the copy.
bool ProjectRefFree(data::TDM& dm, const QString& newRef);

// Copy Design: a new design of the current project from the current design
// and `grid`, the cells on screen (taken by value: appending the design
// clears the window's grid). One transaction; the new design is left
// current. Returns its Design_No, or 0 when nothing was copied (a blank
// reference, or no current design). A store error is thrown after the
// rollback.
int CopyDesign(data::TDM& dm, design::GridModel grid, const QString& newRef);

// Copy Project: a new project `newRef` from the current project with all its
// designs and their cells, no results, costs or analyses. One transaction;
// the new project is left current. Returns the number of designs copied, or
// -1 when refused (the message is shown). A store error is thrown after the
// rollback.
int CopyProject(data::TDM& dm, const QString& newRef);

// The name of a copy: the source's name + " - Copy", cut to the field's 30
// characters.
QString copyName(const QString& sourceName);

// Def_WL of a copy: the nearest whole number, halves to the even neighbour.
double roundedWindLoad(double windLoad);

} // namespace exchange
