#pragma once

#include <QStringList>
#include <QTextStream>

namespace tablerepair {

// True when the arguments ask for work without a window.
bool isHeadless(const QStringList& arguments);

// `--verify-only DIR` prints "NAME: VERDICT" per table; `--rebuild DIR
// [--no-backup]` checks that no other program holds the tables, zips the
// folder beside itself unless told not to, and rebuilds every table, a line
// each. Exit code 0 when every table is sound or rebuilt, 1 otherwise, 2 for
// arguments that cannot be understood. `workFolder` holds the work tables.
int runHeadless(const QStringList& arguments, const QString& workFolder, QTextStream& out,
                QTextStream& err);

} // namespace tablerepair
