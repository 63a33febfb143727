#include "store/Database.h"
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
