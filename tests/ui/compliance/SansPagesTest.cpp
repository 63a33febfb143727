#include "SansFixture.h"
#include "compliance/Sans204.h"
#include "compliance/Storeys.h"
#include "store/Table.h"
#include "ui/compliance/ClimateZoneForm.h"
#include "ui/compliance/GridHelpers.h"
#include "ui/compliance/ResultsPage.h"
#include "ui/compliance/SansPage.h"
#include "ui/compliance/SansWindows.h"
#include "widgets/DataControls.h"
#include "widgets/DataSetModel.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QStyleOptionViewItem>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using namespace ui::compliance;
using data::DlgButton;

namespace {

QStringList visibleHeaders(widgets::DBGrid* grid) {
    QStringList h;
    for (int c = 0; c < grid->model()->columnCount(); ++c)
        if (!grid->isColumnHidden(c)) h << grid->model()->headerData(c, Qt::Horizontal).toString();
    return h;
}

// Chooses a zone in a look-up list as the user does.
void chooseZone(widgets::DBLookupComboBox* box, int zone) {
    const int at = box->findData(zone);
    ASSERT_GE(at, 0);
    box->setCurrentIndex(at);
    emit box->activated(at);
}

} // namespace

TEST_F(SansData, SansPageBuildsStoreysChoosesTheZoneAndAnalyses) {
    addSansProject("PAGE", workedStorey());
    TSansPage page(*dm, messages);
    QAbstractItemModelTester tester(page.DBGrid2->model());
    int recalculated = 0, shown = 0;
    page.recalculateAll = [&] { ++recalculated; };
    page.showResults = [&] { ++shown; };
    page.show();
    EXPECT_EQ(visibleHeaders(page.DBGrid2),
              QStringList({"Storey", "Net Floor Area", "Default P/H"}));
    EXPECT_TRUE(page.DBGrid2->toolTip().startsWith("Enter Net Floor Area and Default P/H Ratio"));
    page.TabSheet3Show();
    EXPECT_EQ(recalculated, 1);
    EXPECT_EQ(page.DBGrid2->model()->rowCount(), 1);

    // Analyse before anything is entered: the storey check stops it.
    page.SANSCalcBtn->click();
    EXPECT_TRUE(messages.texts.last().contains("Storey 1: no default P/H ratio"));
    EXPECT_EQ(shown, 0);

    chooseZone(page.ClimateZoneCB, 9);
    EXPECT_EQ(dm->ProjectOptionsTable.fieldByName("Conductance").asFloat(), 0.5);
    EXPECT_FALSE(dm->ProjectOptionsTable.editing());
    // Typing into the grid as the user does: the area, Tab, the P/H, Tab.
    auto* model = page.DBGrid2->model();
    ASSERT_TRUE(model->setData(model->index(0, 3), "30", Qt::EditRole));
    page.DBGrid2ColExit(3);
    ASSERT_TRUE(model->setData(model->index(0, 4), "0.20", Qt::EditRole));
    page.DBGrid2ColExit(4);
    EXPECT_EQ(dm->ProjectFloorsTable.fieldByName("N_Factor").asFloat(), 0.8);
    page.SANSCalcBtn->click();
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(testing_support::rowCount(*dm->database(), "DesignResults", "Project_Ref='PAGE'"), 2);
    EXPECT_TRUE(messages.errors.isEmpty());
}

