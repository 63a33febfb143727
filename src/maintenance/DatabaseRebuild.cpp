#include "DatabaseRebuild.h"

#include <QDateTime>
#include <QDir>

namespace maintenance {

void DatabaseRebuild::RebuildDatabaseTables(const QString& dataFolder, TBDEUtil& util) {
    const QString folder = QDir::cleanPath(dataFolder);
    work = runWorkTables(folder, QDateTime::currentDateTime());
    if (work.backup.isEmpty())
        throw EngineError(TUERR_WRITE, QStringLiteral("Cannot make a work folder in %1")
                                           .arg(QDir::toNativeSeparators(folder)));
    auto finish = [this] {
        keptIn = tidyRunFolder(work);
        if (!keptIn.isEmpty()) log << keptInText(keptIn);
    };
    try {
        for (const QString& name : tableNamesOf(folder)) {
            if (name.startsWith(QLatin1Char('_'))) continue;
            RebuildTable(QStringLiteral("%1/%2").arg(folder, name), util);
        }
    } catch (...) {
        finish();
        throw;
    }
    finish();
}

void DatabaseRebuild::RebuildTable(const QString& tablePath, TBDEUtil& util) {
    if (eachTable) eachTable();
    util.reopen();
    TURebuildCounts counts;
    const RebuildOutcome outcome = rebuildTable(util, tablePath, work, &counts);
    switch (outcome) {
    case RebuildOutcome::Complete:
        log << QStringLiteral("%1: Rebuild was successful. (%2)")
                   .arg(tablePath, countsText(counts));
        break;
    case RebuildOutcome::Lossy:
        log << QStringLiteral("%1: %2 (%3)")
                   .arg(tablePath, rebuildStatus(outcome, counts), countsText(counts));
        RebuildError = true;
        break;
    case RebuildOutcome::FillFailed:
    case RebuildOutcome::NoDescriptor:
        log << QStringLiteral("%1: Error Filling table structure").arg(tablePath);
        RebuildError = true;
        break;
    case RebuildOutcome::Unsuccessful:
        // The work backup table failing on itself is no failure of the data.
        if (tablePath.right(9).toUpper() == QLatin1String("BACKUP.DB")) break;
        log << QStringLiteral("%1: REBUILD WAS NOT SUCCESSFUL.").arg(tablePath);
        RebuildError = true;
        break;
    }
}

} // namespace maintenance
