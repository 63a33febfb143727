#include "DataModule.h"

#include "DataFolder.h"
#include "Paths.h"
#include "ServerStore.h"
#include "store/StoreError.h"

#include <QDir>
#include <QFileInfo>

namespace data {

using store::StoreError;

namespace {
const QString kAlias = QStringLiteral("Quorvex");
}

TDM::TDM(Messages& messages, const QString& workDir, store::AliasRegistry aliases, QObject* parent)
    : QObject(parent), messages_(messages), aliases_(std::move(aliases)) {
    WorkDir = QDir::cleanPath(workDir.isEmpty() ? QDir::currentPath() : QDir(workDir).absolutePath());
    const std::pair<store::Table*, const char*> tables[] = {
        {&SystemTypeTable, "SystemType"}, {&SystemTable, "System"}, {&DesignTable, "Design"},
        {&SystemGlassTable, "SystemGlass"}, {&SystemSashTable, "SystemSash"},
        {&SystemProfileTable, "SystemProfile"}, {&GlazingTable, "Glazing"},
        {&DesignImageTable, "DesignImage"}, {&DesignMergeTable, "DesignMerge"},
        {&SystemValuesTable, "SystemValues"}, {&ProjectTable, "Project"},
        {&SystemProfileTypeTable, "SystemProfileType"}, {&ProjectFloorsTable, "ProjectFloors"},
        {&ProjectOptionsTable, "ProjectOptions"}, {&ClimateZoneTable, "ClimateZone"},
        {&DesignResultsTable, "DesignResults"}, {&ProjectResultsTable, "ProjectResults"},
        {&ProjectRationalTable, "ProjectRational"}, {&SolarExposureFactorsTable, "SolarExposureFactors"},
        {&FinishTable, "Finish"}, {&SupplierTable, "Supplier"}, {&RatiosTable, "Ratios"},
        {&DesignCostingTable, "DesignCosting"}};
    for (const auto& [table, name] : tables) {
        table->setTableName(QString::fromLatin1(name));
        table->setObjectName(QString::fromLatin1(name) + QStringLiteral("Table"));
    }
    const std::pair<store::Query*, const char*> queryList[] = {
        {&ProjectQuery, "Project"}, {&DesignQuery, "Design"}, {&DesignImageQuery, "DesignImage"},
        {&DesignMergeQuery, "DesignMerge"}, {&DesignResultsQuery, "DesignResults"},
        {&DesignCostingQuery, "DesignCosting"}, {&ProjectFloorsQuery, "ProjectFloors"},
        {&ProjectOptionsQuery, "ProjectOptions"}, {&ProjectResultsQuery, "ProjectResults"},
        {&ProjectRationalQuery, "ProjectRational"}, {&SystemQuery, "System"},
        {&SystemProfileQuery, "SystemProfile"}, {&SystemGlassQuery, "SystemGlass"},
        {&SystemValueQuery, "SystemValues"}, {&SystemSashQuery, "SystemSash"}, {&GlassQuery, "Glazing"}};
    for (const auto& [query, table] : queryList)
        query->setSql(QStringLiteral("Select * from %1").arg(QString::fromLatin1(table)));
    bindEvents();
    DataModuleCreate();
}

TDM::~TDM() { DataModuleDestroy(); }

std::vector<store::Table*> TDM::tablesInOpenOrder() {
    return {&SystemTypeTable, &SystemTable, &DesignTable, &SystemGlassTable, &SystemSashTable,
            &SystemProfileTable, &GlazingTable, &DesignImageTable, &DesignMergeTable, &SystemValuesTable,
            &ProjectTable, &SystemProfileTypeTable, &ProjectFloorsTable, &ProjectOptionsTable,
            &ClimateZoneTable, &DesignResultsTable, &ProjectResultsTable, &ProjectRationalTable,
            &SolarExposureFactorsTable, &FinishTable, &SupplierTable, &RatiosTable, &DesignCostingTable};
}

std::vector<store::Table*> TDM::tablesInCloseOrder() {
    return {&SystemTypeTable, &SystemTable, &DesignTable, &GlazingTable, &SystemGlassTable,
            &SystemSashTable, &SystemProfileTable, &DesignImageTable, &DesignMergeTable, &SystemValuesTable,
            &ProjectTable, &SystemProfileTypeTable, &ProjectFloorsTable, &ProjectOptionsTable,
            &ClimateZoneTable, &DesignResultsTable, &ProjectResultsTable, &ProjectRationalTable,
            &SolarExposureFactorsTable, &FinishTable, &SupplierTable, &RatiosTable, &DesignCostingTable};
}

std::vector<store::Query*> TDM::queries() {
    return {&ProjectQuery, &DesignQuery, &DesignImageQuery, &DesignMergeQuery, &DesignResultsQuery,
            &DesignCostingQuery, &ProjectFloorsQuery, &ProjectOptionsQuery, &ProjectResultsQuery,
            &ProjectRationalQuery, &SystemQuery, &SystemProfileQuery, &SystemGlassQuery, &SystemValueQuery,
            &SystemSashQuery, &GlassQuery};
}

void TDM::bindEvents() {
    DesignTable.beforeInsert = [this](store::Table&) { DesignTableBeforeInsert(); };
    DesignTable.afterInsert = [this](store::Table&) { DesignTableAfterInsert(); };
    DesignTable.beforeDelete = [this](store::Table&) { DesignTableBeforeDelete(); };
    ProjectTable.afterInsert = [this](store::Table&) { ProjectTableAfterInsert(); };
    ProjectTable.beforeDelete = [this](store::Table&) { ProjectTableBeforeDelete(); };
    DesignTable.setFieldChangeHandler(QStringLiteral("Glass_Supplier"),
                                      [this](store::Field) { DesignTableGlass_SupplierChange(); });
    DesignTable.setFieldChangeHandler(QStringLiteral("System_Name"),
                                      [this](store::Field) { DesignTableSystem_NameChange(); });
}

QString TDM::dataFolder() const {
    if (DatabaseName == kAlias) return aliases_.path(kAlias);
    return DatabaseName;
}

QString TDM::journalModeText() const {
    return db_ && !db_->isServer() ? store::journalModeText(db_->journalMode()) : QString();
}

QString TDM::storeText() const {
    if (!db_) return {};
    if (db_->isServer()) return QStringLiteral("Tables kept on the server %1").arg(db_->serverName());
    return QStringLiteral("Data folder written with a %1").arg(journalModeText());
}

void TDM::CreateAlias() {
    if (!aliases_.isKnown(kAlias))
        aliases_.addSessionAlias(kAlias, QDir(WorkDir).filePath(QStringLiteral("Data")) + QLatin1Char('/'));
}

void TDM::SetAliasNames() {
    DatabaseName = aliases_.isKnown(kAlias) ? kAlias : QDir(WorkDir).filePath(QStringLiteral("Data")) + QLatin1Char('/');
}

void TDM::DataModuleCreate() {
    const QString ownDataDir = QDir(WorkDir).filePath(QStringLiteral("Data"));
    const bool aliasSaved = aliases_.isKnown(kAlias);
    CreateAlias();
    SetAliasNames();
    try {
        // A brand-new working folder gets a data folder filled with the shipped
        // catalogue; an existing one is never overwritten.
        if (!storeServer().isEmpty()) {
            db_ = store::Database::open(storeServer());
        } else if (!aliasSaved) {
            if (!QFileInfo::exists(ownDataDir))
                createDataFolder(ownDataDir, shippedDataDir());
            else
                removeLeftoverDataFolders(ownDataDir);
        }
        // A data folder is marked open, so no rebuild starts under this program.
        if (!db_) {
            mark_ = store::FolderMark::take(dataFolder(), store::FolderMark::Kind::Shared);
            if (!mark_) throw StoreError(store::FolderMark::inUseMessage());
            db_ = store::Database::open(databaseFile(dataFolder()));
        }
    } catch (const StoreError& e) {
        db_.reset();
        mark_.reset();
        messages_.showError(e.message());
        return;
    }
    for (store::Table* t : tablesInOpenOrder()) t->setDatabase(db_.get());
    for (store::Query* q : queries()) q->setDatabase(db_.get());
    try {
        for (store::Table* t : tablesInOpenOrder()) t->open();
        tablesOpen_ = true;
    } catch (const StoreError& e) {
        if (db_->isServer())
            messages_.showError(missingTablesMessage(db_->serverName(), e.message()));
        else
            messages_.showError(e.message());
    }
}

void TDM::DataModuleDestroy() {
    for (store::Query* q : queries()) q->close();
    for (store::Table* t : tablesInCloseOrder()) {
        try {
            t->close();
        } catch (const StoreError&) {
        }
    }
    for (store::Table* t : tablesInCloseOrder()) {
        t->clearMaster();
        t->setDatabase(nullptr);
    }
    for (store::Query* q : queries()) q->setDatabase(nullptr);
    db_.reset();
    mark_.reset();
    tablesOpen_ = false;
}

void TDM::ClearDesign() {
    if (hooks_)
        hooks_->clearDesign();
    else
        ResetDims();
}

void TDM::ResetDims() {
    if (!DesignTable.active() || DesignTable.eof()) return;
    DesignTable.edit();
    for (int i = 1; i <= 10; ++i) DesignTable.fieldByName(QStringLiteral("DimH%1").arg(i)).setAsFloat(0);
    for (int i = 1; i <= 5; ++i) DesignTable.fieldByName(QStringLiteral("DimV%1").arg(i)).setAsFloat(0);
    DesignTable.fieldByName(QStringLiteral("Window_Area")).setAsFloat(0);
    DesignTable.fieldByName(QStringLiteral("U_Factor")).setAsFloat(0);
    DesignTable.fieldByName(QStringLiteral("SHGC")).setAsFloat(0);
    DesignTable.post();
}

void TDM::UpdateSupplierLogo() {
    UpdateSupplierLogo(SupplierTable.fieldByName(QStringLiteral("Glass_Supplier")).asString());
}

void TDM::UpdateSupplierLogo(const QString& supplier) {
    if (!visible()) return;
    QString picture = QStringLiteral("images\\NoSupplier.jpg");
    bool known = true;
    if (supplier == QLatin1String("Orvane"))
        picture = QStringLiteral("images\\OrvaneLogo.jpg");
    else if (supplier == QLatin1String("Telmar"))
        picture = QStringLiteral("images\\TelmarLogo.jpg");
    else if (supplier == QLatin1String("Haldor"))
        picture = QStringLiteral("images\\HaldorLogo.jpg");
    else if (supplier == QLatin1String("Brevik"))
        picture = QStringLiteral("images\\BrevikLogo.jpg");
    else
        known = false;
    const QString file = resolvePicture(WorkDir, picture);
    if (file.isEmpty())
        throw StoreError(QStringLiteral("Cannot open file \"%1\". No such file or directory")
                             .arg(QDir(WorkDir).filePath(QString(picture).replace(QLatin1Char('\\'), QLatin1Char('/')))));
    hooks_->showSupplierPicture(file);
    hooks_->setGlazingInfoEnabled(known);
}

void TDM::DesignTableBeforeInsert() {
    DesignTable.last();
    insertProjectRef_ = ProjectTable.fieldByName(QStringLiteral("Project_Ref")).asString();
    insertLastDesignNo_ =
        DesignTable.isEmpty() ? 0 : DesignTable.fieldByName(QStringLiteral("Design_No")).asInteger();
}

void TDM::DesignTableAfterInsert() {
    DesignTable.fieldByName(QStringLiteral("Design_No")).setAsInteger(insertLastDesignNo_ + 1);
    DesignTable.fieldByName(QStringLiteral("Project_Ref")).setAsString(insertProjectRef_);
    const double defWL = ProjectTable.fieldByName(QStringLiteral("Def_WL")).asFloat();
    if (defWL != 0) DesignTable.fieldByName(QStringLiteral("Wind_Load")).setAsFloat(defWL);
    DesignTable.fieldByName(QStringLiteral("Floor")).setAsString(QStringLiteral("G"));
    DesignTable.fieldByName(QStringLiteral("Elevation")).setAsString(QStringLiteral("N"));
    DesignTable.fieldByName(QStringLiteral("Design_Qty")).setAsInteger(1);
    DesignTable.fieldByName(QStringLiteral("Finish")).setAsString(
        ProjectTable.fieldByName(QStringLiteral("Def_Finish")).asString());
    ClearDesign();
}

void TDM::DesignTableBeforeDelete() {
    // Every dependent row goes with the design, whatever its reference holds:
    // rows left behind would resurface in a later design given the same number.
    const QVariant ref = DesignTable.fieldByName(QStringLiteral("Project_Ref")).value();
    const QVariant no = DesignTable.fieldByName(QStringLiteral("Design_No")).value();
    const QStringList keys{QStringLiteral("Project_Ref"), QStringLiteral("Design_No")};
    for (const char* table : {"DesignImage", "DesignMerge", "DesignResults", "DesignCosting"})
        db_->deleteWhere(QString::fromLatin1(table), keys, {ref, no});
}

void TDM::ProjectTableAfterInsert() { ClearDesign(); }

void TDM::ProjectTableBeforeDelete() {
    ClearDesign();
    const QVariant ref = ProjectTable.fieldByName(QStringLiteral("Project_Ref")).value();
    const QStringList key{QStringLiteral("Project_Ref")};
    db_->deleteWhere(QStringLiteral("DesignImage"), key, {ref});
    db_->deleteWhere(QStringLiteral("DesignMerge"), key, {ref});
    // Designs go one by one so that each one's own cascade runs.
    DesignTable.first();
    while (!DesignTable.eof()) {
        if (DesignTable.fieldByName(QStringLiteral("Project_Ref")).value() == ref)
            DesignTable.deleteRow();
        else
            DesignTable.next();
    }
    for (const char* table : {"ProjectOptions", "ProjectFloors", "DesignResults", "ProjectResults",
                              "ProjectRational", "DesignCosting"})
        db_->deleteWhere(QString::fromLatin1(table), key, {ref});
}

void TDM::DesignTableGlass_SupplierChange() {
    if (!visible()) return;
    UpdateSupplierLogo();
    SystemGlassQuery.close();
    SystemGlassQuery.setSql(QStringLiteral("Select * from SystemGlass Where Supplier=? and System_Name=?"),
                            {DesignTable.fieldByName(QStringLiteral("Glass_Supplier")).asString(),
                             DesignTable.fieldByName(QStringLiteral("System_Name")).asString()});
    SystemGlassQuery.open();
}

void TDM::DesignTableSystem_NameChange() {
    if (!visible()) return;
    SystemQuery.close();
    SystemQuery.setSql(QStringLiteral("Select * from System Where System_Name=?"),
                       {DesignTable.fieldByName(QStringLiteral("System_Name")).asString()});
    SystemQuery.open();
    QStringList items;
    const QString code = SystemQuery.isEmpty() ? QString() : SystemQuery.fieldByName(QStringLiteral("Continuous")).asString();
    const store::Field continuous = DesignTable.fieldByName(QStringLiteral("Continuous"));
    QString value = continuous.asString();
    bool change = true;
    if (code == QLatin1String("V")) {
        items << QStringLiteral("Vertical");
        value = QStringLiteral("Vertical");
    } else if (code == QLatin1String("H")) {
        items << QStringLiteral("Horizontal");
        value = QStringLiteral("Horizontal");
    } else if (code == QLatin1String("B")) {
        items << QStringLiteral("Vertical") << QStringLiteral("Horizontal");
        value = value == QLatin1String("Horizontal") ? value : QStringLiteral("Vertical");
    } else {
        change = false;
    }
    hooks_->setContinuousItems(items);
    if (change) {
        DesignTable.edit();
        continuous.setAsString(value);
    }
    SystemQuery.close();
}

}  // namespace data
