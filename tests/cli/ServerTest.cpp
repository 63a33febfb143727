// The store on a PostgreSQL server (a throwaway cluster): set up and copied by
// glazecalc-cli, the same figures as on a data folder, two users on one row,
// and the server's faults in plain words.
#include "store/Database.h"
#include "store/StoreError.h"
#include "store/Table.h"
#include "support/CliRun.h"
#include "tablerepair/Headless.h"
#include "support/TestSupport.h"
#include "support/ServerCluster.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <gtest/gtest.h>

using namespace testing_support;

namespace {

struct OnServer : CliFolder {
    QString server = ServerCluster::instance().freshDatabase();
    CliRun onServer(QStringList args, const QString& location = QString()) {
        args.prepend(location.isEmpty() ? server : location);
        args.prepend("--server");
        return run(args);
    }
};

// Every row of every table of the data folder, each value with its kind, in stored order.
QStringList dump(const QString& dataDir) {
    auto db = store::Database::open(QDir(dataDir).filePath("Quorvex.db"));
    QStringList rows;
    for (const store::TableDef& def : store::schema::tables()) {
        store::sql::Statement st(db->connection(), QStringLiteral("SELECT * FROM \"%1\" ORDER BY rowid").arg(def.name));
        while (st.step()) {
            QStringList row{def.name};
            for (int c = 0; c < st.columnCount(); ++c)
                row << QString::number(int(st.columnType(c))) + ':' + st.column(c).toString();
            rows << row.join('|');
        }
    }
    return rows;
}

void setDesignRef(store::Table& t, const QString& ref) {
    t.edit();
    t.fieldByName("Design_Ref").setAsString(ref);
    t.post();
}

} // namespace

TEST_F(OnServer, InitFillsTheServerAsAFolderIsFilledOnceAndTablesNameIt) {
    ASSERT_EQ(onServer({"init"}).rc, 0);
    const CliRun again = onServer({"init"});
    EXPECT_EQ(again.rc, 1);
    EXPECT_TRUE(again.err.contains("left as they are")) << again.err.toStdString();
    QStringList lines = onServer({"tables"}).out.split('\n', Qt::SkipEmptyParts);
    ASSERT_FALSE(lines.isEmpty());
    const QString first = lines.takeFirst();
    EXPECT_TRUE(first.startsWith("Server\t")) << first.toStdString();
    EXPECT_TRUE(first.contains("database " + server.section("dbname=", 1).section(' ', 0, 0))) << first.toStdString();
    EXPECT_EQ(lines, run({"tables"}).out.split('\n', Qt::SkipEmptyParts));
}

// Folder -> server -> new folder gives every row back, kinds and all; the
// figures calculated on the server are those of the folder.
TEST_F(OnServer, CopyStoreRoundTripGivesEveryRowBackAndTheSameFigures) {
    ASSERT_EQ(run({"calc", "SAMPLE-HOUSE"}).rc, 0);
    ASSERT_EQ(run({"copy-store", "Data", server}).rc, 0);
    const CliRun twice = run({"copy-store", "Data", server});
    EXPECT_EQ(twice.rc, 1);
    EXPECT_TRUE(twice.err.contains("holds projects already")) << twice.err.toStdString();
    const CliRun back = run({"copy-store", server, "Back"});
    ASSERT_EQ(back.rc, 0) << back.err.toStdString();
    EXPECT_TRUE(back.out.contains("Copied ")) << back.out.toStdString();
    EXPECT_EQ(dump(file("Data")), dump(file("Back")));
    EXPECT_FALSE(QDir(work.path()).entryList({"Back.partial-*"}, QDir::Dirs).size());
    for (const char* project : {"SAMPLE-HOUSE", "_Casement 38"})
        EXPECT_EQ(onServer({"calc", project}).out, run({"calc", project}).out) << project;
}

