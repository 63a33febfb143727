#include "DatabaseRebuild.h"

#include <QDir>

namespace maintenance {

void DatabaseRebuild::RebuildDatabaseTables(const QString& dataFolder, TBDEUtil& util) {
    const QString folder = QDir::cleanPath(dataFolder);
    for (const QString& name : tableNamesOf(folder)) {
        if (name.startsWith(QLatin1Char('_'))) continue;
        RebuildTable(QStringLiteral("%1/%2").arg(folder, name), util);
    }
}

void DatabaseRebuild::RebuildTable(const QString& tablePath, TBDEUtil& util) {
    if (eachTable) eachTable();
    util.reopen();
    switch (rebuildTable(util, tablePath, dataFolderWorkTables())) {
    case RebuildOutcome::Complete:
        log << QStringLiteral("%1: Rebuild was successful.").arg(tablePath);
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
