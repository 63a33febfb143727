#include "FolderFixture.h"
#include "store/Schema.h"
#include "store/Sqlite.h"
#include "support/CliRun.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

using testing_support::CliRun;
using testing_support::fixturesDir;
using testing_support::runCli;

namespace {

// A working folder with a data folder made from the test catalogue.
struct Work {
    Work() {
        qputenv("QUORVEX_DATA_DIR", QDir(fixturesDir()).filePath("data").toUtf8());
        EXPECT_EQ(runCli({"--workdir", dir.path(), "init"}).rc, 0);
        qunsetenv("QUORVEX_DATA_DIR");
    }
    CliRun run(const QStringList& args) {
        return runCli(QStringList{"--workdir", dir.path()} + args);
    }
    QTemporaryDir dir;
};

} // namespace

TEST(ExchangeCli, ExportThenLoadInAnotherWorkingFolder) {
    Work office, home;
    // A folder named relative to the working folder is made there.
    const CliRun exported = office.run({"export", "HOUSE", "carry"});
    ASSERT_EQ(exported.rc, 0) << exported.err.toStdString();
    EXPECT_EQ(exported.err.trimmed(), "Project Saved");
    const QStringList lines = exported.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 9);
    EXPECT_EQ(lines.first(), "TProject.db\t1");
    EXPECT_EQ(lines.last(), "TDesignImage.db\t0");
    const QString folder = QDir(office.dir.path()).filePath("carry");
    EXPECT_TRUE(QFile::exists(QDir(folder).filePath("TProject.db")));

    const CliRun loaded = home.run({"load", folder});
    ASSERT_EQ(loaded.rc, 0) << loaded.err.toStdString();
    EXPECT_EQ(loaded.err.trimmed(), "Information - Project Loaded Successfully!");
    EXPECT_EQ(loaded.out.split('\n', Qt::SkipEmptyParts).size(), 9);
}

TEST(ExchangeCli, NothingLoadedExitsOne) {
    Work work;
    QTemporaryDir empty;
    CliRun r = work.run({"load", empty.path()});
    EXPECT_EQ(r.rc, 1);
    EXPECT_EQ(r.err.trimmed(), "WARNING - Some Project Files Missing - Can NOT Proceed!");
    EXPECT_TRUE(r.out.isEmpty());

    ASSERT_EQ(work.run({"export", "HOUSE", empty.path()}).rc, 0);
    // The folder, not a file in it.
    r = work.run({"load", QDir(empty.path()).filePath("TProject.db")});
    EXPECT_EQ(r.rc, 1);
    EXPECT_TRUE(r.err.contains("not a file in it")) << r.err.toStdString();

    QFile design(QDir(empty.path()).filePath("TDesign.db"));
    ASSERT_TRUE(design.open(QIODevice::WriteOnly | QIODevice::Truncate));
    design.write("not a table\n");
    design.close();
    r = work.run({"load", empty.path()});
    EXPECT_EQ(r.rc, 1);
    EXPECT_TRUE(r.err.startsWith(
        "The project folder was not loaded: \"TDesign.db\" is not a database file."))
        << r.err.toStdString();

    r = work.run({"export", "NO-SUCH", empty.path()});
    EXPECT_EQ(r.rc, 1);
    EXPECT_EQ(r.err.trimmed(), "Project Reference not Found !");
    EXPECT_EQ(work.run({"export", "HOUSE"}).rc, 2);
    EXPECT_EQ(work.run({"load"}).rc, 2);
}

namespace {

struct FolderCli : testing_support::CliFolder {
    QString dataDump() {
        return folder_fixture::dumpDatabase(*store::Database::open(file("Data/Quorvex.db")));
    }
    // Runs a statement on every exchange file of a folder ("%1" the table), as a hand edit would.
    static void editFolder(const QString& folder, const QString& statement) {
        for (const QString& name : QDir(folder).entryList({"T*.db"}, QDir::Files))
            store::sql::Connection(QDir(folder).filePath(name),
                                   store::sql::Connection::Mode::OpenExisting)
                .exec(statement.arg(name.mid(1, name.size() - 4)));
    }
};

} // namespace

// The load checks every text of every file against its field before anything
// merges: a folder for "SAMPLE-HOUSE-LONGER-REF" must not merge, cut, into the
// project "SAMPLE-HOUSE-LO".
TEST_F(FolderCli, TextsLongerThanTheirFieldsRefuseTheWholeLoad) {
    ASSERT_EQ(run({"copy-project", "SAMPLE-HOUSE", "SAMPLE-HOUSE-LO"}).rc, 0);
    ASSERT_EQ(run({"export", "SAMPLE-HOUSE", "carry"}).rc, 0);
    const QString folder = file("carry");
    editFolder(folder, "UPDATE \"%1\" SET Project_Ref = 'SAMPLE-HOUSE-LONGER-REF'");
    const QString before = dataDump();
    CliRun r = run({"load", folder});
    EXPECT_EQ(r.rc, 1);
    EXPECT_EQ(r.err, "The project folder was not loaded: \"TProject.db\" row 1: the field "
                     "Project_Ref holds \"SAMPLE-HOUSE-LONGER-REF\" of 23 characters, where the "
                     "field takes at most 15.\nNothing was changed.\n");
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_EQ(dataDump(), before);
}

// "TDesignResults.db" is never exported, so one left in a folder may hold
// other projects: their rows are left out and counted, this project's load.
// An unknown project's export makes no folder.
TEST_F(FolderCli, ALeftoverDesignResultsFileLoadsThisProjectsRowsOnly) {
    ASSERT_EQ(run({"export", "SAMPLE-HOUSE", "carry"}).rc, 0);
    const QString folder = file("carry");
    {
        auto results = store::Database::create(QDir(folder).filePath("TDesignResults.db"));
        results->createTable(*store::schema::find("DesignResults"));
        results->connection().exec(
            "INSERT INTO DesignResults (Project_Ref, Design_No, Design_Ref, Solar_Factor) VALUES "
            "('SAMPLE-HOUSE', 1, 'W1', 0.625), ('OTHER-JOB', 1, 'X1', 0.5), "
            "('OTHER-JOB', 2, 'X2', 0.5)");
    }
    // One file standing alone, as the export leaves its own.
    store::sql::Connection(QDir(folder).filePath("TDesignResults.db"),
                           store::sql::Connection::Mode::OpenExisting)
        .exec("PRAGMA journal_mode=DELETE");
    CliRun r = run({"load", folder});
    ASSERT_EQ(r.rc, 0) << r.err.toStdString();
    EXPECT_EQ(r.err, "\"TDesignResults.db\" also holds 2 row(s) of other projects; they were "
                     "left out.\nInformation - Project Loaded Successfully!\n");
    EXPECT_TRUE(r.out.endsWith("TDesignResults.db\t1\n")) << r.out.toStdString();
    auto db = store::Database::open(file("Data/Quorvex.db"));
    EXPECT_EQ(testing_support::rowCount(*db, "DesignResults", "Project_Ref = 'OTHER-JOB'"), 0);
    EXPECT_EQ(testing_support::rowCount(*db, "DesignResults",
                                        "Project_Ref = 'SAMPLE-HOUSE' AND Solar_Factor = 0.625"),
              1);
    db.reset();

    const QString before = dataDump();
    r = run({"export", "NO-SUCH-PROJ", "nowhere"});
    EXPECT_EQ(r.rc, 1);
    EXPECT_EQ(r.err, "Project Reference not Found !\n");
    EXPECT_FALSE(QFileInfo::exists(file("nowhere")));
    EXPECT_EQ(dataDump(), before);
}
