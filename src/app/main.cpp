#include "data/DataModule.h"
#include "ui/design/DesignPage.h"
#include "ui/main/MainForm.h"
#include "ui/main/WidgetMessages.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvex U-Value Calculator"));
    QApplication::setApplicationDisplayName(QStringLiteral("Quorvex U-Value Calculator"));

    ui::main::WidgetMessages messages;
    data::TDM DM(messages);
    ui::main::TMainForm MainForm(DM, messages);
    ui::design::TDesignPage designPage(DM, MainForm, messages);
    messages.setParentWidget(&MainForm);
    MainForm.show();
    return application.exec();
}
