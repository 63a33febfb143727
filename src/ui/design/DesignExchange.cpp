// The DESIGN page's exchange commands: Copy Design and the standard designs.
#include "DesignPage.h"
#include "DesignUndo.h"
#include "data/DataModule.h"
#include "exchange/Copy.h"
#include "exchange/Standards.h"
#include "ui/exchange/RefForms.h"
#include "ui/exchange/StandardsForm.h"
#include "ui/main/MainForm.h"
#include "widgets/DataControls.h"

#include <QLineEdit>
#include <QToolButton>

namespace ui::design {

void TDesignPage::CopyBtnClick() {
    if (!DM.tablesOpen() || DM.DesignTable.isEmpty()) return;
    if (DesignRefForm->exec() != QDialog::Accepted) return;
    guarded([this] {
        DesignUndo::Step step(Undo, QStringLiteral("Copy Design"), DesignUndo::Kind::NewDesign);
        // The design shown is saved first: the copy starts from what is on screen.
        main_.SaveDesign();
        if (::exchange::CopyDesign(DM, main_.Grid, DesignRefForm->RefEdit->text()) == 0) return;
        UpdateOptions();
        main_.LoadGraphic(true);
        main_.DesignBtnClick();
    });
}

void TDesignPage::StandardsBtnClick() {
    if (!DM.tablesOpen() || DM.DesignTable.isEmpty()) return;
    DesignUndo::Step step(Undo, QStringLiteral("Standard Design"));
    guarded([this] { main_.SaveDesign(); });
    StandardsForm->setSystemName(SystemNameCB->currentText());
    const bool applied = StandardsForm->exec() == QDialog::Accepted;
    if (!applied) step.setName({});
    guarded([this, applied] {
        if (applied) main_.LoadGraphic(true);
        if (rowCount(DM, QStringLiteral("DesignImage")) > 0) StandardsBtn->setEnabled(false);
        systemNameLeft();
        SetGlassCodeCB();
        enableDimensions();
    });
}

void TDesignPage::lookForStandards() {
    StandardsBtn->setEnabled(::exchange::hasStandardDesigns(DM, SystemNameCB->currentText()));
}

} // namespace ui::design
