#pragma once

#include "data/Messages.h"
#include "maintenance/Procedures.h"
#include "store/FolderMark.h"

#include <QDateTime>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>

class QCheckBox;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QSettings;
class QTreeWidget;
class QTreeWidgetItem;

namespace tablerepair {

// The repair tool's window: the folder's tables with check boxes and
// statuses, verify and rebuild of all, the checked or one table, the table's
// information and the progress of the running step.
class TFormRepair : public QWidget {
    Q_OBJECT
public:
    TFormRepair(data::Messages& messages, QSettings& options, const QString& workFolder,
                QWidget* parent = nullptr);
    ~TFormRepair() override;

    // Finds the database folder (remembered, from the arguments, or chosen)
    // and lists its tables; false when the program has to end.
    bool OpenDatabase(const QStringList& arguments);

    void VerifyAllClick();
    void VerifyCheckedClick();
    void RebuildAllClick();
    void RebuildCheckedClick();
    void VerifyTable(QTreeWidgetItem* row);
    void RebuildTable(QTreeWidgetItem* row);
    bool CanRebuild();
    bool BackupData();
    void HeaderClick(int column);
    void ToggleBackupOption();
    void ShowTableInfo(const QString& name);
    void ResetTableInfo();
    void ResetProgress();
    int ProgressCallBack(const maintenance::TUProgress& progress);

    QString DataPath;
    QString WorkFolder;
    int SortColumn = 0;
    bool SortDescending = false;

    QLabel* PathLabel = nullptr;
    QTreeWidget* TableList = nullptr;
    QMenu* ListMenu = nullptr;
    QAction* VerifyAction = nullptr;
    QAction* RebuildAction = nullptr;
    QPushButton* VerifyAllBtn = nullptr;
    QPushButton* VerifyCheckedBtn = nullptr;
    QPushButton* RebuildAllBtn = nullptr;
    QPushButton* RebuildCheckedBtn = nullptr;
    QCheckBox* BackupCheck = nullptr;
    std::map<QString, QLabel*> InfoValues; // by caption, "Fields:" ...
    QProgressBar* HeaderBar = nullptr;
    QProgressBar* IndexesBar = nullptr;
    QProgressBar* DataBar = nullptr;
    QProgressBar* RebuildBar = nullptr;

    // Seams for the tests: the folder dialog, the access code box and the clock.
    std::function<QString(const QString& start)> chooseFolder;
    std::function<QString()> askAccessCode;
    std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); };
    // Called after a bar moved; the screenshot tool catches a running step with it.
    std::function<void(const maintenance::TUProgress&)> progressShown;

private:
    QWidget* buildInfo();
    QWidget* buildProgress();
    void fillList(const QStringList& names);
    void sortList();
    void runVerify(const QList<QTreeWidgetItem*>& rows);
    void runRebuild(const QList<QTreeWidgetItem*>& rows);
    QList<QTreeWidgetItem*> rows(bool checkedOnly) const;
    QString folder() const;
    // The work tables of the rebuild run under way, made at its first table.
    const maintenance::WorkTables& runWork();
    // Lets the folder go and says where moved rows are kept.
    void endRun();

    data::Messages& messages_;
    std::unique_ptr<store::FolderMark> rebuildMark_; // held from CanRebuild to the run's end
    maintenance::WorkTables runWork_;
    QSettings& options_;
    std::unique_ptr<maintenance::TBDEUtil> util_;
};

} // namespace tablerepair
