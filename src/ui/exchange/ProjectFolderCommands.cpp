#include "ProjectFolderCommands.h"

#include "data/DataModule.h"
#include "data/Messages.h"
#include "data/Paths.h"
#include "exchange/ProjectFolder.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSettings>
#include <QStandardPaths>

namespace ui::exchange {

namespace {

const QString kFilter = QStringLiteral("Quorvex Project Files (TProject.db)");
const QString kProposedName = QStringLiteral("TProject.db");
const QString kLastFolderKey = QStringLiteral("ProjectFolders/LastFolder");

// Shows the wait cursor while a folder is written or read, and takes it away
// before any message box comes up.
class BusyMessages : public data::Messages {
public:
    explicit BusyMessages(data::Messages& inner) : inner_(inner) {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~BusyMessages() override { idle(); }
    void showMessage(const QString& text) override {
        idle();
        inner_.showMessage(text);
    }
    data::DlgButton messageDlg(const QString& text, data::DlgType type,
                               const QList<data::DlgButton>& buttons) override {
        idle();
        return inner_.messageDlg(text, type, buttons);
    }
    void showError(const QString& text) override {
        idle();
        inner_.showError(text);
    }

private:
    void idle() {
        if (busy_) QGuiApplication::restoreOverrideCursor();
        busy_ = false;
    }
    data::Messages& inner_;
    bool busy_ = true;
};

// The dialogs may change the current directory, which relative picture paths depend on.
class KeepCurrentDirectory {
public:
    ~KeepCurrentDirectory() { QDir::setCurrent(saved_); }

private:
    QString saved_ = QDir::currentPath();
};

} // namespace

TProjectFolderCommands::TProjectFolderCommands(data::TDM& dm, data::Messages& messages,
                                               QWidget* window)
    : QObject(window), dm_(dm), messages_(messages), window_(window) {
    settingsFile = data::userSettingsFile();
    chooseSaveFile = [this](const QString& title, const QString& folder) {
        return QFileDialog::getSaveFileName(window_, title, QDir(folder).filePath(kProposedName),
                                            kFilter);
    };
    chooseOpenFile = [this](const QString& title, const QString& folder) {
        return QFileDialog::getOpenFileName(window_, title, QDir(folder).filePath(kProposedName),
                                            kFilter);
    };
}

QString TProjectFolderCommands::initialFolder() const {
    const QString fixed = QStringLiteral("C:\\Korvane\\Quorvex2");
    if (QFileInfo(fixed).isDir()) return fixed;
    const QString last =
        QSettings(settingsFile, QSettings::IniFormat).value(kLastFolderKey).toString();
    if (!last.isEmpty() && QFileInfo(last).isDir()) return last;
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

void TProjectFolderCommands::remember(const QString& folder) const {
    QSettings(settingsFile, QSettings::IniFormat).setValue(kLastFolderKey, folder);
}

void TProjectFolderCommands::SaveProjects() {
    if (!dm_.tablesOpen() || !chooseProject) return;
    const QString ref = chooseProject();
    if (ref.isEmpty()) return;
    KeepCurrentDirectory keep;
    const QString file =
        chooseSaveFile(QStringLiteral("Specify Location to Save Files"), initialFolder());
    if (file.isEmpty()) return;
    // The folder is what counts; the file name only points into it.
    const QString folder = QFileInfo(file).absolutePath();
    remember(folder);
    BusyMessages busy(messages_);
    ::exchange::saveProjectFolder(*dm_.database(), ref, folder, busy);
}

bool TProjectFolderCommands::LoadProjects() {
    if (!dm_.tablesOpen()) return false;
    KeepCurrentDirectory keep;
    const QString file = chooseOpenFile(QStringLiteral("Select Project to Load"), initialFolder());
    if (file.isEmpty()) return false;
    const QString folder = QFileInfo(file).absolutePath();
    remember(folder);
    BusyMessages busy(messages_);
    ::exchange::LoadResult result;
    loaded_.clear();
    if (!::exchange::loadProjectFolder(*dm_.database(), folder, busy, &result)) return false;
    loaded_ = result.projects;
    return true;
}

} // namespace ui::exchange
