#include "Headless.h"

#include "maintenance/Procedures.h"
#include "store/FolderMark.h"
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
                           "       tablerepair [-utilitydatapath=DIR]   (the window)\n"
                           "--rebuild exits 0 when no row was lost, 3 when rows on unreadable\n"
                           "pages were lost, 1 when a table could not be rebuilt.\n";

const char* const kHeld = "Rebuild can not continue.  Rebooting the server may be necessary.\n"
                          "If this problem persists, please contact Dravik Technical Support.";

int verifyAll(const QString& folder, const QString& workFolder, QTextStream& out,
              QTextStream& err) {
    // A folder being rebuilt is not read half-way.
    const auto mark = store::FolderMark::take(folder, store::FolderMark::Kind::Shared);
    if (!mark) {
        err << store::FolderMark::inUseMessage() << Qt::endl;
        return 1;
    }
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

// 0 when every table was rebuilt with every row read, 3 when rows on
// unreadable pages are lost, 1 when a table could not be rebuilt at all.
int rebuildAll(const QString& folder, const QString& workFolder, bool backup, QTextStream& out,
               QTextStream& err) {
    // Held for the whole run: no program opens the folder half-way.
    const auto mark = store::FolderMark::take(folder, store::FolderMark::Kind::Exclusive);
    if (!mark) {
        err << store::FolderMark::inUseMessage() << Qt::endl;
        return 1;
    }
    const QStringList tables = tableNamesOf(folder);
    DeleteLockFiles(folder);
    if (!heldTable(folder, tables).isEmpty()) {
        err << kHeld << Qt::endl;
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
    const WorkTables work = runWorkTables(workFolder, QDateTime::currentDateTime());
    if (work.backup.isEmpty()) {
        err << "Cannot make a work folder in " << QDir::toNativeSeparators(workFolder) << Qt::endl;
        return 1;
    }
    TBDEUtil util;
    bool failed = false, lossy = false;
    for (const QString& name : tables) {
        RebuildOutcome outcome = RebuildOutcome::NoDescriptor;
        TURebuildCounts counts;
        try {
            util.reopen();
            outcome = rebuildTable(util, QDir(folder).filePath(name), work, &counts);
        } catch (const EngineError& e) {
            err << "Unable to restructure " << name << ": " << e.message() << Qt::endl;
        }
        out << name << ": " << rebuildStatus(outcome, counts);
        if (outcome == RebuildOutcome::Complete || outcome == RebuildOutcome::Lossy)
            out << " (" << countsText(counts) << ")";
        out << Qt::endl;
        failed =
            failed || (outcome != RebuildOutcome::Complete && outcome != RebuildOutcome::Lossy);
        lossy = lossy || outcome == RebuildOutcome::Lossy;
    }
    if (const QString kept = tidyRunFolder(work); !kept.isEmpty())
        out << keptInText(kept) << Qt::endl;
    return failed ? 1 : lossy ? 3 : 0;
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
        return verify ? verifyAll(folder, workFolder, out, err)
                      : rebuildAll(folder, workFolder, args.size() == 2, out, err);
    } catch (const EngineError& e) {
        err << e.message() << Qt::endl;
        return 1;
    }
}

} // namespace tablerepair
