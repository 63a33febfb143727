#include "CliMessages.h"
#include "Commands.h"
#include "ProjectSetup.h"
#include "data/DataModule.h"
#include "exchange/ProjectFolder.h"

#include <QDir>
#include <QFileInfo>

namespace cli {

namespace {

void printFiles(QTextStream& out, const std::vector<exchange::FileRows>& files) {
    for (const exchange::FileRows& f : files)
        out << f.fileName << '\t' << f.rows << '\n';
}

int exportCommand(Context& ctx) {
    if (ctx.args.size() != 2)
        throw UsageError{QStringLiteral("export takes a project reference and a folder")};
    CliMessages messages(ctx.err);
    data::TDM dm(messages, ctx.workDir);
    if (!dm.tablesOpen()) return 1;
    // An unknown project leaves no folder behind.
    if (!findProject(dm, ctx.args[0])) {
        messages.showError(QStringLiteral("Project Reference not Found !"));
        return 1;
    }
    const QString folder = QDir(ctx.workDir).absoluteFilePath(ctx.args[1]);
    if (!QDir().mkpath(folder)) {
        ctx.err << "Cannot create the folder " << QDir::toNativeSeparators(folder) << "\n";
        return 1;
    }
    std::vector<exchange::FileRows> written;
    if (!exchange::saveProjectFolder(*dm.database(), ctx.args[0], folder, messages, &written))
        return 1;
    printFiles(ctx.out, written);
    return 0;
}

int loadCommand(Context& ctx) {
    if (ctx.args.size() != 1) throw UsageError{QStringLiteral("load takes the project folder")};
    const QString folder = QDir(ctx.workDir).absoluteFilePath(ctx.args[0]);
    if (QFileInfo(folder).isFile()) {
        ctx.err << "Give the project folder, not a file in it: " << QDir::toNativeSeparators(folder)
                << "\n";
        return 1;
    }
    CliMessages messages(ctx.err);
    data::TDM dm(messages, ctx.workDir);
    if (!dm.tablesOpen()) return 1;
    exchange::LoadResult result;
    if (!exchange::loadProjectFolder(*dm.database(), folder, messages, &result)) return 1;
    printFiles(ctx.out, result.files);
    return 0;
}

} // namespace

void addExchangeCommands(CommandList& list) {
    list.push_back(
        {QStringLiteral("export"),
         QStringLiteral(
             "write a project's folder of tables (\"TProject.db\" ...) as \"Save Project\" "
             "does and print each file with its rows"),
         {{QStringLiteral("PROJECT_REF"), QStringLiteral("the project's reference")},
          {QStringLiteral("FOLDER"),
           QStringLiteral("the folder to write into, created when missing")}},
         {},
         {},
         exportCommand});
    list.push_back(
        {QStringLiteral("load"),
         QStringLiteral(
             "check a project folder and merge it into the data folder as \"Load Project\" "
             "does; exit 1 when nothing was loaded"),
         {{QStringLiteral("FOLDER"), QStringLiteral("the project folder (not a file in it)")}},
         {},
         {},
         loadCommand});
}

} // namespace cli
