// The main window's Copy Project command.
#include "MainForm.h"
#include "exchange/Copy.h"
#include "ui/exchange/RefForms.h"

#include <QLineEdit>

namespace ui::main {

void TMainForm::CopyProjectImageClick() {
    if (!DM.tablesOpen() || DM.ProjectTable.isEmpty()) return;
    guarded([this] { SaveDesign(); });
    // A reference already taken is refused in the window, which then shows that project.
    if (ProjectRefForm->exec() != QDialog::Accepted) return;
    guarded([this] {
        ::exchange::CopyProject(DM, ProjectRefForm->RefEdit->text());
        LoadGraphic(true);
        if (designScreen_) designScreen_->updateOptions();
        DesignBtnClick();
    });
}

} // namespace ui::main
