#include "ReportCommands.h"

#include "CliMessages.h"
#include "ProjectSetup.h"
#include "calc/Calculation.h"
#include "reports/DesignReport.h"
#include "reports/Output.h"
#include "reports/ProjectReports.h"

namespace cli {

namespace {

const Argument kProjectArgument{QStringLiteral("PROJECT_REF"),
                                QStringLiteral("the project's reference")};

int designNumber(const QString& text) {
    bool ok = false;
    const int n = text.toInt(&ok);
    if (!ok)
        throw UsageError{QStringLiteral("the design number must be a whole number: %1").arg(text)};
    return n;
}

void expectArguments(const Context& ctx, qsizetype count, const char* what) {
    if (ctx.args.size() != count)
        throw UsageError{QStringLiteral("this report takes %1").arg(QLatin1String(what))};
}

int designReport(Context& ctx) {
    expectArguments(ctx, 2, "a project reference and a design number");
    const int designNo = designNumber(ctx.args[1]);
    CliMessages messages(ctx.err);
    data::TDM dm(messages, ctx.workDir);
    if (!dm.tablesOpen() || !openProject(dm, ctx.args[0])) return 1;
    if (!openDesign(dm, ctx.args[0], designNo)) return 1;
    // As the report command of the window: recalculate, picture, report.
    design::GridModel grid;
    calc::DesignView view;
    view.grid = &grid;
    calc::showDesignFromRecord(dm, view);
    calc::CalcContext calculation(dm, messages);
    if (!calculation.CalcBtnClick(view)) return 1;
    const reports::Document doc = reports::designReportWithPicture(dm, grid);
    dm.DesignQuery.close();
    dm.GlassQuery.close();
    return writeReport(ctx, doc);
}

int projectReport(Context& ctx, const std::function<reports::Document(data::TDM&)>& build) {
    expectArguments(ctx, 1, "a project reference");
    CliMessages messages(ctx.err);
    data::TDM dm(messages, ctx.workDir);
    if (!dm.tablesOpen() || !openProject(dm, ctx.args[0])) return 1;
    reports::Document doc;
    try {
        doc = build(dm);
    } catch (const std::runtime_error& e) { // quotation settings that cannot be read
        ctx.err << QString::fromStdString(e.what()) << "\n";
        return 1;
    }
    dm.DesignQuery.close();
    dm.GlassQuery.close();
    return writeReport(ctx, doc);
}

} // namespace

QCommandLineOption reportOutputOption() {
    return QCommandLineOption({QStringLiteral("o"), QStringLiteral("output")},
                              QStringLiteral("the report file; its ending gives the format: "
                                             ".pdf, .xlsx, .txt (a line a band) or .csv"),
                              QStringLiteral("FILE"));
}

Command reportCommand(const QString& kind, const QString& help, QList<Argument> arguments,
                      std::function<int(Context&)> run) {
    return {QStringLiteral("report ") + kind,
            help,
            std::move(arguments),
            {reportOutputOption()},
            {QStringLiteral("o")},
            std::move(run)};
}

int writeReport(Context& ctx, const reports::Document& doc) {
    const QString file = ctx.options.value(QStringLiteral("o"));
    QString error;
    if (!reports::saveDocument(doc, file, &error)) {
        ctx.err << error << "\n";
        return 1;
    }
    ctx.out << "Wrote " << file << " (" << doc.pages.size()
            << (doc.pages.size() == 1 ? " page)\n" : " pages)\n");
    return 0;
}

void addReportCommands(CommandList& list) {
    list.push_back(reportCommand(
        QStringLiteral("design"),
        QStringLiteral("recalculate a design, write its picture Screen1.bmp in the working folder "
                       "and its \"Fenestration Design Report\""),
        {kProjectArgument, {QStringLiteral("DESIGN_NO"), QStringLiteral("the design's number")}},
        designReport));
    Command summary = reportCommand(
        QStringLiteral("summary"),
        QStringLiteral("write the \"Fenestration Design Summary\" of the project's stored results"),
        {kProjectArgument}, [](Context& ctx) {
            const bool prices = ctx.options.isSet(QStringLiteral("show-prices"));
            return projectReport(ctx, [prices](data::TDM& dm) {
                return reports::summaryReport(dm, prices);
            });
        });
    summary.options << QCommandLineOption(
        QStringLiteral("show-prices"),
        QStringLiteral("add each design's unit and line price and the totals"));
    list.push_back(std::move(summary));
    list.push_back(reportCommand(
        QStringLiteral("rational"),
        QStringLiteral("write the \"Rational Design (SANS 10400XA)\" report from the project's "
                       "stored rational figures"),
        {kProjectArgument},
        [](Context& ctx) { return projectReport(ctx, reports::rationalReport); }));
}

} // namespace cli