TEST_F(SansData, CtrlDelRemovesAStoreyOnlyAfterYes) {
    addSansProject("DEL", {{"1", "A", "N", 1, 1, 1, 1}, {"2", "B", "N", 1, 1, 1, 1}});
    TSansPage page(*dm, messages);
    page.show();
    page.TabSheet3Show();
    ASSERT_EQ(dm->ProjectFloorsTable.recordCount(), 2);
    messages.answers = {DlgButton::No};
    QTest::keyClick(page.DBGrid2, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(messages.texts.last(), "Delete record?");
    EXPECT_EQ(dm->ProjectFloorsTable.recordCount(), 2);
    messages.answers = {DlgButton::Yes};
    QTest::keyClick(page.DBGrid2, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(dm->ProjectFloorsTable.recordCount(), 1);
    EXPECT_EQ(testing_support::rowCount(*dm->database(), "ProjectFloors", "Project_Ref='DEL'"), 1);
}

TEST_F(SansData, ResultsPageColoursRowsByConductanceAndHidesTheCarriedColumns) {
    EXPECT_EQ(TResultsPanel::rowColour(20.0, 18.0), QColor(Qt::blue));
    EXPECT_EQ(TResultsPanel::rowColour(18.0, 18.0), QColor(Qt::blue));
    EXPECT_EQ(TResultsPanel::rowColour(15.0, 18.0), QColor(Qt::red));
    EXPECT_FALSE(TResultsPanel::rowColour(QVariant(), 18.0).isValid());

    addSansProject("RES", workedStorey());
    setZone(9);
    compliance::BuildStoreyList(*dm, {});
    setStorey("1", 30, 0.2);
    ASSERT_TRUE(compliance::SANSCalcBtnClick(*dm, messages));
    TResultsPanel panel(*dm, messages, TResultsPanel::Place::Page);
    QAbstractItemModelTester t3(panel.DBGrid3->model()), t4(panel.DBGrid4->model());
    panel.show();
    EXPECT_EQ(visibleHeaders(panel.DBGrid3),
              QStringList({"Storey", "Exempt", "Net Floor Area", "Window Area", "U Allow",
                           "U Total", "SHGC Allow", "SHGC Total", "U Result", "SHGC Result"}));
    EXPECT_EQ(visibleHeaders(panel.DBGrid4).mid(9),
              QStringList({"SHGC Const", "P/H Ratio", "Solar Factor"}));
    EXPECT_EQ(panel.Image19->text(), "Print SANS 204 Certification Report");
    panel.Image20->click();
    ASSERT_EQ(panel.DBGrid3->model()->rowCount(), 1);
    const QModelIndex cell = panel.DBGrid3->model()->index(0, 13);
    EXPECT_EQ(cell.data().toString(), "FAIL");
    EXPECT_EQ(panel.DBGrid3->model()->index(0, 9).data().toString(), "18.00");
    QStyleOptionViewItem option;
    option.initFrom(panel.DBGrid3);
    // The delegate paints the SHGC columns in the row's conductance colour too.
    auto* delegate = panel.DBGrid3->itemDelegate();
    QImage image(200, 30, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    option.rect = QRect(0, 0, 200, 30);
    delegate->paint(&painter, option, cell);
    painter.end();
    bool red = false;
    for (int x = 0; x < 200 && !red; ++x)
        for (int y = 0; y < 30 && !red; ++y) {
            const QColor c = image.pixelColor(x, y);
            red = c.red() > 150 && c.green() < 100 && c.blue() < 100;
        }
    EXPECT_TRUE(red);

    // The windows' grid: no colouring and the figures in their own order.
    TResultsPanel window(*dm, messages, TResultsPanel::Place::Window);
    EXPECT_EQ(visibleHeaders(window.DBGrid3).mid(4, 4),
              QStringList({"U Allow", "SHGC Allow", "U Total", "SHGC Total"}));
    EXPECT_EQ(dynamic_cast<RowColourDelegate*>(window.DBGrid3->itemDelegate()), nullptr);
    EXPECT_NE(dynamic_cast<RowColourDelegate*>(panel.DBGrid3->itemDelegate()), nullptr);
    EXPECT_EQ(window.Image20->text(), "Calculate  ");
    EXPECT_EQ(window.Image19->text(), "Detailed Report");
}

TEST_F(SansData, CalculationWindowNeedsAZoneAndKeepsItsChoiceUntilClose) {
    addSansProject("WIN", workedStorey());
    compliance::BuildStoreyList(*dm, {});
    TSANSForm form(*dm, messages);
    form.show();
    EXPECT_EQ(form.windowTitle(), "SANS 204 Calculation");
    // Opening the window gives the project an options row.
    EXPECT_EQ(testing_support::rowCount(*dm->database(), "ProjectOptions", "Project_Ref='WIN'"), 1);
    form.AnalyseBtn->click();
    EXPECT_EQ(messages.texts.last(), compliance::NoZoneMessage);
    EXPECT_EQ(testing_support::rowCount(*dm->database(), "DesignResults", "Project_Ref='WIN'"), 0);
    // The storey navigator complains without a zone, and still moves.
    messages.texts.clear();
    form.FloorNavigator->buttons[0]->click();
    EXPECT_EQ(messages.texts, QStringList({compliance::NoZoneMessage}));

    chooseZone(form.ClimateZoneCB, 9);
    EXPECT_TRUE(dm->ProjectOptionsTable.editing());
    EXPECT_TRUE(form.SansGrid->isVisible());
    EXPECT_EQ(form.ConductanceEdit->text(), "0.5");
    auto* model = form.SansGrid->model();
    ASSERT_TRUE(model->setData(model->index(0, 3), "30", Qt::EditRole));
    ASSERT_TRUE(model->setData(model->index(0, 4), "0.20", Qt::EditRole));
    form.SansGridColExit(3); // does not reset the P/H here
    form.SansGridColExit(4);
    EXPECT_EQ(dm->ProjectFloorsTable.fieldByName("Shading_Ratio").asFloat(), 0.2);
    EXPECT_EQ(dm->ProjectFloorsTable.fieldByName("N_Factor").asFloat(), 0.8);

    // Analyse opens "SANS Results"; calculate there, then close both.
    bool resultsShown = false;
    QTimer::singleShot(100, [&] {
        TDesignResultsForm* r = form.DesignResultsForm;
        resultsShown = r->isVisible();
        r->Panel->Image20->click();
        r->CloseBtn->click();
    });
    form.AnalyseBtn->click();
    EXPECT_TRUE(resultsShown);
    EXPECT_EQ(result("1")["U_Result"].toString(), "FAIL");
    EXPECT_DOUBLE_EQ(result("1")["U_Total"].toDouble(), 18.0);
    form.CloseBtn->click();
    EXPECT_FALSE(dm->ProjectOptionsTable.editing());
    EXPECT_EQ(testing_support::rowCount(*dm->database(), "ProjectOptions",
                                        "Project_Ref='WIN' and Climate_Zone=9"),
              1);
    EXPECT_TRUE(messages.errors.isEmpty()) << messages.errors.join("|").toStdString();
}

TEST_F(SansData, ResultsWindowClearsEarlierResultsButKeepsTheRationalRow) {
    addSansProject("OPEN", workedStorey());
    setZone(9);
    compliance::BuildStoreyList(*dm, {});
    setStorey("1", 30, 0.2);
    ASSERT_TRUE(compliance::SANSCalcBtnClick(*dm, messages));
    compliance::Image20Click(*dm, messages);
    ASSERT_EQ(resultCount(), 1);
    store::Table& R = dm->ProjectRationalTable;
    R.edit();
    R.fieldByName("Tgt_EnergyLoss").setAsFloat(5);
    R.post();
    TDesignResultsForm form(*dm, messages);
    QTimer::singleShot(50, [&] {
        EXPECT_EQ(resultCount(), 0);
        form.Panel->Image20->click();
        EXPECT_TRUE(form.Panel->DBGrid3->isVisible());
        // Coming back to the window (from the report preview) keeps what it shows.
        QEvent activate(QEvent::WindowActivate);
        QApplication::sendEvent(&form, &activate);
        EXPECT_EQ(resultCount(), 1);
        form.CloseBtn->click();
    });
    form.exec();
    EXPECT_EQ(resultCount(), 1);
    EXPECT_EQ(testing_support::rowCount(*dm->database(), "ProjectRational", "Project_Ref='OPEN'"),
              1);
}

TEST_F(SansData, ClimateZoneMapFillsItsWindowAndClosesOnAClick) {
    TClimateZoneForm form(dm->WorkDir);
    QTimer::singleShot(50, [&] { QTest::mouseClick(form.Image1, Qt::LeftButton); });
    form.exec();
    EXPECT_EQ(form.windowTitle(), "ClimateZoneForm");
    EXPECT_EQ(form.size(), QSize(747, 576));
    EXPECT_FALSE(form.Image1->pixmap().isNull());
    EXPECT_EQ(form.Image1->size(), QSize(747, 576));
    EXPECT_EQ(form.result(), QDialog::Accepted);
}

// The sample's nine designs and every column of both grids show in the "SANS
// Results" window as it opens; a selected results row on the RESULTS page
// keeps light text on the highlight (it was blue on blue), and the page shows
// the SHGC constant with two decimals (0.13, not 0.1).
TEST_F(SansData, ResultsWindowFitsItsRowsAndColumnsAndSelectionStaysReadable) {
    ASSERT_TRUE(dm->ProjectTable.findKey({"SAMPLE-HOUSE"}));
    ASSERT_TRUE(compliance::SANSCalcBtnClick(*dm, messages));
    TDesignResultsForm form(*dm, messages);
    QTimer::singleShot(50, [&] {
        form.Panel->Image20->click();
        QApplication::processEvents();
        for (widgets::DBGrid* grid : {form.Panel->DBGrid4, form.Panel->DBGrid3}) {
            ASSERT_TRUE(grid->isVisible());
            for (int c = 0; c < grid->model()->columnCount(); ++c) {
                if (grid->isColumnHidden(c)) continue;
                EXPECT_LE(grid->columnViewportPosition(c) + grid->columnWidth(c),
                          grid->viewport()->width())
                    << grid->model()->headerData(c, Qt::Horizontal).toString().toStdString();
            }
        }
        widgets::DBGrid* designs = form.Panel->DBGrid4;
        const int last = designs->model()->rowCount() - 1;
        EXPECT_EQ(last, 8);
        EXPECT_LE(designs->rowViewportPosition(last) + designs->rowHeight(last),
                  designs->viewport()->height());
        form.CloseBtn->click();
    });
    form.exec();

    TResultsPanel page(*dm, messages, TResultsPanel::Place::Page);
    page.show();
    page.Image20->click();
    EXPECT_EQ(page.DBGrid4->model()->index(0, 10).data().toString(), "0.13");
    ASSERT_GE(page.DBGrid3->model()->rowCount(), 1);
    QStyleOptionViewItem option;
    option.initFrom(page.DBGrid3);
    option.state |= QStyle::State_Selected | QStyle::State_Active;
    option.rect = QRect(0, 0, 120, 30);
    QImage image(120, 30, QImage::Format_ARGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    page.DBGrid3->itemDelegate()->paint(&painter, option, page.DBGrid3->model()->index(0, 3));
    painter.end();
    bool light = false;
    for (int x = 0; x < 120 && !light; ++x)
        for (int y = 0; y < 30 && !light; ++y) {
            const QColor c = image.pixelColor(x, y);
            light = c.red() > 200 && c.green() > 200 && c.blue() > 200;
        }
    EXPECT_TRUE(light) << "the selected row's text is not light on the highlight";
}
