// The import window over a seeded working folder and an earlier data folder
// written with pxlib.
#include "ui/exchange/ImportForm.h"

#include "ParadoxFixture.h"
#include "cli/ProjectSetup.h"
#include "data/DataModule.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using testing_support::RecordingMessages;
using testing_support::rowCount;

namespace {

struct ImportWindow : ::testing::Test {
    void SetUp() override {
        dm = std::make_unique<data::TDM>(messages, work.path(),
                                        store::AliasRegistry(QDir(config.path()).filePath("a.ini")));
        ASSERT_TRUE(dm->tablesOpen()) << messages.errors.join("\n").toStdString();
        ASSERT_TRUE(cli::openProject(*dm, "SAMPLE-HOUSE"));
        legacy = QDir(work.path()).filePath("Quorvex2/Data");
        testing_support::writeLegacyFolder(legacy);
        settings = QDir(config.path()).filePath("glazecalc.ini");
    }
    // A window as the main window opens it, with the folder remembered.
    std::unique_ptr<ui::exchange::TImportForm> form(bool remembered = true) {
        if (remembered) QSettings(settings, QSettings::IniFormat).setValue("Import/EarlierDataFolder", legacy);
        auto f = std::make_unique<ui::exchange::TImportForm>(*dm, messages);
        f->settingsFile = settings;
        f->readerOptions.program = QStringLiteral(QUORVEX_CLI);
        f->DesignBtnClick = [this] { ++refreshed; };
        f->chooseFolder = [this](const QString&) {
            ++asked;
            return answers.empty() ? QString() : answers.takeFirst();
        };
        return f;
    }
    int projects(const QString& ref) { return rowCount(*dm->database(), "Project", "Project_Ref = ?1", {ref}); }

    QTemporaryDir work, config;
    QString legacy, settings;
    RecordingMessages messages;
    std::unique_ptr<data::TDM> dm;
    int refreshed = 0, asked = 0;
    QStringList answers;
};

TEST_F(ImportWindow, OffersTheEarlierProjectsAndImportsTheClickedOne) {
    auto f = form();
    EXPECT_EQ(f->windowTitle(), "Import Project from Quorvex 3");
    ASSERT_TRUE(f->FormActivate()) << messages.texts.join("\n").toStdString();
    EXPECT_EQ(f->FolderLabel->text(), QDir::toNativeSeparators(legacy));
    ASSERT_EQ(f->ProjectGrid->rowCount(), 3);  // the standard project is not offered
    EXPECT_EQ(f->ProjectGrid->horizontalHeaderItem(3)->text(), "Proj Finish");
    EXPECT_EQ(f->ProjectGrid->item(0, 2)->text(), "05/04/2003");
    EXPECT_EQ(f->ProjectGrid->item(2, 0)->text(), QStringLiteral("Caf\u00e9"));
    EXPECT_EQ(f->NewRefEdit->text(), "NewRefEdit");
    EXPECT_EQ(f->ImportBtn->text(), "Im port");

    // The untouched edit is no reference: refused, nothing written, the window stays.
    f->ImportBtn->click();
    EXPECT_EQ(messages.texts.last(), "Please Enter the New Project Reference for the imported project");
    EXPECT_EQ(projects("NewRefEdit"), 0);
    EXPECT_EQ(f->result(), 0);

    f->ProjectGridClick(0);
    EXPECT_EQ(f->NewRefEdit->text(), "P1");
    f->NewRefEdit->setText("SMITH-2003");
    f->ImportBtn->click();
    EXPECT_EQ(messages.texts.last(), "Project Imported Successfully");
    EXPECT_EQ(f->result(), int(QDialog::Accepted));
    EXPECT_EQ(dm->ProjectTable.fieldByName("Project_Ref").asString(), "SMITH-2003");
    EXPECT_EQ(dm->DesignTable.recordCount(), 2);
    EXPECT_EQ(dm->DesignTable.fieldByName("Design_No").asInteger(), 1);
    EXPECT_EQ(refreshed, 1);
    EXPECT_TRUE(messages.errors.isEmpty());

    // The same reference again: the message, the existing project shown, nothing added.
    auto again = form();
    ASSERT_TRUE(again->FormActivate());
    again->ProjectGridClick(1);
    again->NewRefEdit->setText("SMITH-2003");
    again->ImportBtn->click();
    EXPECT_EQ(messages.texts.last(), "New Project Reference Already Exists, Please Enter a Unique Reference");
    EXPECT_EQ(again->result(), int(QDialog::Accepted));
    EXPECT_EQ(dm->DesignTable.recordCount(), 2);
    EXPECT_EQ(rowCount(*dm->database(), "Design", "Project_Ref = 'SMITH-2003'"), 2);
}

TEST_F(ImportWindow, AsksForTheFolderOnceAndRemembersIt) {
    answers = {work.path(), legacy};  // the first holds no Project.DB
    auto f = form(false);
    ASSERT_TRUE(f->FormActivate());
    EXPECT_EQ(asked, 2);
    EXPECT_TRUE(messages.texts.last().contains("does not hold Project.DB"));
    EXPECT_EQ(QSettings(settings, QSettings::IniFormat).value("Import/EarlierDataFolder").toString(), legacy);

    auto next = std::make_unique<ui::exchange::TImportForm>(*dm, messages);
    next->settingsFile = settings;
    next->readerOptions.program = QStringLiteral(QUORVEX_CLI);
    next->chooseFolder = [this](const QString&) {
        ++asked;
        return QString();
    };
    ASSERT_TRUE(next->FormActivate());
    EXPECT_EQ(asked, 2);

    // Cancelling the folder dialog opens nothing.
    QSettings(settings, QSettings::IniFormat).remove("Import/EarlierDataFolder");
    auto cancelled = form(false);
    EXPECT_FALSE(cancelled->FormActivate());
}

TEST_F(ImportWindow, DamagedEarlierTableIsNamedAndTheWorkStays) {
    const QString design = QDir(legacy).filePath("Design.DB");
    testing_support::patchFile(design, 0x06, QByteArray("\x00\x94\x35\x77", 4));
    const int before = rowCount(*dm->database(), "Project");
    auto f = form();
    EXPECT_FALSE(f->FormActivate());
    ASSERT_EQ(messages.errors.size(), 1);
    EXPECT_TRUE(messages.errors.first().startsWith(QDir::toNativeSeparators(design)))
        << messages.errors.first().toStdString();
    EXPECT_EQ(rowCount(*dm->database(), "Project"), before);
    EXPECT_EQ(dm->ProjectTable.fieldByName("Project_Ref").asString(), "SAMPLE-HOUSE");
}

}  // namespace
