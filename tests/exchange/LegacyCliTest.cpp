// glazecalc-cli legacy-dump and import-legacy, run in process; the import's
// reader is the real glazecalc-cli.
#include "ParadoxFixture.h"
#include "exchange/ParadoxHeader.h"
#include "store/Database.h"
#include "store/Sqlite.h"
#include "support/CliRun.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace testing_support;

namespace {

struct LegacyCli : ::testing::Test {
    void SetUp() override {
        qputenv("QUORVEX_DATA_DIR", QDir(fixturesDir()).filePath("data").toUtf8());
        qputenv("QUORVEX_LEGACY_READER", QUORVEX_CLI);
        folder = QDir(work.path()).filePath("Quorvex2/Data");
        writeLegacyFolder(folder);
    }
    void TearDown() override {
        qunsetenv("QUORVEX_DATA_DIR");
        qunsetenv("QUORVEX_LEGACY_READER");
    }
    QTemporaryDir work;
    QString folder;
};

TEST_F(LegacyCli, DumpPrintsAnyTableAndNamesADamagedOne) {
    const CliRun dump = runCli({"legacy-dump", QDir(folder).filePath("DesignMerge.DB")});
    ASSERT_EQ(dump.rc, 0) << dump.err.toStdString();
    const QStringList lines = dump.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 1 + 4 * 50);  // P1 twice, _CASEMENT and Café
    EXPECT_EQ(lines[0], "Project_Ref\tDesign_No\tRow\tColumn\tRowSpan\tColSpan");
    EXPECT_EQ(lines[2], "P1\t1\t0\t1\t1\t2");
    EXPECT_EQ(lines.last(), QStringLiteral("Caf\u00e9\t1\t4\t9\t1\t1"));

    const QString project = QDir(folder).filePath("Project.DB");
    const CliRun projects = runCli({"--workdir", folder, "legacy-dump", "Project.DB"});
    ASSERT_EQ(projects.rc, 0);
    EXPECT_TRUE(projects.out.contains("P2\tEmpty Project\t\t\t\t\t\t\t\t\n"));
    EXPECT_TRUE(projects.out.contains("P1\tSmith House\t2003-04-05\tAnodised\t1500\tJ. Smith\tErf 12\t\t\t\n"));

    // A graphic field (10 bytes wide, no leading bytes) once made the table
    // unreadable ("field 2 has no width"); it is passed over.
    const QString wild = QDir(folder).filePath("Wild.DB");
    writeParadoxTable(wild,
                      {{"Name", exchange::PxAlpha, 8},
                       {"Picture", exchange::PxGraphic, 10},
                       {"No", exchange::PxLong, 4}},
                      {{QStringLiteral("x"), QVariant(), 7}});
    const CliRun picture = runCli({"legacy-dump", wild});
    EXPECT_EQ(picture.rc, 0) << picture.err.toStdString();
    EXPECT_EQ(picture.out, "Name\tNo\nx\t7\n");

    truncateFile(project, 100);
    const CliRun damaged = runCli({"legacy-dump", project});
    EXPECT_EQ(damaged.rc, 1);
    EXPECT_TRUE(damaged.out.isEmpty());
    EXPECT_TRUE(damaged.err.startsWith(QDir::toNativeSeparators(project))) << damaged.err.toStdString();
    EXPECT_EQ(runCli({"legacy-dump"}).rc, 2);
}

TEST_F(LegacyCli, ImportLegacyExitsOneWhenNothingWasImported) {
    ASSERT_EQ(runCli({"--workdir", work.path(), "init"}).rc, 0);
    const CliRun first = runCli({"--workdir", work.path(), "import-legacy", folder, "P1", "OLD-P1"});
    EXPECT_EQ(first.rc, 0) << first.err.toStdString();
    EXPECT_EQ(first.err.trimmed(), "Project Imported Successfully");
    const CliRun again = runCli({"--workdir", work.path(), "import-legacy", folder, "P2", "OLD-P1"});
    EXPECT_EQ(again.rc, 1);
    EXPECT_EQ(again.err.trimmed(), "New Project Reference Already Exists, Please Enter a Unique Reference");
    const CliRun standard = runCli({"--workdir", work.path(), "import-legacy", folder, "_CASEMENT", "STD"});
    EXPECT_EQ(standard.rc, 1);
    const CliRun missing = runCli({"--workdir", work.path(), "import-legacy", "nowhere", "P1", "X"});
    EXPECT_EQ(missing.rc, 1);
    EXPECT_TRUE(missing.err.contains("does not exist"));
    EXPECT_EQ(runCli({"--workdir", work.path(), "import-legacy", folder, "P1"}).rc, 2);

    // Rows left under the new reference are named, in words, and nothing lands.
    store::Database::open(QDir(work.path()).filePath("Data/Quorvex.db"))
        ->connection()
        .exec("INSERT INTO DesignMerge (Project_Ref, Design_No, \"Row\", \"Column\") "
              "VALUES ('LEFTOVER', 1, 0, 0)");
    const CliRun held =
        runCli({"--workdir", work.path(), "import-legacy", folder, "P1", "LEFTOVER"});
    EXPECT_EQ(held.rc, 1);
    EXPECT_EQ(held.err,
              "The table DesignMerge already holds rows under the reference \"LEFTOVER\", "
              "although no project has it; nothing was imported.\n");

    // A text of the earlier tables wider than its field here is refused, not cut.
    const QString wide = QDir(work.path()).filePath("Wide");
    writeLegacyFolder(wide);
    writeParadoxTable(
        QDir(wide).filePath("Project.DB"),
        {{"Project_Ref", exchange::PxAlpha, 15}, {"Project_Name", exchange::PxAlpha, 40}},
        {{QStringLiteral("P1"), QStringLiteral("Smith House, Erf 12, Upper Terrace 7")}});
    const CliRun cut = runCli({"--workdir", work.path(), "import-legacy", wide, "P1", "WIDE"});
    EXPECT_EQ(cut.rc, 1);
    EXPECT_TRUE(
        cut.err.endsWith("row 1: Project_Name \"Smith House, Erf 12, Upper Terrace 7\" is too "
                         "long: the field Project_Name takes at most 30 characters, this has "
                         "36. Nothing was imported.\n"))
        << cut.err.toStdString();

    auto db = store::Database::open(QDir(work.path()).filePath("Data/Quorvex.db"));
    EXPECT_EQ(rowCount(*db, "Project", "Project_Ref = 'LEFTOVER' OR Project_Ref = 'WIDE'"), 0);
    EXPECT_EQ(rowCount(*db, "DesignMerge", "Project_Ref = 'LEFTOVER'"), 1);
    EXPECT_EQ(rowCount(*db, "Design", "Project_Ref = 'OLD-P1'"), 2);
    EXPECT_EQ(rowCount(*db, "DesignImage", "Project_Ref = 'OLD-P1'"), 100);
    EXPECT_EQ(rowCount(*db, "Project", "Project_Ref = 'STD' OR Project_Ref = 'X'"), 0);
}

}  // namespace