// Two users on one row: the later post of the same field is refused and the
// row shows what the other saved; edits of other rows or other fields stand.
TEST_F(OnServer, TheLaterOfTwoEditsOfOneRowIsRefusedNeverOverwritten) {
    ASSERT_EQ(onServer({"init"}).rc, 0);
    auto mineDb = store::Database::open(server), theirsDb = store::Database::open(server);
    store::Table mine(mineDb.get(), "Design"), theirs(theirsDb.get(), "Design");
    mine.open();
    theirs.open();
    ASSERT_TRUE(mine.findKey({"SAMPLE-HOUSE", 1}));
    ASSERT_TRUE(theirs.findKey({"SAMPLE-HOUSE", 1}));
    mine.edit();
    mine.fieldByName("Design_Ref").setAsString("mine");
    setDesignRef(theirs, "theirs");
    try {
        mine.post();
        FAIL() << "the later post overwrote the other's";
    } catch (const store::ConflictError& e) {
        EXPECT_EQ(e.message(), "Another user changed this design since you opened it; your change was not saved");
    }
    EXPECT_FALSE(mine.editing());
    EXPECT_EQ(mine.fieldByName("Design_Ref").asString(), "theirs");
    // Starting again from what is stored goes through; so do edits of other rows.
    setDesignRef(mine, "mine");
    ASSERT_TRUE(theirs.findKey({"SAMPLE-HOUSE", 2}));
    setDesignRef(theirs, "theirs 2");
    ASSERT_TRUE(mine.findKey({"SAMPLE-HOUSE", 1}));
    EXPECT_EQ(mine.fieldByName("Design_Ref").asString(), "mine");
    ASSERT_TRUE(mine.findKey({"SAMPLE-HOUSE", 2}));
    EXPECT_EQ(mine.fieldByName("Design_Ref").asString(), "theirs 2");
}

// A bulk command's writes go with its next round trip; one of them refused
// (another user changed that row meanwhile) fails the command before its
// COMMIT is sent, so none of its writes is kept.
TEST_F(OnServer, AHeldBackWriteRefusedFailsTheWholeCommandBeforeItCommits) {
    ASSERT_EQ(onServer({"init"}).rc, 0);
    auto mineDb = store::Database::open(server), theirsDb = store::Database::open(server);
    store::Table mine(mineDb.get(), "Design"), mine2(mineDb.get(), "Design"), theirs(theirsDb.get(), "Design");
    mine.open();
    mine2.open();
    theirs.open();
    ASSERT_TRUE(mine2.findKey({"SAMPLE-HOUSE", 2}));
    mine2.edit(); // begun on what was read before the other user's change
    ASSERT_TRUE(theirs.findKey({"SAMPLE-HOUSE", 2}));
    setDesignRef(theirs, "theirs");
    auto command = [&] {
        store::Transaction tx(*mineDb);
        store::HeldWrites held(*mineDb);
        ASSERT_TRUE(mine.findKey({"SAMPLE-HOUSE", 1}));
        setDesignRef(mine, "mine 1");
        mine2.fieldByName("Design_Ref").setAsString("mine 2");
        mine2.post();
        tx.commit();
    };
    EXPECT_THROW(command(), store::ConflictError);
    auto lookDb = store::Database::open(server);
    store::Table look(lookDb.get(), "Design");
    look.open();
    ASSERT_TRUE(look.findKey({"SAMPLE-HOUSE", 1}));
    EXPECT_NE(look.fieldByName("Design_Ref").asString(), "mine 1");
    ASSERT_TRUE(look.findKey({"SAMPLE-HOUSE", 2}));
    EXPECT_EQ(look.fieldByName("Design_Ref").asString(), "theirs");
}

