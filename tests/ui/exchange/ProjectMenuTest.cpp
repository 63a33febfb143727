#include "data/DataModule.h"
#include "support/TestSupport.h"
#include "ui/exchange/ProjectFolderCommands.h"
#include "ui/main/MainForm.h"
#include "ui/main/SearchForm.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMenuBar>
#include <QTimer>
#include <gtest/gtest.h>

using testing_support::fixturesDir;
using testing_support::RecordingMessages;
using testing_support::rowCount;

// The Project menu carries the two commands; Save goes through the project
// search window, Load leaves the current project where it was.
TEST(ProjectMenu, SaveAndLoadProjectFromTheMenu) {
    qputenv("QUORVEX_DATA_DIR", QDir(fixturesDir()).filePath("data").toUtf8());
    QTemporaryDir work, config, carried;
    RecordingMessages messages;
    data::TDM dm(messages, work.path(),
                 store::AliasRegistry(QDir(config.path()).filePath("a.ini")));
    qunsetenv("QUORVEX_DATA_DIR");
    ui::main::TMainForm form(dm, messages);
    form.FirstActivation = false;
    form.show();
    QApplication::processEvents();
    form.ProjectFolders->settingsFile = QDir(config.path()).filePath("glazecalc.ini");

    QStringList items;
    for (QAction* a : form.menuBar()->actions().first()->menu()->actions())
        items << a->text();
    EXPECT_EQ(items.indexOf("&Save Project") + 1, items.indexOf("&Load Project"));
    EXPECT_LT(items.indexOf("&Delete Project"), items.indexOf("&Save Project"));
    EXPECT_LT(items.indexOf("&Load Project"), items.indexOf("E&xit"));

    // The search window lists the projects; OK takes its current row (the first, "HOUSE").
    QTimer::singleShot(50, [&] {
        if (auto* search = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            search->accept();
    });
    form.ProjectFolders->chooseSaveFile = [&](const QString&, const QString&) {
        return QDir(carried.path()).filePath("TProject.db");
    };
    form.SaveProjectAction->trigger();
    EXPECT_EQ(messages.texts.last(), "Project Saved");
    EXPECT_TRUE(QFile::exists(QDir(carried.path()).filePath("TDesignImage.db")));

    ASSERT_TRUE(dm.ProjectTable.findKey({"OFFICE"}));
    dm.database()->deleteWhere("Project", {"Project_Ref"}, {"HOUSE"});
    form.ProjectFolders->chooseOpenFile = [&](const QString&, const QString&) {
        return QDir(carried.path()).filePath("TProject.db");
    };
    form.LoadProjectAction->trigger();
    EXPECT_EQ(messages.texts.last(), "Information - Project Loaded Successfully!");
    EXPECT_EQ(rowCount(*dm.database(), "Project", "Project_Ref='HOUSE'"), 1);
    // The window shows the project the folder brought.
    EXPECT_EQ(dm.ProjectTable.fieldByName("Project_Ref").asString(), "HOUSE");
}
