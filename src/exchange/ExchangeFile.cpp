#include "ExchangeFile.h"

#include "store/Database.h"
#include "store/Sqlite.h"
#include "store/StoreError.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <sqlite3.h>

namespace exchange {

using store::FieldDef;
using store::FieldType;
using store::sql::quoteIdentifier;

QString FolderRefused::message() const {
    return QStringLiteral("The project folder was not loaded: \"%1\" %2.\nNothing was changed.")
        .arg(file, problem);
}

ExchangeRows::ExchangeRows(const store::TableDef& dataTable,
                           std::vector<std::vector<QVariant>> rows)
    : rows_(std::move(rows)) {
    def_ = dataTable;
}

void ExchangeRows::open() {
    if (active()) return;
    setState(State::Browse);
    placeAt(0);
}

namespace {

// Thrown inside this file; turned into FolderRefused with the file's name.
struct Problem {
    QString text;
};

// Families of field types whose values can stand in for one another; each
// value is checked on its own as well.
bool compatible(FieldType data, FieldType file) {
    auto family = [](FieldType t) {
        switch (t) {
        case FieldType::Text:
        case FieldType::Memo:
            return 0;
        case FieldType::Integer:
        case FieldType::Number:
            return 1;
        case FieldType::Logical:
            return 2;
        case FieldType::Date:
            return 3;
        }
        return -1;
    };
    if (family(data) == family(file)) return true;
    if (data == FieldType::Logical) return file == FieldType::Integer;
    if (data == FieldType::Date) return family(file) == 0;
    return false;
}

QString shown(const QVariant& v) {
    QString s = v.toString();
    if (s.size() > 20) s = s.left(20) + QStringLiteral("...");
    return QStringLiteral("\"%1\"").arg(s);
}

// One stored value (its SQLite storage class and value) as the data table
// takes it; throws Problem when it does not fit the field.
QVariant checkedValue(const FieldDef& f, const QString& storage, const QVariant& v) {
    if (storage == QLatin1String("null")) return {};
    if (storage == QLatin1String("blob")) throw Problem{QStringLiteral("holds binary data")};
    const bool text = storage == QLatin1String("text");
    const QString expected = f.type == FieldType::Integer || f.type == FieldType::Number
                                 ? QStringLiteral("a number")
                             : f.type == FieldType::Logical ? QStringLiteral("a logical value")
                             : f.type == FieldType::Date    ? QStringLiteral("a date")
                                                            : QStringLiteral("text");
    auto wrong = [&]() -> Problem {
        return Problem{QStringLiteral("holds %1 %2 where %3 is expected")
                           .arg(text ? QStringLiteral("the text") : QStringLiteral("the number"),
                                shown(v), expected)};
    };
    switch (f.type) {
    case FieldType::Text:
    case FieldType::Memo: {
        if (!text) throw wrong();
        const QString s = v.toString();
        // Decoding marks bytes that are not UTF-8 with the replacement character.
        if (s.contains(QChar(0)) || s.contains(QChar::ReplacementCharacter))
            throw Problem{QStringLiteral("holds text that is not valid")};
        // The store would cut it; a cut key would merge into another project.
        if (f.type == FieldType::Text && f.width > 0 && s.size() > f.width)
            throw Problem{
                QStringLiteral("holds %1 of %2 characters, where the field takes at most %3")
                    .arg(s.size() <= 60 ? QStringLiteral("\"%1\"").arg(s) : shown(v))
                    .arg(s.size())
                    .arg(f.width)};
        return store::DataSet::coerce(f, s);
    }
    case FieldType::Integer: {
        if (text) throw wrong();
        const double d = v.toDouble();
        if (!std::isfinite(d) || d != std::floor(d) || d < std::numeric_limits<int>::min() ||
            d > std::numeric_limits<int>::max())
            throw Problem{
                QStringLiteral("holds %1, which is not a whole number in range").arg(shown(v))};
        return storage == QLatin1String("integer") ? QVariant(int(v.toLongLong()))
                                                   : QVariant(int(d));
    }
    case FieldType::Number: {
        if (text) throw wrong();
        const double d = v.toDouble();
        if (!std::isfinite(d)) throw Problem{QStringLiteral("holds a number that is not finite")};
        return d;
    }
    case FieldType::Logical: {
        if (storage != QLatin1String("integer") || (v.toLongLong() != 0 && v.toLongLong() != 1))
            throw wrong();
        return v.toLongLong() == 1;
    }
    case FieldType::Date: {
        const QDate d = text ? QDate::fromString(v.toString(), Qt::ISODate) : QDate();
        if (!d.isValid() || v.toString().size() != 10) throw wrong();
        return d;
    }
    }
    return {};
}

bool hasDatabaseHeader(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Problem{QStringLiteral("cannot be read: %1").arg(file.errorString())};
    static const QByteArray magic("SQLite format 3\0", 16);
    return file.read(16) == magic;
}

std::unique_ptr<ExchangeRows> read(const QString& path, const store::TableDef& dataTable) {
    const QFileInfo info(path);
    if (!info.isFile()) throw Problem{QStringLiteral("is not a file")};
    if (!hasDatabaseHeader(path)) throw Problem{QStringLiteral("is not a database file")};

    store::sql::Connection conn(path, store::sql::Connection::Mode::ReadOnly);
    // A file from elsewhere may carry a schema built to do harm when read.
    sqlite3_db_config(conn.handle(), SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(conn.handle(), SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    {
        store::sql::Statement check(conn, QStringLiteral("PRAGMA integrity_check(1)"));
        if (!check.step() || check.column(0).toString() != QLatin1String("ok"))
            throw Problem{QStringLiteral("is damaged (%1)").arg(check.column(0).toString())};
    }
    {
        store::sql::Statement has(
            conn, QStringLiteral("SELECT 1 FROM sqlite_master WHERE type='table' AND name=?1"));
        has.bind(1, dataTable.name);
        if (!has.step())
            throw Problem{QStringLiteral("does not hold the table %1").arg(dataTable.name)};
    }
    std::map<QString, FieldType> columns;
    {
        store::sql::Statement info(
            conn, QStringLiteral("PRAGMA table_info(%1)").arg(quoteIdentifier(dataTable.name)));
        while (info.step()) {
            const QString name = info.column(1).toString();
            columns[name] = store::fieldFromDeclaration(name, info.column(2).toString()).type;
        }
    }
    QStringList select;
    for (const FieldDef& f : dataTable.fields) {
        const auto it = columns.find(f.name);
        if (it == columns.end()) throw Problem{QStringLiteral("lacks the field %1").arg(f.name)};
        if (!compatible(f.type, it->second))
            throw Problem{
                QStringLiteral("has the field %1 as %2, where %3 is expected")
                    .arg(f.name, store::fieldTypeName(it->second), store::fieldTypeName(f.type))};
        select << QStringLiteral("typeof(%1), %1").arg(quoteIdentifier(f.name));
    }

    std::vector<int> keyIndexes;
    for (const QString& k : dataTable.key)
        keyIndexes.push_back(dataTable.fieldIndex(k));
    // Key fields first: a row's fault in its key is the one the user hears of.
    std::vector<size_t> order(keyIndexes.begin(), keyIndexes.end());
    for (size_t i = 0; i < dataTable.fields.size(); ++i)
        if (std::find(order.begin(), order.end(), i) == order.end()) order.push_back(i);
    std::vector<std::vector<QVariant>> rows;
    store::sql::Statement st(
        conn, QStringLiteral("SELECT %1 FROM %2")
                  .arg(select.join(QStringLiteral(", ")), quoteIdentifier(dataTable.name)));
    while (st.step()) {
        std::vector<QVariant> row(dataTable.fields.size());
        for (const size_t i : order) {
            try {
                row[i] = checkedValue(dataTable.fields[i], st.column(int(2 * i)).toString(),
                                      st.column(int(2 * i + 1)));
            } catch (const Problem& p) {
                throw Problem{QStringLiteral("row %1: the field %2 %3")
                                  .arg(rows.size() + 1)
                                  .arg(dataTable.fields[i].name, p.text)};
            }
        }
        for (int k : keyIndexes)
            if (!row[size_t(k)].isValid())
                throw Problem{QStringLiteral("row %1 has no %2")
                                  .arg(rows.size() + 1)
                                  .arg(dataTable.fields[size_t(k)].name)};
        rows.push_back(std::move(row));
    }
    return std::make_unique<ExchangeRows>(dataTable, std::move(rows));
}

} // namespace

std::unique_ptr<ExchangeRows> readExchangeFile(const QString& path, const QString& displayName,
                                               const store::TableDef& dataTable) {
    try {
        return read(path, dataTable);
    } catch (const Problem& p) {
        throw FolderRefused{displayName, p.text};
    } catch (const store::StoreError& e) {
        // SQLite's own words: "file is not a database", "database disk image is malformed" ...
        throw FolderRefused{displayName, QStringLiteral("cannot be read (%1)").arg(e.message())};
    }
}

} // namespace exchange
