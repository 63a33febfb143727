#include "Commands.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("glazecalc-cli"));
    QTextStream out(stdout);
    QTextStream err(stderr);
    const int rc = cli::runCommandLine(application.arguments().mid(1), out, err);
    out.flush();
    err.flush();
    return rc;
}
