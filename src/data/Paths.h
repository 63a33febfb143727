#pragma once

#include <QString>

namespace data {

// The shipped reference data (one CSV per table) and the installed pictures.
// Looked for beside the program first, then in the source tree it was built from.
QString shippedDataDir();
QString installedImagesDir();

// Resolves a picture named relative to the working directory ("images\\X.jpg",
// "Images/Standards/W1.jpg"), ignoring letter case. A picture the working
// folder lacks is taken from the installed picture folder. Empty when neither
// has it.
QString resolvePicture(const QString& workDir, const QString& relativePath);

}  // namespace data
