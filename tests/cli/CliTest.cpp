#include "cli/Commands.h"
#include "support/CliRun.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using testing_support::fixturesDir;

namespace {

using testing_support::CliRun;

CliRun run(const QStringList& args) {
    return testing_support::runCli(args);
}

} // namespace

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

TEST(Cli, HelpListsEveryCommandWithItsArguments) {
    CliRun help = run({"--help"});
    EXPECT_EQ(help.rc, 0);
    EXPECT_TRUE(help.err.isEmpty());
    for (const char* line :
         {"init", "tables", "calc PROJECT_REF [DESIGN_NO]",
          "report design PROJECT_REF DESIGN_NO -o FILE", "report summary PROJECT_REF -o FILE",
          "report rational PROJECT_REF -o FILE", "rational PROJECT_REF [--target W]",
          "--workdir DIR", "--version"})
        EXPECT_TRUE(help.out.contains(line)) << line;
    // Every registered command shows in the list.
    for (const cli::Command& c : cli::commands())
        EXPECT_TRUE(help.out.contains("  " + cli::usageLine(c))) << c.name.toStdString();

    CliRun calc = run({"calc", "--help"});
    EXPECT_EQ(calc.rc, 0);
    EXPECT_TRUE(
        calc.out.startsWith("Usage: glazecalc-cli [--workdir DIR] calc PROJECT_REF [DESIGN_NO]\n"));
    EXPECT_TRUE(calc.out.contains("Arguments:\n  PROJECT_REF "));
    EXPECT_TRUE(calc.out.contains("Total_Cost"));
    // Help wins over arguments that would be wrong, and runs nothing.
    EXPECT_EQ(run({"--workdir", "/no/such/folder", "calc", "-h", "A", "B", "C"}).rc, 0);

    CliRun report = run({"report", "--help"});
    EXPECT_EQ(report.rc, 0);
    EXPECT_TRUE(report.out.contains("report summary PROJECT_REF -o FILE"));
    EXPECT_FALSE(report.out.contains("calc PROJECT_REF"));
    CliRun design = run({"report", "design", "--help"});
    EXPECT_TRUE(design.out.contains("-o, --output FILE"));
    EXPECT_TRUE(design.out.contains("DESIGN_NO"));

    CliRun version = run({"--version"});
    EXPECT_EQ(version.rc, 0);
    EXPECT_TRUE(version.out.startsWith("glazecalc-cli 5.")) << version.out.toStdString();
}

TEST(Cli, OptionsTakeTheirValueJoinedOrSeparate) {
    qputenv("QUORVEX_DATA_DIR", QDir(fixturesDir()).filePath("data").toUtf8());
    QTemporaryDir work;
    CliRun init = run({"--workdir=" + work.path(), "init"});
    EXPECT_EQ(init.rc, 0) << init.err.toStdString();
    EXPECT_TRUE(QFile::exists(QDir(work.path()).filePath("Data/Quorvex.db")));
    qunsetenv("QUORVEX_DATA_DIR");

    // A usage error names the command's own usage; a command needing -o says so.
    CliRun noOutput = run({"--workdir", work.path(), "report", "summary", "P"});
    EXPECT_EQ(noOutput.rc, 2);
    EXPECT_TRUE(noOutput.err.contains("report summary needs -o FILE"));
    EXPECT_TRUE(noOutput.err.contains("Usage: glazecalc-cli [--workdir DIR] report summary"));
    EXPECT_EQ(run({"--workdir", work.path(), "report"}).rc, 2);
    EXPECT_EQ(run({"--workdir", work.path(), "calc"}).rc, 2);
    EXPECT_EQ(run({"--workdir", work.path(), "calc", "P", "1", "--frobnicate"}).rc, 2);
    EXPECT_EQ(run({"--workdir", work.path(), "rational", "P", "--target"}).rc, 2);
    EXPECT_EQ(run({"--workdir", work.path(), "rational", "P", "--target=lots"}).rc, 2);
    // The options of one kind of report are not another command's.
    EXPECT_EQ(run({"--workdir", work.path(), "calc", "P", "-o", "x.pdf"}).rc, 2);
}
