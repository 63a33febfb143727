// The exchange commands and the quotation on a PostgreSQL server (a throwaway
// cluster) against the same commands on a data folder: export, load, the
// earlier version's import, copies, standard designs and the quotation leave
// the same rows table by table; the quotation settings live on the server.
#include "ParadoxFixture.h"
#include "cli/ProjectSetup.h"
#include "data/DataFolder.h"
#include "data/DataModule.h"
#include "data/QuoteSettings.h"
#include "data/ServerStore.h"
#include "exchange/ProjectFolder.h"
#include "exchange/Standards.h"
#include "store/Query.h"
#include "support/CliRun.h"
#include "support/ServerCluster.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <map>

using namespace testing_support;
using store::sql::quoteIdentifier;

namespace {

using Rows = std::map<QString, QStringList>;

// A table's rows in key order (stored order for an unkeyed one), each value
// with its kind, read the same way from either backend.
QStringList tableRows(store::Database& db, const store::TableDef& def) {
    QStringList cols, order;
    for (const store::FieldDef& f : def.fields) cols << quoteIdentifier(f.name);
    for (const QString& k : def.key) order << quoteIdentifier(k);
    order << "rowid";
    store::sql::Statement st(db.connection(), QStringLiteral("SELECT %1 FROM %2 ORDER BY %3")
                                                  .arg(cols.join(", "), quoteIdentifier(def.name), order.join(", ")));
    QStringList rows;
    while (st.step()) {
        QStringList row;
        for (int c = 0; c < st.columnCount(); ++c)
            row << QString::number(int(st.columnType(c))) + ':' + st.column(c).toString();
        rows << row.join('|');
    }
    return rows;
}

Rows storeRows(const QString& location) {
    auto db = store::Database::open(location);
    Rows rows;
    for (const store::TableDef& def : store::schema::tables()) rows[def.name] = tableRows(*db, def);
    return rows;
}

// The rows of each file of an exported project folder.
Rows folderRows(const QString& folder) {
    Rows rows;
    for (const exchange::ProjectFolderFile& f : exchange::projectFolderFiles()) {
        if (!f.exported) continue;
        auto db = store::Database::open(QDir(folder).filePath(f.fileName));
        rows[f.fileName] = tableRows(*db, *store::schema::find(f.table));
    }
    return rows;
}

// Table by table, the first row that differs: a whole dump would bury it.
void expectSameRows(const Rows& folder, const Rows& server, const char* step) {
    ASSERT_EQ(folder.size(), server.size()) << step;
    for (const auto& [table, rows] : folder) {
        const QStringList& other = server.at(table);
        for (qsizetype i = 0; i < std::max(rows.size(), other.size()); ++i) {
            const QString a = i < rows.size() ? rows[i] : "(none)", b = i < other.size() ? other[i] : "(none)";
            ASSERT_EQ(a, b) << step << ": " << table.toStdString() << " row " << i << " of " << rows.size()
                            << " on the folder, " << other.size() << " on the server";
        }
    }
}

// Two working folders: one with a data folder, one a workstation of the
// server with no data folder of its own.
struct FolderAndServer : ::testing::Test {
    void SetUp() override {
        qputenv("QUORVEX_LEGACY_READER", GLAZECALC_CLI);
        ASSERT_EQ(onFolder({"init"}).rc, 0);
        ASSERT_EQ(onServer({"init"}).rc, 0);
    }
    void TearDown() override { qunsetenv("QUORVEX_LEGACY_READER"); }
    CliRun onFolder(const QStringList& args) { return runCli(QStringList{"--workdir", folderWork.path()} + args); }
    CliRun onServer(const QStringList& args, const QString& workDir = QString()) {
        return runCli(QStringList{"--workdir", workDir.isEmpty() ? serverWork.path() : workDir, "--server", server} +
                      args);
    }
    // One command on both: the same exit code, output and messages.
    int both(const QStringList& args) {
        const CliRun f = onFolder(args), s = onServer(args);
        EXPECT_EQ(s.rc, f.rc) << args.join(' ').toStdString() << "\n" << s.err.toStdString();
        EXPECT_EQ(s.out, f.out) << args.join(' ').toStdString();
        EXPECT_EQ(s.err, f.err) << args.join(' ').toStdString();
        return f.rc;
    }
    QString dataFolder() const { return QDir(folderWork.path()).filePath("Data"); }
    QString folderDb() const { return data::databaseFile(dataFolder()); }
    QString inFolderWork(const QString& name) const { return QDir(folderWork.path()).filePath(name); }
    QString inServerWork(const QString& name) const { return QDir(serverWork.path()).filePath(name); }

