#include "GlazingRows.h"

#include "Panes.h"
#include "store/Database.h"
#include "store/Query.h"
#include "store/RowWriter.h"

#include <QSet>
#include <algorithm>
#include <cmath>
#include <map>

namespace glazing {

namespace {

const QString kLayers = QStringLiteral("Layers: ");

// One table row by field name.
using Row = std::map<QString, QVariant>;

std::vector<Row> select(store::Database& db, const QString& statement, const QVariantList& params) {
    store::Query q(&db, QString());
    q.setSql(statement, params);
    q.open();
    std::vector<Row> rows;
    for (q.first(); !q.eof(); q.next()) {
        Row r;
        for (size_t i = 0; i < q.def().fields.size(); ++i)
            r[q.def().fields[i].name] = q.value(int(i));
        rows.push_back(r);
    }
    q.close();
    return rows;
}

void insertRow(store::Database& db, const QString& table, const Row& row) {
    QStringList fields;
    QVariantList values;
    for (const auto& [field, value] : row) {
        fields << field;
        values << value;
    }
    store::RowWriter w(db, table, fields);
    w.insert(values);
    w.commit();
}

double round2(double v) {
    return std::round(v * 100.0) / 100.0;
}

// The glazing whose rows a system's new rows are copied from.
QString templateFor(store::Database& db, int panes, const QString& likeCode,
                    const QString& system) {
    const auto offered =
        select(db, QStringLiteral("Select * from SystemGlass Where System_Name=?"), {system});
    QString fallback;
    for (const Row& g : offered) {
        const QString code = g.at(QStringLiteral("Glass_Code")).toString();
        if (!likeCode.isEmpty()) {
            if (code == likeCode) return code;
            continue;
        }
        const auto rows =
            select(db, QStringLiteral("Select * from Glazing Where Glass_Code=?"), {code});
        if (rows.empty()) continue;
        const int n = paneCountOfType(rows.front().at(QStringLiteral("Glass_Type")).toString());
        if (n == panes) return code;
        // A triple takes the frame values of a sealed unit when the system has no triple.
        if (panes == 3 && n == 2 && fallback.isEmpty()) fallback = code;
    }
    return fallback;
}

} // namespace

double edgeOfGlassU(double uCog, int panes) {
    if (panes < 2) return uCog;
    static const double pts[3][2] = {{1.42, 2.60}, {1.68, 2.70}, {2.69, 3.30}};
    int i = uCog <= pts[1][0] ? 0 : 1;
    const double slope = (pts[i + 1][1] - pts[i][1]) / (pts[i + 1][0] - pts[i][0]);
    return round2(pts[i][1] + (uCog - pts[i][0]) * slope);
}

QString glassType(const Unit& unit) {
    switch (unit.panes.size()) {
    case 1:
        return QString::fromStdString(unit.panes[0].name).startsWith(QLatin1String("lam")) ||
                       std::fabs(unit.panes[0].thickness - std::floor(unit.panes[0].thickness) -
                                 0.38) < 1e-9
                   ? QStringLiteral("Laminated")
                   : QStringLiteral("Single");
    case 2:
        return QStringLiteral("Double");
    default:
        return QStringLiteral("Triple");
    }
}

int paneCountOfType(const QString& type) {
    if (type == QLatin1String("Double")) return 2;
    if (type == QLatin1String("Triple")) return 3;
    return 1;
}

int loweSurface(const Unit& unit) {
    for (size_t i = 0; i < unit.panes.size(); ++i) {
        if (unit.panes[i].emisFront < 0.5) return int(2 * i + 1);
        if (unit.panes[i].emisBack < 0.5) return int(2 * i + 2);
    }
    return 0;
}

QString describeUnit(const Unit& unit) {
    QStringList parts;
    for (size_t i = 0; i < unit.panes.size(); ++i) {
        if (i > 0) parts << QString::number(unit.gaps[i - 1].width, 'g', 4);
        parts << QString::number(unit.panes[i].thickness, 'g', 4);
    }
    QString text = parts.join(QLatin1Char('-'));
    if (!unit.gaps.empty()) {
        QString gas = QString::fromStdString(gasWord(unit.gaps[0].gas));
        gas[0] = gas[0].toUpper();
        text += QLatin1Char(' ') + gas;
    }
    if (const int s = loweSurface(unit)) text += QStringLiteral(", low-e surface %1").arg(s);
    return text;
}

QString notesFor(const Unit& unit, double u, double shgc, double vt) {
    QString figures = QStringLiteral("Made from its layers (ISO 15099, NFRC 100): U %1, SHGC %2")
                          .arg(u, 0, 'f', 2)
                          .arg(shgc, 0, 'f', 2);
    if (!std::isnan(vt)) figures += QStringLiteral(", VT %1").arg(vt, 0, 'f', 2);
    return figures + QStringLiteral(".\n") + kLayers + layerText(unit);
}

bool layersFromNotes(const QString& notes, Unit& unit) {
    for (const QString& line : notes.split(QLatin1Char('\n'))) {
        if (!line.startsWith(kLayers)) continue;
        QString reason;
        return parseLayerText(line.mid(kLayers.size()), unit, reason);
    }
    return false;
}

QStringList glazingsMadeHere(store::Database& db) {
    QStringList codes;
    for (const Row& r : select(db, QStringLiteral("Select * from Glazing"), {})) {
        Unit u;
        if (layersFromNotes(r.at(QStringLiteral("Notes")).toString(), u))
            codes << r.at(QStringLiteral("Glass_Code")).toString();
    }
    codes.sort();
    return codes;
}

std::vector<SystemFinish> targetsOf(store::Database& db, const QString& code) {
    std::vector<SystemFinish> out;
    for (const Row& r :
         select(db, QStringLiteral("Select * from SystemValues Where Glass_Code=?"), {code})) {
        const SystemFinish sf{r.at(QStringLiteral("System_Name")).toString(),
                              r.at(QStringLiteral("Finish")).toString()};
        if (std::find(out.begin(), out.end(), sf) == out.end()) out.push_back(sf);
    }
    return out;
}

std::vector<SystemFinish> offerableTargets(store::Database& db, int panes) {
    std::vector<SystemFinish> out;
    for (const Row& s : select(db, QStringLiteral("Select * from System"), {})) {
        const QString system = s.at(QStringLiteral("System_Name")).toString();
        const QString like = templateFor(db, panes, {}, system);
        if (like.isEmpty()) continue;
        for (const Row& f : select(db, QStringLiteral("Select * from Finish"), {})) {
            const QString finish = f.at(QStringLiteral("Finish")).toString();
            if (!select(db,
                        QStringLiteral("Select * from SystemValues Where System_Name=? and "
                                       "Finish=? and Glass_Code=?"),
                        {system, finish, like})
                     .empty())
                out.push_back({system, finish});
        }
    }
    return out;
}

QStringList designsUsing(store::Database& db, const QString& code) {
    QStringList out;
    for (const Row& r :
         select(db, QStringLiteral("Select * from Design Where Glass_Code=?"), {code}))
        out << QStringLiteral("%1/%2").arg(r.at(QStringLiteral("Project_Ref")).toString(),
                                           r.at(QStringLiteral("Design_No")).toString());
    return out;
}

QString checkRequest(store::Database& db, const GlazingRequest& r, const QString& replacing) {
    const std::string why = checkUnit(r.unit);
    if (!why.empty()) return QString::fromStdString(why);
    // The code also keys the system values, whose field is the narrower one.
    if (r.code.trimmed().isEmpty()) return QStringLiteral("the glazing needs a code");
    if (r.code != r.code.trimmed())
        return QStringLiteral("the code may not begin or end with a space");
    if (r.code.size() > 15) return QStringLiteral("Glass_Code is longer than 15 characters");
    if (r.description.size() > 50) return QStringLiteral("Glass_Desc is longer than 50 characters");
    if (r.supplier.size() > 10) return QStringLiteral("Supplier is longer than 10 characters");
    if (r.code != replacing &&
        !select(db, QStringLiteral("Select * from Glazing Where Glass_Code=?"), {r.code}).empty())
        return QStringLiteral("glazing %1 exists already").arg(r.code);
    if (select(db, QStringLiteral("Select * from Supplier Where Glass_Supplier=?"), {r.supplier})
            .empty())
        return QStringLiteral("unknown supplier \"%1\"").arg(r.supplier);
    if (!r.like.isEmpty() &&
        select(db, QStringLiteral("Select * from Glazing Where Glass_Code=?"), {r.like}).empty())
        return QStringLiteral("unknown glazing \"%1\"").arg(r.like);
    if (r.targets.empty()) return QStringLiteral("no system and finish chosen");
    for (const SystemFinish& t : r.targets) {
        const QString like = templateFor(db, int(r.unit.panes.size()), r.like, t.system);
        if (like.isEmpty())
            return r.like.isEmpty()
                       ? QStringLiteral("%1 offers no glazing of %2 pane(s) to copy from")
                             .arg(t.system)
                             .arg(r.unit.panes.size())
                       : QStringLiteral("%1 does not offer %2").arg(t.system, r.like);
        if (select(
                db,
                QStringLiteral(
                    "Select * from SystemValues Where System_Name=? and Finish=? and Glass_Code=?"),
                {t.system, t.finish, like})
                .empty())
            return QStringLiteral("%1 has no values for finish %2 and glazing %3")
                .arg(t.system, t.finish, like);
    }
    return {};
}

QString addGlazing(store::Database& db, const GlazingRequest& r) {
    if (const QString why = checkRequest(db, r); !why.isEmpty()) return why;
    const Performance p = computeUnit(r.unit);
    if (!p.converged || !std::isfinite(p.uValue) || !std::isfinite(p.shgc))
        return QStringLiteral("the layers' heat balance did not settle");
    const double u = round2(p.uValue), shgc = round2(p.shgc);
    const int panes = int(r.unit.panes.size());

    store::Transaction tx(db);
    const QString first =
        templateFor(db, int(r.unit.panes.size()), r.like, r.targets.front().system);
    const Row like =
        select(db, QStringLiteral("Select * from Glazing Where Glass_Code=?"), {first}).front();
    double total = 0.0;
    for (const Pane& pane : r.unit.panes)
        total += pane.thickness;
    for (const Gap& gap : r.unit.gaps)
        total += gap.width;
    Row g = like;
    g[QStringLiteral("Glass_Code")] = r.code;
    g[QStringLiteral("Glass_Desc")] =
        r.description.isEmpty() ? describeUnit(r.unit) : r.description;
    g[QStringLiteral("Glass_Type")] = glassType(r.unit);
    g[QStringLiteral("IGDB1")] = g[QStringLiteral("IGDB2")] = g[QStringLiteral("SAGDB")] =
        QVariant();
    g[QStringLiteral("Nominal1")] = r.unit.panes.front().thickness;
    g[QStringLiteral("Nominal2")] = panes > 1 ? r.unit.panes.back().thickness : 0.0;
    g[QStringLiteral("Lowe_Surface")] = loweSurface(r.unit);
    g[QStringLiteral("Gap_Size")] = panes > 1 ? r.unit.gaps.front().width : 0.0;
    QString fill;
    if (panes > 1) {
        fill = QString::fromStdString(gasWord(r.unit.gaps.front().gas));
        fill[0] = fill[0].toUpper();
    }
    g[QStringLiteral("Gap_Fill")] = fill;
    if (panes == 1) g[QStringLiteral("Spacer")] = QVariant();
    g[QStringLiteral("Total_Thick")] = total;
    g[QStringLiteral("U_COG")] = u;
    g[QStringLiteral("SHGC_COG")] = shgc;
    g[QStringLiteral("Glass_Supplier")] = r.supplier;
    g[QStringLiteral("Notes")] = notesFor(r.unit, u, shgc, p.vt);
    insertRow(db, QStringLiteral("Glazing"), g);

    QSet<QString> listed;
    for (const SystemFinish& t : r.targets) {
        const QString from = templateFor(db, int(r.unit.panes.size()), r.like, t.system);
        if (!listed.contains(t.system)) {
            listed.insert(t.system);
            const auto offered = select(
                db, QStringLiteral("Select * from SystemGlass Where System_Name=?"), {t.system});
            int number = 0;
            Row sg;
            for (const Row& o : offered) {
                number = std::max(number, o.at(QStringLiteral("Glass_No")).toInt());
                if (o.at(QStringLiteral("Glass_Code")).toString() == from && sg.empty()) sg = o;
            }
            sg[QStringLiteral("Glass_No")] = number + 1;
            sg[QStringLiteral("Glass_Code")] = r.code;
            sg[QStringLiteral("Glass_Desc")] = g[QStringLiteral("Glass_Desc")];
            sg[QStringLiteral("Supplier")] = r.supplier;
            insertRow(db, QStringLiteral("SystemGlass"), sg);
        }
        for (Row v : select(
                 db,
                 QStringLiteral("Select * from SystemValues Where System_Name=? and Finish=? and "
                                "Glass_Code=?"),
                 {t.system, t.finish, from})) {
            v[QStringLiteral("Glass_Code")] = r.code;
            v[QStringLiteral("U_COG")] = u;
            v[QStringLiteral("SHGC_COG")] = shgc;
            // Slots the template leaves at 0 serve no member; they stay 0.
            for (const char* ue : {"UE0", "UE1", "UE2"})
                if (v[QLatin1String(ue)].toDouble() != 0.0)
                    v[QLatin1String(ue)] = edgeOfGlassU(u, panes);
            insertRow(db, QStringLiteral("SystemValues"), v);
        }
    }
    tx.commit();
    return {};
}

namespace {

QString checkRemovable(store::Database& db, const QString& code) {
    const auto rows =
        select(db, QStringLiteral("Select * from Glazing Where Glass_Code=?"), {code});
    Unit u;
    if (rows.empty()) return QStringLiteral("unknown glazing \"%1\"").arg(code);
    if (!layersFromNotes(rows.front().at(QStringLiteral("Notes")).toString(), u))
        return QStringLiteral(
                   "%1 comes with the program; only a glazing made from its layers can be changed")
            .arg(code);
    const QStringList used = designsUsing(db, code);
    if (!used.isEmpty())
        return QStringLiteral("%1 is used by design %2").arg(code, used.join(QStringLiteral(", ")));
    return {};
}

void removeRows(store::Database& db, const QString& code) {
    db.deleteWhere(QStringLiteral("SystemValues"), {QStringLiteral("Glass_Code")}, {code});
    db.deleteWhere(QStringLiteral("SystemGlass"), {QStringLiteral("Glass_Code")}, {code});
    db.deleteWhere(QStringLiteral("Glazing"), {QStringLiteral("Glass_Code")}, {code});
}

} // namespace

QString replaceGlazing(store::Database& db, const QString& code, const GlazingRequest& request) {
    if (const QString why = checkRemovable(db, code); !why.isEmpty()) return why;
    if (const QString why = checkRequest(db, request, code); !why.isEmpty()) return why;
    store::Transaction tx(db);
    removeRows(db, code);
    if (const QString why = addGlazing(db, request); !why.isEmpty()) return why; // rolled back
    tx.commit();
    return {};
}

QString deleteGlazing(store::Database& db, const QString& code) {
    if (const QString why = checkRemovable(db, code); !why.isEmpty()) return why;
    store::Transaction tx(db);
    removeRows(db, code);
    tx.commit();
    return {};
}

} // namespace glazing
