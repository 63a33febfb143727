#include "CliMessages.h"
#include "Commands.h"
#include "data/DataModule.h"
#include "exchange/LegacyDump.h"
#include "exchange/LegacyImport.h"
#include "exchange/ParadoxReader.h"

#include <QDir>

namespace cli {

namespace {

// Also the reader process of the import window and of import-legacy, which
// ask for --escaped so that no character of a value is lost.
int legacyDumpCommand(Context& ctx) {
    if (ctx.args.size() != 1) throw UsageError{QStringLiteral("legacy-dump takes one table file")};
    try {
        exchange::writeDump(exchange::readParadoxTable(QDir(ctx.workDir).absoluteFilePath(ctx.args[0])),
                            ctx.out, ctx.options.isSet(QStringLiteral("escaped")));
    } catch (const exchange::LegacyError& e) {
        ctx.err << e.message() << "\n";
        return 1;
    }
    return 0;
}

int importLegacyCommand(Context& ctx) {
    if (ctx.args.size() != 3)
        throw UsageError{QStringLiteral("import-legacy takes a folder, a project reference and a new reference")};
    CliMessages messages(ctx.err);
    data::TDM dm(messages, ctx.workDir);
    if (!dm.tablesOpen()) return 1;
    exchange::LegacySource source;
    try {
        source = exchange::readLegacySource(QDir(ctx.workDir).absoluteFilePath(ctx.args[0]));
    } catch (const exchange::LegacyError& e) {
        messages.showMessage(e.message());
        return 1;
    }
    const exchange::ImportResult result =
        exchange::importLegacyProject(*dm.database(), source, ctx.args[1], ctx.args[2]);
    messages.showMessage(exchange::importMessage(result, ctx.args[1]));
    return result.outcome == exchange::ImportOutcome::Imported ? 0 : 1;
}

}  // namespace

void addLegacyCommands(CommandList& list) {
    list.push_back({QStringLiteral("import-legacy"),
                    QStringLiteral("import a project of the earlier version's data folder (its Paradox "
                                   "tables) under a new reference; messages on stderr"),
                    {{QStringLiteral("FOLDER"), QStringLiteral("the earlier version's data folder, holding Project.DB")},
                     {QStringLiteral("SOURCE_REF"), QStringLiteral("the project's reference there")},
                     {QStringLiteral("NEW_REF"), QStringLiteral("its reference here")}},
                    {},
                    {},
                    importLegacyCommand});
    list.push_back({QStringLiteral("legacy-dump"),
                    QStringLiteral("print a Paradox table: a line of field names, then one tab-separated "
                                   "line a row"),
                    {{QStringLiteral("FILE.DB"), QStringLiteral("the table file")}},
                    {QCommandLineOption(QStringLiteral("escaped"),
                                        QStringLiteral("write tabs, line breaks and backslashes inside a value "
                                                       "as \\t, \\n, \\r and \\\\ instead of blanks"))},
                    {},
                    legacyDumpCommand});
}

}  // namespace cli
