#include "ServerStore.h"

#include "DataFolder.h"
#include "QuoteSettings.h"
#include "store/Database.h"
#include "store/Postgres.h"
#include "store/StoreError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSettings>
#include <memory>
#include <optional>

namespace data {

using store::StoreError;
using store::sql::quoteIdentifier;

namespace {

QString& serverSetting() {
    static QString location;
    return location;
}

// Opens a store: a server, or the database of a data folder that must exist.
std::unique_ptr<store::Database> openStore(const QString& location) {
    if (store::sql::isServerLocation(location)) return store::Database::open(location);
    const QString file = databaseFile(location);
    if (!QFileInfo::exists(file))
        throw StoreError(QStringLiteral("%1 is not a data folder: it holds no %2.")
                             .arg(location, QFileInfo(file).fileName()));
    return store::Database::open(file);
}

QString describe(store::Database& db) {
    return db.isServer() ? QStringLiteral("The server %1").arg(db.serverName()) : QStringLiteral("The folder %1").arg(db.folder());
}

// Copies one table's rows, many to a statement: on a server each statement
// is a round trip.
long long copyRows(store::Database& from, store::Database& to, const store::TableDef& def) {
    QStringList cols;
    for (const store::FieldDef& f : def.fields) cols << quoteIdentifier(f.name);
    const QString list = cols.join(QStringLiteral(", "));
    const int width = int(def.fields.size());
    const int perStatement = std::max(1, 2000 / width);
    auto insertText = [&](int rows) {
        QStringList tuples;
        for (int r = 0; r < rows; ++r) {
            QStringList marks;
            for (int c = 0; c < width; ++c) marks << QStringLiteral("?%1").arg(r * width + c + 1);
            tuples << QLatin1Char('(') + marks.join(QStringLiteral(", ")) + QLatin1Char(')');
        }
        return QStringLiteral("INSERT INTO %1 (%2) VALUES %3")
            .arg(quoteIdentifier(def.name), list, tuples.join(QStringLiteral(", ")));
    };
    // In stored order, so that an unkeyed table keeps its order.
    store::sql::Statement read(from.connection(),
                               QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid").arg(list, quoteIdentifier(def.name)));
    std::vector<QVariant> batch;
    long long copied = 0;
    auto flush = [&] {
        const int rows = int(batch.size()) / width;
        if (rows == 0) return;
        store::sql::Statement& write = to.cached(insertText(rows));
        for (size_t i = 0; i < batch.size(); ++i) write.bind(int(i) + 1, batch[i]);
        write.step();
        copied += rows;
        batch.clear();
    };
    while (read.step()) {
        for (int c = 0; c < width; ++c) batch.push_back(read.column(c));
        if (int(batch.size()) / width == perStatement) flush();
    }
    flush();
    return copied;
}

bool holdsProjects(store::Database& db) {
    if (!db.hasTable(QStringLiteral("Project"))) return false;
    store::sql::Statement st(db.connection(), QStringLiteral("SELECT 1 FROM \"Project\" LIMIT 1"));
    return st.step();
}

TableCounts copyInto(store::Database& from, store::Database& to) {
    if (holdsProjects(to))
        throw StoreError(QStringLiteral("%1 holds projects already; nothing was copied. Copy into an "
                                        "empty database or a new folder.")
                             .arg(describe(to)));
    // Every table's shape, and the quotation settings, are checked before the first row is written.
    for (const store::TableDef& def : store::schema::tables()) from.tableDef(def.name);
    const std::optional<QuoteSettings> settings = QuoteSettings::kept(from);
    TableCounts counts;
    store::Transaction readTx(from);
    store::Transaction tx(to);
    for (const store::TableDef& def : store::schema::tables()) {
        if (to.hasTable(def.name)) {
            to.tableDef(def.name);
            to.connection().exec(QStringLiteral("DELETE FROM %1").arg(quoteIdentifier(def.name)));
        } else {
            to.createTable(def);
        }
        counts.emplace_back(def.name, copyRows(from, to, def));
    }
    // On a server the settings go with the rows; a folder's file follows their commit.
    if (to.isServer()) QuoteSettings::keep(to, settings);
    tx.commit();
    if (!to.isServer()) QuoteSettings::keep(to, settings);
    for (const store::TableDef& def : store::schema::tables()) to.notifyChanged(def.name, nullptr);
    return counts;
}

} // namespace

void setStoreServer(const QString& location) { serverSetting() = location; }

QString storeServer() { return serverSetting(); }

void refusePassword(const QString& location) {
    static const QRegularExpression keyValue(QStringLiteral("(^|\\s)password\\s*="), QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression uri(QStringLiteral("^postgres(ql)?://[^/@]*:[^/@]*@|[?&]password="),
                                        QRegularExpression::CaseInsensitiveOption);
    if (keyValue.match(location).hasMatch() || uri.match(location).hasMatch())
        throw StoreError(QStringLiteral("A server address must not carry a password: put it in ~/.pgpass, "
                                        "the service file or PGPASSWORD."));
}

QString settingsServer() {
    return QSettings(QStringLiteral("Quorvex"), QStringLiteral("glazecalc"))
        .value(QStringLiteral("server"))
        .toString()
        .trimmed();
}

void setSettingsServer(const QString& location) {
    QSettings settings(QStringLiteral("Quorvex"), QStringLiteral("glazecalc"));
    settings.setValue(QStringLiteral("server"), location.trimmed());
    settings.sync();
    if (settings.status() != QSettings::NoError)
        throw StoreError(QStringLiteral("The settings file %1 cannot be written.").arg(settings.fileName()));
}

void checkServerAddress(const QString& location) {
    if (!store::sql::isServerLocation(location))
        throw StoreError(QStringLiteral("%1 is not a server address (postgresql://user@host/db "
                                        "or service=NAME).")
                             .arg(location));
    refusePassword(location);
}

QString missingTablesMessage(const QString& serverName, const QString& why) {
    return QStringLiteral("The server %1 does not hold the data folder's tables as this program needs them; "
                          "set it up with glazecalc-cli --server URL init or copy-store.\n%2")
        .arg(serverName, why);
}

QString testServer(const QString& location) {
    checkServerAddress(location);
    auto db = store::Database::open(location);
    try {
        for (const store::TableDef& def : store::schema::tables()) db->tableDef(def.name);
    } catch (const store::ServerError&) {
        throw;
    } catch (const StoreError& e) {
        throw StoreError(missingTablesMessage(db->serverName(), e.message()));
    }
    return db->serverName();
}

bool initServer(const QString& location, const QString& shippedDir) {
    auto db = store::Database::open(location);
    QStringList present;
    for (const store::TableDef& def : store::schema::tables())
        if (db->hasTable(def.name)) present << def.name;
    if (present.size() == int(store::schema::tables().size())) {
        for (const store::TableDef& def : store::schema::tables()) db->tableDef(def.name);
        return false;
    }
    if (!present.isEmpty())
        throw StoreError(QStringLiteral("The server %1 holds some of the tables (%2) but not all; nothing "
                                        "was changed.")
                             .arg(db->serverName(), present.join(QStringLiteral(", "))));
    store::Transaction tx(*db);
    fillTables(*db, shippedDir);
    QuoteSettings::createServerTable(*db);
    tx.commit();
    return true;
}

TableCounts copyStore(const QString& source, const QString& target) {
    auto from = openStore(source);
    if (store::sql::isServerLocation(target)) {
        auto to = store::Database::open(target);
        return copyInto(*from, *to);
    }
    const QString folder = QDir::cleanPath(QFileInfo(target).absoluteFilePath());
    if (QFileInfo::exists(databaseFile(folder))) {
        auto to = store::Database::open(databaseFile(folder));
        return copyInto(*from, *to);
    }
    if (QFileInfo::exists(folder) && !QDir(folder).isEmpty())
        throw StoreError(QStringLiteral("%1 is not an empty folder nor a data folder; nothing was copied.").arg(folder));
    // A new folder is built under another name and takes its own when complete.
    const QString partial = folder + QStringLiteral(".partial-") +
                            QString::number(QRandomGenerator::global()->generate64(), 36);
    if (!QDir().mkpath(partial)) throw StoreError(QStringLiteral("Cannot create the folder %1").arg(partial));
    try {
        TableCounts counts;
        {
            auto to = store::Database::create(databaseFile(partial));
            counts = copyInto(*from, *to);
        }
        QDir().rmdir(folder);
        if (!QDir().rename(partial, folder))
            throw StoreError(QStringLiteral("Cannot rename %1 to %2").arg(partial, folder));
        return counts;
    } catch (...) {
        QDir(partial).removeRecursively();
        throw;
    }
}

}  // namespace data
