// The page as a whole: its layout, the main window's steps it implements,
// calculating and reporting the shown design.
#include "DesignPage.h"

#include <QApplication>

#include "DesignGrid.h"
#include "DesignUndo.h"
#include "data/DataModule.h"
#include "store/Query.h"
#include "store/StoreError.h"
#include "ui/main/Icons.h"
#include "ui/main/MainForm.h"
#include "ui/main/ServerSettingsForm.h"
#include "ui/exchange/RefForms.h"
#include "ui/exchange/StandardsForm.h"
#include "ui/reports/Preview.h"
#include "widgets/DataControls.h"

#include <QDesktopServices>
#include <QGridLayout>
#include <QUrl>
#include <QVBoxLayout>

namespace ui::design {

TDesignPage::~TDesignPage() {
    // Focus leaving the page saves the design; it must leave while the page is
    // whole, not while its boxes are being destroyed (the save's events would
    // reach a page half gone).
    if (QWidget* focused = QApplication::focusWidget(); focused && isAncestorOf(focused))
        focused->clearFocus();
    QObject::disconnect(&DM.DesignTable, nullptr, this, nullptr);
}

using store::StoreError;

void TDesignPage::open(const QUrl& url) {
    if (openUrl)
        openUrl(url);
    else
        QDesktopServices::openUrl(url);
}

TDesignPage::TDesignPage(data::TDM& dm, ui::main::TMainForm& main, data::Messages& messages)
    : QWidget(main.designPage()), Calc(dm, messages), DM(dm), main_(main), messages_(messages) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(buildCommands());
    auto* body = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    left->addWidget(buildSpecification());
    left->addWidget(buildGlazing());
    left->addWidget(buildProfiles());
    left->addStretch();
    body->addLayout(left, 0);
    body->addWidget(buildConfiguration(), 1);
    layout->addLayout(body, 1);
    auto* pageLayout = new QVBoxLayout(main.designPage());
    pageLayout->setContentsMargins(0, 0, 0, 0);
    pageLayout->addWidget(this);

    Calc.saveDesign = [this](const ::design::GridModel&) { main_.SaveDesign(); };
    Calc.designShown = [this](calc::DesignView& v) {
        main_.LoadGraphic(true);
        v = view();
    };
    DesignRefForm = new ui::exchange::TDesignRefForm(this);
    StandardsForm = new ui::exchange::TStandardsForm(DM, this);
    StandardsForm->applied = [this] { main_.LoadGraphic(true); };
    fillLists();
    enableAllDimensions(false);
    main.setDesignScreen(this);
    UpdateOptions();
    Undo = new DesignUndo(DM, main_, *this);
    // Compact rows so that the page fits a 1280 x 800 window.
    for (QGridLayout* g : findChildren<QGridLayout*>()) {
        g->setVerticalSpacing(3);
        g->setContentsMargins(6, 4, 6, 4);
    }
}

// Rows of a table in the current project.
int TDesignPage::rowCount(data::TDM& dm, const QString& table) {
    store::Query q(dm.database(),
                   QStringLiteral("Select * from %1 Where Project_Ref=?").arg(table));
    q.setSql(q.sql(), {dm.ProjectTable.fieldByName(QStringLiteral("Project_Ref")).asString()});
    q.open();
    return q.recordCount();
}

void TDesignPage::guarded(const std::function<void()>& command) {
    try {
        command();
    } catch (const StoreError& e) {
        messages_.showError(ui::main::storeErrorText(e));
    }
}

calc::DesignView TDesignPage::view() {
    return {&main_.Grid, SystemTypeCB->currentText(), SystemNameCB->currentText(),
            DieEdit[3]->text(), DieEdit[4]->text()};
}

void TDesignPage::gridChanged() {
    KGrid1->update();
    refreshElevation();
    if (Undo) Undo->changed();
}

void TDesignPage::gridLoaded() {
    gridChanged();
    if (Undo) Undo->loaded();
}

void TDesignPage::calculate() {
    Calc.WarningsOff = main_.WarningsOff;
    calc::DesignView v = view();
    Calc.CalcBtnClick(v);
}

void TDesignPage::CalcBtnClick() {
    calculate();
}

void TDesignPage::PrintReportClick() {
    if (!DM.tablesOpen() || DM.DesignTable.eof() || DM.DesignTable.isEmpty()) return;
    calculate();
    guarded([this] { ui::reports::previewDesignReport(DM, main_.Grid, messages_, this); });
}

void TDesignPage::UpdateAllClick() {
    Calc.WarningsOff = main_.WarningsOff;
    calc::DesignView v = view();
    Calc.UpdateAllValues(v);
    main_.LoadGraphic(true);
}

} // namespace ui::design
