#include "support/PageFixture.h"
#include "support/TestSupport.h"
#include "data/DataModule.h"
#include "ui/main/MainForm.h"
#include "ui/design/DesignGrid.h"
#include "ui/design/DesignPage.h"
#include "ui/design/ElevationView.h"
#include "reports/Elevation.h"
#include "widgets/DataControls.h"
#include "store/Query.h"

#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace data;
using namespace ui::main;
using testing_support::RecordingMessages;
using testing_support::rowCount;

TEST_F(Page, ANewDesignIsSavedWithFiftyEmptyCellsAndSpans) {
    ASSERT_EQ(ref(), "SAMPLE-HOUSE");
    const int before = dm->DesignTable.recordCount();
    page->AddBtn->click();
    EXPECT_EQ(designNo(), before + 1);
    const QVariantList key{ref(), designNo()};
    EXPECT_EQ(rowCount(*dm->database(), "DesignImage", "Project_Ref = ?1 AND Design_No = ?2 AND ModeOfCell = 'NONE'", key), 50);
    EXPECT_EQ(rowCount(*dm->database(), "DesignMerge", "Project_Ref = ?1 AND Design_No = ?2 AND RowSpan = 1 AND ColSpan = 1", key), 50);
    EXPECT_EQ(QApplication::focusWidget(), page->DesignRefEdit);
    for (auto* box : page->DimH) EXPECT_FALSE(box->isEnabled());
}

TEST_F(Page, TheRightClickMenuOffersTheSystemsSashTypesAndSetsTheCell) {
    page->AddBtn->click();
    page->SystemTypeCB->setFocus();
    page->SystemTypeCB->setCurrentIndex(page->SystemTypeCB->findText("Casement"));
    emit page->SystemTypeCB->activated(page->SystemTypeCB->currentIndex());
    page->SystemNameCB->setFocus();
    QApplication::processEvents();
    page->SystemNameCB->setCurrentIndex(page->SystemNameCB->findText("Casement 38"));
    emit page->SystemNameCB->activated(page->SystemNameCB->currentIndex());
    page->KGrid1->setFocus();  // leaving the name fills the empty profile lists
    QApplication::processEvents();
    EXPECT_EQ(dm->DesignTable.fieldByName("System_Name").asString(), "Casement 38");
    EXPECT_FALSE(dm->DesignTable.fieldByName("Die1").asString().isEmpty());

    page->KGrid1->setSelection({1, 2, 1, 2});
    page->UpdatePopup();
    ASSERT_NE(menuItem("Fixed"), nullptr);
    ASSERT_NE(menuItem("Top"), nullptr);
    EXPECT_EQ(page->PopupMenu1->actions().last()->text(), "Merge/Unmerge");
    EXPECT_EQ(menuItem("SlidL"), nullptr);  // not a casement sash
    menuItem("Top")->trigger();
    EXPECT_EQ(form->Grid.mode(1, 2), "TOP");
    form->SaveDesign();
    EXPECT_EQ(rowCount(*dm->database(), "DesignImage", "Project_Ref = ?1 AND Design_No = ?2 AND Row = 1 AND Column = 2 AND ModeOfCell = 'TOP'",
                       {ref(), designNo()}),
              1);
}

TEST_F(Page, MergingChecksTheAnchorAndTheShape) {
    page->AddBtn->click();
    page->KGrid1->setSelection({2, 4, 2, 5});
    page->MergeImageClick();
    EXPECT_EQ(form->Grid.span(2, 4), (design::Span{2, 1}));
    page->KGrid1->setSelection({0, 0, 1, 2});
    page->MergeImageClick();
    EXPECT_EQ(messages.texts.last(), "Invalid Merge");
    form->Grid.SetCellMode(4, 0, "FIXED");
    page->KGrid1->setSelection({4, 0, 4, 1});
    page->MergeImageClick();
    EXPECT_EQ(messages.texts.last(), "Cells must be clear before merging");
}

TEST_F(Page, PassingThroughTheSystemTypeBoxKeepsTheDesign) {
    // The sample's first design has cells and sizes.
    const QVariant no = designNo();
    const double width = dm->DesignTable.fieldByName("DimH1").asFloat();
    const QString system = dm->DesignTable.fieldByName("System_Name").asString();
    ASSERT_GT(width, 0);
    ASSERT_NE(form->Grid.mode(0, 0), "NONE");
    page->SystemTypeCB->setFocus();
    QApplication::processEvents();
    page->DesignRefEdit->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(dm->DesignTable.fieldByName("System_Name").asString(), system);
    EXPECT_EQ(dm->DesignTable.fieldByName("DimH1").asFloat(), width);
    EXPECT_NE(form->Grid.mode(0, 0), "NONE");
    EXPECT_EQ(designNo(), no.toInt());
}

