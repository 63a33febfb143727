#include "SansFixture.h"

#include "compliance/Storeys.h"
#include "store/Query.h"
#include "store/Table.h"

void SansData::SetUp() {
    ReportData::SetUp();
    if (HasFatalFailure()) return;
    store::Table zone(dm->database(), "ClimateZone");
    zone.open();
    zone.append();
    zone.fieldByName("Zone_No").setAsInteger(9);
    zone.fieldByName("Zone_Desc").setAsString("Zone 9 - Test");
    zone.fieldByName("Conductance").setAsFloat(0.5);
    zone.fieldByName("SHGC").setAsFloat(0.06);
    const char* factors[] = {"N_Factor", "NE_Factor", "E_Factor", "SE_Factor",
                             "S_Factor", "SW_Factor", "W_Factor", "NW_Factor"};
    for (const char* f : factors)
        zone.fieldByName(f).setAsFloat(1);
    zone.post();
    store::Table s(dm->database(), "SolarExposureFactors");
    s.open();
    for (double ratio : {0.0, 0.2}) {
        s.append();
        s.fieldByName("Zone").setAsInteger(9);
        s.fieldByName("Ratio").setAsFloat(ratio);
        for (const char* f : factors)
            s.fieldByName(f).setAsFloat(ratio == 0 ? 1 : 0.5);
        if (ratio == 0.2) {
            s.fieldByName("N_Factor").setAsFloat(0.8);
            s.fieldByName("E_Factor").setAsFloat(1.0);
        }
        s.post();
    }
    dm->ClimateZoneTable.refresh();
}

void SansData::addSansProject(const QString& ref, const std::vector<Window>& windows) {
    std::vector<DesignRow> rows;
    for (const Window& w : windows)
        rows.push_back({w.floor, w.ref, w.qty, w.area, w.u, w.shgc});
    addProject(ref, rows);
    store::Table design(dm->database(), "Design");
    design.open();
    int no = 0;
    for (const Window& w : windows) {
        ASSERT_TRUE(design.findKey({ref, ++no}));
        design.edit();
        design.fieldByName("Elevation").setAsString(w.elevation);
        design.post();
    }
    compliance::linkComplianceTables(*dm);
    dm->DesignTable.refresh();
    dm->DesignTable.first();
}

void SansData::setZone(int zone) {
    ASSERT_TRUE(compliance::ClimateZoneCloseUp(*dm, zone));
}

void SansData::setStorey(const QString& floor, const QVariant& netArea, const QVariant& ratio,
                         bool fillFactors) {
    store::Table& F = dm->ProjectFloorsTable;
    if (!F.findKey({dm->ProjectTable.fieldByName("Project_Ref").value(), floor})) {
        F.append();
        F.fieldByName("Floor").setAsString(floor);
    }
    F.edit();
    F.fieldByName("Effective_Area").setValue(netArea);
    F.fieldByName("Shading_Ratio").setValue(ratio);
    F.post();
    if (fillFactors) compliance::FloorColExit(*dm, 4);
}

namespace {

QVariantMap rowOf(store::Database& db, const QString& sql, const QVariantList& params) {
    store::Query q(&db, sql);
    q.setSql(sql, params);
    q.open();
    QVariantMap m;
    if (q.isEmpty()) return m;
    for (int i = 0; i < q.fieldCount(); ++i)
        m[q.def().fields[size_t(i)].name] = q.field(i).value();
    return m;
}

} // namespace

QVariantMap SansData::result(const QString& floor) {
    return rowOf(*dm->database(), "Select * from ProjectResults Where Project_Ref=? and Floor=?",
                 {dm->ProjectTable.fieldByName("Project_Ref").value(), floor});
}

int SansData::resultCount() {
    return testing_support::rowCount(*dm->database(), "ProjectResults", "Project_Ref=?",
                                     {dm->ProjectTable.fieldByName("Project_Ref").value()});
}

QVariantMap SansData::designResult(int designNo) {
    return rowOf(*dm->database(), "Select * from DesignResults Where Project_Ref=? and Design_No=?",
                 {dm->ProjectTable.fieldByName("Project_Ref").value(), designNo});
}

std::vector<SansData::Window> workedStorey(const QString& floor) {
    return {{floor, "A", "N", 2, 1.5, 4.0, 0.5}, {floor, "B", "E", 1, 2.0, 3.0, 0.6}};
}
