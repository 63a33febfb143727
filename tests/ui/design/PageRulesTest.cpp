// The DESIGN page's rules as the user meets them: which boxes are enabled and
// stay so through saves, messages in the words on the screen, stale glazing
// details, clicks that select, the selection outline and list entries.
#include "support/PageFixture.h"
#include "design/GridModel.h"
#include "store/Query.h"
#include "store/Table.h"
#include "ui/design/DesignGrid.h"
#include "widgets/DataControls.h"

#include <QAbstractItemView>
#include <QLabel>
#include <QStyledItemDelegate>
#include <QTest>
#include <QToolButton>

using testing_support::rowCount;

namespace {

struct PageRules : Page {};

// The caption label whose buddy is `box`.
QLabel* captionOf(QWidget* window, QWidget* box) {
    for (QLabel* l : window->findChildren<QLabel*>())
        if (l->buddy() == box) return l;
    return nullptr;
}

QStringList enabledDimensions(const ui::design::TDesignPage& page) {
    QStringList on;
    for (size_t i = 0; i < page.DimH.size(); ++i)
        if (page.DimH[i]->isEnabled()) on << QStringLiteral("H%1").arg(i + 1);
    for (size_t j = 0; j < page.DimV.size(); ++j)
        if (page.DimV[j]->isEnabled()) on << QStringLiteral("V%1").arg(j + 1);
    return on;
}

}  // namespace

// Enabling is the page's: a save (which refreshes every bound box) changes
// none of it.
TEST_F(PageRules, EnabledBoxesStaySoThroughSaves) {
    page->ClearImage->click();
    EXPECT_TRUE(enabledDimensions(*page).isEmpty());
    form->SaveDesign();
    QApplication::processEvents();
    EXPECT_TRUE(enabledDimensions(*page).isEmpty()) << enabledDimensions(*page).join(",").toStdString();

    // A typed 2 x 1 cell at (1, 2), selected: its two width boxes and its height box.
    page->KGrid1->setSelection({1, 2, 1, 3});
    page->MergeImageClick();
    form->Grid.SetCellMode(1, 2, "FIXED");
    page->KGrid1->setSelection({1, 2, 1, 2});
    page->KGrid1->repaint();
    const QStringList expected{"H3", "H4", "V2"};
    EXPECT_EQ(enabledDimensions(*page), expected);
    form->SaveDesign();
    QTest::keyClicks(page->DesignRefEdit, "X");
    page->DesignQtyEdit->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(enabledDimensions(*page), expected);

    // "Next Design" on the last design: the specification is disabled and
    // stays so although the refresh saved the design; "Previous" brings it back.
    dm->DesignTable.last();
    form->DesignBtnClick();
    page->NextBtn->click();
    EXPECT_FALSE(page->SystemTypeCB->isEnabled());
    EXPECT_FALSE(page->DesignRefEdit->isEnabled());
    EXPECT_FALSE(page->DesignQtyEdit->isEnabled());
    form->SaveDesign();
    QApplication::processEvents();
    EXPECT_FALSE(page->DesignRefEdit->isEnabled());
    EXPECT_FALSE(page->DesignQtyEdit->isEnabled());
    // The caption greys with its box.
    QLabel* qty = captionOf(form.get(), page->DesignQtyEdit);
    ASSERT_TRUE(qty);
    EXPECT_EQ(qty->text(), "Qty :");
    EXPECT_FALSE(qty->isEnabled());
    page->PrevBtn->click();
    EXPECT_TRUE(page->DesignRefEdit->isEnabled());
    EXPECT_TRUE(qty->isEnabled());
    ASSERT_TRUE(captionOf(form.get(), page->SystemTypeCB));
    EXPECT_TRUE(captionOf(form.get(), page->SystemTypeCB)->isEnabled());
}

// A letter in a number box is said once, by the box's caption; the stored
// value comes back into the box.
TEST_F(PageRules, ABadValueIsReportedOnceInTheWordsOfTheScreen) {
    QLineEdit* wl = form->WLoadCB->lineEdit();
    ASSERT_TRUE(wl);
    form->WLoadCB->setFocus();
    wl->selectAll();
    QTest::keyClicks(wl, "New User");
    form->ProjectNameEdit->setFocus();
    QApplication::processEvents();
    form->SaveDesign();
    page->NextBtn->click();
    EXPECT_EQ(messages.errors, QStringList{"Project W/L must be a number"});
    EXPECT_EQ(form->WLoadCB->currentText(), "1000");
    EXPECT_EQ(rowCount(*dm->database(), "Project", "Project_Ref = 'SAMPLE-HOUSE' AND Def_WL = 1000"), 1);

    messages.errors.clear();
    form->ProjectDateEdit->setFocus();
    form->ProjectDateEdit->selectAll();
    QTest::keyClicks(form->ProjectDateEdit, "soon");
    form->ProjectNameEdit->setFocus();
    QApplication::processEvents();
    form->SaveDesign();
    EXPECT_EQ(messages.errors, QStringList{"Project Date must be a date (dd/mm/yyyy)"});

    // Hints in plain words.
    EXPECT_EQ(page->DimH[0]->toolTip(), "Width of column 1 in mm: a number of 0 or more");
    EXPECT_EQ(page->DimV[1]->toolTip(), "Height of row 2 in mm: a number of 0 or more");
    EXPECT_EQ(widgets::controlCaption(page->DimH[9]), "Width of column 10");
    EXPECT_EQ(widgets::controlCaption(form->DesignedByEdit), "Designed By");
}

