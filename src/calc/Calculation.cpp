#include "Calculation.h"

#include "Structural.h"
#include "data/DataModule.h"
#include "data/Messages.h"
#include "design/DesignRecords.h"
#include "design/Dimensions.h"
#include "store/StoreError.h"

#include <cmath>

namespace calc {

namespace {

QString text(store::DataSet& ds, const char* field) {
    return ds.fieldByName(QLatin1StringView(field)).asString();
}
double number(store::DataSet& ds, const char* field) {
    return ds.fieldByName(QLatin1StringView(field)).asFloat();
}
void setNumber(store::DataSet& ds, const QString& field, double value) {
    ds.fieldByName(field).setAsFloat(value);
}

// Whether the table stands on a row that can be edited.
bool onRow(store::Table& t) {
    return t.active() && (t.editing() || !t.isEmpty());
}

// The five profile lookups: the Design field naming the option, the member
// searched, and the member words its value sets 0, 1 and 2 go to.
struct ProfileLookup {
    const char* field;
    const char* profile;
    const char* words[3];
};
const ProfileLookup kLookups[] = {
    {"Profile1", "Head", {"Head", "HeadSash", nullptr}},
    {"Profile2", "Sill", {"Sill", "SillSash", nullptr}},
    {"Profile3", "Jamb", {"Jamb", "JambSash", nullptr}},
    {"Profile4", "Vert", {"Vert", "Vert1Sash", "Vert2Sash"}},
    {"Profile5", "Horiz", {"Horiz", "Horiz1Sash", "Horiz2Sash"}},
};

constexpr double kEdgeOfGlassWidth = 63.5;

QString valueText(double v) {
    return QString::number(v, 'g', 15);
}

// The first input of the current design the formulas cannot take: a value
// that is not finite, or a negative size, wind load or quantity. Values from a
// project folder, an import or a damaged table never passed the window's
// validators. Empty when every input is sound.
QString invalidDesignInput(store::DataSet& D) {
    for (const QString& f : design::dimensionFields()) {
        const double v = D.fieldByName(f).asFloat();
        if (!std::isfinite(v) || v < 0) return QStringLiteral("%1 (%2)").arg(f, valueText(v));
    }
    const double wind = number(D, "Wind_Load");
    if (!std::isfinite(wind) || wind < 0)
        return QStringLiteral("Wind_Load (%1)").arg(valueText(wind));
    const double qty = number(D, "Design_Qty");
    if (!std::isfinite(qty) || qty < 0)
        return QStringLiteral("Design_Qty (%1)").arg(valueText(qty));
    return {};
}

bool allFinite(std::initializer_list<long double> values) {
    for (long double v : values)
        if (!std::isfinite(v)) return false;
    return true;
}

} // namespace

const QStringList DesignResultFields = {
    QStringLiteral("U_Factor"),       QStringLiteral("SHGC"),    QStringLiteral("Window_Area"),
    QStringLiteral("Profile_Length"), QStringLiteral("SpanL"),   QStringLiteral("SpanR"),
    QStringLiteral("ReqIx"),          QStringLiteral("ActualIx")};
const QStringList CostingResultFields = {
    QStringLiteral("Frame_Cost"), QStringLiteral("Glazing_Cost"), QStringLiteral("Factory_Cost"),
    QStringLiteral("Total_Cost"), QStringLiteral("Window_Area")};

void showDesignFromRecord(data::TDM& dm, DesignView& view) {
    store::Table& D = dm.DesignTable;
    view.systemTypeText = text(D, "System_Type");
    view.systemNameText = text(D, "System_Name");
    view.mullionDie = text(D, "Die4");
    view.transomDie = text(D, "Die5");
    view.grid->clear();
    if (!D.isEmpty())
        design::LoadGraphic(dm.DesignImageTable, dm.DesignMergeTable, text(D, "Project_Ref"),
                            D.fieldByName(QStringLiteral("Design_No")).asInteger(), *view.grid);
}

CalcContext::CalcContext(data::TDM& dm, data::Messages& messages) : dm_(dm), messages_(messages) {
    saveDesign = [this](const design::GridModel& grid) {
        design::SaveDesign({dm_.database(), &dm_.ProjectTable, &dm_.DesignTable,
                            &dm_.ProjectRationalTable, &dm_.DesignImageTable,
                            &dm_.DesignMergeTable},
                           grid);
    };
    designShown = [this](DesignView& view) { showDesignFromRecord(dm_, view); };
}

void CalcContext::UpdateCalcBtn(bool changed) {
    CalcBtnEnabled = true;
    if (!changed) return;
    warned_.clear();
    if (onRow(dm_.DesignTable)) {
        store::Transaction tx(*dm_.database());
        zeroResults();
        tx.commit();
    }
    IxWarningShown = false;
}

void CalcContext::zeroResults() {
    store::Table& D = dm_.DesignTable;
    D.edit();
    for (const QString& f : DesignResultFields)
        setNumber(D, f, 0);
    D.post();
    // The costs are wiped with the results, so that no figure of an
    // earlier calculation outlives them.
    store::Table& costing = dm_.DesignCostingTable;
    if (costing.findKey({D.fieldByName(QStringLiteral("Project_Ref")).value(),
                         D.fieldByName(QStringLiteral("Design_No")).value()})) {
        costing.edit();
        for (const QString& f : CostingResultFields)
            setNumber(costing, f, 0);
        costing.post();
    }
}

void CalcContext::noResults(const QString& badValue) {
    zeroResults();
    messages_.showMessage(
        QStringLiteral("No Results Available for Selected Options: %1 of design %2 "
                       "is not a valid value")
            .arg(badValue, text(dm_.DesignTable, "Design_Ref")));
}

void CalcContext::checkReferenceRows() {
    store::Database& db = *dm_.database();
    ReferenceStamp now;
    now.dataVersion = db.dataVersion();
    now.schemaVersion = db.schemaVersion();
    const char* const tables[] = {"SystemValues", "SystemSash", "Glazing", "SystemProfile"};
    for (size_t i = 0; i < now.changes.size(); ++i)
        now.changes[i] = db.changeStamp(QString::fromLatin1(tables[i])).changes;
    now.rollbacks = db.changeStamp(QString()).rollbacks;
    if (now == referenceStamp_) return;
    valueRows_.clear();
    sashRows_.clear();
    glazingRows_.clear();
    profileIx_.clear();
    referenceStamp_ = now;
}

SashRows CalcContext::loadSashes(const QString& systemName) {
    if (auto it = sashRows_.find(systemName); it != sashRows_.end()) return it->second;
    store::Query& q = dm_.SystemSashQuery;
    q.close();
    q.setSql(QStringLiteral("Select * from SystemSash Where System_Name=?"), {systemName});
    q.open();
    std::vector<SashRow> rows;
    for (; !q.eof(); q.next())
        rows.push_back(SashRow::fromRecord(q));
    q.close();
    return sashRows_[systemName] = SashRows(std::move(rows));
}

GlazingRow CalcContext::loadGlazing(const QString& glassCode) {
    if (auto it = glazingRows_.find(glassCode); it != glazingRows_.end()) return it->second;
    GlazingRow& g = glazingRows_[glassCode];
    store::Table& t = dm_.GlazingTable;
    if (!glassCode.isEmpty() && t.findKey({glassCode})) {
        g.Glass_Desc = text(t, "Glass_Desc");
        g.Max_Area = number(t, "Max_Area");
        g.Glazing_Cost = number(t, "Glazing_Cost");
    }
    return g;
}

void CalcContext::CheckDesignBtnClick(const DesignView& view) {
    store::Table& D = dm_.DesignTable;
    const QStringList warnings = designWarnings(
        *view.grid, design::Dimensions::fromRecord(D), loadSashes(text(D, "System_Name")),
        loadGlazing(text(D, "Glass_Code")), text(D, "Design_Ref"), WarningsOff);
    for (const QString& w : warnings)
        messages_.showMessage(w);
}

std::optional<CalcContext::ValueRow> CalcContext::systemValues(const QString& key,
                                                               const QString& sql,
                                                               const QVariantList& params) {
    store::Query& q = dm_.SystemValueQuery;
    q.close();
    q.setSql(sql, params);
    q.open();
    std::optional<ValueRow> row;
    if (!q.isEmpty()) {
        q.first();
        ValueRow v;
        v[0] = number(q, "U_COG");
        v[1] = number(q, "SHGC_COG");
        for (int i = 0; i < 3; ++i) {
            v[size_t(2 + i)] = q.fieldByName(QStringLiteral("UF%1").arg(i)).asFloat();
            v[size_t(5 + i)] = q.fieldByName(QStringLiteral("UE%1").arg(i)).asFloat();
            v[size_t(8 + i)] = q.fieldByName(QStringLiteral("PFD%1").arg(i)).asFloat();
        }
        row = v;
    }
    q.close();
    return valueRows_[key] = row;
}

double CalcContext::profileIx(const QString& dieCode) {
    if (auto it = profileIx_.find(dieCode); it != profileIx_.end()) return it->second;
    store::Query& pq = dm_.SystemProfileQuery;
    pq.close();
    pq.setSql(QStringLiteral("Select * from SystemProfile Where Profile_Code=?"), {dieCode});
    pq.open();
    const double ix = pq.isEmpty() ? 0.0 : number(pq, "Profile_Ix");
    pq.close();
    return profileIx_[dieCode] = ix;
}

bool CalcContext::lookupValues(store::DataSet& D) {
    const QString profile5 = text(D, "Profile5");
    const QString system = text(D, "System_Name"), finish = text(D, "Finish"),
                  glass = text(D, "Glass_Code");
    // The parameters every lookup of this design shares, as the key of the
    // remembered rows: the five lookups of each design and the same choices
    // of the next designs find their rows without building a query.
    const QChar sep(0x1f);
    const QString shared = (SashSystem ? QStringLiteral("S") : QStringLiteral("-")) + sep + system +
                           sep + finish + sep + glass + sep + (SashSystem ? profile5 : QString()) + sep;
    bool headFound = false, allFound = true;
    for (const ProfileLookup& l : kLookups) {
        const QString option = text(D, l.field);
        if (option.isEmpty()) continue;
        const QString key = shared + QLatin1String(l.profile) + sep + option;
        std::optional<ValueRow> row;
        if (const auto it = valueRows_.find(key); it != valueRows_.end()) {
            row = it->second;
        } else {
            QString sql = QStringLiteral(
                "Select * from SystemValues Where System_Name=? and Finish=? and Glass_Code=?");
            QVariantList params{system, finish, glass};
            if (SashSystem) {
                sql += QStringLiteral(" and Sash=?");
                params << profile5;
            }
            sql += QStringLiteral(" and Profile=? and Option_Desc=?");
            params << QString::fromLatin1(l.profile) << option;
            row = systemValues(key, sql, params);
        }
        ValuesFound = row.has_value();
        if (ValuesFound && badMemberValue_.isEmpty()) {
            // Only the columns this lookup hands on: the centre figures of the
            // head row and one value set per member word.
            static const char* const names[11] = {"U_COG", "SHGC_COG", "UF0",  "UF1",  "UF2", "UE0",
                                                  "UE1",   "UE2",      "PFD0", "PFD1", "PFD2"};
            std::vector<size_t> used;
            if (qstrcmp(l.profile, "Head") == 0) used = {0, 1};
            for (size_t i = 0; i < 3 && l.words[i]; ++i)
                used.insert(used.end(), {2 + i, 5 + i, 8 + i});
            for (size_t i : used)
                if (!std::isfinite((*row)[i])) {
                    badMemberValue_ =
                        QStringLiteral("%1 of the %2 row of SystemValues (%3)")
                            .arg(QString::fromLatin1(names[i]), QString::fromLatin1(l.profile),
                                 valueText((*row)[i]));
                    break;
                }
        }
        if (ValuesFound) {
            if (qstrcmp(l.profile, "Head") == 0) {
                ProfileValues.U_COG = (*row)[0];
                ProfileValues.SHGC_COG = (*row)[1];
                headFound = true;
            }
            for (int i = 0; i < 3 && l.words[i]; ++i) {
                MemberValues& m = ProfileValues.at(QString::fromLatin1(l.words[i]));
                m.UF = (*row)[size_t(2 + i)];
                m.UE = (*row)[size_t(5 + i)];
                m.PFD = (*row)[size_t(8 + i)];
            }
        } else {
            allFound = false;
        }
    }
    // A result needs the glass's centre values from the head row and every
    // member's values: a missing row must not leave zeros or another design's
    // figures in the sums.
    return headFound && allFound;
}

ProfileValueTable CalcContext::memberValues(store::DataSet& design) {
    // A query, not the linked table: the window's cursors stay where they are.
    store::Query q;
    q.setDatabase(dm_.database());
    q.setSql(QStringLiteral("Select * from SystemProfileType Where System_Name=?"),
             {text(design, "System_Name")});
    q.open();
    SashSystem = !q.isEmpty() && text(q, "Profile5") == QLatin1String("Sash");
    q.close();
    ProfileValues.resetMembers();
    ProfileValues.U_COG = 0;
    ProfileValues.SHGC_COG = 0;
    lookupValues(design);
    return ProfileValues;
}

void CalcContext::writeCostRow(long double area) {
    store::Table& D = dm_.DesignTable;
    store::Table& costing = dm_.DesignCostingTable;
    const QVariant ref = D.fieldByName(QStringLiteral("Project_Ref")).value();
    const QVariant no = D.fieldByName(QStringLiteral("Design_No")).value();
    if (!costing.findKey({ref, no})) {
        costing.append();
        costing.fieldByName(QStringLiteral("Project_Ref")).setValue(ref);
        costing.fieldByName(QStringLiteral("Design_No")).setValue(no);
        costing.fieldByName(QStringLiteral("Design_Ref"))
            .setValue(D.fieldByName(QStringLiteral("Design_Ref")).value());
    }
    costing.edit();
    setNumber(costing, QStringLiteral("Frame_Cost"), double(Costs.frame));
    setNumber(costing, QStringLiteral("Glazing_Cost"), double(Costs.glazing));
    setNumber(costing, QStringLiteral("Factory_Cost"), double(Costs.factory));
    setNumber(costing, QStringLiteral("Total_Cost"), double(totalCostPerArea(Costs, area)));
    setNumber(costing, QStringLiteral("Window_Area"), double(area));
    costing.post();
}

void CalcContext::calculate(DesignView& view) {
    store::Table& D = dm_.DesignTable;
    const design::GridModel& grid = *view.grid;
    saveDesign(grid);
    CheckDesignBtnClick(view);
    UpdateCalcBtn(false);

    Costs = CostTotals{};
    SashSystem = false;
    ValuesFound = false;
    badMemberValue_.clear();
    if (const QString bad = invalidDesignInput(D); !bad.isEmpty()) return noResults(bad);
    if (dm_.SystemProfileTypeTable.findKey({view.systemNameText}))
        SashSystem = text(dm_.SystemProfileTypeTable, "Profile5") == QLatin1String("Sash");

    const design::Dimensions dims = design::Dimensions::fromRecord(D);
    const CellWords words(grid);
    Costs = costLoop(words, dims, loadSashes(text(D, "System_Name")), text(D, "Finish"),
                     loadGlazing(text(D, "Glass_Code")).Glazing_Cost);

    ProfileValues.resetMembers();
    ProfileValues.U_COG = 0;
    ProfileValues.SHGC_COG = 0;
    const bool valuesComplete = lookupValues(D);
    ProfileValues.setEdgeWidths(kEdgeOfGlassWidth);
    // A value that is not finite makes every sum it enters not finite; one
    // that no member of this design reads harms nothing.
    const QString tooLarge = badMemberValue_.isEmpty()
                                 ? QStringLiteral("a result too large for the calculation")
                                 : badMemberValue_;

    // The continuous member against the wind load.
    const QString continuous = text(D, "Continuous");
    long double length = 0, spanL = 0, spanR = 0;
    LongestProfile(words, dims, continuous, length, spanL, spanR);
    const long double reqIx = RequiredIx(number(D, "Wind_Load"), spanL, spanR, length);
    const double actualIx =
        profileIx(continuous == QLatin1String("Horizontal") ? view.transomDie : view.mullionDie);
    if (!std::isfinite(actualIx))
        return noResults(
            QStringLiteral("Profile_Ix of the chosen profile (%1)").arg(valueText(actualIx)));

    const long double area = CalcWindowArea(words, dims);
    const ThermalTotals totals = thermalLoop(words, dims, ProfileValues);
    // Values within range one by one can still overflow in the sums; no
    // figure that is not a number may be stored or printed.
    if (!allFinite({length, spanL, spanR, reqIx, area, double(area), totals.UA, totals.glassSolar,
                    totals.frameSolar, Costs.frame, Costs.glazing, Costs.factory,
                    totalCostPerArea(Costs, area)}))
        return noResults(tooLarge);
    if (actualIx > 0 && actualIx < reqIx) DisplayIxWarning(double(reqIx), actualIx);

    writeCostRow(area);

    D.edit();
    setNumber(D, QStringLiteral("Window_Area"), double(area));
    setNumber(D, QStringLiteral("Profile_Length"), double(length));
    setNumber(D, QStringLiteral("SpanL"), double(spanL));
    setNumber(D, QStringLiteral("SpanR"), double(spanR));
    setNumber(D, QStringLiteral("ReqIx"), double(reqIx));
    setNumber(D, QStringLiteral("ActualIx"), actualIx);
    // One post for all the results: the area is read back from the edit
    // buffer, which holds it as the field stores it.

    if (totals.noneCount == design::RowCount * design::ColCount)
        messages_.showMessage(QStringLiteral("Please design at least one frame"));

    const double A = number(D, "Window_Area");
    double U = 0, shgc = 0;
    if (A != 0 && valuesComplete) {
        U = totals.UA / A;
        shgc = (totals.glassSolar + totals.frameSolar) / A;
    }
    if (!allFinite({U, shgc})) return noResults(tooLarge);
    setNumber(D, QStringLiteral("U_Factor"), RoundTo(U, 5));
    setNumber(D, QStringLiteral("SHGC"), RoundTo(shgc, 5));
    if (U == 0 && !view.systemTypeText.isEmpty())
        messages_.showMessage(
            A != 0 ? QStringLiteral("No Results Available for Selected Options")
                   : QStringLiteral("Dimensions Missing - Calculation can not be Performed"));
    D.post();
}

void CalcContext::failed(const store::StoreError& e) {
    // The transaction has rolled back; edits left open would post it again.
    if (dm_.DesignTable.editing()) dm_.DesignTable.cancel();
    if (dm_.DesignCostingTable.editing()) dm_.DesignCostingTable.cancel();
    messages_.showError(e.message());
}

bool CalcContext::CalcBtnClick(DesignView& view) {
    store::Table& D = dm_.DesignTable;
    // Without a design there is nothing to calculate (editing would add one).
    if (!onRow(D)) return true;
    checkReferenceRows();
    try {
        store::Transaction tx(*dm_.database());
        calculate(view);
        tx.commit();
        return true;
    } catch (const store::StoreError& e) {
        failed(e);
        return false;
    }
}

bool CalcContext::UpdateAllValues(DesignView& view) {
    store::Table& D = dm_.DesignTable;
    checkReferenceRows();
    try {
        store::Transaction tx(*dm_.database());
        {
            // Nobody waits for a design's figures to be written before the next
            // design is read: on a server they go along with that read.
            store::HeldWrites held(*dm_.database());
            for (D.first(); !D.eof(); D.next()) {
                designShown(view);
                calculate(view);
            }
        }
        tx.commit();
        D.first();
        designShown(view);
        return true;
    } catch (const store::StoreError& e) {
        failed(e);
        D.first();
        designShown(view);
        return false;
    }
}

QString CalcContext::warningKey(double reqIx, double actualIx) {
    store::Table& D = dm_.DesignTable;
    return QStringList{text(D, "Project_Ref"), text(D, "Design_No"), QString::number(reqIx, 'g', 12),
                       QString::number(actualIx, 'g', 12), text(D, "Continuous")}
        .join(QChar(0x1f));
}

void CalcContext::DisplayIxWarning() {
    DisplayIxWarning(number(dm_.DesignTable, "ReqIx"), number(dm_.DesignTable, "ActualIx"));
}

void CalcContext::DisplayIxWarning(double reqIx, double actualIx) {
    if (IxWarningShown) return;
    store::Table& D = dm_.DesignTable;
    // A design's failing figures are told once: showing the design again
    // (another page, back) repeats nothing until its inputs change.
    const QString key = warningKey(reqIx, actualIx);
    if (warned_.contains(key)) {
        IxWarningShown = true;
        return;
    }
    if (text(D, "Continuous") == QLatin1String("Vertical")) {
        QString p4, p5;
        if (dm_.SystemProfileTypeTable.findKey({text(D, "System_Name")})) {
            p4 = text(dm_.SystemProfileTypeTable, "Profile4");
            p5 = text(dm_.SystemProfileTypeTable, "Profile5");
        }
        const QString designRef = text(D, "Design_Ref");
        auto warn = [&](const QString& p) {
            messages_.showMessage(QStringLiteral("Warning - The ") + p +
                                  QStringLiteral(" selected in ") + designRef +
                                  QStringLiteral(" will fail, please select a stronger ") + p);
        };
        if (!p4.isEmpty() && !WarningsOff) {
            warn(p4);
            warned_.insert(key);
        } else if (!p5.isEmpty() && !WarningsOff) {
            warn(p5);
            warned_.insert(key);
        }
    }
    IxWarningShown = true;
}

} // namespace calc
