#include "FolderFixture.h"
#include "store/Database.h"
#include "store/Sqlite.h"
#include "support/CliRun.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using testing_support::CliRun;
using testing_support::runCli;

namespace {

// A working folder made by `init` from the shipped data.
struct CopyCli : ::testing::Test {
    void SetUp() override {
        const CliRun init = runCli({"--workdir", work.path(), "init"});
        ASSERT_EQ(init.rc, 0) << init.err.toStdString();
    }
    CliRun run(const QStringList& args) {
        return runCli(QStringList{"--workdir", work.path()} + args);
    }
    int rows(const QString& table, const QString& where = QString()) {
        auto db = store::Database::open(QDir(work.path()).filePath("Data/Quorvex.db"));
        return testing_support::rowCount(*db, table, where);
    }
    QString tables() { return run({"tables"}).out; }
    QTemporaryDir work;
};

} // namespace

TEST_F(CopyCli, CopyProjectCopiesTheDesignsAndCellsAndSaysSo) {
    const int designs = rows("Design", "Project_Ref = 'SAMPLE-HOUSE'");
    const CliRun r = run({"copy-project", "SAMPLE-HOUSE", "HOUSE-B"});
    ASSERT_EQ(r.rc, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
    EXPECT_EQ(
        r.out,
        QStringLiteral("Copied project SAMPLE-HOUSE to HOUSE-B with %1 designs\n").arg(designs));
    EXPECT_EQ(rows("Design", "Project_Ref = 'HOUSE-B'"), designs);
    EXPECT_EQ(rows("DesignImage", "Project_Ref = 'HOUSE-B'"), designs * 50);
    EXPECT_EQ(rows("DesignMerge", "Project_Ref = 'HOUSE-B'"), designs * 50);
    EXPECT_EQ(rows("DesignCosting", "Project_Ref = 'HOUSE-B'"), 0);
    EXPECT_EQ(rows("Project", "Project_Ref = 'HOUSE-B' AND Project_Name = "
                              "(SELECT substr(Project_Name || ' - Copy', 1, 30) FROM Project WHERE "
                              "Project_Ref = 'SAMPLE-HOUSE')"),
              1);

    // The copy calculates like its source.
    const CliRun calc = run({"calc", "HOUSE-B", "1"});
    EXPECT_EQ(calc.rc, 0) << calc.err.toStdString();
    EXPECT_EQ(run({"calc", "SAMPLE-HOUSE", "1"}).out, calc.out);
}

TEST_F(CopyCli, ARefusedCopyExitsOneWithItsMessageAndWritesNothing) {
    const QString before = tables();
    CliRun r = run({"copy-project", "SAMPLE-HOUSE", "_Slider 30"});
    EXPECT_EQ(r.rc, 1);
    EXPECT_EQ(r.err, "WARNING - Project Reference Already Exists, project NOT Copied\n");
    EXPECT_TRUE(r.out.isEmpty());
    r = run({"copy-project", "SAMPLE-HOUSE", " "});
    EXPECT_EQ(r.rc, 1);
    EXPECT_EQ(r.err, "New Reference can NOT be blank!\n");
    r = run({"copy-design", "SAMPLE-HOUSE", "1", ""});
    EXPECT_EQ(r.rc, 1);
    EXPECT_EQ(r.err, "New Reference can NOT be blank!\n");
    r = run({"copy-project", "NO-SUCH", "X"});
    EXPECT_EQ(r.rc, 1);
    r = run({"copy-design", "SAMPLE-HOUSE", "99", "X"});
    EXPECT_EQ(r.rc, 1);
    EXPECT_EQ(tables(), before);

    EXPECT_EQ(run({"copy-design", "SAMPLE-HOUSE", "one", "X"}).rc, 2);
    EXPECT_EQ(run({"copy-project", "SAMPLE-HOUSE"}).rc, 2);
    EXPECT_EQ(tables(), before);
}

TEST_F(CopyCli, CopyDesignAddsTheNextDesignWithTheStoredCells) {
    const int last = rows("Design", "Project_Ref = 'SAMPLE-HOUSE'");
    const CliRun r = run({"copy-design", "SAMPLE-HOUSE", "2", "D01-B"});
    ASSERT_EQ(r.rc, 0) << r.err.toStdString();
    EXPECT_EQ(
        r.out,
        QStringLiteral("Copied design 2 of SAMPLE-HOUSE to design %1 (D01-B)\n").arg(last + 1));
    auto db = store::Database::open(QDir(work.path()).filePath("Data/Quorvex.db"));
    store::sql::Statement st(
        db->connection(),
        "SELECT count(*) FROM DesignImage s JOIN DesignImage n ON n.Project_Ref = s.Project_Ref "
        "AND n.Row = s.Row AND n.Column = s.Column AND n.ModeOfCell = s.ModeOfCell "
        "AND n.Design_No = ?1 WHERE s.Project_Ref = 'SAMPLE-HOUSE' AND s.Design_No = 2");
    st.bind(1, last + 1);
    st.step();
    EXPECT_EQ(st.columnInt64(0), 50);
    EXPECT_EQ(rows("DesignCosting",
                   QStringLiteral("Project_Ref = 'SAMPLE-HOUSE' AND Design_No = %1").arg(last + 1)),
              1);
    EXPECT_EQ(
        rows("Design",
             QStringLiteral("Design_No = %1 AND Design_Ref = 'D01-B' AND Continuous IS NOT NULL "
                            "AND Die1 IS NOT NULL AND U_Factor IS NULL")
                 .arg(last + 1)),
        1);
}

// A reference longer than its field is refused, never cut (a cut reference
// lands on another project's rows); rows a deleted project left under the new
// reference are named in words instead of the store's key error. Nothing is
// written either way.
TEST_F(CopyCli, OverlongReferencesAndLeftoverRowsAreRefusedWithNothingCopied) {
    const QString data = QDir(work.path()).filePath("Data/Quorvex.db");
    const QString before = folder_fixture::dumpDatabase(*store::Database::open(data));
    CliRun r = run({"copy-project", "SAMPLE-HOUSE", "ABCDEFGHIJKLMNOPQRST"});
    EXPECT_EQ(r.rc, 1);
    EXPECT_EQ(r.err, "Project_Ref \"ABCDEFGHIJKLMNOPQRST\" is too long: the field Project_Ref "
                     "takes at most 15 characters, this has 20. Nothing was copied.\n");
    EXPECT_TRUE(r.out.isEmpty());
    r = run({"copy-design", "SAMPLE-HOUSE", "1", "ELEVEN-CHAR"});
    EXPECT_EQ(r.rc, 1);
    EXPECT_EQ(r.err, "Design_Ref \"ELEVEN-CHAR\" is too long: the field Design_Ref takes at most "
                     "10 characters, this has 11. Nothing was copied.\n");
    EXPECT_EQ(folder_fixture::dumpDatabase(*store::Database::open(data)), before);
    // Exactly the width is taken whole.
    r = run({"copy-design", "SAMPLE-HOUSE", "1", "TEN-CHARS!"});
    ASSERT_EQ(r.rc, 0) << r.err.toStdString();
    EXPECT_EQ(rows("Design", "Design_Ref = 'TEN-CHARS!'"), 1);

    {
        auto db = store::Database::open(data);
        db->connection().exec(
            "INSERT INTO DesignImage (Project_Ref, Design_No, \"Row\", \"Column\", "
            "ModeOfCell) VALUES ('ORPHAN', 1, 0, 0, 'FIXED')");
    }
    const int next = rows("Design", "Project_Ref = 'SAMPLE-HOUSE'") + 1;
    {
        auto db = store::Database::open(data);
        db->connection().exec(
            QString(
                "INSERT INTO DesignCosting (Project_Ref, Design_No) VALUES ('SAMPLE-HOUSE', %1)")
                .arg(next));
    }
    const QString withOrphan = folder_fixture::dumpDatabase(*store::Database::open(data));
    r = run({"copy-project", "SAMPLE-HOUSE", "ORPHAN"});
    EXPECT_EQ(r.rc, 1);
    EXPECT_EQ(r.err, "The table DesignImage already holds rows under the reference \"ORPHAN\", "
                     "although no project has it; nothing was copied.\n");
    r = run({"copy-design", "SAMPLE-HOUSE", "1", "W01-B"});
    EXPECT_EQ(r.rc, 1);
    EXPECT_EQ(r.err, QString("The table DesignCosting already holds a row for design %1 of "
                             "\"SAMPLE-HOUSE\", the number the copy would get; nothing was "
                             "copied.\n")
                         .arg(next));
    EXPECT_EQ(folder_fixture::dumpDatabase(*store::Database::open(data)), withOrphan);
}
