#include "DataFolder.h"

#include "store/Database.h"
#include "store/DataSet.h"
#include "store/StoreError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace data {

using store::StoreError;

std::vector<QStringList> parseCsv(const QString& text) {
    std::vector<QStringList> rows;
    QStringList row;
    QString cell;
    bool quoted = false, cellStarted = false;
    const int n = int(text.size());
    for (int i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < n && text[i + 1] == QLatin1Char('"')) {
                    cell += QLatin1Char('"');
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                cell += c;
            }
        } else if (c == QLatin1Char('"') && !cellStarted) {
            quoted = true;
            cellStarted = true;
        } else if (c == QLatin1Char(',')) {
            row << cell;
            cell.clear();
            cellStarted = false;
        } else if (c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
            if (c == QLatin1Char('\r') && i + 1 < n && text[i + 1] == QLatin1Char('\n')) ++i;
            row << cell;
            if (!(row.size() == 1 && row.first().isEmpty() && !cellStarted)) rows.push_back(row);
            row.clear();
            cell.clear();
            cellStarted = false;
        } else {
            cell += c;
            cellStarted = true;
        }
    }
    if (quoted) throw StoreError(QStringLiteral("Unterminated quoted value in CSV text"));
    if (cellStarted || !row.isEmpty()) {
        row << cell;
        rows.push_back(row);
    }
    return rows;
}

QString databaseFile(const QString& dataDir) { return QDir(dataDir).filePath(QStringLiteral("Quorvex.db")); }

namespace {

void loadCsv(store::Database& db, const store::TableDef& def, const QString& file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) throw StoreError(QStringLiteral("Cannot read %1").arg(file));
    const std::vector<QStringList> rows = parseCsv(QString::fromUtf8(f.readAll()));
    if (rows.empty()) return;
    std::vector<int> map;
    for (const QString& name : rows.front()) {
        const int i = def.fieldIndex(name.trimmed());
        if (i < 0) throw StoreError(QStringLiteral("%1: unknown field '%2'").arg(file, name));
        map.push_back(i);
    }
    QStringList cols, marks;
    for (size_t i = 0; i < def.fields.size(); ++i) {
        cols << store::sql::quoteIdentifier(def.fields[i].name);
        marks << QStringLiteral("?%1").arg(i + 1);
    }
    store::sql::Statement& ins = db.cached(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                               .arg(store::sql::quoteIdentifier(def.name),
                                                    cols.join(QStringLiteral(", ")), marks.join(QStringLiteral(", "))));
    for (size_t r = 1; r < rows.size(); ++r) {
        const QStringList& row = rows[r];
        if (row.size() != int(map.size()))
            throw StoreError(QStringLiteral("%1, line %2: %3 values for %4 fields")
                                 .arg(file)
                                 .arg(r + 1)
                                 .arg(row.size())
                                 .arg(map.size()));
        std::vector<QVariant> values(def.fields.size());
        for (size_t c = 0; c < map.size(); ++c) {
            const store::FieldDef& fd = def.fields[size_t(map[c])];
            values[size_t(map[c])] = store::DataSet::toStorage(fd, store::DataSet::coerce(fd, row[int(c)]));
        }
        ins.reset();
        for (size_t i = 0; i < values.size(); ++i) ins.bind(int(i) + 1, values[i]);
        try {
            ins.step();
        } catch (const StoreError& e) {
            throw StoreError(QStringLiteral("%1, line %2: %3").arg(file).arg(r + 1).arg(e.message()));
        }
    }
}

}  // namespace

void createDataFolder(const QString& dataDir, const QString& shippedDir) {
    if (QFileInfo::exists(dataDir))
        throw StoreError(QStringLiteral("The data folder %1 exists already; it is left as it is.").arg(dataDir));
    if (!QDir().mkpath(dataDir)) throw StoreError(QStringLiteral("Cannot create the data folder %1").arg(dataDir));
    const QString file = databaseFile(dataDir);
    try {
        auto db = store::Database::create(file);
        store::Transaction tx(*db);
        db->createDataFolderTables();
        for (const store::TableDef& def : store::schema::tables()) {
            const QString csv = QDir(shippedDir).filePath(def.name + QStringLiteral(".csv"));
            if (QFileInfo::exists(csv)) loadCsv(*db, def, csv);
        }
        tx.commit();
    } catch (...) {
        // A half-made folder would pass for a damaged one at the next start.
        QDir(dataDir).removeRecursively();
        throw;
    }
}

}  // namespace data
