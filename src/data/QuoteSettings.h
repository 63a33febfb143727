#pragma once

#include <QString>
#include <map>
#include <optional>

namespace data {

// What a quotation says about the company and how it prices: kept with the
// data (a file in the data folder), so every workstation of an office quotes
// alike.
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
    // The settings of a data folder; the defaults when it has none. Throws
    // std::runtime_error, with the reason, for a file that cannot be read.
    static QuoteSettings load(const QString& dataFolder);
    // Writes the settings whole (a temporary file renamed into place); false
    // with `error` set when it could not.
    bool save(const QString& dataFolder, QString* error = nullptr) const;
    // The first value out of range, in the user's words; empty when all are sound.
    QString invalidValue() const;

    bool operator==(const QuoteSettings&) const = default;
};

} // namespace data
