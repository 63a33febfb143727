#pragma once

#include <QString>
#include <QStringList>

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

// The per-user working folder a program started from the desktop works in
// (~/Quorvex). Created when missing; the data folder in it is created and
// filled by the data module on first start. Empty when it cannot be made.
QString prepareUserWorkFolder();

// The user manual's file name, and where the Help menu looks for it: a copy in
// the working folder first, then the installed one beside the program.
inline constexpr const char* kUserManualName = "Quorvex User Manual.PDF";
QStringList userManualCandidates(const QString& workDir);
// The first candidate that exists; empty when there is none.
QString findUserManual(const QString& workDir);

// The ini file the windows remember the user's choices in (folders last used,
// the preview's optional pages). Tests point it elsewhere with
// setUserSettingsFile.
QString userSettingsFile();
void setUserSettingsFile(const QString& file);

}  // namespace data
