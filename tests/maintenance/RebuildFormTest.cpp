#include "ui/maintenance/RebuildForm.h"

#include "SampleFolder.h"
#include "data/DataFolder.h"
#include "data/DataModule.h"
#include "maintenance/DatabaseRebuild.h"
#include "store/Database.h"
#include "store/FolderMark.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProgressBar>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using ui::maintenance::TRebuildForm;

namespace {

struct RebuildAll : ::testing::Test {
    void SetUp() override {
        folder = QDir(tmp.path()).filePath("Data");
        sample::makeDataFolder(folder, 2);
        auto db = store::Database::open(data::databaseFile(folder));
        db->connection().exec("CREATE TABLE \"_Notes\" (Line TEXT(40))");
        db->connection().exec("INSERT INTO \"_Notes\" VALUES ('left alone')");
    }
    QStringList logLines(TRebuildForm& form) const {
        return form.Log->toPlainText().split('\n', Qt::SkipEmptyParts);
    }
    QTemporaryDir tmp;
    QString folder;
    testing_support::RecordingMessages messages;
};

TEST_F(RebuildAll, EveryTableIsRebuiltAndLoggedAndTheWorkTablesGo) {
    QFile stale(QDir(folder).filePath("Backup.db"));
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.write("left over from an earlier run");
    stale.close();
    const auto before = sample::rowCounts(data::databaseFile(folder));

    TRebuildForm form(folder, messages);
    form.show();
    form.RebuildBtnClick();
    const QStringList lines = logLines(form);
    ASSERT_EQ(lines.size(), 23);
    EXPECT_TRUE(lines.first().startsWith(QDir::cleanPath(folder) +
                                         "/ClimateZone: Rebuild was successful. (found "));
    for (const QString& line : lines) {
        EXPECT_TRUE(line.startsWith(QDir::cleanPath(folder) + "/")) << line.toStdString();
        EXPECT_TRUE(line.contains(": Rebuild was successful. (found ")) << line.toStdString();
        EXPECT_FALSE(line.contains("_Notes"));
    }
    EXPECT_EQ(messages.texts,
              QStringList{"All tables were successfully rebuilt. You may now continue without any "
                          "problems."});
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList{"Quorvex.db"});
    EXPECT_EQ(sample::rowCounts(data::databaseFile(folder)), before);
    // The progress bars of this window stay at rest.
    for (QProgressBar* bar : form.Bars)
        EXPECT_EQ(bar->value(), 0);
}

TEST_F(RebuildAll, AFailedRebuildIsLoggedAndTheWindowStaysOpen) {
    // A table whose fresh copy cannot be made: its name is taken by a view.
    {
        auto db = store::Database::open(data::databaseFile(folder));
        db->connection().exec("CREATE TABLE Zebra (Stripe TEXT(10))");
        db->connection().exec("CREATE VIEW Zebra__rebuild AS SELECT 1");
    }
    TRebuildForm form(folder, messages);
    form.show();
    form.RebuildBtnClick();
    const QStringList lines = logLines(form);
    ASSERT_EQ(lines.size(), 24);
    EXPECT_EQ(lines.last(), QDir::cleanPath(folder) + "/Zebra: REBUILD WAS NOT SUCCESSFUL.");
    EXPECT_EQ(messages.texts.last(),
              "An error occurred while trying to rebuild one or more the tables. Please phone "
              "Zendrix for more information on how to correct this error.");
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(form.RebuildError);
}

TEST_F(RebuildAll, OnlyAnotherProgramsHoldStopsItAndMovedRowsStayWhereItSays) {
    sample::exec(data::databaseFile(folder),
                 "DROP INDEX Project_key; INSERT INTO Project (Project_Ref, Project_Name) VALUES "
                 "('P00001', 'Second copy'); CREATE INDEX Project_key ON Project (Project_Ref)");
    // This program's own hold on its folder, as glazecalc has it.
    QTemporaryDir config;
    testing_support::RecordingMessages dmMessages;
    data::TDM dm(dmMessages, tmp.path(), store::AliasRegistry(QDir(config.path()).filePath("a")));
    ASSERT_TRUE(dm.tablesOpen());
    const std::vector<QString> before = sample::rowTexts(data::databaseFile(folder), "Project");
    {
        QProcess other;
        other.start(FOLDER_HOLDER, {tmp.path(), "WAL"});
        ASSERT_TRUE(other.waitForReadyRead(20000))
            << other.exitCode() << other.readAllStandardError().toStdString();
        TRebuildForm form(folder, messages);
        form.show();
        form.RebuildBtnClick();
        EXPECT_EQ(messages.texts.last(), store::FolderMark::inUseMessage());
        EXPECT_TRUE(form.RebuildError);
        EXPECT_TRUE(form.isVisible());
        EXPECT_EQ(sample::rowTexts(data::databaseFile(folder), "Project"), before);
        other.closeWriteChannel();
        ASSERT_TRUE(other.waitForFinished(20000));
    }
    TRebuildForm form(folder, messages);
    form.show();
    form.RebuildBtnClick();
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(sample::rowTexts(data::databaseFile(folder), "Project").size(), before.size() - 1);
    // The run's folder stays with the repeated row, and the user is told where.
    const QStringList runs = QDir(folder).entryList({"Rebuild-*"}, QDir::Dirs);
    ASSERT_EQ(runs.size(), 1);
    const QString run = QDir(folder).filePath(runs[0]);
    ASSERT_EQ(sample::rowTexts(run + "/KEYVIOL.DB", "Project").size(), 1u);
    EXPECT_TRUE(messages.texts.contains(
        "Rows moved aside, unreadable pages and the original rows are kept in " +
        QDir::toNativeSeparators(run)));
    // The program holds its folder again: another process cannot have it alone.
    const QString mark = QDir(folder).filePath(store::FolderMark::fileName());
    EXPECT_EQ(QProcess::execute("flock", {"-n", "-x", mark, "true"}), 1);
    dm.DataModuleDestroy();
    EXPECT_EQ(QProcess::execute("flock", {"-n", "-x", mark, "true"}), 0);
}

TEST_F(RebuildAll, ATableThatFailsToVerifyEndsTheRunThere) {
    maintenance::TBDEUtil util;
    maintenance::DatabaseRebuild run;
    int tables = 0;
    run.eachTable = [&] {
        // A table that goes missing under the run, as when another program drops it.
        if (++tables == 3) {
            auto db = store::Database::open(data::databaseFile(folder));
            db->connection().exec("DROP TABLE Finish");
        }
    };
    try {
        run.RebuildDatabaseTables(folder, util);
        FAIL() << "the run went on";
    } catch (const maintenance::EngineError& e) {
        EXPECT_EQ(e.code(), maintenance::TUERR_NOSUCHTABLE);
    }
    // ClimateZone, Design, DesignCosting, DesignImage, DesignMerge, DesignResults, then Finish.
    EXPECT_EQ(run.log.size(), 6);
    EXPECT_FALSE(run.RebuildError);
}

} // namespace
