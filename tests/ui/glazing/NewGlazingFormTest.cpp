#include "ui/glazing/NewGlazingForm.h"

#include "support/PageFixture.h"
#include "widgets/DataControls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QMenuBar>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QToolButton>

using testing_support::rowCount;
using ui::glazing::TNewGlazingForm;

namespace {

struct NewGlazing : Page {
    int rows(const char* table, const QString& code) {
        return rowCount(*dm->database(), table, "Glass_Code=?", {code});
    }
    void tick(TNewGlazingForm& f, const QString& text) {
        const auto items = f.TargetList->findItems(text, Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1) << text.toStdString();
        items.front()->setCheckState(Qt::Checked);
    }
    void useGlass(const QString& code) {
        dm->DesignTable.first();
        dm->DesignTable.edit();
        dm->DesignTable.fieldByName("Glass_Code").setAsString(code);
        dm->DesignTable.post();
    }
};

} // namespace

TEST_F(NewGlazing, FiguresFollowTheLayersAndAGlazingIsSavedEditedAndDeleted) {
    TNewGlazingForm f(*dm, messages);
    EXPECT_TRUE(f.ResultLabel->text().contains("U_COG : 2.70 W/m\u00b2K    SHGC_COG : 0.70"))
        << f.ResultLabel->text().toStdString();
    f.GasCB[0]->setCurrentText("neon");
    EXPECT_TRUE(f.ResultLabel->text().contains("unknown gas"));
    EXPECT_FALSE(f.SaveBtn->isEnabled());
    f.GasCB[0]->setCurrentText("argon90");
    f.PaneCB[1]->setCurrentText("lowe-soft6");
    EXPECT_TRUE(f.ResultLabel->text().contains("low-e on surface 3"));
    EXPECT_TRUE(f.ResultLabel->text().contains("U_COG : 1.44"));
    f.TurnCheck[1]->setChecked(true);
    EXPECT_TRUE(f.ResultLabel->text().contains("low-e on surface 4"));
    f.TurnCheck[1]->setChecked(false);
    EXPECT_TRUE(f.SaveBtn->isEnabled());

    f.SupplierCB->setCurrentText("Orvane");
    f.CodeEdit->setText("MY-LE");
    f.SaveBtnClick();
    EXPECT_EQ(messages.texts.value(messages.texts.size() - 1), "no system and finish chosen");
    EXPECT_EQ(rows("Glazing", "MY-LE"), 0);
    // Single-pane systems are not offered a double unit.
    EXPECT_TRUE(f.TargetList->findItems("Slider 30 / Powder Coat", Qt::MatchExactly).isEmpty());
    tick(f, "Casement 38 / Powder Coat");
    f.SaveBtnClick();
    ASSERT_EQ(rows("Glazing", "MY-LE"), 1) << messages.texts.join("\n").toStdString();
    const int values =
        rowCount(*dm->database(), "SystemValues", "Glass_Code=? and System_Name=? and Finish=?",
                 {"OR-DG6126", "Casement 38", "Powder Coat"});
    EXPECT_EQ(rows("SystemValues", "MY-LE"), values);
    EXPECT_EQ(f.MadeHereCB->currentText(), "MY-LE");

    // A second opening shows the stored layers again; saving replaces the rows.
    TNewGlazingForm g(*dm, messages);
    g.MadeHereCB->setCurrentIndex(g.MadeHereCB->findText("MY-LE"));
    emit g.MadeHereCB->activated(g.MadeHereCB->currentIndex());
    EXPECT_EQ(g.PaneCB[1]->currentText(), "lowe-soft6");
    EXPECT_EQ(g.GasCB[0]->currentText(), "argon90");
    EXPECT_EQ(g.DescEdit->text(), "6-12-6 Argon90, low-e surface 3");
    ASSERT_EQ(g.TargetList->findItems("Casement 38 / Powder Coat", Qt::MatchExactly)
                  .front()
                  ->checkState(),
              Qt::Checked);
    g.PaneCountSpin->setValue(3);
    g.PaneCB[2]->setCurrentText("clear4");
    g.SaveBtnClick();
    EXPECT_EQ(rowCount(*dm->database(), "Glazing", "Glass_Code=? and Glass_Type=? and U_COG < 1.3",
                       {"MY-LE", "Triple"}),
              1)
        << messages.texts.join("\n").toStdString();
    EXPECT_EQ(rows("SystemValues", "MY-LE"), values);

    // Refused while a design uses it; deleted with all its rows once free.
    useGlass("MY-LE");
    messages.answers = {data::DlgButton::Yes};
    g.DeleteBtnClick();
    EXPECT_TRUE(messages.texts.last().contains("used by design"))
        << messages.texts.last().toStdString();
    EXPECT_EQ(rows("Glazing", "MY-LE"), 1);
    useGlass("OR-6CL");
    messages.answers = {data::DlgButton::Yes};
    g.DeleteBtnClick();
    for (const char* table : {"Glazing", "SystemValues", "SystemGlass"})
        EXPECT_EQ(rows(table, "MY-LE"), 0) << table;
    EXPECT_EQ(g.MadeHereCB->count(), 1);
}

TEST_F(NewGlazing, TheDesignPagesButtonOffersTheSavedGlazingAtOnce) {
    QToolButton* button = nullptr;
    for (QToolButton* b : page->findChildren<QToolButton*>())
        if (b->text() == QStringLiteral("New Glazing\u2026")) button = b;
    ASSERT_NE(button, nullptr);
    // The Project menu offers the same window.
    QAction* item = nullptr;
    for (QAction* a : form->menuBar()->actions().front()->menu()->actions())
        if (a->text() == QStringLiteral("New &Glazing\u2026")) item = a;
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(item->isEnabled());
    bool filled = false;
    QTimer::singleShot(0, [&] {
        auto* f = qobject_cast<TNewGlazingForm*>(QApplication::activeModalWidget());
        ASSERT_NE(f, nullptr);
        f->SupplierCB->setCurrentText("Orvane");
        f->CodeEdit->setText("MY-DG");
        f->TargetList->findItems("Casement 38 / Powder Coat", Qt::MatchExactly)
            .front()
            ->setCheckState(Qt::Checked);
        f->SaveBtnClick();
        filled = true;
        f->reject();
    });
    EXPECT_EQ(page->GlazingCB->findText("MY-DG"), -1);
    button->click();
    ASSERT_TRUE(filled);
    EXPECT_GE(page->GlazingCB->findText("MY-DG"), 0) << messages.texts.join("\n").toStdString();
}
