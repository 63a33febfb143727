#include "ui/compliance/RationalPage.h"

#include "ReportFixture.h"
#include "reports/ProjectReports.h"
#include "ui/reports/Preview.h"
#include "widgets/DataControls.h"
#include "widgets/DataSetModel.h"

#include <QApplication>
#include <QLabel>
#include <QPrintPreviewDialog>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

TEST_F(ReportData, RationalPageAnalysesTheTypedTargetAndColoursTheResult) {
    addProject("RATIONAL", {{"G", "A", 2, 1.5, 3.0, 0.4}, {"1", "B", 1, 2.0, 4.0, 0.6}});
    ui::compliance::TRationalPage page(*dm, messages);
    page.show();
    EXPECT_FALSE(page.ResultLabel->isVisible());
    EXPECT_FALSE(page.TgtAveUValEdit->isVisible());
    EXPECT_FALSE(page.TgtAveSHGCEdit->isEnabled());
    EXPECT_EQ(page.DBGrid5->gridModel()->rowCount(), 2);

    QTest::keyClicks(page.TgtEnergyLossEdit, "17");
    page.RationalBtn->click();
    EXPECT_TRUE(page.ResultLabel->isVisible());
    EXPECT_EQ(page.ResultLabel->text(),
              "Project meets rational design parameters as specified above");
    EXPECT_TRUE(page.ResultLabel->styleSheet().contains("blue"));
    store::Table& R = dm->ProjectRationalTable;
    EXPECT_EQ(R.fieldByName("Tgt_EnergyLoss").asFloat(), 17.0);
    EXPECT_NEAR(R.fieldByName("Act_EnergyLoss").asFloat(), 17.0, 1e-9);
    EXPECT_NEAR(R.fieldByName("Act_AveSHGC").asFloat(), 0.4667, 1e-4);
    // The box shows the field's display format ("0.000").
    EXPECT_EQ(page.ActAveSHGCEdit->text(), "0.467");

    page.TgtEnergyLossEdit->selectAll();
    QTest::keyClicks(page.TgtEnergyLossEdit, "16.9");
    page.RationalBtn->click();
    EXPECT_EQ(page.ResultLabel->text(),
              "Project does NOT meet rational design parameters as specified above");
    EXPECT_TRUE(page.ResultLabel->styleSheet().contains("red"));
    EXPECT_TRUE(messages.errors.isEmpty());

    int opened = 0;
    page.openDesign = [&] { ++opened; };
    const QModelIndex cell = page.DBGrid5->gridModel()->index(1, 1);
    emit page.DBGrid5->doubleClicked(cell);
    EXPECT_EQ(opened, 1);
}

// The verdict appears without moving the commands or the grid above them.
TEST_F(ReportData, RationalCommandsStayPutWhenTheVerdictAppears) {
    addProject("RATIONAL", {{"G", "A", 2, 1.5, 3.0, 0.4}, {"1", "B", 1, 2.0, 4.0, 0.6}});
    ui::compliance::TRationalPage page(*dm, messages);
    page.resize(1000, 600);
    page.show();
    QApplication::processEvents();
    auto where = [&] {
        return QList<QRect>{
            QRect(page.RationalBtn->mapTo(&page, QPoint()), page.RationalBtn->size()),
            QRect(page.RationalReportBtn->mapTo(&page, QPoint()), page.RationalReportBtn->size()),
            QRect(page.DBGrid5->mapTo(&page, QPoint()), page.DBGrid5->size())};
    };
    const QList<QRect> before = where();
    QTest::keyClicks(page.TgtEnergyLossEdit, "17");
    page.RationalBtn->click();
    QApplication::processEvents();
    ASSERT_TRUE(page.ResultLabel->isVisible());
    EXPECT_EQ(where(), before);
}

TEST_F(ReportData, PreviewOpensMaximisedWithASaveCommand) {
    bool maximised = false, hasSave = false;
    QTimer::singleShot(200, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* dialog = qobject_cast<QPrintPreviewDialog*>(w);
            if (!dialog || !dialog->isVisible()) continue;
            maximised = dialog->windowState() & Qt::WindowMaximized;
            for (QToolBar* bar : dialog->findChildren<QToolBar*>())
                for (QAction* a : bar->actions())
                    hasSave = hasSave || a->text() == "Save";
            dialog->reject();
        }
    });
    ui::reports::previewSummaryReport(*dm, messages);
    EXPECT_TRUE(maximised);
    EXPECT_TRUE(hasSave);
    // The design list is closed when the preview closes.
    EXPECT_FALSE(dm->DesignQuery.active());
}
