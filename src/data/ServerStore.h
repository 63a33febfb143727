#pragma once

#include <QString>
#include <utility>
#include <vector>

namespace data {

// The PostgreSQL server this process works on instead of the working folder's
// data folder (a libpq URI or key=value string); empty: the data folder.
void setStoreServer(const QString& location);
QString storeServer();

// Throws store::StoreError when `location` carries a password: passwords come
// from libpq's own places (~/.pgpass, the service file, PGPASSWORD).
void refusePassword(const QString& location);

// The server a workstation keeps in its settings file (the "server" key of
// QSettings("Quorvex", "glazecalc")); empty: the working folder's data folder.
QString settingsServer();
void setSettingsServer(const QString& location);

// Throws store::StoreError when `location` is not a server address or
// carries a password.
void checkServerAddress(const QString& location);

// What the window says when a server lacks the tables as this program needs them.
QString missingTablesMessage(const QString& serverName, const QString& why);

// Connects to the server and checks that it holds every table as this
// program needs it; returns the server's name as the About window gives it.
// Throws store::StoreError with the reason in plain words.
QString testServer(const QString& location);

// Creates the data folder's tables on the server, and the table of the
// quotation settings, and fills them from the shipped CSV files, as a new data
// folder is filled, in one transaction.
// Returns false, changing nothing, when the server holds every table already;
// throws store::StoreError when it holds only some of them.
bool initServer(const QString& location, const QString& shippedDir);

// Rows copied, table by table, in the order of the data folder's tables.
using TableCounts = std::vector<std::pair<QString, long long>>;

// Copies every row of every table, and the quotation settings, from one store
// to another, each a data folder (the Data folder itself; a target that does
// not exist is created) or a server, in one transaction. Refuses, writing nothing, when the target
// holds projects already. Throws store::StoreError.
TableCounts copyStore(const QString& source, const QString& target);

}  // namespace data
