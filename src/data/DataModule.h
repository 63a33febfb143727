#pragma once

#include "MainWindowHooks.h"
#include "Messages.h"
#include "store/Alias.h"
#include "store/Database.h"
#include "store/FolderMark.h"
#include "store/Query.h"
#include "store/Table.h"

#include <QObject>
#include <memory>

namespace data {

// The data module: the one owner of every table and query of the program. It
// locates and opens the data folder and carries the row events that keep the
// project tables consistent.
class TDM : public QObject {
    Q_OBJECT
public:
    // `workDir` empty: the current directory of the process. Runs DataModuleCreate.
    explicit TDM(Messages& messages, const QString& workDir = QString(),
                 store::AliasRegistry aliases = store::AliasRegistry(), QObject* parent = nullptr);
    ~TDM() override;

    void DataModuleCreate();
    void DataModuleDestroy();
    void CreateAlias();
    void SetAliasNames();

    void ResetDims();
    void UpdateSupplierLogo();
    // The logo of the named supplier; an empty or unknown one shows none.
    void UpdateSupplierLogo(const QString& supplier);
    // Clear Design through the main window, or the dimension reset alone
    // while there is none.
    void ClearDesign();

    void setMainWindow(MainWindowHooks* hooks) { hooks_ = hooks; }
    MainWindowHooks* mainWindow() const { return hooks_; }
    Messages& messages() { return messages_; }

    // Null when the data folder could not be opened.
    store::Database* database() const { return db_.get(); }
    // True when every table opened.
    bool tablesOpen() const { return tablesOpen_; }
    QString dataFolder() const;
    // How the data folder's database keeps its journal, for the About window:
    // "write-ahead log", or "rollback journal" on a network or FUSE file
    // system. Empty when no data folder is open.
    QString journalModeText() const;
    // Where the tables are, for the About window: "Data folder written with a
    // write-ahead log" (or rollback journal), or "Tables kept on the server
    // HOST:PORT, database DB". Empty when none is open.
    QString storeText() const;

    // The tables in the order they are opened.
    std::vector<store::Table*> tablesInOpenOrder();
    std::vector<store::Table*> tablesInCloseOrder();

    QString WorkDir;
    QString DatabaseName;

    store::Table SystemTypeTable, SystemTable, DesignTable, SystemGlassTable, SystemSashTable,
        SystemProfileTable, GlazingTable, DesignImageTable, DesignMergeTable, SystemValuesTable,
        ProjectTable, SystemProfileTypeTable, ProjectFloorsTable, ProjectOptionsTable, ClimateZoneTable,
        DesignResultsTable, ProjectResultsTable, ProjectRationalTable, SolarExposureFactorsTable,
        FinishTable, SupplierTable, RatiosTable, DesignCostingTable;

    store::Query ProjectQuery, DesignQuery, DesignImageQuery, DesignMergeQuery, DesignResultsQuery,
        DesignCostingQuery, ProjectFloorsQuery, ProjectOptionsQuery, ProjectResultsQuery,
        ProjectRationalQuery, SystemQuery, SystemProfileQuery, SystemGlassQuery, SystemValueQuery,
        SystemSashQuery, GlassQuery;

    // Row and field events.
    void DesignTableBeforeInsert();
    void DesignTableAfterInsert();
    void DesignTableBeforeDelete();
    void ProjectTableAfterInsert();
    void ProjectTableBeforeDelete();
    void DesignTableGlass_SupplierChange();
    void DesignTableSystem_NameChange();

private:
    bool visible() const { return hooks_ && hooks_->mainWindowVisible(); }
    std::vector<store::Query*> queries();
    void bindEvents();

    Messages& messages_;
    store::AliasRegistry aliases_;
    // Held while the folder is open, so a repair tool sees it in use.
    std::unique_ptr<store::FolderMark> mark_;
    std::unique_ptr<store::Database> db_;
    MainWindowHooks* hooks_ = nullptr;
    bool tablesOpen_ = false;
    // Between the two halves of a design insertion.
    QString insertProjectRef_;
    int insertLastDesignNo_ = 0;
};

}  // namespace data
