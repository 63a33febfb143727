#include "ui/exchange/ProjectFolderCommands.h"

#include "data/DataModule.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QWidget>
#include <gtest/gtest.h>

using testing_support::fixturesDir;
using testing_support::RecordingMessages;
using testing_support::rowCount;
using ui::exchange::TProjectFolderCommands;

namespace {

// A working folder with its data folder, and the commands on it.
struct Install {
    Install() {
        qputenv("QUORVEX_DATA_DIR", QDir(fixturesDir()).filePath("data").toUtf8());
        dm = std::make_unique<data::TDM>(
            messages, work.path(), store::AliasRegistry(QDir(config.path()).filePath("a.ini")));
        qunsetenv("QUORVEX_DATA_DIR");
        commands = std::make_unique<TProjectFolderCommands>(*dm, messages, &window);
        commands->settingsFile = QDir(config.path()).filePath("glazecalc.ini");
    }
    QTemporaryDir work, config;
    RecordingMessages messages;
    QWidget window;
    std::unique_ptr<data::TDM> dm;
    std::unique_ptr<TProjectFolderCommands> commands;
};

} // namespace

TEST(ProjectFolderCommands, SaveThenLoadThroughTheDialogs) {
    Install office, home;
    QTemporaryDir carried;
    QStringList titles, folders;
    office.commands->chooseProject = [] { return QStringLiteral("HOUSE"); };
    office.commands->chooseSaveFile = [&](const QString& title, const QString& folder) {
        titles << title;
        folders << folder;
        QDir::setCurrent(QDir::tempPath()); // a dialog may move the current directory
        return QDir(carried.path()).filePath("whatever name.db");
    };
    const QString cwd = QDir::currentPath();
    office.commands->SaveProjects();
    EXPECT_EQ(QDir::currentPath(), cwd);
    EXPECT_EQ(titles, QStringList{"Specify Location to Save Files"});
    // Nothing used yet, no "C:\Korvane\Quorvex2" here: the documents folder.
    EXPECT_EQ(folders,
              QStringList{QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)});
    EXPECT_EQ(office.messages.texts, QStringList{"Project Saved"});
    EXPECT_TRUE(QFile::exists(QDir(carried.path()).filePath("TProject.db")));
    EXPECT_FALSE(QFile::exists(QDir(carried.path()).filePath("whatever name.db")));
    // The folder just used is where the next dialog opens.
    EXPECT_EQ(office.commands->initialFolder(), carried.path());

    // The other installation lacks the house; loading adds it but does not move to it.
    home.dm->ProjectTable.findKey({"OFFICE"});
    home.dm->database()->deleteWhere("Project", {"Project_Ref"}, {"HOUSE"});
    ASSERT_EQ(rowCount(*home.dm->database(), "Project", "Project_Ref='HOUSE'"), 0);
    home.commands->chooseOpenFile = [&](const QString& title, const QString&) {
        titles << title;
        return QDir(carried.path()).filePath("TProject.db");
    };
    EXPECT_TRUE(home.commands->LoadProjects());
    EXPECT_EQ(titles.last(), "Select Project to Load");
    EXPECT_EQ(home.messages.texts, QStringList{"Information - Project Loaded Successfully!"});
    EXPECT_EQ(rowCount(*home.dm->database(), "Project", "Project_Ref='HOUSE'"), 1);
    EXPECT_EQ(home.dm->ProjectTable.fieldByName("Project_Ref").asString(), "OFFICE");
    EXPECT_EQ(QDir::currentPath(), cwd);
}

TEST(ProjectFolderCommands, CancelAndMissingFiles) {
    Install office;
    int dialogs = 0;
    office.commands->chooseProject = [] { return QString(); };
    office.commands->chooseSaveFile = [&](const QString&, const QString&) {
        return ++dialogs, QString();
    };
    office.commands->chooseOpenFile = [&](const QString&, const QString&) {
        return ++dialogs, QString();
    };
    office.commands->SaveProjects(); // Cancel in the search window: no dialog
    EXPECT_EQ(dialogs, 0);
    office.commands->chooseProject = [] { return QStringLiteral("HOUSE"); };
    office.commands->SaveProjects(); // Cancel in the save dialog
    EXPECT_FALSE(office.commands->LoadProjects());
    EXPECT_EQ(dialogs, 2);
    EXPECT_TRUE(office.messages.texts.isEmpty());

    QTemporaryDir empty;
    office.commands->chooseOpenFile = [&](const QString&, const QString&) {
        return QDir(empty.path()).filePath("TProject.db");
    };
    const int before = rowCount(*office.dm->database(), "Project");
    EXPECT_FALSE(office.commands->LoadProjects());
    EXPECT_EQ(office.messages.texts,
              QStringList{"WARNING - Some Project Files Missing - Can NOT Proceed!"});
    EXPECT_EQ(rowCount(*office.dm->database(), "Project"), before);
}
