#include "ui/maintenance/RebuildForm.h"

#include "SampleFolder.h"
#include "data/DataFolder.h"
#include "maintenance/DatabaseRebuild.h"
#include "store/Database.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
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
