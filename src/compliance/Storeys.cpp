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

QString storeyCode(const QString& text) { return text.trimmed(); }

bool storeyLess(const QString& a, const QString& b) {
    const QString x = storeyCode(a), y = storeyCode(b);
    // Rank: ground floor, numbered storeys, anything else.
    auto rank = [](const QString& code, int& number) {
        if (code == QLatin1String("G")) return 0;
        bool ok = false;
        number = code.toInt(&ok);
        return ok ? 1 : 2;
    };
    int nx = 0, ny = 0;
    const int rx = rank(x, nx), ry = rank(y, ny);
    if (rx != ry) return rx < ry;
    if (rx == 1 && nx != ny) return nx < ny;
    return x < y;
}

void keepStoreyCodesTidy(data::TDM& dm) {
    for (store::Table* t : {&dm.DesignTable, &dm.ProjectFloorsTable, &dm.DesignResultsTable,
                            &dm.ProjectResultsTable})
        t->setFieldChangeHandler(QStringLiteral("Floor"), [](store::Field f) {
            const QString text = f.asString();
            // Setting the tidy code runs this once more, and then changes nothing.
            if (storeyCode(text) != text) f.setAsString(storeyCode(text));
        });
}

int tidyProjectStoreys(data::TDM& dm) {
    const QString floorName = QStringLiteral("Floor");
    int changed = 0;
    auto untidyRows = [&](store::Table& t) {
        std::vector<int> rows;
        if (!t.active()) return rows;
        const int fi = t.fieldIndex(floorName);
        for (int r = 0; r < t.recordCount(); ++r) {
            const QString code = t.rowAt(r)[size_t(fi)].toString();
            if (storeyCode(code) != code) rows.push_back(r);
        }
        return rows;
    };
    store::Table& F = dm.ProjectFloorsTable;
    const bool any = !untidyRows(dm.DesignTable).empty() || !untidyRows(F).empty() ||
                     !untidyRows(dm.DesignResultsTable).empty();
    if (!any) return 0;
    for (store::Table* t : {&dm.DesignTable, &F, &dm.DesignResultsTable}) {
        t->flushControls();
        if (t->editing()) t->post();
    }
    store::Transaction tx(*dm.database());
    for (store::Table* t : {&dm.DesignTable, &dm.DesignResultsTable}) {
        const int keep = t->recNo();
        for (int r : untidyRows(*t)) {
            t->moveTo(r);
            t->edit();
            t->fieldByName(floorName).setAsString(storeyCode(t->fieldByName(floorName).asString()));
            t->post();
            ++changed;
        }
        t->moveTo(keep);
    }
    // Storey rows change their key: one at a time, looked up afresh.
    for (std::vector<int> rows = untidyRows(F); !rows.empty(); rows = untidyRows(F)) {
        const std::vector<QVariant> old = F.rowAt(rows.front());
        const QVariant ref = old[size_t(F.fieldIndex(ProjectRef))];
        const QString code = storeyCode(old[size_t(F.fieldIndex(floorName))].toString());
        if (F.findKey({ref, code})) {
            // Both spellings exist: the tidy row keeps its values, the other
            // one fills what it leaves empty, and goes.
            F.edit();
            for (int fi = 0; fi < F.fieldCount(); ++fi)
                if (F.field(fi).isNull() && old[size_t(fi)].isValid()) F.field(fi).setValue(old[size_t(fi)]);
            F.post();
            if (F.findKey({ref, old[size_t(F.fieldIndex(floorName))]})) F.deleteRow();
        } else {
            F.moveTo(rows.front());
            F.edit();
            F.fieldByName(floorName).setAsString(code);
            F.post();
        }
        ++changed;
    }
    tx.commit();
    F.first();
    return changed;
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
    keepStoreyCodesTidy(dm);
}

void linkProjectResults(data::TDM& dm) {
    link(dm.ProjectResultsTable, dm.ProjectTable);
}

int BuildStoreyList(data::TDM& dm, const std::function<void()>& recalculate) {
    if (recalculate) recalculate();
    tidyProjectStoreys(dm);
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
        floors.insert(storeyCode(D.rowAt(row)[size_t(floorField)].toString()));
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
