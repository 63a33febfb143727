// The SANS 204 side of the main window: its two pages, its menu entries and
// what showing and leaving those pages does.
#include "MainForm.h"
#include "compliance/Storeys.h"
#include "store/Table.h"
#include "ui/compliance/ResultsPage.h"
#include "ui/compliance/SansPage.h"
#include "ui/compliance/SansWindows.h"

#include <QAction>
#include <QMenu>
#include <QTabWidget>
#include <QVBoxLayout>

namespace ui::main {

void TMainForm::buildSansPages() {
    SansPage = new ui::compliance::TSansPage(DM, messages_);
    (new QVBoxLayout(TabSheet3))->addWidget(SansPage);
    SansPage->recalculateAll = [this] {
        if (!designScreen_) return;
        store::Table& design = DM.DesignTable;
        for (design.first(); !design.eof(); design.next())
            designScreen_->calculate();
        design.first();
    };
    SansPage->showResults = [this] {
        PageControl1->setTabVisible(3, true);
        PageControl1->setCurrentIndex(3);
    };
    ResultsPage = new ui::compliance::TResultsPanel(DM, messages_,
                                                    ui::compliance::TResultsPanel::Place::Page);
    (new QVBoxLayout(TabSheet4))->addWidget(ResultsPage);
}

void TMainForm::addSansActions(QMenu* compliance) {
    SansAction =
        compliance->addAction(QStringLiteral("SANS 204 (Deemed to Satisfy)"), this, [this] {
            PageControl1->setTabVisible(2, true);
            PageControl1->setCurrentIndex(2);
        });
    SansAction->setStatusTip(
        QStringLiteral("Judge the project's windows storey by storey against SANS 204"));
    SansCalcAction =
        compliance->addAction(QStringLiteral("SANS 204 Calculation\u2026"), this, [this] {
            guarded([this] { DesignBtnClick(); });
            if (!SANSForm) SANSForm = new ui::compliance::TSANSForm(DM, messages_, this);
            SANSForm->exec();
        });
    SansCalcAction->setStatusTip(QStringLiteral("Perform U-Factor Calculation"));
}

void TMainForm::sansPageShown(int index) {
    if (index == 2) SansPage->TabSheet3Show();
    if (index == 3) ::compliance::linkProjectResults(DM);
}

void TMainForm::sansPageHidden(int index) {
    if (index != 3) return;
    PageControl1->setTabVisible(3, false);
    if (DM.DesignTable.active()) DM.DesignTable.first();
}

} // namespace ui::main
