// Undo and Redo through the DESIGN page, compared with the rows in the file.
#include "calc/Calculation.h"
#include "design/DesignSnapshot.h"
#include "store/Query.h"
#include "support/PageFixture.h"
#include "ui/design/DesignGrid.h"
#include "ui/design/DesignUndo.h"
#include "ui/exchange/RefForms.h"
#include "widgets/DataControls.h"

#include <QComboBox>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QUndoStack>

using testing_support::rowCount;

namespace {

struct Undo : Page {
    ui::design::DesignUndo& undo() { return *page->Undo; }
    // The step's name as the Edit menu shows it.
    QString undoText() { return undo().UndoAction->text().remove('&'); }
    QString redoText() { return undo().RedoAction->text().remove('&'); }
    // Lets the page take what just changed as a step.
    void settle() { QApplication::processEvents(); }

    // The design's stored rows and its project's, results and costs left out
    // (an undo marks them as not current).
    QStringList stored() {
        QStringList lines;
        const design::DesignRows rows = design::readDesignRows(*dm->database(), ref(), designNo());
        for (const auto& t : rows.tables) {
            if (t.table == "DesignResults" || t.table == "DesignCosting") continue;
            for (const QVariantList& row : t.rows) {
                QStringList values;
                for (int i = 0; i < t.fields.size(); ++i)
                    if (!calc::DesignResultFields.contains(t.fields[i]))
                        values << t.fields[i] + "=" + row[i].toString();
                lines << t.table + ":" + values.join(",");
            }
        }
        store::Query p(dm->database(), "Select * from Project Where Project_Ref=?");
        p.setSql(p.sql(), {ref()});
        p.open();
        for (int i = 0; i < p.fieldCount(); ++i)
            lines << "Project:" + p.field(i).asString();
        return lines;
    }
    void type(widgets::DBEdit* box, const QString& text) {
        box->setEnabled(true); // as a typed cell enables it
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, text);
        QTest::keyClick(box, Qt::Key_Return);
        settle();
    }
    void choose(widgets::DBComboBox* box, const QString& text) {
        box->setFocus();
        const int i = box->findText(text);
        ASSERT_GE(i, 0) << text.toStdString();
        box->setCurrentIndex(i);
        emit box->activated(i);
        page->KGrid1->setFocus(); // leaving the box finishes its step
        settle();
    }
    // An entry of the list other than the one shown.
    static QString other(QComboBox* box) {
        for (int i = 0; i < box->count(); ++i)
            if (box->itemText(i) != box->currentText()) return box->itemText(i);
        return {};
    }
};

TEST_F(Undo, EachKindOfStepIsUndoneAndRedoneAsStored) {
    page->AddBtn->click();
    settle();
    EXPECT_EQ(undoText(), "Undo Add Design");
    QList<QStringList> states{stored()};
    QStringList names;
    auto step = [&](const QString& name, const std::function<void()>& edit) {
        edit();
        settle();
        EXPECT_EQ(undoText(), "Undo " + name);
        names << name;
        form->SaveDesign();
        states << stored();
        EXPECT_NE(states.last(), states[states.size() - 2]) << name.toStdString();
    };
    step("System Type", [&] { choose(page->SystemTypeCB, "Casement"); });
    step("System Name", [&] { choose(page->SystemNameCB, "Casement 38"); });
    step("Cell Type", [&] {
        page->KGrid1->setSelection({1, 2, 1, 2});
        page->UpdatePopup();
        menuItem("Top")->trigger();
    });
    step("Merge Cells", [&] {
        page->KGrid1->setSelection({2, 4, 2, 5});
        page->MergeImage->click();
    });
    step("Width of column 2", [&] { type(page->DimH[1], "600"); });
    step("Height of row 3", [&] { type(page->DimV[2], "450"); });
    step("Finish", [&] { choose(page->FinishCB, other(page->FinishCB)); });
    step("Wind Load", [&] { choose(page->WindLoadCB, "2000"); });
    step("Quantity", [&] { type(page->DesignQtyEdit, "4"); });
    step("Reference", [&] { type(page->DesignRefEdit, "W7"); });
    step("Glazing Supplier", [&] { choose(page->SupplierCB, other(page->SupplierCB)); });
    step("Mullion Profile", [&] { choose(page->ProfileCB[3], other(page->ProfileCB[3])); });
    step("Unmerge Cells", [&] {
        page->KGrid1->setSelection({2, 4, 2, 4});
        page->MergeImage->click();
    });
    step("Clear Design", [&] { page->ClearImage->click(); });
    step("Project Name", [&] { type(form->ProjectNameEdit, "Renamed"); });

    // Back to the new design, each step's rows as stored before it, with no save between.
    for (int i = int(names.size()) - 1; i >= 0; --i) {
        EXPECT_EQ(undoText(), "Undo " + names[i]);
        undo().undo();
        EXPECT_EQ(stored(), states[i]) << "undo " << names[i].toStdString();
        EXPECT_EQ(redoText(), "Redo " + names[i]);
    }
    EXPECT_EQ(form->Grid, design::GridModel());
    // ... and forward again.
    for (int i = 0; i < names.size(); ++i) {
        undo().redo();
        EXPECT_EQ(stored(), states[i + 1]) << "redo " << names[i].toStdString();
        // The page shows what is stored: the grid as saved again is the same.
        form->SaveDesign();
        EXPECT_EQ(stored(), states[i + 1]);
    }
    EXPECT_FALSE(undo().RedoAction->isEnabled());
    EXPECT_TRUE(messages.errors.isEmpty()) << messages.errors.join("\n").toStdString();
}