// A row lock held past the busy timeout says "in use", as on a folder.
TEST_F(OnServer, ARowLockedLongerThanTheTimeoutIsInUseAndChangesNothing) {
    ASSERT_EQ(onServer({"init"}).rc, 0);
    auto mineDb = store::Database::open(server), theirsDb = store::Database::open(server);
    store::Table mine(mineDb.get(), "Design");
    mine.open();
    ASSERT_TRUE(mine.findKey({"SAMPLE-HOUSE", 1}));
    theirsDb->begin();
    theirsDb->connection().exec("UPDATE Design SET Design_Qty = 7 WHERE Design_No = 1");
    QElapsedTimer waited;
    waited.start();
    EXPECT_THROW(setDesignRef(mine, "mine"), store::BusyError);
    EXPECT_GE(waited.elapsed(), store::sql::BusyTimeoutMs - 500);
    theirsDb->rollback();
    mine.cancel();
    ASSERT_TRUE(mine.findKey({"SAMPLE-HOUSE", 1}));
    EXPECT_NE(mine.fieldByName("Design_Ref").asString(), "mine");
    EXPECT_NO_THROW(setDesignRef(mine, "mine"));
}

TEST_F(OnServer, FaultsNameTheServerAndTheReasonAndExitWithOne) {
    ServerCluster& cluster = ServerCluster::instance();
    auto expectFault = [&](const QString& location, const char* reason) {
        const CliRun r = onServer({"tables"}, location);
        EXPECT_EQ(r.rc, 1) << location.toStdString();
        EXPECT_TRUE(r.err.contains(reason)) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
    };
    expectFault("host=/nonexistent/quorvex dbname=x user=postgres", "cannot be reached");
    expectFault("host=/nonexistent/quorvex dbname=x user=postgres", "/nonexistent/quorvex");
    expectFault(cluster.location("no_such_database"), "the database does not exist");
    // The server has no tables yet, then the clerk's password in its places.
    expectFault(server, "does not hold the data folder's tables");
    const QString clerk = cluster.freshDatabase("clerk");
    qputenv("PGPASSFILE", file("no-pgpass").toUtf8());
    qunsetenv("PGPASSWORD");
    expectFault(clerk, "asks for a password");
    qputenv("PGPASSWORD", "wrong");
    expectFault(clerk, "refused the user name or password");
    qputenv("PGPASSWORD", "secret");
    EXPECT_EQ(onServer({"init"}, clerk).rc, 0);
    qunsetenv("PGPASSWORD");
    // A password never comes from the command line.
    const CliRun inline_ = onServer({"tables"}, clerk + " password=secret");
    EXPECT_EQ(inline_.rc, 1);
    EXPECT_TRUE(inline_.err.contains("must not carry a password")) << inline_.err.toStdString();
}

// The server stops in the middle of a command: the command rolls back, says
// so, and the next one connects again.
TEST_F(OnServer, AServerStoppedMidCommandRollsBackAndTheNextCommandReconnects) {
    ASSERT_EQ(onServer({"init"}).rc, 0);
    auto db = store::Database::open(server);
    store::Table t(db.get(), "Design");
    t.open();
    ASSERT_TRUE(t.findKey({"SAMPLE-HOUSE", 1}));
    const QString before = t.fieldByName("Design_Ref").asString();
    ServerCluster& cluster = ServerCluster::instance();
    try {
        store::Transaction tx(*db);
        setDesignRef(t, "half");
        ASSERT_TRUE(cluster.stop());
        ASSERT_TRUE(cluster.start());
        t.findKey({"SAMPLE-HOUSE", 2});
        setDesignRef(t, "other half");
        tx.commit();
        FAIL() << "the command went on over a lost connection";
    } catch (const store::ServerError& e) {
        EXPECT_TRUE(e.message().contains("was lost")) << e.message().toStdString();
    }
    EXPECT_FALSE(db->inTransaction());
    ASSERT_TRUE(t.findKey({"SAMPLE-HOUSE", 1}));
    EXPECT_EQ(t.fieldByName("Design_Ref").asString(), before);
    EXPECT_NO_THROW(setDesignRef(t, "whole"));
    EXPECT_EQ(onServer({"tables"}).rc, 0);
}

