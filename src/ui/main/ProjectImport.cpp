#include "MainForm.h"
#include "ui/exchange/ImportForm.h"

namespace ui::main {

void TMainForm::ImportClick() {
    if (!DM.tablesOpen()) return;
    // The open design is saved before anything is read from the earlier tables.
    guarded([this] {
        SaveDesign();
        postProject();
    });
    if (!ImportForm) {
        ImportForm = new ui::exchange::TImportForm(DM, messages_, this);
        ImportForm->DesignBtnClick = [this] {
            guarded([this] {
                LoadGraphic();
                if (designScreen_) designScreen_->updateOptions();
                DesignBtnClick();
            });
        };
    }
    if (ImportForm->FormActivate()) ImportForm->exec();
}

}  // namespace ui::main
