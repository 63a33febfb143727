#include "ReportCommand.h"

#include "CliMessages.h"
#include "ProjectSetup.h"
#include "calc/Calculation.h"
#include "compliance/Rational.h"
#include "reports/DesignReport.h"
#include "reports/ProjectReports.h"
#include "store/Database.h"
#include "store/DisplayFormat.h"

namespace cli {

namespace {

// Takes "-o FILE" out of the arguments.
QString takeOutput(QStringList& args) {
    const int at = args.indexOf(QStringLiteral("-o"));
    if (at < 0 || at + 1 >= args.size()) throw UsageError{QStringLiteral("report needs -o FILE")};
    const QString file = args[at + 1];
    args.remove(at, 2);
    return file;
}

int designNumber(const QString& text) {
    bool ok = false;
    const int n = text.toInt(&ok);
    if (!ok)
        throw UsageError{QStringLiteral("the design number must be a whole number: %1").arg(text)};
    return n;
}

} // namespace

int reportCommand(Context& ctx) {
    QStringList args = ctx.args;
    const QString file = takeOutput(args);
    const QString kind = args.isEmpty() ? QString() : args.takeFirst();
    const int expected = kind == QLatin1String("design") ? 2 : 1;
    if ((kind != QLatin1String("design") && kind != QLatin1String("summary") &&
         kind != QLatin1String("rational")) ||
        args.size() != expected)
        throw UsageError{QStringLiteral("report takes design PROJECT_REF DESIGN_NO, summary "
                                        "PROJECT_REF or rational PROJECT_REF, and -o FILE")};
    const int designNo = kind == QLatin1String("design") ? designNumber(args[1]) : 0;

    CliMessages messages(ctx.err);
    data::TDM dm(messages, ctx.workDir);
    if (!dm.tablesOpen() || !openProject(dm, args[0])) return 1;
    reports::Document doc;
    if (kind == QLatin1String("design")) {
        if (!openDesign(dm, args[0], designNo)) return 1;
        // As the report command of the window: recalculate, picture, report.
        design::GridModel grid;
        calc::DesignView view;
        view.grid = &grid;
        calc::showDesignFromRecord(dm, view);
        calc::CalcContext calculation(dm, messages);
        if (!calculation.CalcBtnClick(view)) return 1;
        doc = reports::designReportWithPicture(dm, grid);
    } else if (kind == QLatin1String("summary")) {
        doc = reports::summaryReport(dm);
    } else {
        doc = reports::rationalReport(dm);
    }
    dm.DesignQuery.close();
    dm.GlassQuery.close();
    QString error;
    if (!reports::saveDocument(doc, file, &error)) {
        ctx.err << error << "\n";
        return 1;
    }
    ctx.out << "Wrote " << file << " (" << doc.pages.size()
            << (doc.pages.size() == 1 ? " page)\n" : " pages)\n");
    return 0;
}

int rationalCommand(Context& ctx) {
    QStringList args = ctx.args;
    bool hasTarget = false;
    double target = 0;
    const int at = args.indexOf(QStringLiteral("--target"));
    if (at >= 0) {
        bool ok = false;
        target = at + 1 < args.size() ? args[at + 1].toDouble(&ok) : 0;
        if (!ok) throw UsageError{QStringLiteral("--target needs a number of W/K")};
        hasTarget = true;
        args.remove(at, 2);
    }
    if (args.size() != 1) throw UsageError{QStringLiteral("rational takes a project reference")};

    CliMessages messages(ctx.err);
    data::TDM dm(messages, ctx.workDir);
    if (!dm.tablesOpen() || !openProject(dm, args[0])) return 1;
    store::Table& R = dm.ProjectRationalTable;
    // The target and the figures land together or not at all.
    store::Transaction tx(*dm.database());
    if (hasTarget) {
        R.edit();
        R.fieldByName(QStringLiteral("Tgt_EnergyLoss")).setAsFloat(target);
    }
    const bool meets = compliance::RationalBtnClick(dm);
    R.post();
    tx.commit();
    auto show = [&R](const char* field) {
        return R.fieldByName(QString::fromLatin1(field)).displayText();
    };
    ctx.out << "Tgt_EnergyLoss\t" << show("Tgt_EnergyLoss") << "\n"
            << "Act_EnergyLoss\t" << show("Act_EnergyLoss") << "\n"
            << "Act_AveUVal\t" << show("Act_AveUVal") << "\n"
            << "Act_AveSHGC\t" << show("Act_AveSHGC") << "\n"
            << compliance::rationalVerdict(meets) << "\n";
    return 0;
}

} // namespace cli
