// The previews as the user opens them: the design report's optional
// elevation page and the project's elevation sheet from the SUMMARY page.
#include "data/DataModule.h"
#include "data/Paths.h"
#include "reports/ElevationData.h"
#include "reports/ElevationOutput.h"
#include "support/PageFixture.h"
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

// The user's settings go to a file of the test's own.
struct Previews : Page {
    void SetUp() override {
        data::setUserSettingsFile(QDir(config.path()).filePath("glazecalc.ini"));
        Page::SetUp();
    }
    void TearDown() override {
        Page::TearDown();
        data::setUserSettingsFile({});
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
    // Opens the design report's preview, switches its elevation page over and
    // tells whether it was on at the opening and the page counts before and after.
    void toggleElevationPage(bool& onAtOpen, int& before, int& after) {
        whenPreviewShows([&] { page->PrintReportBtn->click(); },
                         [&](QPrintPreviewDialog& d) {
                             auto* view = d.findChild<QPrintPreviewWidget*>();
                             QAction* elevation = action(d, "Elevation");
                             ASSERT_TRUE(view && elevation);
                             onAtOpen = elevation->isChecked();
                             before = view->pageCount();
                             elevation->trigger();
                             QApplication::processEvents();
                             after = view->pageCount();
                         });
    }
};

} // namespace

TEST_F(Previews, TheDesignReportsElevationPageIsOffUntilSwitchedOnAndThenRemembered) {
    int pagesBefore = -1, pagesAfter = -1;
    bool checkedAtOpen = true;
    toggleElevationPage(checkedAtOpen, pagesBefore, pagesAfter);
    EXPECT_FALSE(checkedAtOpen);
    EXPECT_EQ(pagesBefore, 1);
    EXPECT_EQ(pagesAfter, 2);
    EXPECT_TRUE(QSettings(data::userSettingsFile(), QSettings::IniFormat)
                    .value(ui::reports::kDesignElevationPageKey)
                    .toBool());

    // Opened again, the page is there from the start; switched off, it goes.
    toggleElevationPage(checkedAtOpen, pagesBefore, pagesAfter);
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
