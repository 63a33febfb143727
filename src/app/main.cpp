#include "data/DataModule.h"
#include "data/Paths.h"
#include "ui/design/DesignPage.h"
#include "ui/main/Application.h"
#include "ui/main/MainForm.h"
#include "ui/main/WidgetMessages.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QMessageBox>

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
    parser.addOption(userFolder);
    parser.addOption(workdir);
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

    ui::main::WidgetMessages messages;
    data::TDM DM(messages);
    ui::main::TMainForm MainForm(DM, messages);
    ui::design::TDesignPage designPage(DM, MainForm, messages);
    messages.setParentWidget(&MainForm);
    MainForm.show();
    return application.exec();
}
