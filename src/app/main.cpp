#include "DataModule.h"
#include "MainForm.h"
#include "WidgetMessages.h"
#include "designui/DesignPage.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvex U-Value Calculator"));
    QApplication::setApplicationDisplayName(QStringLiteral("Quorvex U-Value Calculator"));

    app::WidgetMessages messages;
    app::TDM DM(messages);
    app::TMainForm MainForm(DM, messages);
    designui::TDesignPage designPage(DM, MainForm, messages);
    messages.setParentWidget(&MainForm);
    MainForm.show();
    return application.exec();
}
