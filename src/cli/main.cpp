#include "Commands.h"

#include <QGuiApplication>
#include <cstdio>

int main(int argc, char* argv[]) {
    // Reports paint with fonts and pictures, which need a platform; without a
    // display the offscreen one serves.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("glazecalc-cli"));
    QTextStream out(stdout);
    QTextStream err(stderr);
    const int rc = cli::runCommandLine(application.arguments().mid(1), out, err);
    out.flush();
    err.flush();
    return rc;
}