    QTemporaryDir folderWork, serverWork;
    QString server = ServerCluster::instance().freshDatabase();
};

// Applies the first standard design of the design's system to design 1 of
// SAMPLE-HOUSE, as the standards window does, through the data module.
void applyStandard(const QString& workDir, const QString& server) {
    data::setStoreServer(server);
    RecordingMessages messages;
    {
        data::TDM dm(messages, workDir);
        ASSERT_TRUE(dm.tablesOpen());
        ASSERT_TRUE(cli::openProject(dm, "SAMPLE-HOUSE"));
        ASSERT_TRUE(cli::openDesign(dm, "SAMPLE-HOUSE", 1));
        store::Query standards(dm.database(), QString());
        exchange::openStandardDesigns(standards, dm.DesignTable.fieldByName("System_Name").asString());
        ASSERT_FALSE(standards.eof());
        EXPECT_TRUE(exchange::ApplyStandardDesign(dm, standards));
    }
    data::setStoreServer(QString());
    EXPECT_TRUE(messages.errors.isEmpty()) << messages.errors.join('\n').toStdString();
}

// Every exported file's Project_Ref set to `ref`: the folder then carries a
// project neither store holds yet.
void renameExportedProject(const QString& folder, const QString& ref) {
    for (const exchange::ProjectFolderFile& f : exchange::projectFolderFiles()) {
        const QString path = QDir(folder).filePath(f.fileName);
        if (!QFile::exists(path)) continue;
        store::sql::Connection conn(path, store::sql::Connection::Mode::OpenExisting);
        conn.exec(QStringLiteral("UPDATE %1 SET Project_Ref = '%2'").arg(quoteIdentifier(f.table), ref));
    }
}

bool copyFolder(const QString& from, const QString& to) {
    if (!QDir().mkpath(to)) return false;
    for (const QString& name : QDir(from).entryList(QDir::Files))
        if (!QFile::copy(QDir(from).filePath(name), QDir(to).filePath(name))) return false;
    return true;
}

QString readText(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString("(cannot read %1)").arg(path);
}

} // namespace