// Two glazecalc-cli processes on one server at once: one recalculates the
// sample project, the other copies it again and again. No command fails, the
// figures never change, and every copy made is there whole at the end.
TEST_F(OnServer, TwoProgramsWritingOneServerNeverFailNorLoseEdits) {
    ASSERT_EQ(onServer({"init"}).rc, 0);
    const int seconds = qEnvironmentVariableIntValue("QUORVEX_TWO_WRITERS_SECONDS");
    QElapsedTimer clock;
    clock.start();
    int runs = 0, copies = 0;
    QStringList failures;
    QString figures;
    while (clock.elapsed() < (seconds > 0 ? seconds : 4) * 1000) {
        const QStringList jobs[2] = {{"calc", "SAMPLE-HOUSE"},
                                     {"copy-project", "SAMPLE-HOUSE", QStringLiteral("COPY-%1").arg(copies + 1)}};
        QProcess procs[2];
        for (int i = 0; i < 2; ++i)
            procs[i].start(QStringLiteral(GLAZECALC_CLI), QStringList{"--workdir", work.path(), "--server", server} + jobs[i]);
        for (int i = 0; i < 2; ++i) {
            procs[i].waitForFinished(60000);
            ++runs;
            const QString out = QString::fromUtf8(procs[i].readAllStandardOutput());
            if (procs[i].exitStatus() != QProcess::NormalExit || procs[i].exitCode() != 0)
                failures << jobs[i].join(' ') + ": " + QString::fromUtf8(procs[i].readAllStandardError());
            else if (i == 1)
                ++copies;
            else if (figures.isEmpty())
                figures = out;
            else if (out != figures)
                failures << "different figures: " + out;
        }
    }
    auto db = store::Database::open(server);
    const int designs = rowCount(*db, "Design", "Project_Ref = ?", {"SAMPLE-HOUSE"});
    int lost = 0;
    for (int k = 1; k <= copies; ++k)
        lost += rowCount(*db, "Design", "Project_Ref = ?", {QStringLiteral("COPY-%1").arg(k)}) != designs;
    std::printf("two writers on one server: %d commands in %.1f s, %lld failures, %d lost edits\n", runs,
                double(clock.elapsed()) / 1000, static_cast<long long>(failures.size()), lost);
    EXPECT_TRUE(failures.isEmpty()) << failures.join('\n').toStdString();
    EXPECT_EQ(lost, 0);
    EXPECT_GE(copies, 2);
}

// tablerepair rebuilds nothing on a server: the server guards its own tables.
TEST_F(OnServer, TableRepairOffersNoRebuildOnAServer) {
    ASSERT_EQ(onServer({"init"}).rc, 0);
    QString out, err;
    QTextStream o(&out), e(&err);
    EXPECT_EQ(tablerepair::runHeadless({"tablerepair", "--verify-only", server}, work.path(), o, e), 0);
    EXPECT_EQ(tablerepair::runHeadless({"tablerepair", "--rebuild", server}, work.path(), o, e), 1);
    o.flush();
    e.flush();
    for (const QString& said : {out, err}) {
        EXPECT_TRUE(said.contains("guards them itself")) << said.toStdString();
        EXPECT_TRUE(said.contains("pg_dump")) << said.toStdString();
    }
    EXPECT_FALSE(QDir(work.path()).entryList({"*.zip"}).size());
}

// Another program's commit reaches this one's data version (LISTEN/NOTIFY
// from the tables' triggers), as SQLite's data version tells of another
// connection's write: the calculation's reference rows are read again.
TEST_F(OnServer, AnotherProgramsCommitChangesTheDataVersionOwnWritesDoNot) {
    ASSERT_EQ(onServer({"init"}).rc, 0);
    auto mine = store::Database::open(server), theirs = store::Database::open(server);
    const qint64 start = mine->dataVersion();
    mine->connection().exec("UPDATE SystemValues SET Finish = Finish");
    EXPECT_EQ(mine->dataVersion(), start);
    theirs->connection().exec("UPDATE SystemValues SET Finish = Finish");
    QElapsedTimer waited;
    waited.start();
    while (mine->dataVersion() == start && waited.elapsed() < 2000) QThread::msleep(10);
    EXPECT_NE(mine->dataVersion(), start);
}
