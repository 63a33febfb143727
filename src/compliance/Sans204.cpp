#include "Sans204.h"

#include "Storeys.h"
#include "data/DataModule.h"
#include "store/Database.h"

#include <map>
#include <set>
#include <utility>

namespace compliance {

namespace {

const QString ProjectRef = QStringLiteral("Project_Ref");
const QString Floor = QStringLiteral("Floor");

// Holds the notices raised while a command's transaction is open and shows
// them once it has ended, so that no message box keeps the database locked.
class HeldMessages : public data::Messages {
public:
    explicit HeldMessages(data::Messages& target) : target_(target) {}
    ~HeldMessages() override { release(); }
    void showMessage(const QString& text) override { held_ << text; }
    data::DlgButton messageDlg(const QString& text, data::DlgType type,
                               const QList<data::DlgButton>& buttons) override {
        release();
        return target_.messageDlg(text, type, buttons);
    }
    void showError(const QString& text) override {
        release();
        target_.showError(text);
    }
    void release() {
        const QStringList texts = std::exchange(held_, {});
        for (const QString& t : texts)
            target_.showMessage(t);
    }

private:
    data::Messages& target_;
    QStringList held_;
};

QString projectRefOf(data::TDM& dm) {
    return dm.ProjectTable.fieldByName(ProjectRef).asString();
}

bool hasRow(store::DataSet& ds) {
    return ds.active() && (!ds.isEmpty() || ds.editing());
}

// The project's storey rows by storey code, read once per look-up.
std::map<QString, std::vector<QVariant>> storeyRows(store::Table& F) {
    std::map<QString, std::vector<QVariant>> rows;
    const int floorField = F.fieldIndex(Floor);
    for (int row = 0; row < F.recordCount(); ++row) {
        std::vector<QVariant> values = F.rowAt(row);
        rows.emplace(storeyCode(values[size_t(floorField)].toString()), std::move(values));
    }
    return rows;
}

void postIfEditing(store::Table& t) {
    t.flushControls();
    if (t.editing()) t.post();
}

void refreshSolarFactors(data::TDM& dm, data::Messages& messages, const SansPlace& place) {
    store::Table& R = dm.DesignResultsTable;
    for (R.first(); !R.eof(); R.next())
        UpdateShadingRatio(dm, messages, place.checkRatios);
    postIfEditing(R);
    R.first();
}

} // namespace

StoreySums storeySums(const std::vector<StoreyWindow>& windows) {
    StoreySums s;
    for (const StoreyWindow& w : windows) {
        s.uTotal += w.u * w.qty * w.area;
        s.shgcTotal += w.shgc * w.qty * w.area * w.solar;
        s.windowArea += w.area * w.qty;
    }
    return s;
}

FloorVerdict judgeFloor(const StoreySums& sums, double netFloorArea, double conductance,
                        double solarHeatGain) {
    FloorVerdict v;
    v.uAllow = conductance * netFloorArea;
    v.shgcAllow = solarHeatGain * netFloorArea;
    v.uResult = sums.uTotal <= v.uAllow ? Pass : Fail;
    v.shgcResult = sums.shgcTotal <= v.shgcAllow ? Pass : Fail;
    if (netFloorArea == 0) return v;
    if (sums.windowArea / netFloorArea <= 0.15) {
        v.exempt = true;
        v.uResult = v.shgcResult = NotApplicable;
    } else {
        v.exempt = false;
    }
    return v;
}

void SaveSansRecord(data::TDM& dm, data::Messages& messages, bool setRatio) {
    store::Table& D = dm.DesignTable;
    store::Table& R = dm.DesignResultsTable;
    store::Table& O = dm.ProjectOptionsTable;
    auto copy = [&](const char* field) {
        const QString f = QString::fromLatin1(field);
        R.fieldByName(f).setValue(D.fieldByName(f).value());
    };
    R.edit();
    for (const char* f : {"Project_Ref", "Design_No", "Design_Ref", "Design_Qty", "Elevation"})
        copy(f);
    const QString floor = storeyCode(D.fieldByName(Floor).asString()).toUpper();
    R.fieldByName(Floor).setAsString(floor);
    copy("Window_Area");
    copy("U_Factor");
    if (D.fieldByName(QStringLiteral("U_Factor")).asFloat() == 0)
        messages.showMessage(D.fieldByName(QStringLiteral("Design_Ref")).asString().trimmed() +
                             NotCurrentSuffix);
    copy("SHGC");
    const bool options = hasRow(O);
    R.fieldByName(QStringLiteral("U_Constant"))
        .setValue(options ? O.fieldByName(QStringLiteral("Conductance")).value() : QVariant());
    R.fieldByName(QStringLiteral("SHGC_Constant"))
        .setValue(options ? O.fieldByName(QStringLiteral("Solar_Heat_Gain")).value() : QVariant());
    store::Table& F = dm.ProjectFloorsTable;
    const auto storeys = storeyRows(F);
    const auto found = storeys.find(floor);
    if (found == storeys.end()) return;
    const std::vector<QVariant>& storey = found->second;
    if (setRatio)
        R.fieldByName(QStringLiteral("Shading_Ratio"))
            .setValue(storey[size_t(F.fieldIndex(QStringLiteral("Shading_Ratio")))]);
    const QString factor = factorField(D.fieldByName(QStringLiteral("Elevation")).asString());
    if (!factor.isEmpty())
        R.fieldByName(QStringLiteral("Solar_Factor"))
            .setValue(storey[size_t(F.fieldIndex(factor))]);
}

void ClearPreviousResults(data::TDM& dm, bool rational) {
    const QString ref = projectRefOf(dm);
    store::Database& db = *dm.database();
    store::Table& P = dm.ProjectResultsTable;
    if (P.editing()) P.cancel();
    db.deleteWhere(QStringLiteral("ProjectResults"), {ProjectRef}, {ref});
    if (!rational) return;
    // An unsaved edit of the rational row goes with the row.
    if (dm.ProjectRationalTable.editing()) dm.ProjectRationalTable.cancel();
    db.deleteWhere(QStringLiteral("ProjectRational"), {ProjectRef}, {ref});
}

QStringList missingAnalysisInput(data::TDM& dm, MissingCheck check) {
    const bool results = check == MissingCheck::DesignResults;
    store::Table& D = results ? dm.DesignResultsTable : dm.DesignTable;
    store::Table& F = dm.ProjectFloorsTable;
    store::Table& R = dm.DesignResultsTable;
    QStringList missing;
    const auto storeys = storeyRows(F);
    auto field = [](store::DataSet& ds, const std::vector<QVariant>& row, const char* name) {
        return row[size_t(ds.fieldIndex(QString::fromLatin1(name)))];
    };
    std::set<QString, bool (*)(const QString&, const QString&)> used(storeyLess);
    std::map<int, QVariant> keptRatios;
    for (int r = 0; !results && R.active() && r < R.recordCount(); ++r) {
        const std::vector<QVariant> row = R.rowAt(r);
        keptRatios[field(R, row, "Design_No").toInt()] = field(R, row, "Shading_Ratio");
    }
    for (int r = 0; r < D.recordCount(); ++r) {
        const std::vector<QVariant> row = D.rowAt(r);
        const QString ref = field(D, row, "Design_Ref").toString().trimmed();
        const QString name =
            QStringLiteral("Design %1").arg(ref.isEmpty() ? field(D, row, "Design_No").toString() : ref);
        const QString floor = storeyCode(field(D, row, "Floor").toString()).toUpper();
        if (floor.isEmpty())
            missing << name + QStringLiteral(": no storey");
        else
            used.insert(floor);
        if (factorField(field(D, row, "Elevation").toString()).isEmpty())
            missing << name + QStringLiteral(": no orientation (N, NE, E, SE, S, SW, W or NW)");
        const auto kept = keptRatios.find(field(D, row, "Design_No").toInt());
        if (kept != keptRatios.end() && kept->second.isValid() && !dm.RatiosTable.findKey({kept->second}))
            missing << name + QStringLiteral(": P/H ratio %1 is not one of the list")
                                  .arg(kept->second.toDouble(), 0, 'f', 2);
    }
    for (const QString& floor : used) {
        const auto storey = storeys.find(floor);
        const QString name = QStringLiteral("Storey %1").arg(floor);
        if (storey == storeys.end() || field(F, storey->second, "Effective_Area").toDouble() <= 0)
            missing << name + QStringLiteral(": no net floor area");
        if (storey == storeys.end() || !field(F, storey->second, "N_Factor").isValid())
            missing << name +
                           QStringLiteral(": no default P/H ratio (choose one, then Tab to fill "
                                          "in the Solar Exposure Factors)");
    }
    return missing;
}

QString missingInputMessage(const QStringList& missing) {
    return QStringLiteral("Nothing was analysed. Please give these first:\n") +
           missing.join(QLatin1Char('\n'));
}

QStringList unanalysedStoreys(data::TDM& dm) {
    const QString ref = projectRefOf(dm);
    store::Query& Q = dm.DesignResultsQuery;
    Q.close();
    Q.setSql(QStringLiteral("Select * from DesignResults Where Project_Ref=?"), {ref});
    Q.open();
    std::set<QString, bool (*)(const QString&, const QString&)> floors(storeyLess);
    for (; !Q.eof(); Q.next())
        floors.insert(storeyCode(Q.fieldByName(Floor).asString()));
    Q.close();
    std::set<QString> decided;
    store::Query& P = dm.ProjectResultsQuery;
    P.close();
    P.setSql(QStringLiteral("Select * from ProjectResults Where Project_Ref=?"), {ref});
    P.open();
    for (; !P.eof(); P.next())
        if (!P.fieldByName(QStringLiteral("Exempt")).isNull())
            decided.insert(storeyCode(P.fieldByName(Floor).asString()));
    P.close();
    QStringList missing;
    for (const QString& floor : floors)
        if (!decided.count(floor)) missing << (floor.isEmpty() ? QStringLiteral("(no storey)") : floor);
    return missing;
}

bool SANSCalcBtnClick(data::TDM& dm, data::Messages& messages, AnalyseStep step, SansPlace place) {
    store::Table& F = dm.ProjectFloorsTable;
    store::Table& D = dm.DesignTable;
    store::Table& R = dm.DesignResultsTable;
    postIfEditing(F);
    if (step == AnalyseStep::Checks) {
        // Every storey and design is checked at once, so the user hears of all
        // that is missing in one message instead of one refusal at a time.
        postIfEditing(D);
        postIfEditing(R);
        const QStringList missing = missingAnalysisInput(dm, MissingCheck::Designs);
        if (!missing.isEmpty()) {
            messages.showMessage(missingInputMessage(missing));
            return false;
        }
    }
    const QString ref = projectRefOf(dm);
    store::Query& Q = dm.DesignResultsQuery;
    Q.close();
    Q.setSql(QStringLiteral("Select * from DesignResults Where Project_Ref=?"), {ref});
    Q.open();
    const bool existing = !Q.isEmpty();
    Q.close();
    // Asked before anything is written, so no lock is held while the user thinks.
    const bool rebuild =
        existing &&
        messages.messageDlg(KeepRatiosQuestion, data::DlgType::Confirmation,
                            {data::DlgButton::Yes, data::DlgButton::No}) != data::DlgButton::Yes;
    linkProjectResults(dm);
    HeldMessages held(messages);
    {
        store::Transaction tx(*dm.database());
        if (rebuild) {
            if (R.editing()) R.cancel();
            dm.database()->deleteWhere(QStringLiteral("DesignResults"), {ProjectRef}, {ref});
        }
        for (D.first(); !D.eof(); D.next()) {
            const QVariant no = D.fieldByName(QStringLiteral("Design_No")).value();
            if (!R.findKey({D.fieldByName(ProjectRef).value(), no})) {
                R.append();
                SaveSansRecord(dm, held, true);
            } else {
                SaveSansRecord(dm, held, rebuild);
            }
        }
        postIfEditing(R);
        ClearPreviousResults(dm, place.clearRational);
        refreshSolarFactors(dm, held, place);
        tx.commit();
    }
    held.release();
    return true;
}

void OpenSansResults(data::TDM& dm, data::Messages& messages) {
    linkProjectResults(dm);
    HeldMessages held(messages);
    {
        store::Transaction tx(*dm.database());
        ClearPreviousResults(dm, false);
        refreshSolarFactors(dm, held, SansPlace::windows());
        tx.commit();
    }
    held.release();
}

void SaveFloorResult(data::TDM& dm, data::Messages& messages, const QString& floor,
                     const StoreySums& sums, double netFloorArea) {
    const QString ref = projectRefOf(dm);
    if (ref.isEmpty()) return;
    store::Table& O = dm.ProjectOptionsTable;
    const bool options = hasRow(O);
    const FloorVerdict v = judgeFloor(
        sums, netFloorArea, options ? O.fieldByName(QStringLiteral("Conductance")).asFloat() : 0,
        options ? O.fieldByName(QStringLiteral("Solar_Heat_Gain")).asFloat() : 0);
    store::Table& P = dm.ProjectResultsTable;
    P.append();
    auto set = [&P](const char* field, const QVariant& value) {
        P.fieldByName(QString::fromLatin1(field)).setValue(value);
    };
    set("Project_Ref", ref);
    set("Floor", floor);
    set("Floor_Area", netFloorArea);
    set("Window_Area", sums.windowArea);
    set("U_Allow", v.uAllow);
    set("SHGC_Allow", v.shgcAllow);
    set("U_Total", sums.uTotal);
    set("SHGC_Total", sums.shgcTotal);
    set("U_Result", v.uResult);
    set("SHGC_Result", v.shgcResult);
    if (v.exempt)
        set("Exempt", *v.exempt);
    else
        messages.showMessage(NoFloorAreaMessage);
}

bool Image20Click(data::TDM& dm, data::Messages& messages, SansPlace place) {
    store::Table& R = dm.DesignResultsTable;
    store::Table& P = dm.ProjectResultsTable;
    const QString ref = projectRefOf(dm);
    postIfEditing(R);
    if (place.checkInputs) {
        const QStringList missing = missingAnalysisInput(dm, MissingCheck::DesignResults);
        if (!missing.isEmpty()) {
            messages.showMessage(missingInputMessage(missing));
            return false;
        }
    }
    linkProjectResults(dm);
    HeldMessages held(messages);
    {
        store::Transaction tx(*dm.database());
        refreshSolarFactors(dm, held, place);
        ClearPreviousResults(dm, place.clearRational);

        store::Query& Q = dm.DesignResultsQuery;
        Q.close();
        Q.setSql(QStringLiteral("Select * from DesignResults Where Project_Ref=? Order by Floor"),
                 {ref});
        Q.open();
        // Storeys by their tidy code, the ground floor first and then by number.
        std::map<QString, std::vector<StoreyWindow>, bool (*)(const QString&, const QString&)>
            groups(storeyLess);
        auto number = [&Q](const char* field) {
            return Q.fieldByName(QString::fromLatin1(field)).asFloat();
        };
        for (; !Q.eof(); Q.next())
            groups[storeyCode(Q.fieldByName(Floor).asString())].push_back(
                {Q.fieldByName(QStringLiteral("Design_Qty")).asInteger(), number("Window_Area"),
                 number("U_Factor"), number("SHGC"), number("Solar_Factor")});
        Q.close();
        const auto storeys = storeyRows(dm.ProjectFloorsTable);
        const int areaField = dm.ProjectFloorsTable.fieldIndex(QStringLiteral("Effective_Area"));
        for (const auto& [floor, windows] : groups) {
            // Each storey starts from zero: its verdict is on its own windows.
            const auto storey = storeys.find(floor);
            const double netArea =
                storey == storeys.end() ? 0 : storey->second[size_t(areaField)].toDouble();
            if (!floor.isEmpty()) SaveFloorResult(dm, held, floor, storeySums(windows), netArea);
        }
        postIfEditing(P);
        P.first();
        if (hasRow(P) && P.fieldByName(Floor).asString().isEmpty()) P.deleteRow();
        tx.commit();
    }
    held.release();
    return true;
}

} // namespace compliance
