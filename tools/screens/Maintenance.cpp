// The repair tool and the rebuild window, on a copy of the working folder's
// data with one page of DesignImage overwritten, as a failing disk leaves it.
#include "Maintenance.h"

#include "maintenance/Procedures.h"
#include "tablerepair/FormRepair.h"
#include "ui/maintenance/RebuildForm.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProgressBar>
#include <QSettings>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <sqlite3.h>

namespace {

// Answers every question with Yes and shows nothing.
class QuietMessages : public data::Messages {
public:
    void showMessage(const QString&) override {}
    data::DlgButton messageDlg(const QString&, data::DlgType,
                               const QList<data::DlgButton>&) override {
        return data::DlgButton::Yes;
    }
    void showError(const QString&) override {}
};

void damageOnePage(const QString& dbFile) {
    sqlite3* db = nullptr;
    sqlite3_open(dbFile.toUtf8().constData(), &db);
    sqlite3_exec(db, "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr);
    sqlite3_stmt* st = nullptr;
    std::vector<qint64> leaves;
    sqlite3_prepare_v2(
        db, "SELECT pageno FROM dbstat WHERE name='DesignImage' AND pagetype='leaf' ORDER BY path",
        -1, &st, nullptr);
    while (sqlite3_step(st) == SQLITE_ROW)
        leaves.push_back(sqlite3_column_int64(st, 0));
    sqlite3_finalize(st);
    sqlite3_close(db);
    if (leaves.empty()) return;
    QFile f(dbFile);
    if (f.open(QIODevice::ReadWrite) && f.seek((leaves[leaves.size() / 2] - 1) * 4096))
        f.write(QByteArray(4096, char(0x5a)));
}

void copyFolder(const QString& from, const QString& to) {
    QDir().mkpath(to);
    for (const QString& name : QDir(from).entryList(QDir::Files))
        QFile::copy(QDir(from).filePath(name), QDir(to).filePath(name));
}

} // namespace

void saveMaintenanceScreens(const QString& dataFolder, const QString& out) {
    QTemporaryDir tmp;
    const QString folder = QDir(tmp.path()).filePath(QStringLiteral("Data"));
    copyFolder(dataFolder, folder);
    damageOnePage(maintenance::databaseFileOf(folder));

    QuietMessages messages;
    QSettings options(QDir(tmp.path()).filePath(QStringLiteral("Tovic.ini")), QSettings::IniFormat);
    tablerepair::TFormRepair form(messages, options,
                                  QDir(tmp.path()).filePath(QStringLiteral("work/dbRebuild/")));
    form.OpenDatabase(
        {QStringLiteral("tablerepair"), QStringLiteral("-utilitydatapath=") + folder});
    form.resize(760, 540);
    form.show();
    form.VerifyAllClick();
    QApplication::processEvents();
    form.grab().save(QDir(out).filePath(QStringLiteral("tablerepair-verified.png")));
    bool caught = false;
    form.progressShown = [&](const maintenance::TUProgress& p) {
        if (!caught && (p.phase >> 24) == 8 && p.percentDone >= 60 &&
            form.TableList->findItems(QStringLiteral("Rebuilding"), Qt::MatchExactly, 1).value(0) ==
                form.TableList->findItems(QStringLiteral("DesignImage"), Qt::MatchExactly, 0)
                    .value(0)) {
            caught = true;
            QApplication::processEvents();
            form.grab().save(QDir(out).filePath(QStringLiteral("tablerepair-rebuilding.png")));
        }
    };
    form.TableList->setCurrentItem(
        form.TableList->findItems(QStringLiteral("DesignImage"), Qt::MatchExactly, 0).value(0));
    form.RebuildAllClick();
    form.progressShown = nullptr;
    form.TableList->setCurrentItem(
        form.TableList->findItems(QStringLiteral("Design"), Qt::MatchExactly, 0).value(0));
    QApplication::processEvents();
    form.grab().save(QDir(out).filePath(QStringLiteral("tablerepair-rebuilt.png")));
    form.hide();

    // The rebuild window on a second failing page: the run loses that page's
    // rows, so the window stays open with its log.
    damageOnePage(maintenance::databaseFileOf(folder));
    ui::maintenance::TRebuildForm rebuild(folder, messages);
    rebuild.show();
    rebuild.RebuildBtnClick();
    rebuild.show();
    QApplication::processEvents();
    rebuild.grab().save(QDir(out).filePath(QStringLiteral("rebuild-all-tables.png")));
}
