#pragma once

#include "ExchangeFile.h"
#include "ProjectFolder.h"

#include <QStringList>
#include <memory>
#include <vector>

namespace exchange {

// A glazing made from its layers is no shipped reference row: another
// installation lacks it. Its rows travel in three more files of the project
// folder, written only when the project's designs use such a glazing.
const std::vector<ProjectFolderFile>& glazingFolderFiles();

// The glazings made from their layers that the project's designs use.
QStringList madeGlazingsOf(store::Database& db, const QString& projectRef);

using ReadFiles = std::vector<std::pair<const ProjectFolderFile*, std::unique_ptr<ExchangeRows>>>;

// The glazing files must hold glazings made from their layers and only their
// rows. Throws FolderRefused.
void checkGlazingFiles(const ReadFiles& files);

// The rows of the glazings the data folder does not have yet: a glazing of the
// same code already there is kept as it is. Per file, in the order given.
std::vector<std::unique_ptr<ExchangeRows>> newGlazingRows(store::Database& db,
                                                          const ReadFiles& files);

} // namespace exchange