TEST_F(Page, CalculateStoresTheResultsOfTheShownDesign) {
    page->CalcBtn->click();
    const double u = dm->DesignTable.fieldByName("U_Factor").asFloat();
    const double area = dm->DesignTable.fieldByName("Window_Area").asFloat();
    EXPECT_GT(area, 0.5);
    EXPECT_GT(u, 1.0);
    EXPECT_LT(u, 7.0);
    EXPECT_EQ(rowCount(*dm->database(), "Design", "Project_Ref = ?1 AND Design_No = ?2 AND U_Factor > 0", {ref(), designNo()}), 1);
}

TEST_F(Page, DimensionBoxesTakeOnlyNonNegativeNumbers) {
    widgets::DBEdit* box = page->DimH[0];
    ASSERT_TRUE(box->isEnabled());
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, "-12a5");
    EXPECT_EQ(box->text(), "125");
    page->DesignRefEdit->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(dm->DesignTable.fieldByName("DimH1").asFloat(), 125);
}

TEST_F(Page, DeletingADesignLeavesTheNextDesignsSizesAlone) {
    dm->DesignTable.first();
    dm->DesignTable.next();
    const int second = designNo();
    dm->DesignTable.next();
    const int third = designNo();
    const double thirdWidth = dm->DesignTable.fieldByName("DimH1").asFloat();
    ASSERT_GT(thirdWidth, 0);
    dm->DesignTable.prior();
    messages.answers = {DlgButton::Yes};
    page->DelBtn->click();
    EXPECT_EQ(rowCount(*dm->database(), "Design", "Project_Ref = ?1 AND Design_No = ?2", {ref(), second}), 0);
    EXPECT_EQ(rowCount(*dm->database(), "DesignImage", "Project_Ref = ?1 AND Design_No = ?2", {ref(), second}), 0);
    EXPECT_EQ(rowCount(*dm->database(), "Design", "Project_Ref = ?1 AND Design_No = ?2 AND DimH1 = ?3",
                       {ref(), third, thirdWidth}),
              1);
    // Standard designs cannot be deleted here.
    dm->ProjectTable.last();  // "_" sorts after letters
    ASSERT_TRUE(ref().startsWith('_'));
    page->DelBtn->click();
    EXPECT_EQ(messages.texts.last(), "You may NOT delete designs from Standard Projects");
}

TEST_F(Page, TheMenuHoldsExactlyTheSystemsSashTypes) {
    store::Table sash(dm->database(), "SystemSash");
    sash.open();
    for (const char* word : {"Top", "Fixed", "SideL"}) {
        sash.append();
        sash.fieldByName("System_Name").setAsString("Trial 3");
        sash.fieldByName("Sash_Type").setAsString(word);
        sash.post();
    }
    page->AddBtn->click();
    dm->DesignTable.edit();
    dm->DesignTable.fieldByName("System_Name").setAsString("Trial 3");
    dm->DesignTable.post();
    page->UpdatePopup();
    QStringList items;
    for (QAction* a : page->PopupMenu1->actions()) items << a->text();
    EXPECT_EQ(items, (QStringList{"Fixed", "SideL", "Top", "Merge/Unmerge"}));
}

TEST_F(Page, ATwoByTwoAreaIsStoredWithItsOffsetsAndComesBack) {
    page->AddBtn->click();
    const int no = designNo();
    page->KGrid1->setSelection({1, 1, 2, 2});
    page->MergeImageClick();
    form->Grid.SetCellMode(1, 1, "FIXED");
    form->SaveDesign();
    auto span = [&](int r, int c) {
        store::Query q(dm->database(), "Select * from DesignMerge Where Project_Ref=? and Design_No=? and Row=? and Column=?");
        q.setSql(q.sql(), {ref(), no, r, c});
        q.open();
        return std::make_pair(q.fieldByName("RowSpan").asInteger(), q.fieldByName("ColSpan").asInteger());
    };
    EXPECT_EQ(span(1, 1), std::make_pair(2, 2));
    EXPECT_EQ(span(1, 2), std::make_pair(0, -1));
    EXPECT_EQ(span(2, 1), std::make_pair(-1, 0));
    EXPECT_EQ(span(2, 2), std::make_pair(-1, -1));
    // Step away and back: the design's own cells return.
    page->PrevBtn->click();
    EXPECT_NE(designNo(), no);
    page->NextBtn->click();
    EXPECT_EQ(designNo(), no);
    EXPECT_EQ(form->Grid.span(1, 1), (design::Span{2, 2}));
    EXPECT_EQ(form->Grid.mode(2, 2), "FIXED");
    EXPECT_EQ(form->Grid.mode(0, 0), "NONE");
}

