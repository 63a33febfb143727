#include "CliMessages.h"
#include "Commands.h"
#include "ProjectSetup.h"
#include "ReportCommands.h"
#include "calc/Calculation.h"
#include "compliance/Sans204.h"
#include "compliance/Storeys.h"
#include "reports/SansReport.h"
#include "store/Query.h"

#include <algorithm>
#include <numeric>
#include <optional>

namespace cli {

namespace {

const Argument kProjectArgument{QStringLiteral("PROJECT_REF"),
                                QStringLiteral("the project's reference")};

struct FloorSetting {
    QString floor;
    double netArea = 0;
    double ph = 0;
};

double number(const QString& text, const QString& what) {
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(v) || v < 0)
        throw UsageError{QStringLiteral("%1 must be a number of at least 0: %2").arg(what, text)};
    return v;
}

// STOREY=NET_AREA[:PH]; the storey code is taken without the blanks around it.
FloorSetting floorSetting(const QString& text) {
    const qsizetype eq = text.indexOf(QLatin1Char('='));
    if (eq <= 0)
        throw UsageError{QStringLiteral("--floor takes STOREY=NET_AREA[:PH]: %1").arg(text)};
    FloorSetting s;
    s.floor = compliance::storeyCode(text.left(eq));
    const QString rest = text.mid(eq + 1);
    const qsizetype colon = rest.indexOf(QLatin1Char(':'));
    s.netArea = number(colon < 0 ? rest : rest.left(colon), QStringLiteral("The net floor area"));
    if (colon >= 0) s.ph = number(rest.mid(colon + 1), QStringLiteral("The P/H ratio"));
    return s;
}

// Answers "Keep Existing P/H Rations?" as the command line asked.
class AnalyseMessages : public CliMessages {
public:
    AnalyseMessages(QTextStream& err, bool keep) : CliMessages(err), keep_(keep) {}
    data::DlgButton messageDlg(const QString& text, data::DlgType type,
                               const QList<data::DlgButton>& buttons) override {
        CliMessages::messageDlg(text, type, buttons);
        return keep_ ? data::DlgButton::Yes : data::DlgButton::No;
    }

private:
    bool keep_;
};

// At most 10 significant digits: the sums' binary noise (12.720000000000002)
// is no part of the figure.
QString figure(const store::Field& f) {
    if (f.isNull()) return QString();
    return QString::number(f.asFloat(), 'g', 10);
}

// The storey codes the analysis will know: the storey rows the project has
// and those its designs' storeys will add.
QStringList knownStoreys(data::TDM& dm, const QString& projectRef) {
    QStringList codes;
    for (const char* table : {"ProjectFloors", "Design"}) {
        store::Query q(dm.database(), QString());
        q.setSql(QStringLiteral("Select * from %1 Where Project_Ref=?").arg(QLatin1String(table)),
                 {projectRef});
        for (q.open(); !q.eof(); q.next())
            // As the storey list will hold them: " G" of an older folder is "G".
            codes << compliance::storeyCode(q.fieldByName(QStringLiteral("Floor")).asString());
        q.close();
    }
    codes.removeDuplicates();
    std::sort(codes.begin(), codes.end(), compliance::storeyLess);
    return codes;
}

// Every option checked against the project and the reference tables before
// anything is written: false, with each fault named, when one does not hold.
bool optionsHold(data::TDM& dm, data::Messages& messages, const QString& projectRef,
                 const std::optional<int>& zone, const std::vector<FloorSetting>& floors) {
    bool hold = true;
    if (zone && !dm.ClimateZoneTable.locate(QStringLiteral("Zone_No"), *zone)) {
        messages.showMessage(QStringLiteral("There is no climate zone %1").arg(*zone));
        hold = false;
    }
    const QStringList storeys = knownStoreys(dm, projectRef);
    for (const FloorSetting& s : floors) {
        if (!storeys.contains(s.floor)) {
            messages.showMessage(QStringLiteral("Project \"%1\" has no storey \"%2\"; its storeys "
                                                "are %3")
                                     .arg(projectRef, s.floor,
                                          storeys.isEmpty() ? QStringLiteral("none")
                                                            : storeys.join(QStringLiteral(", "))));
            hold = false;
        }
        if (!dm.RatiosTable.findKey({s.ph})) {
            messages.showMessage(QStringLiteral("The P/H ratio %1 of storey \"%2\" is not in the "
                                                "list of ratios: %3")
                                     .arg(QString::number(s.ph, 'g', 10), s.floor,
                                          compliance::phRatioTexts().join(QStringLiteral(", "))));
            hold = false;
        }
    }
    return hold;
}

int sans204Command(Context& ctx) {
    if (ctx.args.size() != 1) throw UsageError{QStringLiteral("sans204 takes a project reference")};
    std::optional<int> zone;
    if (ctx.options.isSet(QStringLiteral("zone"))) {
        bool ok = false;
        zone = ctx.options.value(QStringLiteral("zone")).toInt(&ok);
        if (!ok) throw UsageError{QStringLiteral("--zone needs a climate zone number")};
    }
    std::vector<FloorSetting> floors;
    for (const QString& f : ctx.options.values(QStringLiteral("floor")))
        floors.push_back(floorSetting(f));
    const bool keep = ctx.options.isSet(QStringLiteral("keep-ph"));

    AnalyseMessages messages(ctx.err, keep);
    data::TDM dm(messages, ctx.workDir);
    if (!dm.tablesOpen() || !openProject(dm, ctx.args[0])) return 1;
    const QString ref = dm.ProjectTable.fieldByName(QStringLiteral("Project_Ref")).asString();
    if (!optionsHold(dm, messages, ref, zone, floors)) return 1;
    compliance::linkComplianceTables(dm);

    // All of it or nothing: a failure further on leaves the folder as it was.
    store::Transaction tx(*dm.database());
    // As showing the SANS 204 page: every design recalculated, then the storeys.
    design::GridModel grid;
    calc::DesignView view;
    view.grid = &grid;
    calc::CalcContext calculation(dm, messages);
    calculation.WarningsOff = false;
    bool calculated = true;
    compliance::BuildStoreyList(dm, [&] { calculated = calculation.UpdateAllValues(view); });
    if (!calculated) return 1;

    if (zone) compliance::ClimateZoneCloseUp(dm, *zone);
    store::Table& F = dm.ProjectFloorsTable;
    for (const FloorSetting& s : floors) {
        if (!F.findKey({ref, s.floor})) {
            messages.showMessage(
                QStringLiteral("Project \"%1\" has no storey \"%2\"").arg(ref, s.floor));
            return 1;
        }
        // As typed into the grid: the area, leaving it (P/H back to 0), the P/H, leaving it.
        F.edit();
        F.fieldByName(QStringLiteral("Effective_Area")).setAsFloat(s.netArea);
        F.post();
        compliance::FloorColExit(dm, 3);
        F.edit();
        F.fieldByName(QStringLiteral("Shading_Ratio")).setAsFloat(s.ph);
        F.post();
        compliance::FloorColExit(dm, 4);
    }
    if (!compliance::SANSCalcBtnClick(dm, messages)) return 1;
    if (!compliance::Image20Click(dm, messages)) return 1;
    tx.commit();

    ctx.out << "Floor\tFloor_Area\tWindow_Area\tU_Allow\tU_Total\tSHGC_Allow\tSHGC_Total\t"
               "U_Result\tSHGC_Result\tExempt\n";
    store::Table& P = dm.ProjectResultsTable;
    auto f = [&P](const char* name) { return P.fieldByName(QString::fromLatin1(name)); };
    // The storeys as every list shows them: the ground floor first, then by number.
    std::vector<int> order(size_t(P.recordCount()));
    std::iota(order.begin(), order.end(), 0);
    const int floorField = P.fieldIndex(QStringLiteral("Floor"));
    std::stable_sort(order.begin(), order.end(), [&P, floorField](int a, int b) {
        return compliance::storeyLess(P.rowAt(a)[size_t(floorField)].toString(),
                                      P.rowAt(b)[size_t(floorField)].toString());
    });
    for (int row : order) {
        P.moveTo(row);
        const QString exempt = f("Exempt").isNull()      ? QString()
                               : f("Exempt").asBoolean() ? QStringLiteral("Yes")
                                                         : QStringLiteral("No");
        ctx.out << f("Floor").asString() << '\t' << figure(f("Floor_Area")) << '\t'
                << figure(f("Window_Area")) << '\t' << figure(f("U_Allow")) << '\t'
                << figure(f("U_Total")) << '\t' << figure(f("SHGC_Allow")) << '\t'
                << figure(f("SHGC_Total")) << '\t' << f("U_Result").asString() << '\t'
                << f("SHGC_Result").asString() << '\t' << exempt << '\n';
    }
    return 0;
}

int sansReport(Context& ctx) {
    if (ctx.args.size() != 1)
        throw UsageError{QStringLiteral("this report takes a project reference")};
    CliMessages messages(ctx.err);
    data::TDM dm(messages, ctx.workDir);
    if (!dm.tablesOpen() || !openProject(dm, ctx.args[0])) return 1;
    const reports::Document doc = reports::sansReport(dm);
    dm.DesignQuery.close();
    dm.GlassQuery.close();
    return writeReport(ctx, doc);
}

} // namespace

void addSansCommands(CommandList& list) {
    list.push_back(
        {QStringLiteral("sans204"),
         QStringLiteral("recalculate the designs, build the storey list, set the zone and the "
                        "storeys given, run \"Analyse\" and \"Calculate\" and print the storey "
                        "results"),
         {kProjectArgument},
         {QCommandLineOption(QStringLiteral("zone"), QStringLiteral("the climate zone to choose"),
                             QStringLiteral("N")),
          QCommandLineOption(QStringLiteral("floor"),
                             QStringLiteral("a storey's net floor area in m2 and default P/H "
                                            "ratio (0 when left out); may be repeated"),
                             QStringLiteral("STOREY=NET_AREA[:PH]")),
          QCommandLineOption(
              QStringLiteral("keep-ph"),
              QStringLiteral("keep the designs' P/H ratios of an earlier analysis"))},
         {},
         sans204Command});
    list.push_back(reportCommand(
        QStringLiteral("sans204"),
        QStringLiteral("write the \"SANS 204 Certification Report\" of the project's stored "
                       "storey results"),
        {kProjectArgument}, sansReport));
}

} // namespace cli
