#include "tablerepair/Headless.h"

#include "SampleFolder.h"
#include "data/DataFolder.h"
#include "store/Database.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct Headless : ::testing::Test {
    void SetUp() override {
        folder = QDir(tmp.path()).filePath("Data");
        sample::makeDataFolder(folder, 5);
    }
    int run(const QStringList& args) {
        out.clear();
        err.clear();
        QTextStream o(&out), e(&err);
        return tablerepair::runHeadless(QStringList{"tablerepair"} + args,
                                        QDir(tmp.path()).filePath("work"), o, e);
    }
    QStringList lines() const { return out.split('\n', Qt::SkipEmptyParts); }
    QTemporaryDir tmp;
    QString folder, out, err;
};

TEST_F(Headless, VerifyOnlyPrintsEveryTableAndItsVerdict) {
    EXPECT_EQ(run({"--verify-only", folder}), 0) << err.toStdString();
    ASSERT_EQ(lines().size(), 23);
    EXPECT_EQ(lines().first(), "ClimateZone: Table OK! No errors found.");
    for (const QString& line : lines())
        EXPECT_TRUE(line.endsWith(": Table OK! No errors found.")) << line.toStdString();

    std::vector<long long> leaves;
    for (const sample::Page& p : sample::pagesOf(data::databaseFile(folder), "DesignMerge"))
        if (p.leaf) leaves.push_back(p.pageNo);
    sample::overwritePage(data::databaseFile(folder), leaves[leaves.size() / 2], 5);
    EXPECT_EQ(run({"--verify-only", folder}), 1);
    EXPECT_TRUE(lines().contains("DesignMerge: Errors Found.  Table needs to be rebuilt."));
    EXPECT_TRUE(lines().contains("DesignImage: Table OK! No errors found."));
}

TEST_F(Headless, RebuildBacksUpBesideTheFolderUnlessToldNot) {
    EXPECT_EQ(run({"--rebuild", folder}), 0) << err.toStdString();
    ASSERT_EQ(lines().size(), 24);
    EXPECT_TRUE(lines().first().startsWith("Backup: ")) << lines().first().toStdString();
    EXPECT_TRUE(lines()[1].startsWith("ClimateZone: Rebuild complete. (found "));
    EXPECT_EQ(QDir(tmp.path()).entryList({"Data-*.zip"}).size(), 1);

    EXPECT_EQ(run({"--rebuild", folder, "--no-backup"}), 0);
    EXPECT_EQ(lines().size(), 23);
    EXPECT_EQ(QDir(tmp.path()).entryList({"Data-*.zip"}).size(), 1);
    EXPECT_EQ(run({"--verify-only", folder}), 0);
}

TEST_F(Headless, AHeldDatabaseStopsTheRebuildBeforeAnythingChanges) {
    auto other = store::Database::open(data::databaseFile(folder));
    EXPECT_EQ(run({"--rebuild", folder}), 1);
    EXPECT_TRUE(
        err.startsWith("Rebuild can not continue.  Rebooting the server may be necessary.\n"
                       "If this problem persists, please contact Dravik Technical Support."));
    EXPECT_TRUE(out.isEmpty());
    EXPECT_TRUE(QDir(tmp.path()).entryList({"Data-*.zip"}).isEmpty());
}

TEST_F(Headless, ArgumentsItCannotUnderstand) {
    EXPECT_EQ(run({"--verify-only"}), 2);
    EXPECT_EQ(run({"--rebuild", folder, "--backup"}), 2);
    EXPECT_EQ(run({"--verify-only", QDir(tmp.path()).filePath("nowhere")}), 1);
    EXPECT_TRUE(err.startsWith("No database in "));
    EXPECT_TRUE(tablerepair::isHeadless({"tablerepair", "--rebuild", "x"}));
    EXPECT_FALSE(tablerepair::isHeadless({"tablerepair", "-utilitydatapath=x"}));
}

} // namespace

namespace {

// A rebuild killed at any moment leaves every committed row in place.
TEST_F(Headless, ARebuildKilledMidwayLosesNothing) {
    const auto before = sample::rowCounts(data::databaseFile(folder));
    for (int delayMs : {15, 40, 80, 130, 200, 300}) {
        QProcess child;
        child.start(TABLEREPAIR, {"--rebuild", folder, "--no-backup"});
        ASSERT_TRUE(child.waitForStarted());
        QThread::msleep(delayMs);
        child.kill();
        child.waitForFinished();
        EXPECT_EQ(sample::rowCounts(data::databaseFile(folder)), before) << delayMs;
        EXPECT_EQ(run({"--verify-only", folder}), 0) << delayMs << out.toStdString();
    }
}

}  // namespace
