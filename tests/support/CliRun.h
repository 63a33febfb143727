#pragma once

#include "cli/Commands.h"

#include <QDir>
#include <QString>
#include <QStringList>
#include <QTextStream>

namespace testing_support {

// One in-process run of glazecalc-cli with what it printed.
struct CliRun {
    int rc;
    QString out, err;
};

// The command moves into its working folder; the test's current folder is restored.
inline CliRun runCli(const QStringList& args) {
    CliRun r{0, {}, {}};
    const QString cwd = QDir::currentPath();
    QTextStream out(&r.out), err(&r.err);
    r.rc = cli::runCommandLine(args, out, err);
    out.flush();
    err.flush();
    QDir::setCurrent(cwd);
    return r;
}

} // namespace testing_support