TEST_F(Undo, UndoingDeleteDesignBringsBackEveryRowUnderItsNumberWhileFree) {
    page->CalcBtn->click(); // results and costs, to come back with the design
    const int no = designNo();
    const design::DesignRows before = design::readDesignRows(*dm->database(), ref(), no);
    ASSERT_NE(before.rowsOf("DesignCosting"), nullptr);
    ASSERT_EQ(before.rowsOf("DesignImage")->rows.size(), 50u);
    messages.answers = {data::DlgButton::Yes};
    page->DelBtn->click();
    settle();
    ASSERT_TRUE(design::readDesignRows(*dm->database(), ref(), no).empty());
    EXPECT_EQ(undoText(), "Undo Delete Design");
    undo().undo();
    EXPECT_EQ(designNo(), no);
    const design::DesignRows back = design::readDesignRows(*dm->database(), ref(), no);
    ASSERT_EQ(back.tables.size(), before.tables.size());
    for (size_t t = 0; t < before.tables.size(); ++t) {
        ASSERT_EQ(back.tables[t].rows.size(), before.tables[t].rows.size())
            << before.tables[t].table.toStdString();
        for (size_t r = 0; r < before.tables[t].rows.size(); ++r)
            EXPECT_EQ(back.tables[t].rows[r], before.tables[t].rows[r])
                << before.tables[t].table.toStdString() << " row " << r;
    }
    EXPECT_EQ(form->Grid.mode(0, 0), before.rowsOf("DesignImage")->rows[0][4].toString());

    // Deleted again, and meanwhile another program takes the number: the
    // design comes back under a new one, the other's rows untouched.
    undo().redo();
    EXPECT_TRUE(design::readDesignRows(*dm->database(), ref(), no).empty());
    {
        auto other = store::Database::open(dm->database()->file());
        store::Table design(other.get(), "Design");
        design.open();
        design.append();
        design.fieldByName("Project_Ref").setAsString(ref());
        design.fieldByName("Design_No").setAsInteger(no);
        design.fieldByName("Design_Ref").setAsString("THEIRS");
        design.post();
    }
    undo().undo();
    EXPECT_NE(designNo(), no);
    EXPECT_EQ(design::readDesignRows(*dm->database(), ref(), designNo())
                  .rowsOf("DesignImage")
                  ->rows.size(),
              50u);
    EXPECT_EQ(rowCount(*dm->database(), "Design",
                       "Project_Ref = ?1 AND Design_No = ?2 AND Design_Ref = 'THEIRS'",
                       {ref(), no}),
              1);
    EXPECT_TRUE(messages.errors.isEmpty()) << messages.errors.join("\n").toStdString();
}

