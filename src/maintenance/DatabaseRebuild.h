#pragma once

#include "Procedures.h"

#include <QStringList>
#include <functional>

namespace maintenance {

// The main program's run over every table of its data folder: one log line
// per table, an error flag for failed rebuilds. A table that fails to verify
// raises the engine error and ends the run there. Tables whose name starts
// with "_" are left alone. `eachTable` runs before every table.
// Each run keeps its work tables in a dated folder of its own inside the data
// folder; a run that moved no row aside leaves none behind (`keptIn` empty).
// A table rebuilt with rows lost counts as an error.
struct DatabaseRebuild {
    QStringList log;
    bool RebuildError = false;
    std::function<void()> eachTable;
    WorkTables work;
    QString keptIn;

    void RebuildDatabaseTables(const QString& dataFolder, TBDEUtil& util);
    void RebuildTable(const QString& tablePath, TBDEUtil& util);
};

} // namespace maintenance
