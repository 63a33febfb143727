// tablerepair: verifies and rebuilds the tables of a data folder. With
// --verify-only or --rebuild it runs without a window.
#include "FormRepair.h"
#include "Headless.h"
#include "maintenance/Procedures.h"
#include "store/Postgres.h"
#include "ui/main/WidgetMessages.h"

#include <QApplication>
#include <QDir>
#include <QSettings>
#include <QTextStream>
#include <cstdio>

int main(int argc, char** argv) {
    const QString login = qEnvironmentVariable("USER", qEnvironmentVariable("USERNAME"));
    const QString workFolder = maintenance::workFolderFor(QDir::tempPath(), login);
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (tablerepair::isHeadless(arguments)) {
        QCoreApplication app(argc, argv);
        QTextStream out(stdout);
        QTextStream err(stderr);
        return tablerepair::runHeadless(app.arguments(), workFolder, out, err);
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Dravik Database Rebuilder"));
    QSettings options(QStringLiteral("Dravik Software"), QStringLiteral("Tovic"));
    ui::main::WidgetMessages messages;
    // A server named as the database, alone or as -utilitydatapath=SERVER.
    for (const QString& arg : arguments.mid(1)) {
        const QString value = arg.startsWith(QLatin1Char('-')) ? arg.section(QLatin1Char('='), 1) : arg;
        if (store::sql::isServerLocation(value)) {
            messages.showMessage(maintenance::serverGuardsItsTables(value));
            return 0;
        }
    }
    try {
        tablerepair::TFormRepair form(messages, options, workFolder);
        messages.setParentWidget(&form);
        if (!form.OpenDatabase(app.arguments())) return 1;
        form.show();
        return app.exec();
    } catch (const store::StoreError& e) {
        messages.showError(e.message());
        return 1;
    }
}
