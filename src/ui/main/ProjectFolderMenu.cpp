// "&Save Project" and "&Load Project" of the Project menu.
#include "MainForm.h"
#include "store/Table.h"
#include "ui/exchange/ProjectFolderCommands.h"

namespace ui::main {

void TMainForm::SaveProject1Click() {
    if (!DM.tablesOpen()) return;
    // What the user typed into the shown design goes out with the project.
    guarded([this] { SaveDesign(); });
    ProjectFolders->SaveProjects();
}

void TMainForm::LoadProject1Click() {
    if (!DM.tablesOpen()) return;
    guarded([this] {
        SaveDesign();
        // The folder may have rewritten the shown design's cells.
        if (ProjectFolders->LoadProjects()) {
            // The user is shown the project the folder brought, not the one
            // they had open.
            const QStringList loaded = ProjectFolders->loadedProjects();
            DM.ProjectTable.refresh();
            if (!loaded.isEmpty()) DM.ProjectTable.findKey({loaded.first()});
            LoadGraphic(true);
            DesignBtnClick();
        }
    });
}

}  // namespace ui::main
