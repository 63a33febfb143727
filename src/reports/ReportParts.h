#pragma once

#include "Engine.h"

#include <memory>

namespace store {
class DataSet;
}

namespace reports {

// The report fonts: one family throughout, sizes in points.
QFont reportFont(double points = 9, bool bold = false, bool italic = false, bool underline = false);

// A label bound to a field of a data set's current values: the given number
// picture, or else the field's own display format. Empty while the data set
// has no current row.
std::function<QString()> bound(store::DataSet& ds, const QString& field,
                               const QString& picture = QString());

// A picture file under the working folder ("Images/X.jpg"); a null picture
// when it is missing or unreadable.
std::shared_ptr<QImage> loadPicture(const QString& workDir, const QString& relativePath);

// The page header every report shares: the title, the time of printing, the
// four project fields and the optional company logo box (160 x 80) at the
// right, with a rule below. `refCaption` is the report's spelling of the
// reference caption. Returns the band for further labels.
Band& addPageHeader(Report& report, store::DataSet& project, const QString& workDir,
                    const QString& title, const QString& refCaption, double height);

// Runs the report over the rows of `rows` (already open when the report's
// first row is asked for) storey by storey as every list shows them: the
// ground floor first, then by number; the rows' own order within a storey.
// Groups break on the storey.
void storeyOrderedSource(Report& report, store::DataSet& rows);

// The page footer: the three fixed pictures, "Quorvex Version 5.0" and the page number.
void addPageFooter(Report& report, const QString& workDir);

} // namespace reports
