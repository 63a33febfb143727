#include "QuoteSettings.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <cmath>
#include <stdexcept>

namespace data {

namespace {

bool percentInRange(double v) {
    return std::isfinite(v) && v >= 0 && v <= 1000;
}

} // namespace

double QuoteSettings::markupFor(const QString& projectRef) const {
    const auto it = projectMarkup.find(projectRef);
    return it != projectMarkup.end() ? it->second : markupPercent;
}

QString QuoteSettings::fileName() {
    return QStringLiteral("Quotation.json");
}

QString QuoteSettings::invalidValue() const {
    if (!percentInRange(markupPercent))
        return QStringLiteral("The markup must be between 0 and 1000 %.");
    if (!percentInRange(vatPercent) || vatPercent > 100)
        return QStringLiteral("The VAT must be between 0 and 100 %.");
    if (validityDays < 1 || validityDays > 3650)
        return QStringLiteral("The quotation must be valid for 1 to 3650 days.");
    if (currency.size() > 5) return QStringLiteral("The currency symbol may have at most 5 characters.");
    for (const auto& [ref, markup] : projectMarkup)
        if (!percentInRange(markup))
            return QStringLiteral("The markup of project %1 must be between 0 and 1000 %.").arg(ref);
    return {};
}

QuoteSettings QuoteSettings::load(const QString& dataFolder) {
    QuoteSettings s;
    QFile file(QDir(dataFolder).filePath(fileName()));
    if (!file.exists()) return s;
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error(
            QStringLiteral("The quotation settings %1 cannot be read: %2")
                .arg(QDir::toNativeSeparators(file.fileName()), file.errorString())
                .toStdString());
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (!doc.isObject())
        throw std::runtime_error(QStringLiteral("The quotation settings %1 are damaged: %2")
                                     .arg(QDir::toNativeSeparators(file.fileName()),
                                          parseError.errorString())
                                     .toStdString());
    const QJsonObject o = doc.object();
    auto str = [&](const char* key, QString& into) {
        if (o.contains(QLatin1String(key))) into = o.value(QLatin1String(key)).toString();
    };
    auto num = [&](const char* key, double& into) {
        if (o.contains(QLatin1String(key))) into = o.value(QLatin1String(key)).toDouble(into);
    };
    str("companyName", s.companyName);
    str("address", s.address);
    str("registrationNo", s.registrationNo);
    str("vatNo", s.vatNo);
    str("logo", s.logo);
    str("currency", s.currency);
    num("markupPercent", s.markupPercent);
    num("vatPercent", s.vatPercent);
    if (o.contains(QLatin1String("validityDays")))
        s.validityDays = o.value(QLatin1String("validityDays")).toInt(s.validityDays);
    str("terms", s.terms);
    const QJsonObject projects = o.value(QLatin1String("projectMarkup")).toObject();
    for (auto it = projects.begin(); it != projects.end(); ++it)
        s.projectMarkup[it.key()] = it.value().toDouble();
    if (const QString bad = s.invalidValue(); !bad.isEmpty())
        throw std::runtime_error(QStringLiteral("The quotation settings %1 are damaged: %2")
                                     .arg(QDir::toNativeSeparators(file.fileName()), bad)
                                     .toStdString());
    return s;
}

bool QuoteSettings::save(const QString& dataFolder, QString* error) const {
    if (const QString bad = invalidValue(); !bad.isEmpty()) {
        if (error) *error = bad;
        return false;
    }
    QJsonObject o{{QStringLiteral("companyName"), companyName},
                  {QStringLiteral("address"), address},
                  {QStringLiteral("registrationNo"), registrationNo},
                  {QStringLiteral("vatNo"), vatNo},
                  {QStringLiteral("logo"), logo},
                  {QStringLiteral("currency"), currency},
                  {QStringLiteral("markupPercent"), markupPercent},
                  {QStringLiteral("vatPercent"), vatPercent},
                  {QStringLiteral("validityDays"), validityDays},
                  {QStringLiteral("terms"), terms}};
    QJsonObject projects;
    for (const auto& [ref, markup] : projectMarkup)
        projects.insert(ref, markup);
    o.insert(QStringLiteral("projectMarkup"), projects);
    QSaveFile file(QDir(dataFolder).filePath(fileName()));
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(QJsonDocument(o).toJson()) < 0 || !file.commit()) {
        if (error)
            *error = QStringLiteral("The quotation settings could not be saved in %1: %2")
                         .arg(QDir::toNativeSeparators(dataFolder), file.errorString());
        return false;
    }
    return true;
}

} // namespace data