TEST_F(Undo, AStepAfterAnUndoDropsTheRedoBranchAndAnEmptyHistoryDoesNothing) {
    // A design never edited: nothing to take back, nothing written.
    const QStringList untouched = stored();
    EXPECT_FALSE(undo().UndoAction->isEnabled());
    EXPECT_EQ(undoText(), "Undo");
    undo().undo();
    undo().redo();
    EXPECT_EQ(stored(), untouched);
    EXPECT_TRUE(messages.texts.isEmpty());

    const double width3 = dm->DesignTable.fieldByName("DimH3").asFloat();
    type(page->DimH[0], "700");
    type(page->DimH[0], "710"); // typed again at once: one step
    type(page->DimH[2], "800");
    QUndoStack* history = undo().group().activeStack();
    EXPECT_EQ(history->count(), 2);
    undo().undo();
    EXPECT_EQ(redoText(), "Redo Width of column 3");
    type(page->DimV[0], "321");
    EXPECT_FALSE(undo().RedoAction->isEnabled());
    undo().redo(); // nothing: the branch is gone
    EXPECT_EQ(dm->DesignTable.fieldByName("DimH3").asFloat(), width3);
    undo().undo();
    undo().undo();
    EXPECT_EQ(stored(), untouched);
    EXPECT_FALSE(undo().UndoAction->isEnabled());
}

TEST_F(Undo, EachDesignKeepsItsHistoryAndCalculatingIsNoStep) {
    const int first = designNo();
    type(page->DimH[0], "1234");
    // A cell typed and not saved yet goes with the design when stepping on.
    page->KGrid1->setSelection({4, 9, 4, 9});
    page->UpdatePopup();
    for (QAction* a : page->PopupMenu1->actions())
        if (a->text() != "Merge/Unmerge" && a->text().toUpper() != form->Grid.mode(4, 9)) {
            a->trigger();
            break;
        }
    settle();
    const QString typed = form->Grid.mode(4, 9);
    page->NextBtn->click();
    settle();
    ASSERT_NE(designNo(), first);
    EXPECT_FALSE(undo().UndoAction->isEnabled()); // the second design's own history
    type(page->DimV[4], "77");
    page->PrevBtn->click();
    settle();
    EXPECT_EQ(form->Grid.mode(4, 9), typed);
    EXPECT_EQ(undoText(), "Undo Cell Type");
    // Calculating, saving and printing change no step.
    page->CalcBtn->click();
    page->ForceSaveBtn->click();
    settle();
    EXPECT_EQ(undo().group().activeStack()->count(), 2);
    undo().undo();
    EXPECT_EQ(undoText(), "Undo Width of column 1");
    undo().undo();
    EXPECT_NE(dm->DesignTable.fieldByName("DimH1").asFloat(), 1234);
    // Its figures changed: the stored results are no longer current.
    EXPECT_EQ(rowCount(*dm->database(), "Design",
                       "Project_Ref = ?1 AND Design_No = ?2 AND U_Factor = 0", {ref(), first}),
              1);
    page->NextBtn->click();
    settle();
    EXPECT_EQ(undoText(), "Undo Height of row 5");

    // A history holds its last hundred steps.
    for (int i = 0; i < ui::design::DesignUndo::StepLimit + 5; ++i)
        type(page->DimV[i % 2], QString::number(300 + i));
    EXPECT_EQ(undo().group().activeStack()->count(), ui::design::DesignUndo::StepLimit);
}

TEST_F(Undo, AnotherProgramsChangeClearsTheHistoryInsteadOfBeingUndone) {
    const int no = designNo();
    type(page->DimH[0], "1111");
    form->SaveDesign();
    ASSERT_TRUE(undo().UndoAction->isEnabled());
    {
        auto other = store::Database::open(dm->database()->file());
        store::Table design(other.get(), "Design");
        design.open();
        ASSERT_TRUE(design.findKey({ref(), no}));
        design.edit();
        design.fieldByName("DimH1").setAsFloat(2222);
        design.post();
    }
    undo().undo();
    EXPECT_EQ(rowCount(*dm->database(), "Design",
                       "Project_Ref = ?1 AND Design_No = ?2 AND DimH1 = 2222", {ref(), no}),
              1);
    EXPECT_FALSE(undo().UndoAction->isEnabled());
    EXPECT_EQ(undo().group().activeStack()->count(), 0);
    EXPECT_TRUE(form->statusBar()->currentMessage().contains("changed by another program"));

    // Changed while another design was shown: found when it is shown again.
    type(page->DimH[1], "900");
    const QString theirs = form->Grid.mode(0, 0) == "TOP" ? "FIXED" : "TOP";
    page->NextBtn->click();
    settle();
    {
        auto other = store::Database::open(dm->database()->file());
        store::Table image(other.get(), "DesignImage");
        image.open();
        ASSERT_TRUE(image.findKey({ref(), no, 0, 0}));
        image.edit();
        image.fieldByName("ModeOfCell").setAsString(theirs);
        image.post();
    }
    page->PrevBtn->click();
    settle();
    EXPECT_EQ(designNo(), no);
    EXPECT_FALSE(undo().UndoAction->isEnabled());
}

