#include "compliance/Sans204.h"
#include "data/DataModule.h"
#include "data/Paths.h"
#include "store/Table.h"
#include "support/TestSupport.h"
#include "ui/compliance/ResultsPage.h"
#include "ui/compliance/SansPage.h"
#include "ui/compliance/SansWindows.h"
#include "ui/design/DesignPage.h"
#include "ui/main/MainForm.h"
#include "widgets/DataSetModel.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

// The main window with its DESIGN page on the shipped data and sample project.
struct CompliancePages : ::testing::Test {
    void SetUp() override {
        qputenv("QUORVEX_DATA_DIR", data::shippedDataDir().toUtf8());
        dm = std::make_unique<data::TDM>(
            messages, work.path(), store::AliasRegistry(QDir(config.path()).filePath("a.ini")));
        form = std::make_unique<ui::main::TMainForm>(*dm, messages);
        page = std::make_unique<ui::design::TDesignPage>(*dm, *form, messages);
        form->FirstActivation = false;
        form->show();
        QApplication::processEvents();
        ASSERT_TRUE(dm->ProjectTable.findKey({"SAMPLE-HOUSE"}));
        form->DesignBtnClick();
    }
    void TearDown() override {
        page.reset();
        form.reset();
        dm.reset();
        qunsetenv("QUORVEX_DATA_DIR");
    }
    bool tabShown(int i) { return form->PageControl1->isTabVisible(i); }
    QTemporaryDir work, config;
    testing_support::RecordingMessages messages;
    std::unique_ptr<data::TDM> dm;
    std::unique_ptr<ui::main::TMainForm> form;
    std::unique_ptr<ui::design::TDesignPage> page;
};

} // namespace

TEST_F(CompliancePages, AnalyseOpensResultsWhichGoWhenTheUserLeavesThem) {
    EXPECT_FALSE(tabShown(2));
    EXPECT_FALSE(tabShown(3));
    form->SansAction->trigger();
    EXPECT_TRUE(tabShown(2));
    EXPECT_EQ(form->PageControl1->currentIndex(), 2);
    // Showing the page recalculated the designs: none is reported as not current.
    store::Table& D = dm->DesignTable;
    D.first();
    EXPECT_GT(D.fieldByName("U_Factor").asFloat(), 0);
    EXPECT_EQ(dm->ProjectFloorsTable.recordCount(), 2);

    form->SansPage->SANSCalcBtn->click();
    EXPECT_TRUE(tabShown(3));
    EXPECT_EQ(form->PageControl1->currentIndex(), 3);
    EXPECT_EQ(
        testing_support::rowCount(*dm->database(), "DesignResults", "Project_Ref='SAMPLE-HOUSE'"),
        9);
    form->ResultsPage->Image20->click();
    EXPECT_EQ(form->ResultsPage->DBGrid3->model()->rowCount(), 2);
    // Coming back to the window while on the page (a message, the preview) keeps it.
    form->FormActivate();
    EXPECT_TRUE(tabShown(3));
    // Leaving it hides it again and returns the designs to the first.
    D.last();
    form->PageControl1->setCurrentIndex(1);
    EXPECT_FALSE(tabShown(3));
    EXPECT_EQ(D.recNo(), 0);
    form->FormActivate();
    EXPECT_FALSE(tabShown(3));
    EXPECT_TRUE(messages.errors.isEmpty()) << messages.errors.join("|").toStdString();
}

TEST_F(CompliancePages, TheCalculationWindowOpensFromTheMenu) {
    bool opened = false;
    QTimer::singleShot(100, [&] {
        auto* w = qobject_cast<ui::compliance::TSANSForm*>(QApplication::activeModalWidget());
        opened = w && w->windowTitle() == "SANS 204 Calculation";
        if (w) w->CloseBtn->click();
    });
    form->SansCalcAction->trigger();
    EXPECT_TRUE(opened);
    EXPECT_EQ(form->SansCalcAction->text(), "SANS 204 Calculation\u2026");
}
