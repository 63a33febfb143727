#include "ElevationData.h"

#include "calc/Calculation.h"
#include "data/DataModule.h"
#include "design/DesignRecords.h"
#include "store/Query.h"

namespace reports {

namespace {

QString text(store::DataSet& ds, const char* field) {
    return ds.fieldByName(QString::fromLatin1(field)).asString();
}

QString glassDescription(data::TDM& dm, const QString& glassCode) {
    if (glassCode.isEmpty()) return {};
    store::Query q;
    q.setDatabase(dm.database());
    q.setSql(QStringLiteral("Select * from Glazing Where Glass_Code=?"), {glassCode});
    q.open();
    return q.isEmpty() ? QString() : text(q, "Glass_Desc").trimmed();
}

} // namespace

ElevationSource designElevation(data::TDM& dm, store::DataSet& design,
                                const design::GridModel& grid) {
    ElevationSource s;
    s.grid = grid;
    s.dims = design::Dimensions::fromRecord(design);
    s.projectRef = text(design, "Project_Ref");
    s.designNo = design.fieldByName(QStringLiteral("Design_No")).asInteger();
    s.designRef = text(design, "Design_Ref");
    s.quantity = design.fieldByName(QStringLiteral("Design_Qty")).asInteger();
    s.systemName = text(design, "System_Name");
    s.glassCode = text(design, "Glass_Code");
    s.glassDesc = glassDescription(dm, s.glassCode);
    calc::CalcContext lookup(dm, dm.messages());
    const calc::ProfileValueTable values = lookup.memberValues(design);
    for (size_t i = 0; i < calc::MemberWords.size(); ++i)
        if (values.members[i].PFD > 0) s.memberWidths[calc::MemberWords[i]] = values.members[i].PFD;
    return s;
}

ElevationSource storedElevation(data::TDM& dm, store::DataSet& design) {
    design::GridModel grid;
    design::LoadGraphic(dm.DesignImageTable, dm.DesignMergeTable, text(design, "Project_Ref"),
                        design.fieldByName(QStringLiteral("Design_No")).asInteger(), grid);
    return designElevation(dm, design, grid);
}

std::vector<ElevationSource> projectElevations(data::TDM& dm, const QString& projectRef) {
    store::Query q;
    q.setDatabase(dm.database());
    q.setSql(QStringLiteral("Select * from Design Where Project_Ref=?"), {projectRef});
    q.open();
    std::vector<ElevationSource> all;
    for (; !q.eof(); q.next())
        all.push_back(storedElevation(dm, q));
    return all;
}

} // namespace reports
