#pragma once

#include <QStringList>

#include <QObject>
#include <QString>
#include <functional>

class QWidget;

namespace data {
class Messages;
class TDM;
} // namespace data

namespace ui::exchange {

// "&Save Project" and "&Load Project": the dialogs around the project folder
// operations. The main window supplies the project search window; tests
// replace the file dialogs.
class TProjectFolderCommands : public QObject {
    Q_OBJECT
public:
    TProjectFolderCommands(data::TDM& dm, data::Messages& messages, QWidget* window);

    // Exports a project chosen in the search window into a folder the user names.
    void SaveProjects();
    // Loads a folder the user picks; true when a project was loaded.
    bool LoadProjects();
    // The references the last loaded folder held, so the window can show them.
    QStringList loadedProjects() const { return loaded_; }

    // The folder a dialog opens in: "C:\Korvane\Quorvex2" where it exists,
    // else the folder last used, else the user's documents.
    QString initialFolder() const;

    // The project search window; returns the chosen reference, empty on Cancel.
    std::function<QString()> chooseProject;
    // The save and open dialogs; return the chosen file, empty on Cancel.
    std::function<QString(const QString&title, const QString&folder)> chooseSaveFile,
        chooseOpenFile;
    // Where the folder last used is remembered (QSettings ini file).
    QString settingsFile;

private:
    void remember(const QString& folder) const;

    data::TDM& dm_;
    data::Messages& messages_;
    QStringList loaded_;
    QWidget* window_;
};

} // namespace ui::exchange
