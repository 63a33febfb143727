#include "data/DataModule.h"
#include "support/PageFixture.h"
#include "support/TestSupport.h"
#include "ui/design/DesignPage.h"
#include "ui/exchange/ImageForm.h"
#include "ui/exchange/RefForms.h"
#include "ui/exchange/StandardsForm.h"
#include "ui/design/DesignUndo.h"
#include "ui/main/MainForm.h"
#include "widgets/DataControls.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

using testing_support::RecordingMessages;
using testing_support::rowCount;

namespace {

// The main window with its DESIGN page on a folder seeded with the shipped data.
struct Commands : Page {
    // Types `text` into the reference window that opens next and presses OK.
    static void answer(ui::exchange::TRefForm* window, const QString& text) {
        QTimer::singleShot(0, [window, text] {
            window->RefEdit->setText(text);
            window->OKBtn->click();
        });
    }
    QString projectRef() { return dm->ProjectTable.fieldByName("Project_Ref").asString(); }
};

} // namespace

TEST_F(Commands, CopyDesignShowsTheNewDesignWithTheCellsOnScreen) {
    ASSERT_EQ(projectRef(), "SAMPLE-HOUSE");
    const int designs = dm->DesignTable.recordCount();
    // A cell typed but not yet saved is part of the copy.
    form->Grid.setMode(4, 9, "FIXED");
    answer(page->DesignRefForm, "W01-B");
    page->CopyBtn->click();
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join("|").toStdString();
    EXPECT_EQ(dm->DesignTable.fieldByName("Design_No").asInteger(), designs + 1);
    EXPECT_EQ(page->DesignRefEdit->text(), "W01-B");
    EXPECT_EQ(form->Grid.mode(4, 9), "FIXED");
    EXPECT_EQ(rowCount(*dm->database(), "DesignImage",
                       "Project_Ref = 'SAMPLE-HOUSE' AND Design_No = ?1 AND Row = 4 AND Column = 9 "
                       "AND ModeOfCell = 'FIXED'",
                       {designs + 1}),
              1);
    // The picture in the command row runs the same command; Cancel copies nothing.
    QTimer::singleShot(0, [this] { page->DesignRefForm->CancelBtn->click(); });
    page->CopyDesignBtn->click();
    EXPECT_EQ(dm->DesignTable.recordCount(), designs + 1);
    answer(page->DesignRefForm, "");
    page->CopyDesignBtn->click();
    EXPECT_EQ(messages.texts, QStringList{"New Reference can NOT be blank!"});
    EXPECT_EQ(dm->DesignTable.recordCount(), designs + 1);
}

TEST_F(Commands, CopyProjectFromTheMenuAndTheHeaderPicture) {
    ASSERT_EQ(form->CopyProjectAction->text(), "&Copy Project");
    const int designs = dm->DesignTable.recordCount();
    answer(form->ProjectRefForm, "HOUSE-B");
    form->CopyProjectAction->trigger();
    EXPECT_EQ(projectRef(), "HOUSE-B");
    EXPECT_EQ(form->ProjectRefEdit->text(), "HOUSE-B");
    EXPECT_EQ(form->ProjectNameEdit->text(), "Sample House - Double Storey -");
    EXPECT_EQ(dm->DesignTable.recordCount(), designs);
    // The grid shows the copy's first design, the sample's W01.
    EXPECT_EQ(page->DesignRefEdit->text(), "W01");
    EXPECT_NE(form->Grid.mode(0, 0), "NONE");
    EXPECT_EQ(
        rowCount(*dm->database(), "DesignImage",
                 "Project_Ref = 'HOUSE-B' AND Design_No = ?1 AND Row = 0 AND Column = 0 "
                 "AND ModeOfCell = ?2",
                 {dm->DesignTable.fieldByName("Design_No").asInteger(), form->Grid.mode(0, 0)}),
        1);
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join("|").toStdString();

    // An existing reference: the warning, nothing copied, and that project shown.
    const int projects = rowCount(*dm->database(), "Project");
    answer(form->ProjectRefForm, "_Slider 30");
    form->CopyProjectBtn->click();
    EXPECT_EQ(messages.texts,
              QStringList{"WARNING - Project Reference Already Exists, project NOT Copied"});
    EXPECT_EQ(rowCount(*dm->database(), "Project"), projects);
    EXPECT_EQ(form->ProjectRefEdit->text(), "_Slider 30");
}

TEST_F(Commands, AStandardDesignChosenInTheIndexIsAppliedToTheDesignShown) {
    page->AddBtn->click();
    const int no = dm->DesignTable.fieldByName("Design_No").asInteger();
    dm->DesignTable.edit();
    dm->DesignTable.fieldByName("Design_Ref").setAsString("NEW");
    dm->DesignTable.fieldByName("System_Type").setAsString("Casement");
    dm->DesignTable.fieldByName("System_Name").setAsString("Casement 38");
    dm->DesignTable.post();
    page->UpdateOptions();
    emit page->SystemNameCB->activated(page->SystemNameCB->currentIndex());
    ASSERT_TRUE(page->StandardsBtn->isEnabled());

    // The index opens first; its third slot is the third design, C38-03; then OK.
    bool indexSeen = false, done = false;
    int waited = 0;
    QTimer driver;
    QObject::connect(&driver, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == page->StandardsForm->ImageForm && !indexSeen) {
            indexSeen = true;
            QTest::mouseClick(page->StandardsForm->ImageForm->Image[2], Qt::LeftButton);
        } else if (modal == page->StandardsForm && indexSeen && !done) {
            // OK only once the list stands on the design the index chose; a
            // list that never gets there is cancelled and the test fails.
            store::DataSet& list = page->StandardsForm->StandardsQuery;
            if (list.active() && list.fieldByName("Design_Ref").asString() == "C38-03") {
                done = true;
                page->StandardsForm->OKBtn->click();
            } else if (++waited > 500) {
                page->StandardsForm->CancelBtn->click();
            }
        }
    });
    driver.start(10);
    page->StandardsBtn->click();
    driver.stop();
    ASSERT_TRUE(done);
    EXPECT_EQ(dm->DesignTable.fieldByName("Design_No").asInteger(), no);
    EXPECT_EQ(dm->DesignTable.fieldByName("Design_Ref").asString(), "NEW");
    EXPECT_EQ(dm->DesignTable.fieldByName("DimH2").asFloat(), 1200); // C38-03 is 600 + 1200 + 600
    EXPECT_EQ(page->DimH[1]->text(), "1200");
    EXPECT_NE(form->Grid.mode(0, 0), "NONE");
    EXPECT_FALSE(page->StandardsBtn->isEnabled());
    // The standard design is one step: taken back and done again whole.
    EXPECT_EQ(page->Undo->UndoAction->text(), "&Undo Standard Design");
    page->Undo->undo();
    EXPECT_EQ(form->Grid, design::GridModel());
    EXPECT_EQ(rowCount(*dm->database(), "DesignImage", "Project_Ref = 'SAMPLE-HOUSE' AND Design_No = ?1 AND ModeOfCell <> 'NONE'", {no}), 0);
    EXPECT_EQ(dm->DesignTable.fieldByName("Design_Ref").asString(), "NEW");
    page->Undo->redo();
    EXPECT_EQ(dm->DesignTable.fieldByName("DimH2").asFloat(), 1200);
    EXPECT_NE(form->Grid.mode(0, 0), "NONE");
}
