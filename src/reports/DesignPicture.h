#pragma once

#include "design/GridModel.h"

#include <QImage>
#include <QSize>
#include <array>

namespace store {
class DataSet;
}

namespace reports {

// The size of the design picture: the width follows the highest-numbered
// positive column width, the height the highest positive row height, and the
// smaller side then grows to the proportion 2 : 1.
QSize designPictureSize(const std::array<double, 10>& dimH, const std::array<double, 5>& dimV);
// The same for the current row of a design data set (DimH1 ... DimV5).
QSize designPictureSize(store::DataSet& design);

// The top-left `size` pixels of the design grid drawn with cells of 65 pixels,
// so that the whole 10 x 5 grid is exactly 650 x 325.
QImage renderDesignPicture(const design::GridModel& grid, const QString& workDir,
                           const QSize& size);

// The file the design report prints: "Screen1.bmp" in the working folder.
QString designPictureFile(const QString& workDir);
// Renders the picture of `grid` for the current design row and writes it over
// any earlier file. False when the file could not be written; the earlier
// file is then removed so that no other design's picture is printed.
bool saveDesignPicture(const design::GridModel& grid, store::DataSet& design,
                       const QString& workDir);

} // namespace reports
