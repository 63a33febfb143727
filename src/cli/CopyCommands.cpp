#include "CliMessages.h"
#include "Commands.h"
#include "ProjectSetup.h"
#include "data/DataModule.h"
#include "design/DesignRecords.h"
#include "exchange/Copy.h"

namespace cli {

namespace {

int copyProjectCommand(Context& ctx) {
    if (ctx.args.size() != 2)
        throw UsageError{
            QStringLiteral("copy-project takes the source reference and the new reference")};
    CliMessages messages(ctx.err);
    data::TDM dm(messages, ctx.workDir);
    if (!dm.tablesOpen() || !openProject(dm, ctx.args[0])) return 1;
    const int designs = exchange::CopyProject(dm, ctx.args[1]);
    if (designs < 0) return 1;
    ctx.out << "Copied project " << ctx.args[0] << " to "
            << dm.ProjectTable.fieldByName(QStringLiteral("Project_Ref")).asString() << " with "
            << designs << (designs == 1 ? " design\n" : " designs\n");
    return 0;
}

int copyDesignCommand(Context& ctx) {
    if (ctx.args.size() != 3)
        throw UsageError{QStringLiteral(
            "copy-design takes a project reference, a design number and the new design reference")};
    bool ok = false;
    const int designNo = ctx.args[1].toInt(&ok);
    if (!ok)
        throw UsageError{
            QStringLiteral("the design number must be a whole number: %1").arg(ctx.args[1])};
    CliMessages messages(ctx.err);
    data::TDM dm(messages, ctx.workDir);
    if (!dm.tablesOpen() || !openProject(dm, ctx.args[0]) || !openDesign(dm, ctx.args[0], designNo))
        return 1;
    // The stored cells stand for the grid the window would show.
    design::GridModel grid;
    design::LoadGraphic(dm.DesignImageTable, dm.DesignMergeTable, ctx.args[0], designNo, grid);
    const int newNo = exchange::CopyDesign(dm, grid, ctx.args[2]);
    if (newNo == 0) return 1;
    ctx.out << "Copied design " << designNo << " of " << ctx.args[0] << " to design " << newNo
            << " (" << dm.DesignTable.fieldByName(QStringLiteral("Design_Ref")).asString() << ")\n";
    return 0;
}

} // namespace

void addCopyCommands(CommandList& list) {
    list.push_back(
        {QStringLiteral("copy-project"),
         QStringLiteral("copy a project with its designs and their cells under a new reference, "
                        "without results, costs or analyses"),
         {{QStringLiteral("SOURCE_REF"), QStringLiteral("the reference of the project to copy")},
          {QStringLiteral("NEW_REF"),
           QStringLiteral("the reference of the copy; no project may have it")}},
         {},
         {},
         copyProjectCommand});
    list.push_back(
        {QStringLiteral("copy-design"),
         QStringLiteral(
             "copy a design with its stored cells into a new design of the same project"),
         {{QStringLiteral("PROJECT_REF"), QStringLiteral("the project's reference")},
          {QStringLiteral("DESIGN_NO"), QStringLiteral("the number of the design to copy")},
          {QStringLiteral("NEW_DESIGN_REF"), QStringLiteral("the reference of the new design")}},
         {},
         {},
         copyDesignCommand});
}

} // namespace cli