// A new design shows nothing of the design shown before it.
TEST_F(PageRules, ANewDesignShowsNoGlazingDetailsOfTheLastOne) {
    ASSERT_FALSE(page->SAGDBEdit->text().isEmpty());
    ASSERT_TRUE(page->GlazingInfoBtn->isEnabled());
    const QImage logo = page->SupplierImage->pixmap().toImage();
    page->AddBtn->click();
    ASSERT_TRUE(dm->DesignTable.fieldByName("Glass_Supplier").asString().isEmpty());
    EXPECT_TRUE(page->SAGDBEdit->text().isEmpty());
    EXPECT_TRUE(page->IGDBEdit->text().isEmpty());
    EXPECT_TRUE(page->GlazingDetailsEdit->text().isEmpty());
    EXPECT_FALSE(page->GlazingInfoBtn->isEnabled());
    EXPECT_NE(page->SupplierImage->pixmap().toImage(), logo);
    // Back on the first design, its details return.
    dm->DesignTable.first();
    form->DesignBtnClick();
    EXPECT_FALSE(page->SAGDBEdit->text().isEmpty());
    EXPECT_EQ(page->SupplierImage->pixmap().toImage(), logo);
}

TEST_F(PageRules, ClicksSelectWholeNumbersAndTheOutlineTakesMergedCellsWhole) {
    for (widgets::DBEdit* box : {page->DimH[0], page->DesignQtyEdit}) {
        ASSERT_TRUE(box->isEnabled());
        ASSERT_FALSE(box->text().isEmpty());
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(3, box->height() / 2));
        EXPECT_EQ(box->selectedText(), box->text());
    }
    // The reference box keeps the plain click.
    QTest::mouseClick(page->DesignRefEdit, Qt::LeftButton, {}, QPoint(3, 5));
    EXPECT_TRUE(page->DesignRefEdit->selectedText().isEmpty());

    page->ClearImage->click();
    page->KGrid1->setSelection({1, 1, 2, 2});
    page->MergeImageClick();
    ASSERT_EQ(form->Grid.span(1, 1).ColSpan, 2);
    int r0, r1, c0, c1;
    // A covered cell of the 2 x 2 area selects the outline of the whole area.
    page->KGrid1->setSelection({2, 2, 2, 2});
    page->KGrid1->selectedArea(r0, r1, c0, c1);
    EXPECT_EQ(QList<int>({r0, r1, c0, c1}), QList<int>({1, 2, 1, 2}));
    // A drag from outside into the area takes it in whole.
    page->KGrid1->setSelection({0, 0, 1, 1});
    page->KGrid1->selectedArea(r0, r1, c0, c1);
    EXPECT_EQ(QList<int>({r0, r1, c0, c1}), QList<int>({0, 2, 0, 2}));
    // A plain cell is itself.
    page->KGrid1->setSelection({4, 9, 4, 9});
    page->KGrid1->selectedArea(r0, r1, c0, c1);
    EXPECT_EQ(QList<int>({r0, r1, c0, c1}), QList<int>({4, 4, 9, 9}));
}

// An inactive profile keeps its leading space in the list (it is stored so)
// but is drawn without it.
TEST_F(PageRules, InactiveProfilesAreDrawnTrimmed) {
    const QString system = dm->DesignTable.fieldByName("System_Name").asString();
    store::Query q(dm->database(), "Select * from SystemProfile Where System_Name=?");
    q.setSql(q.sql(), {system});
    q.open();
    ASSERT_FALSE(q.isEmpty());
    const QString type = q.fieldByName("Profile_Type").asString();
    const QString desc = q.fieldByName("Profile_Desc").asString();
    q.close();
    store::Table profiles(dm->database(), "SystemProfile");
    profiles.open();
    for (profiles.first(); !profiles.eof(); profiles.next()) {
        if (profiles.fieldByName("System_Name").asString() != system ||
            profiles.fieldByName("Profile_Desc").asString() != desc)
            continue;
        profiles.edit();
        profiles.fieldByName("Active").setValue(false);
        profiles.post();
    }
    page->UpdateOptions();
    bool found = false;
    for (widgets::DBComboBox* box : page->ProfileCB) {
        const int i = box->findText(" " + desc);
        if (i < 0) continue;
        found = true;
        auto* delegate = qobject_cast<QStyledItemDelegate*>(box->view()->itemDelegate());
        ASSERT_TRUE(delegate);
        EXPECT_EQ(delegate->displayText(box->itemText(i), QLocale()), desc);
    }
    EXPECT_TRUE(found) << type.toStdString();
}
