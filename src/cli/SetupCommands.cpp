#include "CliMessages.h"
#include "Commands.h"
#include "data/DataFolder.h"
#include "data/DataModule.h"
#include "data/Paths.h"
#include "data/ServerStore.h"

#include <QDir>
#include <QFileInfo>

namespace cli {

namespace {

int initCommand(Context& ctx) {
    if (!ctx.args.isEmpty()) throw UsageError{QStringLiteral("init takes no arguments")};
    if (const QString server = data::storeServer(); !server.isEmpty()) {
        if (!data::initServer(server, data::shippedDataDir())) {
            ctx.err << "The server " << server << " holds the tables already; they are left as they are.\n";
            return 1;
        }
        ctx.out << "Created the tables on " << server << "\n";
        return 0;
    }
    const QString dataDir = QDir(ctx.workDir).filePath(QStringLiteral("Data"));
    if (QFileInfo::exists(dataDir)) {
        ctx.err << "A data folder exists already in " << ctx.workDir << "; it is left as it is.\n";
        return 1;
    }
    data::createDataFolder(dataDir, data::shippedDataDir());
    ctx.out << "Created " << data::databaseFile(dataDir) << "\n";
    return 0;
}

int tablesCommand(Context& ctx) {
    if (!ctx.args.isEmpty()) throw UsageError{QStringLiteral("tables takes no arguments")};
    CliMessages messages(ctx.err);
    data::TDM dm(messages, ctx.workDir);
    if (!dm.tablesOpen()) return 1;
    if (dm.database()->isServer()) ctx.out << "Server\t" << dm.database()->serverName() << '\n';
    for (store::Table* t : dm.tablesInOpenOrder()) {
        // Count the whole table, not a linked range.
        store::Query q(dm.database(), QStringLiteral("Select * from %1").arg(t->tableName()));
        q.open();
        ctx.out << t->tableName() << '\t' << q.recordCount() << '\n';
    }
    return 0;
}

} // namespace

void addSetupCommands(CommandList& list) {
    list.push_back({QStringLiteral("init"),
                    QStringLiteral("create and fill a data folder in the working folder (with "
                                   "--server: the tables on the server); an existing one is left "
                                   "as it is"),
                    {},
                    {},
                    {},
                    initCommand});
    list.push_back({QStringLiteral("tables"),
                    QStringLiteral("list every table of the data folder with its row count, "
                                   "tab-separated (on a server, first a line naming it)"),
                    {},
                    {},
                    {},
                    tablesCommand});
}

} // namespace cli