TEST_F(FolderAndServer, ExchangeCopiesStandardsAndTheQuotationLeaveTheSameRowsOnBoth) {
    expectSameRows(storeRows(folderDb()), storeRows(server), "init");

    // Export: the same files with the same rows.
    ASSERT_EQ(both({"calc", "SAMPLE-HOUSE"}), 0);
    ASSERT_EQ(both({"export", "SAMPLE-HOUSE", "carry"}), 0);
    expectSameRows(folderRows(inFolderWork("carry")), folderRows(inServerWork("carry")), "export");

    // Load: a new project merged, and a damaged folder refused with nothing changed.
    const QString loaded = inFolderWork("loaded"), damaged = inFolderWork("damaged");
    ASSERT_TRUE(copyFolder(inFolderWork("carry"), loaded));
    renameExportedProject(loaded, "LOADED");
    ASSERT_TRUE(copyFolder(loaded, damaged));
    {
        QFile f(QDir(damaged).filePath("TDesignImage.db"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("not a table");
    }
    ASSERT_EQ(both({"load", loaded}), 0);
    const Rows afterLoad = storeRows(folderDb());
    expectSameRows(afterLoad, storeRows(server), "load");
    EXPECT_EQ(both({"load", damaged}), 1);
    expectSameRows(afterLoad, storeRows(folderDb()), "refused load, folder");
    expectSameRows(afterLoad, storeRows(server), "refused load, server");

    // A load that fails half-way on the server (the eighth table locked by
    // another user past the timeout) rolls back what it had merged.
    ASSERT_TRUE(copyFolder(inFolderWork("carry"), inFolderWork("again")));
    renameExportedProject(inFolderWork("again"), "AGAIN");
    {
        auto other = store::Database::open(server);
        other->begin();
        other->connection().exec("LOCK TABLE DesignImage IN EXCLUSIVE MODE");
        const CliRun r = onServer({"load", inFolderWork("again")});
        other->rollback();
        EXPECT_EQ(r.rc, 1);
        EXPECT_TRUE(r.err.contains("in use")) << r.err.toStdString();
    }
    expectSameRows(afterLoad, storeRows(server), "load failed half-way");

    // The earlier version's Paradox tables, the copies and a standard design.
    const QString legacy = inFolderWork("Quorvex2/Data");
    writeLegacyFolder(legacy);
    ASSERT_EQ(both({"import-legacy", legacy, "P1", "OLD-P1"}), 0);
    EXPECT_EQ(both({"import-legacy", legacy, "P2", "OLD-P1"}), 1);
    ASSERT_EQ(both({"import-legacy", legacy, QStringLiteral("Caf\u00e9"), QStringLiteral("CAF\u00c9")}), 0);
    ASSERT_EQ(both({"copy-project", "SAMPLE-HOUSE", "COPY"}), 0);
    ASSERT_EQ(both({"copy-design", "SAMPLE-HOUSE", "2", "Copy door"}), 0);
    applyStandard(folderWork.path(), QString());
    applyStandard(serverWork.path(), server);
    for (const char* project : {"SAMPLE-HOUSE", "LOADED", "OLD-P1", "COPY"}) both({"calc", project});
    expectSameRows(storeRows(folderDb()), storeRows(server), "import, copies, standard design and calc");

    // The quotation, with settings each store keeps: the same text.
    ASSERT_EQ(both({"quote-settings", "--company", QStringLiteral("\u00d6resund Glas"), "--markup", "12.5",
                    "--project-markup", "SAMPLE-HOUSE=7.25"}),
              0);
    ASSERT_EQ(both({"report", "quote", "SAMPLE-HOUSE", "-o", "quote.txt"}), 0);
    const QString quote = readText(inFolderWork("quote.txt"));
    EXPECT_TRUE(quote.contains(QStringLiteral("\u00d6resund Glas"))) << quote.toStdString();
    EXPECT_EQ(readText(inServerWork("quote.txt")), quote);
    expectSameRows(storeRows(folderDb()), storeRows(server), "quotation");
}

// Every workstation reads and writes the server's settings; copy-store
// carries them both ways; damaged ones are named, never taken for the defaults.
TEST_F(FolderAndServer, QuotationSettingsLiveOnTheServerAndTravelWithCopyStore) {
    QTemporaryDir second;
    ASSERT_EQ(onServer({"quote-settings", "--company", "Korvane Glass", "--vat", "14"}).rc, 0);
    const CliRun read = onServer({"quote-settings"}, second.path());
    ASSERT_EQ(read.rc, 0) << read.err.toStdString();
    EXPECT_TRUE(read.out.contains("Company\tKorvane Glass\n")) << read.out.toStdString();
    EXPECT_TRUE(read.out.contains("VAT\t14\n")) << read.out.toStdString();
    for (const QString& work : {serverWork.path(), second.path()}) EXPECT_TRUE(QDir(work).isEmpty());

    // Folder -> server -> folder gives the file's settings back equal.
    ASSERT_EQ(onFolder({"quote-settings", "--company", QStringLiteral("\u00d6resund \"Glas\""), "--address",
                        "1 Main Road\\nCape Town", "--markup", "0.1", "--project-markup", "SAMPLE-HOUSE=33.3"})
                  .rc,
              0);
    const data::QuoteSettings kept = data::QuoteSettings::load(dataFolder());
    const QString fresh = ServerCluster::instance().freshDatabase();
    {
        // Settings the target kept before are replaced by the source's.
        data::QuoteSettings leftOver;
        leftOver.companyName = "Left over";
        data::QuoteSettings::keep(*store::Database::open(fresh), leftOver);
    }
    ASSERT_EQ(onFolder({"copy-store", "Data", fresh}).rc, 0);
    EXPECT_EQ(runCli({"--workdir", second.path(), "--server", fresh, "quote-settings"}).out.toStdString(),
              onFolder({"quote-settings"}).out.toStdString());
    const CliRun back = onFolder({"copy-store", fresh, "Back"});
    ASSERT_EQ(back.rc, 0) << back.err.toStdString();
    const data::QuoteSettings backAgain = data::QuoteSettings::load(inFolderWork("Back"));
    EXPECT_EQ(backAgain, kept) << backAgain.companyName.toStdString();

    // A damaged value on the server stops the settings, the quotation and a copy.
    auto db = store::Database::open(server);
    db->connection().exec(QStringLiteral("UPDATE %1 SET Settings = '{\"vatPercent\": 150}'")
                              .arg(quoteIdentifier(data::QuoteSettings::serverTable())));
    for (const QStringList& args : {QStringList{"quote-settings"}, QStringList{"quote-settings", "--vat", "15"},
                                    QStringList{"report", "quote", "SAMPLE-HOUSE", "-o", "q.txt"}}) {
        const CliRun r = onServer(args);
        EXPECT_EQ(r.rc, 1) << args.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains("quotation settings on the server")) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains("damaged: The VAT must be between 0 and 100 %.")) << r.err.toStdString();
    }
    EXPECT_FALSE(QFile::exists(inServerWork("q.txt")));
    const CliRun refused = onFolder({"copy-store", server, "Refused"});
    EXPECT_EQ(refused.rc, 1);
    EXPECT_TRUE(refused.err.contains("damaged")) << refused.err.toStdString();
    EXPECT_FALSE(QFile::exists(inFolderWork("Refused")));
    EXPECT_EQ(QDir(folderWork.path()).entryList({"Refused*"}, QDir::AllEntries).size(), 0);

    // A server set up before the settings moved there has no table: the
    // defaults, and the first save makes it.
    db->connection().exec(QStringLiteral("DROP TABLE %1").arg(quoteIdentifier(data::QuoteSettings::serverTable())));
    EXPECT_TRUE(onServer({"quote-settings"}).out.contains("VAT\t15\n"));
    ASSERT_EQ(onServer({"quote-settings", "--validity", "45"}).rc, 0);
    EXPECT_TRUE(onServer({"quote-settings"}, second.path()).out.contains("Validity\t45\n"));
}
