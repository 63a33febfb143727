#pragma once

#include "data/Messages.h"
#include "maintenance/DatabaseRebuild.h"

#include <QDialog>
#include <memory>

class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace ui::maintenance {

// "Rebuild All Tables": rebuilds every table of the program's data folder in
// one run and logs one line per table.
class TRebuildForm : public QDialog {
    Q_OBJECT
public:
    TRebuildForm(const QString& dataFolder, data::Messages& messages, QWidget* parent = nullptr);
    ~TRebuildForm() override;

    void RebuildBtnClick();
    void DeleteWorkTables();
    void RepairAllTables();

    QPlainTextEdit* Log = nullptr;
    QPushButton* RebuildBtn = nullptr;
    QPushButton* ExitBtn = nullptr;
    QProgressBar* Bars[4] = {};
    bool RebuildError = false;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void ResetProgress();
    QString dataFolder_;
    data::Messages& messages_;
    std::unique_ptr<::maintenance::TBDEUtil> util_;
};

} // namespace ui::maintenance
