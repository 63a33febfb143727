#pragma once

#include <QString>
#include <map>
#include <optional>

namespace store {
class Database;
}

namespace data {

class TDM;

// What a quotation says about the company and how it prices: kept with the
// data, so every workstation of an office quotes alike: a file in the data
// folder, or a table of the server's database when the tables are on one.
struct QuoteSettings {
    QString companyName;
    QString address; // several lines
    QString registrationNo;
    QString vatNo;
    QString logo = QStringLiteral("Images/CompanyLogo.jpg"); // relative to the working folder, or absolute
    QString currency = QStringLiteral("R");
    double markupPercent = 0;
    double vatPercent = 15;
    int validityDays = 30;
    QString terms;
    // A project's own markup, by project reference.
    std::map<QString, double> projectMarkup;

    double markupFor(const QString& projectRef) const;

    // The file's name in the data folder.
    static QString fileName();
    // The table that holds them on a server: one row, named after the file.
    static QString serverTable();

    // The settings of the store the data module works on; the defaults when
    // it keeps none. Throws std::runtime_error, with the reason, for settings
    // that cannot be read or are damaged (never the defaults in their place).
    static QuoteSettings load(const TDM& dm);
    // Writes them whole where `load` reads them; false with `error` set when
    // it could not.
    bool save(const TDM& dm, QString* error = nullptr) const;

    // The same for the file of a data folder (a temporary file renamed into place).
    static QuoteSettings load(const QString& dataFolder);
    bool save(const QString& dataFolder, QString* error = nullptr) const;

    // What a store keeps, for copying it to another store: a server's row or
    // the file in a database's folder; nothing when it keeps none. Throws
    // store::StoreError, damaged settings included.
    static std::optional<QuoteSettings> kept(store::Database& db);
    // Makes `db` keep `settings`, or none. On a server inside the transaction
    // open (the table made first when missing). Throws store::StoreError.
    static void keep(store::Database& db, const std::optional<QuoteSettings>& settings);
    // Makes the server's table, when missing, so a new server is set up whole.
    static void createServerTable(store::Database& db);
    // The first value out of range, in the user's words; empty when all are sound.
    QString invalidValue() const;

    bool operator==(const QuoteSettings&) const = default;
};

} // namespace data
