#include "data/DataModule.h"
#include "data/Paths.h"
#include "data/ServerStore.h"
#include "store/StoreError.h"
#include "ui/design/DesignPage.h"
#include "ui/main/Application.h"
#include "ui/main/MainForm.h"
#include "ui/main/WidgetMessages.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QMessageBox>
#include <memory>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    ui::main::setUpApplication();

    // The working folder decides where the data folder lives: the current
    // folder, the one given, or (from the desktop menu) the user's own.
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Quorvex U-Value Calculator"));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption userFolder(
        QStringLiteral("user-folder"),
        QStringLiteral("Work in ~/Quorvex, created and filled on first start."));
    const QCommandLineOption workdir(QStringLiteral("workdir"), QStringLiteral("Work in DIR."),
                                     QStringLiteral("DIR"));
    const QCommandLineOption server(
        QStringLiteral("server"),
        QStringLiteral("Work on the tables of a PostgreSQL server: a libpq URI or service "
                       "(postgresql://user@host/db, service=quorvex). Without it, the \"server\" "
                       "setting of the settings file, if any."),
        QStringLiteral("URL"));
    parser.addOption(userFolder);
    parser.addOption(workdir);
    parser.addOption(server);
    parser.process(application);
    if (parser.isSet(userFolder)) {
        const QString folder = data::prepareUserWorkFolder();
        if (folder.isEmpty()) {
            QMessageBox::critical(nullptr, QStringLiteral("Quorvex"),
                                  QStringLiteral("The working folder %1 cannot be created.")
                                      .arg(QDir(QDir::homePath()).filePath(QStringLiteral("Quorvex"))));
            return 1;
        }
        QDir::setCurrent(folder);
    } else if (parser.isSet(workdir)) {
        const QString folder = parser.value(workdir);
        if (!QDir().mkpath(folder) || !QDir::setCurrent(folder)) {
            QMessageBox::critical(nullptr, QStringLiteral("Quorvex"),
                                  QStringLiteral("The working folder %1 cannot be used.").arg(folder));
            return 1;
        }
    }

    // An office's workstations keep the server in their settings; the command line wins.
    const QString serverLocation = parser.isSet(server) ? parser.value(server).trimmed() : data::settingsServer();
    if (!serverLocation.isEmpty()) {
        try {
            data::checkServerAddress(serverLocation);
            data::setStoreServer(serverLocation);
        } catch (const store::StoreError& e) {
            if (parser.isSet(server)) {
                QMessageBox::critical(nullptr, QStringLiteral("Quorvex"), e.message());
                return 1;
            }
            // A setting that cannot be used must not keep the user out of the
            // window in which it is mended.
            if (QMessageBox::question(nullptr, QStringLiteral("Quorvex"),
                                      QStringLiteral("The server in the settings cannot be used: %1\nOpen the data "
                                                     "folder of %2 instead? (Project \u2192 Office Server\u2026 "
                                                     "mends the setting.)")
                                          .arg(e.message(), QDir::currentPath())) != QMessageBox::Yes)
                return 1;
        }
    }

    ui::main::WidgetMessages messages;
    auto dm = std::make_unique<data::TDM>(messages);
    // A server that cannot be used leaves the choice of the working folder's data folder.
    if (!dm->tablesOpen() && !data::storeServer().isEmpty()) {
        if (QMessageBox::question(nullptr, QStringLiteral("Quorvex"),
                                  QStringLiteral("The tables on the server cannot be used. Open the data "
                                                 "folder of %1 instead? (Project \u2192 Office Server\u2026 "
                                                 "chooses where glazecalc keeps its tables.)")
                                      .arg(QDir::currentPath())) != QMessageBox::Yes)
            return 1;
        dm.reset();
        data::setStoreServer(QString());
        dm = std::make_unique<data::TDM>(messages);
    }
    data::TDM& DM = *dm;
    ui::main::TMainForm MainForm(DM, messages);
    MainForm.ServerFromCommandLine = parser.isSet(server) && !data::storeServer().isEmpty();
    ui::design::TDesignPage designPage(DM, MainForm, messages);
    messages.setParentWidget(&MainForm);
    MainForm.show();
    return application.exec();
}
