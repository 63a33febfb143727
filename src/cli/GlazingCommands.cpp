#include "CliMessages.h"
#include "Commands.h"
#include "data/DataModule.h"
#include "glazing/GlazingRows.h"
#include "glazing/Panes.h"
#include "store/Query.h"
#include "store/StoreError.h"

#include <cmath>

namespace cli {

namespace {

const QCommandLineOption
    kPane(QStringLiteral("pane"),
          QStringLiteral("a pane, outdoors first: a listed pane's name (NAME:flip turns "
                         "it round) or t=MM,tsol=..,rf=..,rb=..,ef=..,eb=..[,k=..][,tvis=..]"),
          QStringLiteral("SPEC"));
const QCommandLineOption
    kGap(QStringLiteral("gap"),
         QStringLiteral("the gap after the pane before it: WIDTH_MM:GAS, GAS air, argon, "
                        "krypton or a mixture such as argon90"),
         QStringLiteral("WIDTH_MM:GAS"));

// The unit of the command's --pane and --gap options; a UsageError-free
// refusal (exit 1) with the reason when the layers are not sound.
bool readUnit(Context& ctx, glazing::Unit& unit) {
    QString error, reason;
    const std::vector<glazing::Pane> known = glazing::allPanes(ctx.workDir, &error);
    if (!error.isEmpty()) ctx.err << error << '\n';
    if (!glazing::parseUnit(ctx.options.values(kPane), ctx.options.values(kGap), known, unit,
                            reason)) {
        ctx.err << reason << '\n';
        return false;
    }
    return true;
}

QString figure(double v) {
    return std::isnan(v) ? QString() : QString::number(v, 'f', 3);
}

int computeCommand(Context& ctx) {
    if (!ctx.args.isEmpty()) throw UsageError{QStringLiteral("glazing compute takes no arguments")};
    glazing::Unit unit;
    if (!readUnit(ctx, unit)) return 1;
    const glazing::Performance p = glazing::computeUnit(unit);
    if (!p.converged) {
        ctx.err << "the layers' heat balance did not settle\n";
        return 1;
    }
    ctx.out << "U_COG\tSHGC_COG\tVT\n"
            << figure(p.uValue) << '\t' << figure(p.shgc) << '\t' << figure(p.vt) << '\n';
    return 0;
}

int addCommand(Context& ctx) {
    if (ctx.args.size() != 1)
        throw UsageError{QStringLiteral("glazing add takes the new glazing's code")};
    glazing::GlazingRequest r;
    r.code = ctx.args[0];
    r.like = ctx.options.value(QStringLiteral("like"));
    r.description = ctx.options.value(QStringLiteral("description"));
    if (!readUnit(ctx, r.unit)) return 1;

    CliMessages messages(ctx.err);
    data::TDM dm(messages, ctx.workDir);
    if (!dm.tablesOpen()) return 1;
    store::Database& db = *dm.database();
    try {
        store::Query like(&db, QString());
        like.setSql(QStringLiteral("Select * from Glazing Where Glass_Code=?"), {r.like});
        like.open();
        if (like.eof()) {
            ctx.err << "unknown glazing \"" << r.like << "\"\n";
            return 1;
        }
        r.supplier = ctx.options.isSet(QStringLiteral("supplier"))
                         ? ctx.options.value(QStringLiteral("supplier"))
                         : like.fieldByName(QStringLiteral("Glass_Supplier")).asString();
        like.close();
        QStringList systems;
        for (const QString& s : ctx.options.values(QStringLiteral("systems")))
            for (const QString& name : s.split(QLatin1Char(','), Qt::SkipEmptyParts))
                systems << name.trimmed();
        // Every system and finish the model glazing has values for, or those of the named systems.
        for (const glazing::SystemFinish& t : glazing::targetsOf(db, r.like))
            if (systems.isEmpty() || systems.contains(t.system)) r.targets.push_back(t);
        for (const QString& s : systems)
            if (std::none_of(r.targets.begin(), r.targets.end(),
                             [&](const glazing::SystemFinish& t) { return t.system == s; })) {
                ctx.err << s << " does not offer " << r.like << '\n';
                return 1;
            }
        const QString why = glazing::addGlazing(db, r);
        if (!why.isEmpty()) {
            ctx.err << why << '\n';
            return 1;
        }
    } catch (const store::StoreError& e) {
        ctx.err << e.message() << '\n';
        return 1;
    }
    store::Query added(&db, QString());
    added.setSql(QStringLiteral("Select * from Glazing Where Glass_Code=?"), {r.code});
    added.open();
    ctx.out << "U_COG\tSHGC_COG\tSystem_Finishes\n"
            << added.fieldByName(QStringLiteral("U_COG")).asFloat() << '\t'
            << added.fieldByName(QStringLiteral("SHGC_COG")).asFloat() << '\t' << r.targets.size()
            << '\n';
    return 0;
}

int deleteCommand(Context& ctx) {
    if (ctx.args.size() != 1)
        throw UsageError{QStringLiteral("glazing delete takes the glazing's code")};
    CliMessages messages(ctx.err);
    data::TDM dm(messages, ctx.workDir);
    if (!dm.tablesOpen()) return 1;
    try {
        const QString why = glazing::deleteGlazing(*dm.database(), ctx.args[0]);
        if (!why.isEmpty()) {
            ctx.err << why << '\n';
            return 1;
        }
    } catch (const store::StoreError& e) {
        ctx.err << e.message() << '\n';
        return 1;
    }
    return 0;
}

} // namespace

void addGlazingCommands(CommandList& list) {
    list.push_back(
        {QStringLiteral("glazing compute"),
         QStringLiteral("centre-of-glass U, SHGC and VT of a unit of 1 to 3 panes (ISO 15099, "
                        "NFRC 100); prints U_COG, SHGC_COG, VT"),
         {},
         {kPane, kGap},
         {QStringLiteral("pane")},
         computeCommand});
    list.push_back(
        {QStringLiteral("glazing add"),
         QStringLiteral(
             "store a glazing made from its layers: its Glazing row and, for every system and "
             "finish of the --like glazing (or the --systems named), its SystemValues and "
             "SystemGlass rows"),
         {{QStringLiteral("CODE"),
           QStringLiteral("the new glazing's code (at most 15 characters)")}},
         {QCommandLineOption(QStringLiteral("like"),
                             QStringLiteral("the glazing whose system rows are copied"),
                             QStringLiteral("GLASS_CODE")),
          kPane, kGap,
          QCommandLineOption(
              QStringLiteral("systems"),
              QStringLiteral("comma-separated systems to offer it in; default every system "
                             "offering the --like glazing"),
              QStringLiteral("NAMES")),
          QCommandLineOption(QStringLiteral("supplier"),
                             QStringLiteral("its supplier; default the --like glazing's"),
                             QStringLiteral("NAME")),
          QCommandLineOption(QStringLiteral("description"),
                             QStringLiteral("its description; default one made from the layers"),
                             QStringLiteral("TEXT"))},
         {QStringLiteral("like"), QStringLiteral("pane")},
         addCommand});
    list.push_back(
        {QStringLiteral("glazing delete"),
         QStringLiteral("delete a glazing made from its layers, with its system rows, while no "
                        "design uses it"),
         {{QStringLiteral("CODE"), QStringLiteral("the glazing's code")}},
         {},
         {},
         deleteCommand});
}

} // namespace cli
