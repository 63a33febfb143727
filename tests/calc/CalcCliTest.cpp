#include "CalcFixture.h"
#include "cli/Commands.h"

#include <QDir>

using namespace calc_testing;
using design::GridModel;

namespace {

struct CalcCli : CalcModule {
    struct Run {
        int rc;
        QString out, err;
    };
    Run run(const QStringList& args) {
        Run r{0, {}, {}};
        const QString cwd = QDir::currentPath();
        QTextStream out(&r.out), err(&r.err);
        r.rc = cli::runCommandLine(QStringList{"--workdir", work.path(), "calc"} + args, out, err);
        out.flush();
        err.flush();
        QDir::setCurrent(cwd);
        return r;
    }
    void SetUp() override {
        CalcModule::SetUp();
        addDesign(*dm->database(), 1, "W1");
        // Design 2: two panes of 1000 x 2000 with a mullion too weak for them.
        addDesign(*dm->database(), 2, "W2", {{"DimH2", 1000}, {"DimV1", 2000}});
        GridModel g;
        g.setMode(0, 0, "FIXED");
        saveCells(1, g);
        g.setMode(0, 1, "FIXED");
        saveCells(2, g);
        dm.reset();
    }
};

const QString kHeader =
    "Design_No\tDesign_Ref\tWindow_Area\tU_Factor\tSHGC\tReqIx\tActualIx\tTotal_Cost\tPrice";

} // namespace

TEST_F(CalcCli, OneDesignPrintsAndStoresItsResults) {
    const Run r = run({"P1", "1"});
    ASSERT_EQ(r.rc, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, kHeader + "\n1\tW1\t1\t2.78247\t0.41336\t0\t20\t987\t987.00\n");
    EXPECT_TRUE(r.err.isEmpty());
    openModule();
    EXPECT_DOUBLE_EQ(designValue(1, "U_Factor"), 2.78247);
    EXPECT_EQ(designValue(2, "U_Factor"), 0); // only the design asked for
}

TEST_F(CalcCli, WholeProjectInKeyOrderWithEveryMessageOnStderr) {
    const Run r = run({"P1"});
    ASSERT_EQ(r.rc, 0) << r.err.toStdString();
    const QStringList lines = r.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0], kHeader);
    EXPECT_TRUE(lines[1].startsWith("1\tW1\t1\t2.78247\t"));
    const QStringList two = lines[2].split('\t');
    ASSERT_EQ(two.size(), 9);
    EXPECT_EQ(two[8], "3828.00"); // the window's price after the rate per m²
    EXPECT_EQ(two[0], "2");
    EXPECT_EQ(two[2], "4");
    EXPECT_NEAR(two[5].toDouble(), 23.5026, 1e-4);
    EXPECT_EQ(two[6], "20");
    EXPECT_EQ(r.err,
              "Warning - The Mullion selected in W2 will fail, please select a stronger Mullion\n");
}

TEST_F(CalcCli, UnknownProjectOrDesignFailsWithAMessage) {
    Run r = run({"NOPE"});
    EXPECT_EQ(r.rc, 1);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_TRUE(r.err.contains("NOPE"));
    r = run({"P1", "7"});
    EXPECT_EQ(r.rc, 1);
    EXPECT_TRUE(r.err.contains("7"));
    EXPECT_EQ(run({"P1", "x"}).rc, 2);
    EXPECT_EQ(run({}).rc, 2);
}
