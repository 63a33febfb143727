#include "Commands.h"

#include "CalcCommand.h"
#include "CliMessages.h"
#include "ReportCommand.h"
#include "data/DataFolder.h"
#include "data/DataModule.h"
#include "data/Paths.h"
#include "store/StoreError.h"

#include <QDir>
#include <QFileInfo>

namespace cli {

namespace {

int initCommand(Context& ctx) {
    if (!ctx.args.isEmpty()) throw UsageError{QStringLiteral("init takes no arguments")};
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
    for (store::Table* t : dm.tablesInOpenOrder()) {
        // Count the whole table, not a linked range.
        store::Query q(dm.database(), QStringLiteral("Select * from %1").arg(t->tableName()));
        q.open();
        ctx.out << t->tableName() << '\t' << q.recordCount() << '\n';
    }
    return 0;
}

}  // namespace

const std::vector<Command>& commands() {
    static const std::vector<Command> all = {
        {QStringLiteral("init"), QString(),
         QStringLiteral("create and fill a data folder in the working folder"), initCommand},
        {QStringLiteral("tables"), QString(), QStringLiteral("list every table with its row count"),
         tablesCommand},
        {QStringLiteral("calc"), QStringLiteral("PROJECT_REF [DESIGN_NO]"),
         QStringLiteral("calculate a design, or every design of a project, store and print the results"),
         calcCommand},
        {QStringLiteral("report"),
         QStringLiteral("design PROJECT_REF DESIGN_NO | summary PROJECT_REF | rational PROJECT_REF, -o FILE"),
         QStringLiteral("write a report as .pdf, .xlsx, .txt or .csv (by the file's ending)"), reportCommand},
        {QStringLiteral("rational"), QStringLiteral("PROJECT_REF [--target W]"),
         QStringLiteral("store a target when given, run the rational design analysis, store and print its figures"),
         rationalCommand},
    };
    return all;
}

namespace {

QString usage() {
    QString text = QStringLiteral("usage: glazecalc-cli [--workdir DIR] COMMAND [ARGS]\n\ncommands:\n");
    for (const Command& c : commands())
        text += QStringLiteral("  %1 %2\n      %3\n").arg(c.name, c.synopsis, c.help);
    return text;
}

}  // namespace

int runCommandLine(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    QStringList args = arguments;
    QString workDir = QDir::currentPath();
    try {
        while (!args.isEmpty() && args.first().startsWith(QLatin1String("--"))) {
            const QString opt = args.takeFirst();
            if (opt == QLatin1String("--workdir")) {
                if (args.isEmpty()) throw UsageError{QStringLiteral("--workdir needs a folder")};
                workDir = QDir(args.takeFirst()).absolutePath();
            } else if (opt.startsWith(QLatin1String("--workdir="))) {
                workDir = QDir(opt.mid(10)).absolutePath();
            } else if (opt == QLatin1String("--help")) {
                out << usage();
                return 0;
            } else {
                throw UsageError{QStringLiteral("unknown option %1").arg(opt)};
            }
        }
        if (args.isEmpty()) throw UsageError{QStringLiteral("no command given")};
        const QString name = args.takeFirst();
        for (const Command& c : commands()) {
            if (c.name != name) continue;
            if (!QFileInfo(workDir).isDir()) {
                err << "The working folder " << workDir << " does not exist.\n";
                return 1;
            }
            // Pictures and the data folder are found relative to the working folder.
            QDir::setCurrent(workDir);
            Context ctx{workDir, args, out, err};
            return c.run(ctx);
        }
        throw UsageError{QStringLiteral("unknown command %1").arg(name)};
    } catch (const UsageError& e) {
        err << "glazecalc-cli: " << e.message << "\n" << usage();
        return 2;
    } catch (const store::StoreError& e) {
        err << e.message() << "\n";
        return 1;
    }
}

}  // namespace cli
