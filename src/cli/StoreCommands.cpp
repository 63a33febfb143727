#include "Commands.h"
#include "data/ServerStore.h"
#include "store/Postgres.h"

#include <QDir>
#include <QElapsedTimer>

namespace cli {

namespace {

// A folder is taken relative to the working folder; a server as written.
QString storeArgument(const Context& ctx, const QString& arg) {
    if (store::sql::isServerLocation(arg)) {
        data::refusePassword(arg);
        return arg;
    }
    return QDir(ctx.workDir).absoluteFilePath(arg);
}

int copyStoreCommand(Context& ctx) {
    if (ctx.args.size() != 2) throw UsageError{QStringLiteral("copy-store takes a SOURCE and a TARGET")};
    const QString source = storeArgument(ctx, ctx.args[0]);
    const QString target = storeArgument(ctx, ctx.args[1]);
    QElapsedTimer timer;
    timer.start();
    const data::TableCounts counts = data::copyStore(source, target);
    long long rows = 0;
    for (const auto& [table, n] : counts) {
        ctx.out << table << '\t' << n << '\n';
        rows += n;
    }
    ctx.out << "Copied " << rows << " rows of " << counts.size() << " tables in "
            << QString::number(double(timer.elapsed()) / 1000.0, 'f', 1) << " s.\n";
    return 0;
}

} // namespace

void addStoreCommands(CommandList& list) {
    list.push_back({QStringLiteral("copy-store"),
                    QStringLiteral("copy every row of every table from one store to another, in one "
                                   "transaction: each a data folder (the Data folder itself; a new "
                                   "one is created) or a server URI; refused when the target holds "
                                   "projects"),
                    {{QStringLiteral("SOURCE"), QStringLiteral("a data folder or a server URI")},
                     {QStringLiteral("TARGET"), QStringLiteral("a data folder or a server URI")}},
                    {},
                    {},
                    copyStoreCommand});
}

} // namespace cli
