#include "CliMessages.h"
#include "Commands.h"
#include "ProjectSetup.h"
#include "reports/ElevationData.h"
#include "reports/ElevationOutput.h"

namespace cli {

namespace {

// drawing PROJECT_REF DESIGN_NO -o FILE: one design's elevation as .svg, .pdf
// or .png; drawing PROJECT_REF -o FILE.pdf: every design of the project to
// one scale.
int drawingCommand(Context& ctx) {
    const QStringList& args = ctx.args;
    if (args.isEmpty() || args.size() > 2)
        throw UsageError{QStringLiteral("drawing takes a project reference and, for one design, "
                                        "its number")};
    const QString file = ctx.options.value(QStringLiteral("o"));
    const QString paper = ctx.options.value(QStringLiteral("paper")).toUpper();
    const QString scale = ctx.options.value(QStringLiteral("scale"));
    const bool oneDesign = args.size() == 2;
    int designNo = 0, ratio = 0;
    if (oneDesign) {
        bool ok = false;
        designNo = args[1].toInt(&ok);
        if (!ok)
            throw UsageError{
                QStringLiteral("the design number must be a whole number: %1").arg(args[1])};
        if (ctx.options.isSet(QStringLiteral("paper")) ||
            ctx.options.isSet(QStringLiteral("scale")))
            throw UsageError{QStringLiteral("--paper and --scale belong to the project sheet")};
    } else {
        if (!paper.isEmpty() && paper != QLatin1String("A4") && paper != QLatin1String("A3"))
            throw UsageError{QStringLiteral("--paper is A4 or A3")};
        if (!scale.isEmpty()) {
            bool ok = false;
            // "1:20" or "20"
            ratio = QString(scale).remove(QStringLiteral("1:")).toInt(&ok);
            if (!ok || ratio < 1 || ratio > 1000)
                throw UsageError{QStringLiteral("--scale is a ratio such as 20 or 1:20")};
        }
    }

    CliMessages messages(ctx.err);
    data::TDM dm(messages, ctx.workDir);
    if (!dm.tablesOpen() || !openProject(dm, args[0])) return 1;
    QString error;
    if (oneDesign) {
        if (!openDesign(dm, args[0], designNo)) return 1;
        const reports::ElevationSource source = reports::storedElevation(dm, dm.DesignTable);
        if (!reports::saveElevation(source, file, &error)) {
            ctx.err << error << "\n";
            return 1;
        }
        const int r = reports::sheetRatio(source);
        ctx.out << "Wrote " << file
                << (r > 0 ? QStringLiteral(" (scale 1:%1)\n").arg(r) : QStringLiteral("\n"));
        return 0;
    }
    reports::ProjectSheet sheet;
    sheet.projectRef = args[0];
    sheet.projectName = dm.ProjectTable.fieldByName(QStringLiteral("Project_Name")).asString();
    sheet.a3 = paper == QLatin1String("A3");
    sheet.ratio = ratio;
    const std::vector<reports::ElevationSource> designs = reports::projectElevations(dm, args[0]);
    if (!reports::saveProjectSheet(designs, sheet, file, &error)) {
        ctx.err << error << "\n";
        return 1;
    }
    const reports::SheetLayout layout = reports::layoutProjectSheet(designs, sheet);
    ctx.out << "Wrote " << file << " (" << layout.pages.size()
            << (layout.pages.size() == 1 ? " page" : " pages") << ", scale 1:" << layout.ratio
            << ")\n";
    return 0;
}

} // namespace

void addDrawingCommands(CommandList& list) {
    list.push_back(
        {QStringLiteral("drawing"),
         QStringLiteral("draw a design's elevation to scale as .svg, .pdf or .png, or every design "
                        "of the project to one scale on landscape pages (.pdf)"),
         {{QStringLiteral("PROJECT_REF"), QStringLiteral("the project's reference")},
          {QStringLiteral("[DESIGN_NO]"),
           QStringLiteral("the design's number; without it the project's elevation sheet")}},
         {QCommandLineOption({QStringLiteral("o"), QStringLiteral("output")},
                             QStringLiteral("the drawing file; its ending gives the format: .svg, "
                                            ".pdf or .png (the project sheet: .pdf)"),
                             QStringLiteral("FILE")),
          QCommandLineOption(QStringLiteral("paper"),
                             QStringLiteral("the project sheet's paper: A4 (default) or A3, "
                                            "landscape"),
                             QStringLiteral("A4|A3")),
          QCommandLineOption(QStringLiteral("scale"),
                             QStringLiteral("the project sheet's scale, such as 20 or 1:20; by "
                                            "default the largest at which four designs fit a page"),
                             QStringLiteral("N"))},
         {QStringLiteral("o")},
         drawingCommand});
}

} // namespace cli
