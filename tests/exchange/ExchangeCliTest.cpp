#include "support/CliRun.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
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
