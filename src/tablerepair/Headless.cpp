#include "Headless.h"

#include "maintenance/Procedures.h"
#include "store/Postgres.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

namespace tablerepair {

using namespace maintenance;

bool isHeadless(const QStringList& arguments) {
    return arguments.contains(QStringLiteral("--verify-only")) ||
           arguments.contains(QStringLiteral("--rebuild")) ||
           arguments.contains(QStringLiteral("--help"));
}

namespace {

const char* const kUsage = "usage: tablerepair --verify-only DIR|SERVER\n"
                           "       tablerepair --rebuild DIR [--no-backup]\n"
                           "       tablerepair [-utilitydatapath=DIR]   (the window)\n";

int verifyAll(const QString& folder, const QString& workFolder, QTextStream& out) {
    TBDEUtil util;
    const WorkTables work = workTablesIn(workFolder);
    bool allOk = true;
    for (const QString& name : tableNamesOf(folder)) {
        util.reopen();
        const QString verdict = verifyTable(util, QDir(folder).filePath(name), work.verify);
        out << name << ": " << verdict << Qt::endl;
        allOk = allOk && verdict == kVerifyOk;
    }
    return allOk ? 0 : 1;
}

int rebuildAll(const QString& folder, const QString& workFolder, bool backup, QTextStream& out,
               QTextStream& err) {
    const QStringList tables = tableNamesOf(folder);
    DeleteLockFiles(folder);
    if (!heldTable(folder, tables).isEmpty()) {
        err << "Rebuild can not continue.  Rebooting the server may be necessary.\n"
               "If this problem persists, please contact Dravik Technical Support."
            << Qt::endl;
        return 1;
    }
    if (backup) {
        const QString archive = archiveName(folder, QDateTime::currentDateTime(),
                                            [](const QString& f) { return QFileInfo::exists(f); });
        QString why;
        if (!zipFolder(folder, archive, &why)) {
            err << "Error Backing Up Files" << Qt::endl << why << Qt::endl;
            return 1;
        }
        out << "Backup: " << QDir::toNativeSeparators(archive) << Qt::endl;
    }
    TBDEUtil util;
    const WorkTables work = workTablesIn(workFolder);
    bool allOk = true;
    for (const QString& name : tables) {
        QString status;
        try {
            util.reopen();
            status = rebuildStatus(rebuildTable(util, QDir(folder).filePath(name), work));
        } catch (const EngineError& e) {
            status = rebuildStatus(RebuildOutcome::NoDescriptor);
            err << "Unable to restructure " << name << ": " << e.message() << Qt::endl;
        }
        out << name << ": " << status << Qt::endl;
        allOk = allOk && status == rebuildStatus(RebuildOutcome::Complete);
    }
    return allOk ? 0 : 1;
}

} // namespace

int runHeadless(const QStringList& arguments, const QString& workFolder, QTextStream& out,
                QTextStream& err) {
    const QStringList args = arguments.mid(1);
    if (args.contains(QStringLiteral("--help"))) {
        out << kUsage;
        return 0;
    }
    const bool verify = args.size() == 2 && args[0] == QLatin1String("--verify-only");
    const bool rebuild =
        (args.size() == 2 || (args.size() == 3 && args[2] == QLatin1String("--no-backup"))) &&
        args[0] == QLatin1String("--rebuild");
    if (!verify && !rebuild) {
        err << kUsage;
        return 2;
    }
    if (store::sql::isServerLocation(args[1])) {
        // Only the rebuild asked for did not happen.
        (verify ? out : err) << serverGuardsItsTables(args[1]) << Qt::endl;
        return verify ? 0 : 1;
    }
    const QString folder = QDir(args[1]).absolutePath();
    if (!QFileInfo(folder).isDir() || databaseFileOf(folder).isEmpty()) {
        err << "No database in " << QDir::toNativeSeparators(folder) << Qt::endl;
        return 1;
    }
    QDir().mkpath(workFolder);
    try {
        return verify ? verifyAll(folder, workFolder, out)
                      : rebuildAll(folder, workFolder, args.size() == 2, out, err);
    } catch (const EngineError& e) {
        err << e.message() << Qt::endl;
        return 1;
    }
}

} // namespace tablerepair
