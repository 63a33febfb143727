#include "SampleFolder.h"
#include "data/DataFolder.h"
#include "store/Database.h"
#include "support/TestSupport.h"
#include "tablerepair/FormRepair.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QSettings>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <gtest/gtest.h>

using data::DlgButton;
using tablerepair::TFormRepair;

namespace {

struct RepairForm : ::testing::Test {
    void SetUp() override {
        folder = QDir(tmp.path()).filePath("Shop/Data");
        sample::makeDataFolder(folder, 3);
        settings = std::make_unique<QSettings>(QDir(tmp.path()).filePath("Tovic.ini"),
                                               QSettings::IniFormat);
        form = std::make_unique<TFormRepair>(messages, *settings,
                                             QDir(tmp.path()).filePath("work/dbRebuild/"));
        form->now = [] { return QDateTime(QDate(2024, 3, 5), QTime(14, 30, 7)); };
        form->chooseFolder = [this](const QString& start) {
            dialogStarts << start;
            return chosen;
        };
    }
    bool open(const QStringList& args = {}) {
        return form->OpenDatabase(QStringList{"tablerepair"} + args);
    }
    QStringList column(int c) const {
        QStringList out;
        for (int i = 0; i < form->TableList->topLevelItemCount(); ++i)
            out << form->TableList->topLevelItem(i)->text(c);
        return out;
    }
    QTreeWidgetItem* row(const QString& name) const {
        return form->TableList->findItems(name, Qt::MatchExactly, 0).value(0);
    }
    QTemporaryDir tmp;
    QString folder, chosen;
    QStringList dialogStarts;
    testing_support::RecordingMessages messages;
    std::unique_ptr<QSettings> settings;
    std::unique_ptr<TFormRepair> form;
};

TEST_F(RepairForm, TheArgumentWinsOverTheRememberedFolderAfterAYes) {
    settings->setValue("UtilityDataPath", tmp.path());
    messages.answers = {DlgButton::Yes};
    ASSERT_TRUE(open({"-utilitydatapath=" + folder}));
    EXPECT_EQ(messages.texts.value(0),
              QString("Would you like to use this database: '%1'").arg(folder));
    EXPECT_TRUE(dialogStarts.isEmpty());
    EXPECT_EQ(form->DataPath, folder + "/");
    EXPECT_EQ(form->PathLabel->text(), QDir::toNativeSeparators(folder + "/"));
    EXPECT_EQ(settings->value("UtilityDataPath").toString(), QDir::toNativeSeparators(folder));
    EXPECT_EQ(column(0).size(), 23);
    EXPECT_EQ(column(0).first(), "ClimateZone");
    EXPECT_EQ(column(1), QStringList(23, "Not Verified"));
    EXPECT_EQ(row("Design")->checkState(0), Qt::Unchecked);
    EXPECT_EQ(form->windowTitle(), "Dravik Database Rebuilder  --  Ver. 9.00.2006.10");
}

TEST_F(RepairForm, ANoOrAMissingFolderOpensTheFolderDialog) {
    settings->setValue("UtilityDataPath", folder);
    messages.answers = {DlgButton::No};
    chosen = folder;
    ASSERT_TRUE(open());
    EXPECT_EQ(dialogStarts, QStringList{folder});
    // A cancelled dialog ends the program.
    chosen.clear();
    settings->setValue("UtilityDataPath", QDir(tmp.path()).filePath("gone"));
    EXPECT_FALSE(open());
    EXPECT_EQ(dialogStarts.size(), 2);
}

TEST_F(RepairForm, ClickingTheStatusHeaderTwiceSortsUpThenDown) {
    messages.answers = {DlgButton::Yes};
    ASSERT_TRUE(open({"/UtilityDataPath=" + folder}));
    row("Design")->setText(1, "Rebuild complete.");
    row("Project")->setText(1, "File header is corrupt.");
    row("Supplier")->setText(1, "Errors Found.  Table needs to be rebuilt.");
    form->HeaderClick(1);
    EXPECT_EQ(column(1).mid(0, 3), QStringList({"Errors Found.  Table needs to be rebuilt.",
                                                "File header is corrupt.", "Not Verified"}));
    form->HeaderClick(1);
    EXPECT_EQ(column(1).first(), "Rebuild complete.");
    EXPECT_EQ(column(1).last(), "Errors Found.  Table needs to be rebuilt.");
    EXPECT_TRUE(form->SortDescending);
    // Another header sorts ascending again.
    form->HeaderClick(0);
    EXPECT_EQ(column(0).first(), "ClimateZone");
    form->HeaderClick(0);
    EXPECT_EQ(column(0).first(), "SystemValues");
}

TEST_F(RepairForm, VerifyAndRebuildAllMendADamagedTableWithABackupBesideTheFolder) {
    messages.answers = {DlgButton::Yes};
    ASSERT_TRUE(open({"-utilitydatapath=" + folder}));
    std::vector<long long> leaves;
    for (const sample::Page& p : sample::pagesOf(data::databaseFile(folder), "DesignImage"))
        if (p.leaf) leaves.push_back(p.pageNo);
    sample::overwritePage(data::databaseFile(folder), leaves[leaves.size() / 2], 9);

    form->VerifyAllClick();
    EXPECT_EQ(row("DesignImage")->text(1), "Errors Found.  Table needs to be rebuilt.");
    EXPECT_EQ(row("Design")->text(1), "Table OK! No errors found.");
    EXPECT_EQ(messages.texts.last(), "Verification Complete!");
    EXPECT_EQ(form->DataBar->value(), 100);

    form->RebuildAllClick();
    // The lost page's rows are counted, and where its record is kept is told.
    ASSERT_GE(messages.texts.size(), 2);
    EXPECT_EQ(messages.texts[messages.texts.size() - 2], "Rebuild Complete!");
    EXPECT_TRUE(messages.texts.last().startsWith(
        "Rows moved aside, unreadable pages and the original rows are kept in "));
    for (QTreeWidgetItem* r : form->TableList->findItems("*", Qt::MatchWildcard))
        EXPECT_TRUE(r->text(1).startsWith(
            r->text(0) == "DesignImage" ? "Rebuilt: " : "Rebuild complete. (found "))
            << r->text(1).toStdString();
    EXPECT_TRUE(row("DesignImage")->text(1).contains(" rows on 1 unreadable page lost (found "));
    EXPECT_TRUE(QFile::exists(QDir(tmp.path()).filePath("Shop/Data-2024-03-05.zip")));
    EXPECT_EQ(form->RebuildBar->value(), 100);
    form->RebuildAllClick();
    EXPECT_TRUE(QFile::exists(QDir(tmp.path()).filePath("Shop/Data-2024-03-05-14-30.zip")));
    form->VerifyAllClick();
    EXPECT_EQ(column(1), QStringList(23, "Table OK! No errors found."));
}

TEST_F(RepairForm, AHeldDatabaseStopsTheRebuild) {
    messages.answers = {DlgButton::Yes};
    ASSERT_TRUE(open({"-utilitydatapath=" + folder}));
    auto other = store::Database::open(data::databaseFile(folder));
    form->RebuildAllClick();
    EXPECT_EQ(messages.texts.last(),
              "Rebuild can not continue.  Rebooting the server may be necessary.\n"
              "If this problem persists, please contact Dravik Technical Support.");
    EXPECT_EQ(column(1), QStringList(23, "Not Verified"));
    EXPECT_TRUE(QDir(QDir(tmp.path()).filePath("Shop")).entryList({"*.zip"}).isEmpty());
}

TEST_F(RepairForm, TheBackupOptionShowsOnlyForTheAccessCode) {
    messages.answers = {DlgButton::Yes};
    ASSERT_TRUE(open({"-utilitydatapath=" + folder}));
    form->show();
    form->BackupCheck->setChecked(false);
    form->askAccessCode = [] { return QString("123"); };
    form->ToggleBackupOption();
    EXPECT_EQ(messages.texts.last(), "Invalid Password.");
    EXPECT_FALSE(form->BackupCheck->isVisible());
    EXPECT_TRUE(form->BackupCheck->isChecked());
    form->askAccessCode = [this] {
        return QString::number(maintenance::hourlyAccessCode(form->now()));
    };
    form->ToggleBackupOption();
    EXPECT_TRUE(form->BackupCheck->isVisible());
    // Unchecked, the rebuild makes no archive.
    form->BackupCheck->setChecked(false);
    form->RebuildCheckedClick();
    EXPECT_TRUE(QDir(QDir(tmp.path()).filePath("Shop")).entryList({"*.zip"}).isEmpty());
    form->ToggleBackupOption();
    EXPECT_FALSE(form->BackupCheck->isVisible());
    EXPECT_TRUE(form->BackupCheck->isChecked());
}

TEST_F(RepairForm, SelectingATableShowsItsInformation) {
    messages.answers = {DlgButton::Yes};
    ASSERT_TRUE(open({"-utilitydatapath=" + folder}));
    form->TableList->setCurrentItem(row("Design"));
    EXPECT_EQ(form->InfoValues.at("Fields:")->text(), "47");
    EXPECT_EQ(form->InfoValues.at("Indexes:")->text(), "1");
    EXPECT_EQ(form->InfoValues.at("Block Size:")->text(), "4096");
    EXPECT_EQ(form->InfoValues.at("Code Page:")->text(), "65001");
    form->TableList->setCurrentItem(nullptr);
    EXPECT_EQ(form->InfoValues.at("Fields:")->text(), "0");
}

} // namespace
