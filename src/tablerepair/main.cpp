// tablerepair: verifies and rebuilds the tables of a data folder; with
// --verify-only or --rebuild it runs without a window.
#include "Headless.h"
#include "maintenance/Procedures.h"

#include <QCoreApplication>
#include <QDir>
#include <QTextStream>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QString login = qEnvironmentVariable("USER", qEnvironmentVariable("USERNAME"));
    const QString workFolder = maintenance::workFolderFor(QDir::tempPath(), login);
    QTextStream out(stdout);
    QTextStream err(stderr);
    return tablerepair::runHeadless(app.arguments(), workFolder, out, err);
}
