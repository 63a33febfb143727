#include "Storeys.h"

#include "data/DataModule.h"
#include "store/Database.h"

#include <set>

namespace compliance {

namespace {

const QString ProjectRef = QStringLiteral("Project_Ref");

void link(store::Table& detail, store::Table& master) {
    if (detail.active() && detail.master() == &master) return;
    detail.close();
    detail.clearMaster();
    detail.setMasterFields({ProjectRef});
    detail.setMaster(&master);
    detail.open();
}

// The zone the project's options row holds (its edit buffer while edited).
QVariant projectZone(data::TDM& dm) {
    store::Table& O = dm.ProjectOptionsTable;
    if (!O.active() || (O.isEmpty() && !O.editing())) return {};
    return O.fieldByName(QStringLiteral("Climate_Zone")).value();
}

} // namespace

const QStringList& orientationCodes() {
    static const QStringList codes = {"N", "NE", "E", "SE", "S", "SW", "W", "NW"};
    return codes;
}

QString factorField(const QString& elevation) {
    return orientationCodes().contains(elevation) ? elevation + QStringLiteral("_Factor")
                                                  : QString();
}

const QStringList& storeyCodes() {
    static const QStringList codes = [] {
        QStringList c{QStringLiteral("G")};
        for (int i = 1; i <= 20; ++i)
            c << QString::number(i);
        return c;
    }();
    return codes;
}

const QStringList& phRatioTexts() {
    static const QStringList texts = {"0.00", "0.05", "0.10", "0.15", "0.20", "0.25", "0.30",
                                      "0.35", "0.40", "0.50", "0.60", "0.70", "0.80", "0.90",
                                      "1.00", "1.10", "1.20", "1.30", "1.40", "1.50", "1.60",
                                      "1.70", "1.80", "1.90", "2.00"};
    return texts;
}

void linkComplianceTables(data::TDM& dm) {
    link(dm.ProjectOptionsTable, dm.ProjectTable);
    link(dm.ProjectFloorsTable, dm.ProjectTable);
    link(dm.DesignResultsTable, dm.ProjectTable);
    linkProjectResults(dm);
}

void linkProjectResults(data::TDM& dm) {
    link(dm.ProjectResultsTable, dm.ProjectTable);
}

int BuildStoreyList(data::TDM& dm, const std::function<void()>& recalculate) {
    if (recalculate) recalculate();
    store::Table& D = dm.DesignTable;
    store::Table& F = dm.ProjectFloorsTable;
    F.flushControls();
    if (F.editing()) F.post();
    // The storeys the designs use, exactly as they hold them; a set keeps the
    // look-ups to one per storey however many designs share it.
    std::set<QString> floors;
    const QString projectRef = dm.ProjectTable.fieldByName(ProjectRef).asString();
    const int floorField = D.fieldIndex(QStringLiteral("Floor"));
    for (int row = 0; row < D.recordCount(); ++row)
        floors.insert(D.rowAt(row)[size_t(floorField)].toString());
    int added = 0;
    store::Transaction tx(*dm.database());
    for (const QString& floor : floors) {
        if (F.findKey({projectRef, floor})) continue;
        F.append();
        F.fieldByName(ProjectRef).setAsString(projectRef);
        F.fieldByName(QStringLiteral("Floor")).setAsString(floor);
        F.post();
        ++added;
    }
    tx.commit();
    D.first();
    F.first();
    return added;
}

void FloorColExit(data::TDM& dm, int column, bool post) {
    store::Table& F = dm.ProjectFloorsTable;
    if (!F.active() || (F.isEmpty() && !F.editing())) return;
    if (column == 3) {
        F.edit();
        F.fieldByName(QStringLiteral("Shading_Ratio")).setAsFloat(0);
        if (post) F.post();
    } else if (column == 4) {
        store::Table& S = dm.SolarExposureFactorsTable;
        if (!S.findKey({projectZone(dm), F.fieldByName(QStringLiteral("Shading_Ratio")).value()}))
            return;
        F.edit();
        for (const QString& code : orientationCodes()) {
            const QString field = factorField(code);
            F.fieldByName(field).setValue(S.fieldByName(field).value());
        }
        if (post) F.post();
    }
}

bool ClimateZoneCloseUp(data::TDM& dm, const QVariant& zoneNo, bool post) {
    store::Table& Z = dm.ClimateZoneTable;
    if (!zoneNo.isValid() || !Z.locate(QStringLiteral("Zone_No"), zoneNo)) return false;
    store::Table& O = dm.ProjectOptionsTable;
    store::Transaction tx(*dm.database());
    // A project without an options row gets one here.
    O.edit();
    O.fieldByName(QStringLiteral("Climate_Zone")).setValue(zoneNo);
    O.fieldByName(QStringLiteral("Conductance")).setValue(Z.fieldByName("Conductance").value());
    O.fieldByName(QStringLiteral("Solar_Heat_Gain")).setValue(Z.fieldByName("SHGC").value());
    for (const QString& code : orientationCodes()) {
        const QString field = factorField(code);
        O.fieldByName(field).setValue(Z.fieldByName(field).value());
    }
    if (post) O.post();
    tx.commit();
    return true;
}

void UpdateShadingRatio(data::TDM& dm, data::Messages& messages, bool checkRatio) {
    store::Table& R = dm.DesignResultsTable;
    if (!R.active() || (R.isEmpty() && !R.editing())) return;
    const QVariant ratio = R.fieldByName(QStringLiteral("Shading_Ratio")).value();
    if (checkRatio && !dm.RatiosTable.findKey({ratio})) {
        messages.showMessage(InvalidShadingRatio);
        return;
    }
    store::Table& S = dm.SolarExposureFactorsTable;
    if (!S.findKey({projectZone(dm), ratio})) return;
    const QString field = factorField(R.fieldByName(QStringLiteral("Elevation")).asString());
    R.edit();
    if (!field.isEmpty())
        R.fieldByName(QStringLiteral("Solar_Factor")).setValue(S.fieldByName(field).value());
}

} // namespace compliance
