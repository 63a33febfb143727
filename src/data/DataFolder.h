#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace store {
class Database;
}

namespace data {

// Parses comma-separated text (quoted fields may hold commas, quotes doubled
// and line breaks). Throws store::StoreError on an unterminated quote.
std::vector<QStringList> parseCsv(const QString& text);

// Creates a data folder: the database file with every table, filled from the
// shipped CSV files found in `shippedDir` (one per table, header = field
// names). Refuses to touch a folder that exists. The folder is built beside
// under a temporary name ("Data.partial-XXXXXX") and renamed into place when
// complete; leftovers of earlier, interrupted attempts are removed first.
// Throws store::StoreError.
void createDataFolder(const QString& dataDir, const QString& shippedDir);

// Creates every table of a data folder in `db` and fills them from the
// shipped CSV files, in one transaction.
void fillTables(store::Database& db, const QString& shippedDir);

// Removes the temporary folders interrupted attempts left beside `dataDir`,
// unless another program is building one right now.
void removeLeftoverDataFolders(const QString& dataDir);

// The database file of a data folder.
QString databaseFile(const QString& dataDir);

}  // namespace data
