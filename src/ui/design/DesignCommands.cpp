// The command row of the DESIGN page: stepping through, adding, deleting,
// finding and saving designs.
#include "DesignGrid.h"
#include "DesignPage.h"
#include "DesignUndo.h"
#include "data/DataModule.h"
#include "store/Query.h"
#include "store/StoreError.h"
#include "ui/main/Icons.h"
#include "ui/main/MainForm.h"
#include "widgets/DataControls.h"

#include <QHBoxLayout>
#include <QTabWidget>
#include <QToolButton>

namespace ui::design {

using store::StoreError;
using ui::main::IconKind;

QWidget* TDesignPage::buildCommands() {
    auto* bar = new QWidget;
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    PrevBtn = ui::main::commandButton(IconKind::Previous, QStringLiteral("Previous Design"));
    NextBtn = ui::main::commandButton(IconKind::Next, QStringLiteral("Next Design"));
    AddBtn = ui::main::commandButton(IconKind::Add, QStringLiteral("Add Design"));
    DelBtn = ui::main::commandButton(IconKind::Delete, QStringLiteral("Delete Design"));
    DesignSrchBtn = ui::main::commandButton(IconKind::Find, QStringLiteral("Find Design"));
    CalcBtn = ui::main::commandButton(IconKind::Calculate, QStringLiteral("Calculate Values"));
    ForceSaveBtn = ui::main::commandButton(IconKind::Save, QStringLiteral("Force Save"));
    UpdateAllBtn =
        ui::main::commandButton(IconKind::Calculate, QStringLiteral("Update ALL Calculations"));
    UpdateAllBtn->setIcon(ui::main::commandIcon(IconKind::Calculate));
    UpdateAllBtn->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    UpdateAllBtn->setText(QStringLiteral("All"));
    CopyDesignBtn = ui::main::commandButton(IconKind::Copy, QStringLiteral("Copy Design"));
    PrintReportBtn = ui::main::commandButton(IconKind::Print,
                                             QStringLiteral("Print Fenestration Design Report"));
    UndoBtn = ui::main::commandButton(IconKind::Undo, QStringLiteral("Undo"));
    RedoBtn = ui::main::commandButton(IconKind::Redo, QStringLiteral("Redo"));
    for (QToolButton* b : {PrevBtn, NextBtn, AddBtn, DelBtn, DesignSrchBtn, CopyDesignBtn, CalcBtn,
                           ForceSaveBtn, PrintReportBtn, UpdateAllBtn, UndoBtn, RedoBtn})
        row->addWidget(b);
    row->addStretch();
    connect(PrevBtn, &QToolButton::clicked, this, &TDesignPage::PrevBtnClick);
    connect(NextBtn, &QToolButton::clicked, this, &TDesignPage::NextBtnClick);
    connect(AddBtn, &QToolButton::clicked, this, &TDesignPage::AddBtnClick);
    connect(DelBtn, &QToolButton::clicked, this, &TDesignPage::DelBtnClick);
    connect(DesignSrchBtn, &QToolButton::clicked, this, &TDesignPage::DesignSrchBtnClick);
    connect(CalcBtn, &QToolButton::clicked, this, &TDesignPage::CalcBtnClick);
    connect(ForceSaveBtn, &QToolButton::clicked, this, &TDesignPage::ForceSaveClick);
    connect(UpdateAllBtn, &QToolButton::clicked, this, &TDesignPage::UpdateAllClick);
    connect(PrintReportBtn, &QToolButton::clicked, this, &TDesignPage::PrintReportClick);
    connect(CopyDesignBtn, &QToolButton::clicked, this, &TDesignPage::CopyBtnClick);
    return bar;
}

void TDesignPage::AddBtnClick() {
    if (!DM.tablesOpen()) return;
    guarded([this] {
        DesignUndo::Step step(Undo, QStringLiteral("Add Design"), DesignUndo::Kind::NewDesign);
        DM.DesignTable.append();
        main_.DesignBtnClick();
        enableAllDimensions(false);
        DesignRefEdit->setFocus();
    });
}

void TDesignPage::DelBtnClick() {
    if (!DM.tablesOpen() || DM.DesignTable.eof() || DM.DesignTable.isEmpty()) return;
    guarded([this] {
        DesignUndo::Step step(Undo, QStringLiteral("Delete Design"), DesignUndo::Kind::DeleteDesign);
        if (DM.DesignTable.fieldByName(QStringLiteral("Project_Ref"))
                .asString()
                .startsWith(QLatin1Char('_'))) {
            messages_.showMessage(
                QStringLiteral("You may NOT delete designs from Standard Projects"));
            return;
        }
        if (messages_.messageDlg(QStringLiteral("Are you sure you want to Delete this Design?"),
                                 data::DlgType::Warning,
                                 {data::DlgButton::Yes, data::DlgButton::No}) !=
            data::DlgButton::Yes)
            return;
        DM.DesignTable.deleteRow();
        // Only the grid in memory is cleared: the design now shown keeps its sizes.
        main_.Grid.clear();
        enableAllDimensions(false);
        DM.DesignTable.next();
        DM.DesignTable.prior();
        // The design now current may be the one loaded before the grid was
        // cleared above: reload it always, or the next save would write the
        // empty grid over its stored cells.
        main_.LoadGraphic(true);
        main_.DesignBtnClick();
    });
}

void TDesignPage::stepDesign(bool forward) {
    guarded([this, forward] {
        // A lock held elsewhere stops the step with the store's message.
        DM.DesignTable.lockTable();
        DM.DesignTable.unlockTable();
        // The cells typed since the last save go with the design left, not
        // away with the grid the next design's cells replace.
        main_.SaveDesign();
        if (forward)
            DM.DesignTable.next();
        else
            DM.DesignTable.prior();
        main_.DesignBtnClick();
    });
}

void TDesignPage::NextBtnClick() {
    stepDesign(true);
}

void TDesignPage::PrevBtnClick() {
    stepDesign(false);
}

void TDesignPage::DesignSrchBtnClick() {
    guarded([this] {
        main_.DesignBtnClick();
        main_.WarningsOff = true;
        main_.PageControl1->setCurrentIndex(1);
        main_.WarningsOff = false;
    });
}

void TDesignPage::ForceSaveClick() {
    guarded([this] {
        main_.SaveDesign();
        messages_.showMessage(QStringLiteral("Design Saved!"));
    });
}

} // namespace ui::design
