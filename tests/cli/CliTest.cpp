#include "support/TestSupport.h"
#include "support/CliRun.h"

#include <QDir>
#include <gtest/gtest.h>

using testing_support::fixturesDir;

namespace {

using testing_support::CliRun;

CliRun run(const QStringList& args) { return testing_support::runCli(args); }

}  // namespace

TEST(Cli, InitThenTablesListsEveryTableWithItsRows) {
    qputenv("QUORVEX_DATA_DIR", QDir(fixturesDir()).filePath("data").toUtf8());
    QTemporaryDir work;
    const QString cwd = QDir::currentPath();
    CliRun init = run({"--workdir", work.path(), "init"});
    EXPECT_EQ(init.rc, 0) << init.err.toStdString();
    CliRun tables = run({"--workdir", work.path(), "tables"});
    EXPECT_EQ(tables.rc, 0) << tables.err.toStdString();
    const QStringList lines = tables.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 23);
    EXPECT_EQ(lines.first(), "SystemType\t0");
    EXPECT_TRUE(lines.contains("Project\t3"));
    EXPECT_TRUE(lines.contains("System\t4"));
    EXPECT_EQ(lines.last(), "DesignCosting\t0");

    // A second init refuses to touch the folder.
    CliRun again = run({"--workdir", work.path(), "init"});
    EXPECT_EQ(again.rc, 1);
    EXPECT_TRUE(again.err.contains("exists already"));
    QDir::setCurrent(cwd);
    qunsetenv("QUORVEX_DATA_DIR");
}

TEST(Cli, UsageErrorsExitTwoAndFailuresOne) {
    EXPECT_EQ(run({}).rc, 2);
    EXPECT_EQ(run({"frobnicate"}).rc, 2);
    EXPECT_EQ(run({"--workdir"}).rc, 2);
    EXPECT_EQ(run({"--colour", "tables"}).rc, 2);
    EXPECT_EQ(run({"init", "extra"}).rc, 2);
    QTemporaryDir empty;
    const QString cwd = QDir::currentPath();
    CliRun missing = run({"--workdir", QDir(empty.path()).filePath("nowhere"), "tables"});
    EXPECT_EQ(missing.rc, 1);
    // A working folder whose data folder cannot be opened fails with the store's message.
    QDir(empty.path()).mkpath("Data");
    CliRun broken = run({"--workdir", empty.path(), "tables"});
    EXPECT_EQ(broken.rc, 1);
    EXPECT_TRUE(broken.err.contains("Quorvex.db"));
    QDir::setCurrent(cwd);
}
