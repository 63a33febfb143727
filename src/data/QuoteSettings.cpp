#include "QuoteSettings.h"

#include "DataModule.h"
#include "store/Database.h"
#include "store/StoreError.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <cmath>
#include <stdexcept>

namespace data {

using store::sql::quoteIdentifier;

namespace {

bool percentInRange(double v) {
    return std::isfinite(v) && v >= 0 && v <= 1000;
}

QString filePath(const QString& dataFolder) {
    return QDir(dataFolder).filePath(QuoteSettings::fileName());
}

store::TableDef serverTableDef() {
    store::TableDef def;
    def.name = QuoteSettings::serverTable();
    def.key = {QStringLiteral("Name")};
    def.fields = {{QStringLiteral("Name"), store::FieldType::Text, 20, QString()},
                  {QStringLiteral("Settings"), store::FieldType::Memo, 0, QString()}};
    return def;
}

QString serverColumns(const char* text) {
    return QString::fromLatin1(text).arg(quoteIdentifier(QuoteSettings::serverTable()),
                                         quoteIdentifier(QStringLiteral("Name")),
                                         quoteIdentifier(QStringLiteral("Settings")));
}

QByteArray toJson(const QuoteSettings& s) {
    QJsonObject o{{QStringLiteral("companyName"), s.companyName},
                  {QStringLiteral("address"), s.address},
                  {QStringLiteral("registrationNo"), s.registrationNo},
                  {QStringLiteral("vatNo"), s.vatNo},
                  {QStringLiteral("logo"), s.logo},
                  {QStringLiteral("currency"), s.currency},
                  {QStringLiteral("markupPercent"), s.markupPercent},
                  {QStringLiteral("vatPercent"), s.vatPercent},
                  {QStringLiteral("validityDays"), s.validityDays},
                  {QStringLiteral("terms"), s.terms}};
    QJsonObject projects;
    for (const auto& [ref, markup] : s.projectMarkup)
        projects.insert(ref, markup);
    o.insert(QStringLiteral("projectMarkup"), projects);
    return QJsonDocument(o).toJson();
}

// `where` names the settings in a message: the file, or the server.
QuoteSettings parse(const QByteArray& json, const QString& where) {
    auto damaged = [&](const QString& why) {
        return std::runtime_error(
            QStringLiteral("The quotation settings %1 are damaged: %2").arg(where, why).toStdString());
    };
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parseError);
    if (!doc.isObject()) throw damaged(parseError.errorString());
    QuoteSettings s;
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
    if (const QString bad = s.invalidValue(); !bad.isEmpty()) throw damaged(bad);
    return s;
}

std::optional<QuoteSettings> fromFile(const QString& dataFolder) {
    QFile file(filePath(dataFolder));
    if (!file.exists()) return std::nullopt;
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error(QStringLiteral("The quotation settings %1 cannot be read: %2")
                                     .arg(QDir::toNativeSeparators(file.fileName()), file.errorString())
                                     .toStdString());
    return parse(file.readAll(), QDir::toNativeSeparators(file.fileName()));
}

// A server set up before the settings moved there has no table yet: none kept.
std::optional<QuoteSettings> fromServer(store::Database& db) {
    if (!db.hasTable(QuoteSettings::serverTable())) return std::nullopt;
    store::sql::Statement& st = db.cached(serverColumns("SELECT %3 FROM %1 WHERE %2 = ?1"));
    st.bind(1, QuoteSettings::fileName());
    std::optional<QVariant> text;
    if (st.step()) text = st.column(0);
    st.release();
    if (!text) return std::nullopt;
    return parse(text->toString().toUtf8(), QStringLiteral("on the server %1").arg(db.serverName()));
}

// One transaction: a reader sees the old settings or the new, never a part.
void toServer(store::Database& db, const std::optional<QuoteSettings>& s) {
    store::Transaction tx(db);
    QuoteSettings::createServerTable(db);
    store::sql::Statement& st =
        db.cached(s ? serverColumns("INSERT INTO %1 (%2, %3) VALUES (?1, ?2) ON CONFLICT (%2) DO UPDATE SET "
                                    "%3 = excluded.%3")
                    : serverColumns("DELETE FROM %1 WHERE %2 = ?1"));
    st.bind(1, QuoteSettings::fileName());
    if (s) st.bind(2, QString::fromUtf8(toJson(*s)));
    st.step();
    st.release();
    tx.commit();
}

} // namespace

double QuoteSettings::markupFor(const QString& projectRef) const {
    const auto it = projectMarkup.find(projectRef);
    return it != projectMarkup.end() ? it->second : markupPercent;
}

QString QuoteSettings::fileName() {
    return QStringLiteral("Quotation.json");
}

QString QuoteSettings::serverTable() {
    return QStringLiteral("QuotationSettings");
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
    return fromFile(dataFolder).value_or(QuoteSettings());
}

bool QuoteSettings::save(const QString& dataFolder, QString* error) const {
    if (const QString bad = invalidValue(); !bad.isEmpty()) {
        if (error) *error = bad;
        return false;
    }
    QSaveFile file(filePath(dataFolder));
    if (!file.open(QIODevice::WriteOnly) || file.write(toJson(*this)) < 0 || !file.commit()) {
        if (error)
            *error = QStringLiteral("The quotation settings could not be saved in %1: %2")
                         .arg(QDir::toNativeSeparators(dataFolder), file.errorString());
        return false;
    }
    return true;
}

QuoteSettings QuoteSettings::load(const TDM& dm) {
    store::Database* db = dm.database();
    if (db && db->isServer()) return fromServer(*db).value_or(QuoteSettings());
    return load(dm.dataFolder());
}

bool QuoteSettings::save(const TDM& dm, QString* error) const {
    store::Database* db = dm.database();
    if (!db || !db->isServer()) return save(dm.dataFolder(), error);
    if (const QString bad = invalidValue(); !bad.isEmpty()) {
        if (error) *error = bad;
        return false;
    }
    try {
        toServer(*db, *this);
    } catch (const store::ConflictError&) {
        // The server's refusal speaks of a design; these are the settings.
        if (error)
            *error = QStringLiteral("Another user saved the quotation settings at the same moment; yours "
                                    "were not saved. Please try again.");
        return false;
    } catch (const store::StoreError& e) {
        if (error)
            *error = QStringLiteral("The quotation settings could not be saved on the server %1: %2")
                         .arg(db->serverName(), e.message());
        return false;
    }
    return true;
}

std::optional<QuoteSettings> QuoteSettings::kept(store::Database& db) {
    try {
        return db.isServer() ? fromServer(db) : fromFile(db.folder());
    } catch (const store::StoreError&) {
        throw;
    } catch (const std::runtime_error& e) { // damaged: the copy stops as on any store error
        throw store::StoreError(QString::fromStdString(e.what()));
    }
}

void QuoteSettings::keep(store::Database& db, const std::optional<QuoteSettings>& settings) {
    if (db.isServer()) return toServer(db, settings);
    if (!settings) {
        QFile file(filePath(db.folder()));
        if (file.exists() && !file.remove())
            throw store::StoreError(QStringLiteral("The quotation settings %1 cannot be removed: %2")
                                        .arg(QDir::toNativeSeparators(file.fileName()), file.errorString()));
        return;
    }
    QString error;
    if (!settings->save(db.folder(), &error)) throw store::StoreError(error);
}

void QuoteSettings::createServerTable(store::Database& db) {
    if (!db.hasTable(serverTable())) db.createTable(serverTableDef());
}

} // namespace data
