// Shoots "Import Project from Quorvex 3" over an earlier data folder written
// with pxlib, for the documentation:
//   quorvex-import-screen WORKDIR OUT.png
#include "ParadoxFixture.h"
#include "data/DataModule.h"
#include "ui/exchange/ImportForm.h"
#include "ui/main/WidgetMessages.h"

#include <QApplication>
#include <QDir>
#include <QSettings>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    if (argc < 3) return 2;
    const QString work = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    const QString out = QDir(QString::fromLocal8Bit(argv[2])).absolutePath();
    QDir().mkpath(work);
    QDir::setCurrent(work);
    const QString earlier = QDir(work).filePath(QStringLiteral("Quorvex2/Data"));
    testing_support::writeLegacyFolder(earlier);
    ui::main::WidgetMessages messages;
    data::TDM dm(messages);
    if (!dm.tablesOpen()) return 1;
    ui::exchange::TImportForm form(dm, messages);
    form.settingsFile = QDir(work).filePath(QStringLiteral("glazecalc.ini"));
    QSettings(form.settingsFile, QSettings::IniFormat).setValue(QStringLiteral("Import/EarlierDataFolder"), earlier);
    form.readerOptions.program = QStringLiteral(QUORVEX_CLI);
    if (!form.FormActivate()) return 1;
    form.show();
    form.ProjectGridClick(0);
    QApplication::processEvents();
    return form.grab().save(out) ? 0 : 1;
}