TEST_F(Undo, TheEditMenuNamesTheStepAndTheButtonsFollowIt) {
    QMenu* edit = nullptr;
    for (QAction* a : form->menuBar()->actions())
        if (a->text() == "&Edit") edit = a->menu();
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(form->menuBar()->actions().indexOf(edit->menuAction()), 1);
    EXPECT_TRUE(edit->actions().contains(undo().UndoAction));
    EXPECT_EQ(undo().UndoAction->shortcut(), QKeySequence(QKeySequence::Undo));
    EXPECT_TRUE(undo().RedoAction->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_Y)));
    EXPECT_TRUE(
        undo().RedoAction->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)));
    page->AddBtn->click();
    page->KGrid1->setSelection({0, 0, 0, 1});
    page->MergeImage->click();
    settle();
    EXPECT_EQ(undoText(), "Undo Merge Cells");
    EXPECT_EQ(page->UndoBtn->toolTip(), "Undo Merge Cells");
    EXPECT_TRUE(page->UndoBtn->isEnabled());
    page->KGrid1->setFocus();
    QTest::keyClick(page->KGrid1, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(form->Grid.span(0, 0), (design::Span{1, 1}));
    EXPECT_EQ(page->RedoBtn->toolTip(), "Redo Merge Cells");
    // Undo Add Design: the design goes, and can come back.
    const int added = designNo();
    page->UndoBtn->click();
    EXPECT_EQ(
        rowCount(*dm->database(), "Design", "Project_Ref = ?1 AND Design_No = ?2", {ref(), added}),
        0);
    EXPECT_NE(designNo(), added);
    EXPECT_EQ(redoText(), "Redo Add Design");
    page->RedoBtn->click();
    EXPECT_EQ(designNo(), added);
    EXPECT_EQ(rowCount(*dm->database(), "DesignMerge", "Project_Ref = ?1 AND Design_No = ?2",
                       {ref(), added}),
              50);

    // Copy Design likewise, as the copy's first step.
    QTimer::singleShot(0, [this] {
        page->DesignRefForm->RefEdit->setText("C1");
        page->DesignRefForm->OKBtn->click();
    });
    page->CopyBtn->click();
    settle();
    const int copy = designNo();
    EXPECT_EQ(undoText(), "Undo Copy Design");
    page->UndoBtn->click();
    EXPECT_EQ(
        rowCount(*dm->database(), "Design", "Project_Ref = ?1 AND Design_No = ?2", {ref(), copy}),
        0);
    page->RedoBtn->click();
    EXPECT_EQ(rowCount(*dm->database(), "Design",
                       "Project_Ref = ?1 AND Design_No = ?2 AND Design_Ref = 'C1'", {ref(), copy}),
              1);
    EXPECT_TRUE(messages.errors.isEmpty()) << messages.errors.join("\n").toStdString();
}

} // namespace

namespace {

TEST_F(Undo, AnUndoTheStoreRefusesLeavesTheFileAndTheScreenAsTheyWere) {
    type(page->DimH[0], "1500");
    page->KGrid1->setSelection({0, 8, 0, 9});
    page->MergeImage->click();
    settle();
    form->SaveDesign();
    const QStringList before = stored();
    // Another cursor holds the design table's write lock.
    store::Table holder(dm->database(), "Design");
    holder.open();
    holder.lockTable();
    undo().undo();
    holder.unlockTable();
    EXPECT_EQ(stored(), before);
    EXPECT_EQ(messages.errors.size(), 1);
    // The page shows the file again: the merge stands, the history is gone.
    EXPECT_EQ(form->Grid.span(0, 8), (design::Span{2, 1}));
    EXPECT_EQ(dm->DesignTable.fieldByName("DimH1").asFloat(), 1500);
    EXPECT_FALSE(undo().UndoAction->isEnabled());
}

} // namespace
