#include "CliMessages.h"
#include "Commands.h"
#include "ProjectSetup.h"
#include "calc/Calculation.h"
#include "calc/Pricing.h"
#include "data/DataModule.h"

namespace cli {

namespace {

QString figure(store::DataSet& ds, const char* field) {
    return QString::number(ds.fieldByName(QString::fromLatin1(field)).asFloat(), 'g', 15);
}

// The window's total in cents; empty for a design without a price.
QString priceText(const calc::DesignPrice& p) {
    return p.priced() ? QString::number(double(p.unit.total()), 'f', 2) : QString();
}

int calcCommand(Context& ctx) {
    if (ctx.args.isEmpty() || ctx.args.size() > 2)
        throw UsageError{
            QStringLiteral("calc takes a project reference and optionally a design number")};
    const QString projectRef = ctx.args[0];
    bool one = ctx.args.size() == 2, ok = true;
    const int designNo = one ? ctx.args[1].toInt(&ok) : 0;
    if (!ok)
        throw UsageError{
            QStringLiteral("the design number must be a whole number: %1").arg(ctx.args[1])};

    CliMessages messages(ctx.err);
    data::TDM dm(messages, ctx.workDir);
    if (!dm.tablesOpen()) return 1;
    if (!openProject(dm, projectRef)) return 1;
    if (one && !openDesign(dm, projectRef, designNo)) return 1;

    design::GridModel grid;
    calc::DesignView view;
    view.grid = &grid;
    calc::CalcContext calculation(dm, messages);
    calculation.WarningsOff = false;
    // Every design is reported as if just changed: its structural warning is armed.
    calculation.designShown = [&](calc::DesignView& v) {
        calc::showDesignFromRecord(dm, v);
        calculation.IxWarningShown = false;
    };
    bool done;
    if (one) {
        calculation.designShown(view);
        done = calculation.CalcBtnClick(view);
    } else {
        done = calculation.UpdateAllValues(view);
    }
    if (!done) return 1;

    ctx.out << "Design_No\tDesign_Ref\tWindow_Area\tU_Factor\tSHGC\tReqIx\tActualIx\tTotal_Cost\tPrice\n";
    store::Table& D = dm.DesignTable;
    auto print = [&] {
        QString total = QStringLiteral("0");
        if (!dm.DesignCostingTable.isEmpty()) total = figure(dm.DesignCostingTable, "Total_Cost");
        ctx.out << D.fieldByName(QStringLiteral("Design_No")).asInteger() << '\t'
                << D.fieldByName(QStringLiteral("Design_Ref")).asString() << '\t'
                << figure(D, "Window_Area") << '\t' << figure(D, "U_Factor") << '\t'
                << figure(D, "SHGC") << '\t' << figure(D, "ReqIx") << '\t' << figure(D, "ActualIx")
                << '\t' << total << '\t' << priceText(calc::storedDesignPrice(dm, D)) << '\n';
    };
    if (one) {
        print();
    } else {
        for (D.first(); !D.eof(); D.next())
            print();
        D.first();
    }
    return 0;
}

} // namespace

void addCalcCommands(CommandList& list) {
    list.push_back(
        {QStringLiteral("calc"),
         QStringLiteral("calculate a design, or every design of a project in key order, store "
                        "the results and print them (Design_No, Design_Ref, Window_Area, "
                        "U_Factor, SHGC, ReqIx, ActualIx, Total_Cost, Price); Total_Cost is the "
                        "rate per m\u00b2 of window, Price the window's total (frame, glazing, "
                        "factory and installation; empty when the design has no price)"),
         {{QStringLiteral("PROJECT_REF"), QStringLiteral("the project's reference")},
          {QStringLiteral("[DESIGN_NO]"),
           QStringLiteral("the design's number; without it every design of the project")}},
         {},
         {},
         calcCommand});
}

} // namespace cli
