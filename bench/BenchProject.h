#pragma once

#include "calc/Formulas.h"
#include "data/DataModule.h"
#include "design/DesignRecords.h"
#include "design/GridModel.h"
#include "store/Database.h"
#include "store/Query.h"
#include "store/Table.h"

// Adds a project `ref` whose `designs` designs repeat the sample project's
// designs in turn, cells included, in one transaction.
inline void addBenchProject(store::Database& db, const QString& ref, int designs) {
    store::Transaction tx(db);
    store::Table project(&db, "Project"), design(&db, "Design"), image(&db, "DesignImage"),
        merge(&db, "DesignMerge");
    for (store::Table* t : {&project, &design, &image, &merge})
        t->open();
    project.append();
    project.fieldByName("Project_Ref").setAsString(ref);
    project.post();
    store::Query sample(&db, "Select * from Design");
    sample.setSql("Select * from Design Where Project_Ref=? Order by Design_No", {"SAMPLE-HOUSE"});
    sample.open();
    std::vector<std::vector<QVariant>> rows;
    std::vector<design::GridModel> grids;
    for (; !sample.eof(); sample.next()) {
        std::vector<QVariant> values;
        for (int i = 0; i < sample.fieldCount(); ++i)
            values.push_back(sample.field(i).value());
        rows.push_back(values);
        design::GridModel g;
        design::LoadGraphic(image, merge, "SAMPLE-HOUSE",
                            sample.fieldByName("Design_No").asInteger(), g);
        grids.push_back(g);
    }
    for (int n = 1; n <= designs; ++n) {
        const size_t k = size_t(n - 1) % rows.size();
        design.append();
        for (int i = 0; i < design.fieldCount(); ++i)
            design.field(i).setValue(rows[k][size_t(i)]);
        design.fieldByName("Project_Ref").setAsString(ref);
        design.fieldByName("Design_No").setAsInteger(n);
        design.post();
        design::saveCells(image, merge, ref, n, grids[k]);
    }
    tx.commit();
}

// Member values of a plausible system, every member different, for timing the
// formulas without a data folder.
// Links the design tables to their masters as the main window does and
// stands on the bench project.
inline void linkBenchProject(data::TDM& dm) {
    auto link = [](store::Table& detail, store::Table& master, const QStringList& fields) {
        detail.close();
        detail.setMasterFields(fields);
        detail.setMaster(&master);
        detail.open();
    };
    link(dm.DesignTable, dm.ProjectTable, {"Project_Ref"});
    link(dm.DesignImageTable, dm.ProjectTable, {"Project_Ref"});
    link(dm.DesignMergeTable, dm.ProjectTable, {"Project_Ref"});
    link(dm.DesignCostingTable, dm.DesignTable, {"Project_Ref", "Design_No"});
    dm.ProjectTable.findKey({"BENCH"});
}

inline calc::ProfileValueTable sampleValues() {
    calc::ProfileValueTable t;
    for (size_t i = 0; i < t.members.size(); ++i)
        t.members[i] = {5.5 + 0.1 * double(i), 5.8, 38 + double(i)};
    t.U_COG = 5.8;
    t.SHGC_COG = 0.82;
    t.setEdgeWidths(63.5);
    return t;
}
