#pragma once

#include <QString>
#include <QStringList>

namespace cellpictures {

// The 33 grid cell pictures in the order the program loads them.
QStringList fileNames();

// Writes the 33 bitmaps into `imagesDir`; returns the files written.
QStringList write(const QString& imagesDir);

// A PNG sheet of all 33 pictures, each stretched over the cell spans it is
// drawn on, labelled with its file name and index.
void writeContactSheet(const QString& imagesDir, const QString& pngFile);

}  // namespace cellpictures