TEST_F(Page, StandardDesignsAreFoundOnlyUnderALiteralUnderscore) {
    // A project named like a standard but for its first character is none.
    store::Table design(dm->database(), "Design");
    design.open();
    design.append();
    design.fieldByName("Project_Ref").setAsString("XTrial 9");
    design.fieldByName("Design_No").setAsInteger(1);
    design.post();
    page->SystemNameCB->addItem("Trial 9");
    page->SystemNameCB->setCurrentText("Trial 9");
    emit page->SystemNameCB->activated(page->SystemNameCB->currentIndex());
    EXPECT_FALSE(page->StandardsBtn->isEnabled());
    page->SystemNameCB->addItem("Casement 38");
    page->SystemNameCB->setCurrentText("Casement 38");
    emit page->SystemNameCB->activated(page->SystemNameCB->currentIndex());
    EXPECT_TRUE(page->StandardsBtn->isEnabled());
}

TEST_F(Page, EverythingIsAsLeftAfterTheProgramIsClosedAndStartedAgain) {
    page->AddBtn->click();
    const int no = designNo();
    QTest::keyClicks(page->DesignRefEdit, "K9");
    page->KGrid1->setSelection({0, 0, 0, 1});
    page->MergeImageClick();
    form->Grid.SetCellMode(0, 0, "SIDEL");
    form->close();
    page.reset();
    form.reset();
    dm.reset();

    dm = std::make_unique<TDM>(messages, work.path(), store::AliasRegistry(QDir(config.path()).filePath("a.ini")));
    form = std::make_unique<TMainForm>(*dm, messages);
    page = std::make_unique<ui::design::TDesignPage>(*dm, *form, messages);
    form->FirstActivation = false;
    form->show();
    form->FormActivate();
    ASSERT_TRUE(dm->DesignTable.findKey({"SAMPLE-HOUSE", no}));
    EXPECT_EQ(page->DesignRefEdit->text(), "K9");
    EXPECT_EQ(form->Grid.mode(0, 1), "SIDEL");
    EXPECT_EQ(form->Grid.span(0, 0), (design::Span{2, 1}));
}

TEST_F(Page, CellsTypedSinceTheLastSaveSurviveAModalWindowAndTyping) {
    page->AddBtn->click();
    const int no = designNo();
    form->Grid.SetCellMode(3, 3, "FIXED");
    // Closing a modal window re-runs the activation, typing in the header reloads
    // the grid: neither may throw away the cell typed since the last save.
    form->FormActivate();
    QTest::keyClicks(form->ProjectNameEdit, "x");
    EXPECT_EQ(form->Grid.mode(3, 3), "FIXED");
    form->SaveDesign();
    EXPECT_EQ(rowCount(*dm->database(), "DesignImage", "Project_Ref = ?1 AND Design_No = ?2 AND Row = 3 AND Column = 3 AND ModeOfCell = 'FIXED'",
                       {ref(), no}),
              1);
}

namespace {

// Every stored cell and span of a project, one line per row, in key order.
QStringList storedCells(store::Database& db, const QString& projectRef) {
    QStringList rows;
    const QList<std::pair<const char*, QStringList>> tables = {
        {"DesignImage", {"Design_No", "Row", "Column", "ModeOfCell"}},
        {"DesignMerge", {"Design_No", "Row", "Column", "RowSpan", "ColSpan"}}};
    for (const auto& [table, fields] : tables) {
        // Without an order the rows come in key order: design, row, column.
        store::Query q(&db, QStringLiteral("Select * from %1 Where Project_Ref=?").arg(QLatin1String(table)));
        q.setSql(q.sql(), {projectRef});
        q.open();
        for (q.first(); !q.eof(); q.next()) {
            QStringList values;
            for (const QString& f : fields) values << q.fieldByName(f).asString();
            rows << values.join(QLatin1Char(','));
        }
    }
    return rows;
}

QStringList without(QStringList rows, int designNo) {
    rows.removeIf([&](const QString& r) { return r.section(',', 0, 0).toInt() == designNo; });
    return rows;
}

} // namespace

