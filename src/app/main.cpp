#include "DataModule.h"
#include "WidgetMessages.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvex U-Value Calculator"));
    QApplication::setApplicationDisplayName(QStringLiteral("Quorvex U-Value Calculator"));

    app::WidgetMessages messages;
    app::TDM DM(messages);

    QMainWindow mainForm;
    mainForm.setWindowTitle(QStringLiteral("Quorvex (Version 5.0)"));
    auto* placeholder = new QLabel(
        DM.tablesOpen() ? QStringLiteral("Data folder: %1").arg(DM.dataFolder())
                        : QStringLiteral("The data folder could not be opened."),
        &mainForm);
    placeholder->setAlignment(Qt::AlignCenter);
    mainForm.setCentralWidget(placeholder);
    messages.setParentWidget(&mainForm);
    mainForm.resize(1280, 800);
    mainForm.show();
    return application.exec();
}
