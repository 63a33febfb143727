#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace data {
class Messages;
}
namespace store {
class Database;
}

namespace exchange {

// One table of a project folder.
struct ProjectFolderFile {
    QString fileName; // "TDesign.db"
    QString table;    // "Design"
    bool exported;    // written by SaveProject; the others are only read
};

// The ten files in the order they are written and read.
const std::vector<ProjectFolderFile>& projectFolderFiles();

// What one file of a folder carried: the file and its number of rows.
struct FileRows {
    QString fileName;
    int rows;
};

// Writes the project's rows of every project table into `folder`, one SQLite
// file per table with the data table's name, fields and key. The nine files
// are made beside the old ones and swapped in only when all are complete, so a
// failure leaves the folder as it was. Throws store::StoreError.
std::vector<FileRows> SaveProject(store::Database& db, const QString& projectRef,
                                  const QString& folder);

enum class LoadOutcome { Loaded, ProjectFileMissing };

struct LoadResult {
    LoadOutcome outcome = LoadOutcome::ProjectFileMissing;
    std::vector<FileRows> files; // the files merged, in order
    QStringList projects;        // the references "TProject.db" holds
    // Rows of "TDesignResults.db" that belong to projects the folder does not
    // carry (a file left over from another project): left out, not merged.
    int otherProjectRows = 0;
};

// Merges a project folder into the data folder by key, below the row events:
// every file present is read and checked first (a fault throws FolderRefused
// and nothing is merged), then all are merged in one transaction. Throws
// exchange::FolderRefused or store::StoreError; the data folder is unchanged then.
LoadResult LoadProject(store::Database& db, const QString& folder);

// The commands as the menu and the command line run them, with the program's
// messages; true when the folder was written or loaded.
bool saveProjectFolder(store::Database& db, const QString& projectRef, const QString& folder,
                       data::Messages& messages, std::vector<FileRows>* written = nullptr);
bool loadProjectFolder(store::Database& db, const QString& folder, data::Messages& messages,
                       LoadResult* result = nullptr);

} // namespace exchange
