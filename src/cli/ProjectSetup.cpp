#include "ProjectSetup.h"

#include "store/Schema.h"

namespace cli {

namespace {

void link(store::Table& detail, store::Table& master, const QStringList& fields) {
    detail.close();
    detail.clearMaster();
    detail.setMasterFields(fields);
    detail.setMaster(&master);
    detail.open();
}

} // namespace

bool findProject(data::TDM& dm, const QString& projectRef) {
    // The look-up cuts a longer reference to the field and would find another project.
    const store::TableDef& def = dm.ProjectTable.def();
    const int width = def.fields[size_t(def.fieldIndex(QStringLiteral("Project_Ref")))].width;
    return projectRef.size() <= width && dm.ProjectTable.findKey({projectRef});
}

bool openProject(data::TDM& dm, const QString& projectRef) {
    link(dm.DesignTable, dm.ProjectTable, {QStringLiteral("Project_Ref")});
    link(dm.DesignCostingTable, dm.DesignTable,
         {QStringLiteral("Project_Ref"), QStringLiteral("Design_No")});
    link(dm.ProjectRationalTable, dm.ProjectTable, {QStringLiteral("Project_Ref")});
    if (findProject(dm, projectRef)) return true;
    dm.messages().showMessage(
        QStringLiteral("No project with the reference \"%1\"").arg(projectRef));
    return false;
}

bool openDesign(data::TDM& dm, const QString& projectRef, int designNo) {
    if (dm.DesignTable.findKey({projectRef, designNo})) return true;
    dm.messages().showMessage(
        QStringLiteral("Project \"%1\" has no design %2").arg(projectRef).arg(designNo));
    return false;
}

} // namespace cli
