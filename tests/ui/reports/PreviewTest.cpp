// The previews as the user opens them: the design report's optional
// elevation page and the project's elevation sheet from the SUMMARY page.
#include "data/DataModule.h"
#include "data/Paths.h"
#include "reports/ElevationData.h"
#include "reports/ElevationOutput.h"
#include "support/TestSupport.h"
#include "ui/design/DesignPage.h"
#include "ui/main/MainForm.h"
#include "ui/reports/Preview.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <functional>
#include <gtest/gtest.h>

namespace {

struct Previews : ::testing::Test {
    void SetUp() override {
        qputenv("QUORVEX_DATA_DIR", data::shippedDataDir().toUtf8());
        data::setUserSettingsFile(QDir(config.path()).filePath("glazecalc.ini"));
        dm = std::make_unique<data::TDM>(messages, work.path(),
                                        store::AliasRegistry(QDir(config.path()).filePath("a.ini")));
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
        data::setUserSettingsFile({});
        qunsetenv("QUORVEX_DATA_DIR");
    }
    // Runs `open`; once its preview shows, `look` is given the dialog, then it is closed.
    void whenPreviewShows(const std::function<void()>& open, const std::function<void(QPrintPreviewDialog&)>& look) {
        bool seen = false;
        QTimer poll;
        poll.setInterval(50);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                auto* dialog = qobject_cast<QPrintPreviewDialog*>(w);
                if (!dialog || !dialog->isVisible() || seen) continue;
                seen = true;
                look(*dialog);
                dialog->reject();
            }
        });
        poll.start();
        open();
        EXPECT_TRUE(seen) << "no preview was shown";
    }
    static QAction* action(QPrintPreviewDialog& d, const QString& text) {
        for (QToolBar* bar : d.findChildren<QToolBar*>())
            for (QAction* a : bar->actions())
                if (a->text() == text) return a;
        return nullptr;
    }
    QTemporaryDir work, config;
    testing_support::RecordingMessages messages;
    std::unique_ptr<data::TDM> dm;
    std::unique_ptr<ui::main::TMainForm> form;
    std::unique_ptr<ui::design::TDesignPage> page;
};

} // namespace

TEST_F(Previews, TheDesignReportsElevationPageIsOffUntilSwitchedOnAndThenRemembered) {
    int pagesBefore = -1, pagesAfter = -1;
    bool checkedAtOpen = true;
    whenPreviewShows([&] { page->PrintReportBtn->click(); },
                     [&](QPrintPreviewDialog& d) {
                         auto* view = d.findChild<QPrintPreviewWidget*>();
                         QAction* elevation = action(d, "Elevation");
                         ASSERT_TRUE(view && elevation);
                         checkedAtOpen = elevation->isChecked();
                         pagesBefore = view->pageCount();
                         elevation->trigger();
                         QApplication::processEvents();
                         pagesAfter = view->pageCount();
                     });
    EXPECT_FALSE(checkedAtOpen);
    EXPECT_EQ(pagesBefore, 1);
    EXPECT_EQ(pagesAfter, 2);
    EXPECT_TRUE(QSettings(data::userSettingsFile(), QSettings::IniFormat)
                    .value(ui::reports::kDesignElevationPageKey)
                    .toBool());

    // Opened again, the page is there from the start; switched off, it goes.
    whenPreviewShows([&] { page->PrintReportBtn->click(); },
                     [&](QPrintPreviewDialog& d) {
                         auto* view = d.findChild<QPrintPreviewWidget*>();
                         QAction* elevation = action(d, "Elevation");
                         ASSERT_TRUE(view && elevation);
                         checkedAtOpen = elevation->isChecked();
                         pagesBefore = view->pageCount();
                         elevation->trigger();
                         QApplication::processEvents();
                         pagesAfter = view->pageCount();
                     });
    EXPECT_TRUE(checkedAtOpen);
    EXPECT_EQ(pagesBefore, 2);
    EXPECT_EQ(pagesAfter, 1);
    EXPECT_TRUE(messages.errors.isEmpty()) << messages.errors.join("\n").toStdString();
}

TEST_F(Previews, TheSummaryPageShowsTheProjectsElevationSheet) {
    form->PageControl1->setCurrentIndex(1);
    QApplication::processEvents();
    ASSERT_TRUE(form->ElevationSheetBtn->isVisible());
    const auto designs = reports::projectElevations(*dm, "SAMPLE-HOUSE");
    reports::ProjectSheet sheet;
    const size_t sheets = reports::layoutProjectSheet(designs, sheet).pages.size();
    int pages = -1;
    QString title;
    bool hasElevationSwitch = true;
    whenPreviewShows([&] { form->ElevationSheetBtn->click(); },
                     [&](QPrintPreviewDialog& d) {
                         auto* view = d.findChild<QPrintPreviewWidget*>();
                         ASSERT_TRUE(view);
                         pages = view->pageCount();
                         title = d.windowTitle();
                         hasElevationSwitch = action(d, "Elevation") != nullptr;
                         EXPECT_EQ(view->orientation(), QPageLayout::Landscape);
                     });
    EXPECT_EQ(pages, int(sheets));
    EXPECT_TRUE(title.startsWith("Elevations SAMPLE-HOUSE")) << title.toStdString();
    EXPECT_FALSE(hasElevationSwitch);
}
