#include "DataFolder.h"

#include "store/DataSet.h"
#include "store/Database.h"
#include "store/StoreError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QRandomGenerator>
#include <memory>

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

const QString kPartialSuffix = QStringLiteral(".partial-");

// Serialises the making of a data folder between programs started at once in
// the same working folder; a lock left by a killed program is taken over.
std::unique_ptr<QLockFile> seedingLock(const QString& dataDir, int waitMs) {
    auto lock = std::make_unique<QLockFile>(dataDir + QStringLiteral(".lock"));
    lock->setStaleLockTime(5 * 60 * 1000);
    if (!lock->tryLock(waitMs)) return nullptr;
    return lock;
}

// Temporary folders of earlier attempts, which a crash left behind. Only
// called while holding the seeding lock, so none of them is still being built.
void removePartialFolders(const QString& dataDir) {
    const QFileInfo info(dataDir);
    const QStringList leftovers =
        info.dir().entryList({info.fileName() + kPartialSuffix + QLatin1Char('*')},
                             QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString& name : leftovers)
        QDir(info.dir().filePath(name)).removeRecursively();
}

void fillDataFolder(const QString& folder, const QString& shippedDir) {
    auto db = store::Database::create(databaseFile(folder));
    fillTables(*db, shippedDir);
}

}  // namespace

void fillTables(store::Database& db, const QString& shippedDir) {
    store::Transaction tx(db);
    db.createDataFolderTables();
    for (const store::TableDef& def : store::schema::tables()) {
        const QString csv = QDir(shippedDir).filePath(def.name + QStringLiteral(".csv"));
        if (QFileInfo::exists(csv)) loadCsv(db, def, csv);
    }
    tx.commit();
}

void createDataFolder(const QString& dataDir, const QString& shippedDir) {
    const QString target = QDir::cleanPath(QFileInfo(dataDir).absoluteFilePath());
    if (QFileInfo::exists(target))
        throw StoreError(
            QStringLiteral("The data folder %1 exists already; it is left as it is.").arg(target));
    const QString parent = QFileInfo(target).absolutePath();
    if (!QDir().mkpath(parent))
        throw StoreError(QStringLiteral("Cannot create the folder %1").arg(parent));
    const auto lock = seedingLock(target, 60000);
    if (!lock)
        throw StoreError(
            QStringLiteral("Another program is creating the data folder %1; please try again.")
                .arg(target));
    // Another program may have finished it while this one waited.
    if (QFileInfo::exists(target))
        throw StoreError(
            QStringLiteral("The data folder %1 exists already; it is left as it is.").arg(target));
    removePartialFolders(target);

    // The folder is built under a temporary name and takes its real name only
    // when complete, so a crash never leaves a data folder that looks usable.
    const QString partial =
        target + kPartialSuffix + QString::number(QRandomGenerator::global()->generate64(), 36);
    if (!QDir().mkdir(partial))
        throw StoreError(QStringLiteral("Cannot create the folder %1").arg(partial));
    try {
        fillDataFolder(partial, shippedDir);
        if (!QDir().rename(partial, target))
            throw StoreError(QStringLiteral("Cannot rename %1 to %2").arg(partial, target));
    } catch (...) {
        QDir(partial).removeRecursively();
        throw;
    }
}

void removeLeftoverDataFolders(const QString& dataDir) {
    const QString target = QDir::cleanPath(QFileInfo(dataDir).absoluteFilePath());
    if (const auto lock = seedingLock(target, 0)) removePartialFolders(target);
}

}  // namespace data