// A project of `count` designs drawn through the page, each with cells of its
// own: design n has a FIXED pane at (0, n - 1) and a 2 x 1 TOP sash on row 2.
struct DeletePage : Page {
    void makeProject(int count) {
        form->AddProjectClick();
        QTest::keyClicks(form->ProjectRefEdit, "TRIAL");
        form->ProjectNameEdit->setFocus();
        QApplication::processEvents();
        ASSERT_EQ(ref(), "TRIAL");
        for (int n = 1; n <= count; ++n) {
            page->AddBtn->click();
            ASSERT_EQ(designNo(), n);
            form->Grid.SetCellMode(0, n - 1, "FIXED");
            page->KGrid1->setSelection({2, n - 1, 2, n});
            page->MergeImageClick();
            form->Grid.SetCellMode(2, n - 1, "TOP");
            form->SaveDesign();
        }
    }
    // Deletes design `no` through the page and checks that every other
    // design keeps its stored rows, and that the design now shown shows them.
    void deleteAndCheck(int no) {
        const QStringList before = storedCells(*dm->database(), "TRIAL");
        ASSERT_TRUE(dm->DesignTable.findKey({"TRIAL", no}));
        messages.answers = {DlgButton::Yes};
        page->DelBtn->click();
        EXPECT_EQ(rowCount(*dm->database(), "Design", "Project_Ref = 'TRIAL' AND Design_No = ?1", {no}), 0);
        const int shown = designNo();
        ASSERT_NE(shown, no);
        EXPECT_EQ(form->Grid.mode(0, shown - 1), "FIXED");
        EXPECT_EQ(form->Grid.span(2, shown - 1), (design::Span{2, 1}));
        // Whatever saves next writes the survivor's own cells back.
        form->SaveDesign();
        form->FormActivate();
        form->SaveDesign();
        EXPECT_EQ(storedCells(*dm->database(), "TRIAL"), without(before, no));
    }
};

TEST_F(DeletePage, DeletingTheFirstOfTwoDesignsKeepsTheOthersCells) {
    makeProject(2);
    deleteAndCheck(1);
}

TEST_F(DeletePage, DeletingTheSecondOfTwoDesignsKeepsTheOthersCells) {
    makeProject(2);
    deleteAndCheck(2);
}

TEST_F(DeletePage, DeletingAMiddleDesignKeepsEveryOtherDesignsCells) {
    makeProject(5);
    deleteAndCheck(3);
    deleteAndCheck(1);
    deleteAndCheck(5);
}

TEST_F(DeletePage, DeletingTheOnlyDesignLeavesAnEmptyDisabledPage) {
    makeProject(1);
    messages.answers = {DlgButton::Yes};
    page->DelBtn->click();
    EXPECT_EQ(rowCount(*dm->database(), "DesignImage", "Project_Ref = 'TRIAL'"), 0);
    EXPECT_EQ(form->Grid.mode(0, 0), "NONE");
    EXPECT_FALSE(page->SystemTypeCB->isEnabled());
}

namespace {

// Counts the paint events a widget receives.
struct PaintCounter : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) ++paints;
        return false;
    }
};

}  // namespace

TEST_F(Page, TheElevationReplacesTheGridAndFollowsEveryChangeAtOnce) {
    page->ElevationViewBtn->click();
    QApplication::processEvents();
    ASSERT_TRUE(page->Elevation->isVisible());
    EXPECT_FALSE(page->KGrid1->isVisible());
    PaintCounter counter;
    page->Elevation->installEventFilter(&counter);

    // A width counts while it is typed, before the box writes it.
    const double stored = dm->DesignTable.fieldByName("DimH1").asFloat();
    widgets::DBEdit* box = page->DimH[0];
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, "750");
    QApplication::processEvents();
    EXPECT_GT(counter.paints, 0);
    EXPECT_EQ(page->elevationSource().dims.H[0], 750);
    EXPECT_EQ(dm->DesignTable.fieldByName("DimH1").asFloat(), stored);

    // Another design is drawn at once.
    counter.paints = 0;
    const QString before = page->elevationSource().designRef;
    page->NextBtn->click();
    QApplication::processEvents();
    EXPECT_GT(counter.paints, 0);
    EXPECT_NE(page->elevationSource().designRef, before);
    EXPECT_TRUE(page->elevationSource().grid == form->Grid);

    // A cleared design draws nothing but its note; the grid comes back on its switch.
    counter.paints = 0;
    page->ClearImage->click();
    QApplication::processEvents();
    EXPECT_GT(counter.paints, 0);
    EXPECT_TRUE(reports::elevationGeometry(page->elevationSource()).empty);
    page->GridViewBtn->click();
    QApplication::processEvents();
    EXPECT_TRUE(page->KGrid1->isVisible());
    EXPECT_FALSE(page->Elevation->isVisible());
}
