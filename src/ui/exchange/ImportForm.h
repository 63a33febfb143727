#pragma once

#include "exchange/LegacyImport.h"

#include <QDialog>
#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace data {
class Messages;
class TDM;
}  // namespace data

namespace ui::exchange {

// "Import Project from Quorvex 3": picks a project of the earlier version's
// data folder and adds it, with its designs, under a new reference.
class TImportForm : public QDialog {
    Q_OBJECT
public:
    TImportForm(data::TDM& dm, data::Messages& messages, QWidget* parent = nullptr);

    // Finds the source folder (asking the user the first time) and reads its
    // tables; false, with the message shown, when there is nothing to offer.
    bool FormActivate();
    // Reads the tables of another folder; false when it cannot be read.
    bool loadFolder(const QString& folder);
    void ProjectGridClick(int row);
    void ImportBtnClick();
    void FolderBtnClick();

    QLabel* FolderLabel;
    QPushButton* FolderBtn;
    QTableWidget* ProjectGrid;
    QLineEdit* NewRefEdit;
    QPushButton *ImportBtn, *CancelBtn;

    // Shows the design screen of the project imported (the main window's refresh).
    std::function<void()> DesignBtnClick;
    // Asks the user for a folder; empty when cancelled. Tests stand in for the dialog.
    std::function<QString(const QString& start)> chooseFolder;
    // Where the chosen folder is remembered.
    QString settingsFile;
    ::exchange::ReaderOptions readerOptions;

private:
    void fillGrid();
    QString rememberedFolder() const;
    void rememberFolder(const QString& folder);

    data::TDM& DM;
    data::Messages& messages_;
    ::exchange::LegacySource source_;
    bool refTouched_ = false;
};

}  // namespace ui::exchange
