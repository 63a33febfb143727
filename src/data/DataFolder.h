#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace data {

// Parses comma-separated text (quoted fields may hold commas, quotes doubled
// and line breaks). Throws store::StoreError on an unterminated quote.
std::vector<QStringList> parseCsv(const QString& text);

// Creates a data folder: the database file with every table, filled from the
// shipped CSV files found in `shippedDir` (one per table, header = field
// names). Refuses to touch a folder that exists. Throws store::StoreError.
void createDataFolder(const QString& dataDir, const QString& shippedDir);

// The database file of a data folder.
QString databaseFile(const QString& dataDir);

}  // namespace data
