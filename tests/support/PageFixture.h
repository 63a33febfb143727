#pragma once
// The main window and its DESIGN page on a working folder seeded with the
// shipped catalogue and sample project, standing on its first design.
#include "data/DataModule.h"
#include "support/TestSupport.h"
#include "ui/design/DesignPage.h"
#include "ui/main/MainForm.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace {

// The program's windows on a working folder seeded with the shipped catalogue
// and sample project.
struct Page : ::testing::Test {
    void SetUp() override {
        dm = std::make_unique<data::TDM>(messages, work.path(), store::AliasRegistry(QDir(config.path()).filePath("a.ini")));
        ASSERT_TRUE(dm->tablesOpen()) << messages.errors.join("\n").toStdString();
        form = std::make_unique<ui::main::TMainForm>(*dm, messages);
        page = std::make_unique<ui::design::TDesignPage>(*dm, *form, messages);
        form->FirstActivation = false;
        form->show();
        QApplication::setActiveWindow(form.get());
        form->FormActivate();
        messages.texts.clear();
    }
    void TearDown() override {
        page.reset();
        form.reset();
        dm.reset();
    }
    QString ref() { return dm->ProjectTable.fieldByName("Project_Ref").asString(); }
    int designNo() { return dm->DesignTable.fieldByName("Design_No").asInteger(); }
    QAction* menuItem(const QString& text) {
        for (QAction* a : page->PopupMenu1->actions())
            if (a->text() == text) return a;
        return nullptr;
    }
    QTemporaryDir work, config;
    testing_support::RecordingMessages messages;
    std::unique_ptr<data::TDM> dm;
    std::unique_ptr<ui::main::TMainForm> form;
    std::unique_ptr<ui::design::TDesignPage> page;
};

}  // namespace
