#include "SansWindows.h"

#include "ClimateZoneForm.h"
#include "GridHelpers.h"
#include "ResultsPage.h"
#include "compliance/Sans204.h"
#include "compliance/Storeys.h"
#include "data/DataModule.h"
#include "store/StoreError.h"
#include "widgets/DataControls.h"
#include "widgets/DataSetModel.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QShowEvent>
#include <QToolButton>
#include <QVBoxLayout>

namespace ui::compliance {

namespace {

bool runGuarded(data::Messages& messages, const std::function<void()>& command) {
    try {
        command();
        return true;
    } catch (const store::StoreError& e) {
        messages.showError(e.message());
        return false;
    }
}

} // namespace

TNavigator::TNavigator(store::Table& table, bool editing, data::Messages& messages, QWidget* parent)
    : QWidget(parent), table_(table), messages_(messages) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(2);
    auto add = [&](const QString& text, const QString& hint, std::function<void()> action) {
        QToolButton* b = textCommand(text, hint);
        b->setMinimumSize(30, 24);
        connect(b, &QToolButton::clicked, this, [this, action] { run(action); });
        row->addWidget(b);
        buttons << b;
    };
    add(QStringLiteral("|<"), QStringLiteral("First record"), [this] { table_.first(); });
    add(QStringLiteral("<"), QStringLiteral("Prior record"), [this] { table_.prior(); });
    add(QStringLiteral(">"), QStringLiteral("Next record"), [this] { table_.next(); });
    add(QStringLiteral(">|"), QStringLiteral("Last record"), [this] { table_.last(); });
    if (editing) {
        add(QStringLiteral("+"), QStringLiteral("Insert record"), [this] { table_.insert(); });
        add(QStringLiteral("\u2212"), QStringLiteral("Delete record"), [this] {
            if (messages_.messageDlg(QStringLiteral("Delete record?"), data::DlgType::Confirmation,
                                     {data::DlgButton::Yes, data::DlgButton::No}) ==
                data::DlgButton::Yes)
                table_.deleteRow();
        });
        add(QStringLiteral("\u2713"), QStringLiteral("Post edit"), [this] {
            table_.flushControls();
            table_.post();
        });
        add(QStringLiteral("\u2715"), QStringLiteral("Cancel edit"), [this] { table_.cancel(); });
    }
    row->addStretch();
}

void TNavigator::run(const std::function<void()>& action) {
    if (clicked) clicked();
    runGuarded(messages_, action);
}

QGroupBox* projectGroup(data::TDM& dm, data::Messages& messages) {
    auto* group = new QGroupBox(QStringLiteral("Project"));
    auto* g = new QGridLayout(group);
    auto* ref = new widgets::DBEdit;
    ref->setDataField(&dm.ProjectTable, QStringLiteral("Project_Ref"));
    ref->setReadOnly(true);
    auto* name = new widgets::DBEdit;
    name->setDataField(&dm.ProjectTable, QStringLiteral("Project_Name"));
    g->addWidget(captionLabel(QStringLiteral("Project Ref :")), 0, 0);
    g->addWidget(ref, 0, 1);
    g->addWidget(captionLabel(QStringLiteral("Project Name :")), 0, 2);
    g->addWidget(name, 0, 3);
    auto* navigator = new TNavigator(dm.ProjectTable, false, messages);
    // The project's own row is posted before another project becomes current.
    navigator->clicked = [&dm] { dm.ProjectTable.flushControls(); };
    g->addWidget(navigator, 0, 4);
    g->setColumnStretch(3, 1);
    return group;
}

TDesignResultsForm::TDesignResultsForm(data::TDM& dm, data::Messages& messages, QWidget* parent)
    : QDialog(parent), DM(dm), messages_(messages) {
    setWindowTitle(QStringLiteral("SANS Results"));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(projectGroup(dm, messages));
    Panel = new TResultsPanel(dm, messages, TResultsPanel::Place::Window);
    layout->addWidget(Panel, 1);
    CloseBtn = textCommand(QStringLiteral("Close"), QStringLiteral("Close the window"));
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(CloseBtn);
    layout->addLayout(row);
    connect(CloseBtn, &QToolButton::clicked, this, &QDialog::accept);
    // The grids come into view once they have something to show.
    Panel->DBGrid4->setVisible(false);
    Panel->DBGrid3->setVisible(false);
    connect(Panel->Image20, &QToolButton::clicked, this, [this] { showGrids(); });
    // Larger than the analysis window it comes from, so that the design rows
    // and every column of both grids show without scrolling.
    resize(1000, 640);
}

void TDesignResultsForm::showGrids() {
    Panel->DBGrid4->setVisible(!DM.DesignResultsTable.isEmpty());
    Panel->DBGrid3->setVisible(!DM.ProjectResultsTable.isEmpty());
}

void TDesignResultsForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    centreOnParent(this);
    // Once as the window opens: returning to it from the report preview keeps
    // the results the preview showed.
    if (!event->spontaneous())
        runGuarded(messages_, [this] { ::compliance::OpenSansResults(DM, messages_); });
    showGrids();
}

TSANSForm::TSANSForm(data::TDM& dm, data::Messages& messages, QWidget* parent)
    : QDialog(parent), DM(dm), messages_(messages) {
    setWindowTitle(QStringLiteral("SANS 204 Calculation"));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(projectGroup(dm, messages));

    auto* zone = new QGroupBox(QStringLiteral("Climatic Zone"));
    auto* zg = new QGridLayout(zone);
    ClimateZoneCB = new widgets::DBLookupComboBox;
    ClimateZoneCB->setDataField(&DM.ProjectOptionsTable, QStringLiteral("Climate_Zone"));
    ClimateZoneCB->setList(&DM.ClimateZoneTable, QStringLiteral("Zone_No"),
                           QStringLiteral("Zone_Desc"));
    MoreInfoBtn =
        textCommand(QStringLiteral("More Info..."), QStringLiteral("A map of the climate zones"));
    ConductanceEdit = new widgets::DBEdit;
    ConductanceEdit->setDataField(&DM.ProjectOptionsTable, QStringLiteral("Conductance"));
    SolarHeatGainEdit = new widgets::DBEdit;
    SolarHeatGainEdit->setDataField(&DM.ProjectOptionsTable, QStringLiteral("Solar_Heat_Gain"));
    zg->addWidget(captionLabel(QStringLiteral("Climatic Zone :")), 0, 0);
    zg->addWidget(ClimateZoneCB, 0, 1);
    zg->addWidget(MoreInfoBtn, 0, 2);
    zg->addWidget(captionLabel(QStringLiteral("Conductance Factor :")), 1, 0);
    zg->addWidget(ConductanceEdit, 1, 1);
    zg->addWidget(captionLabel(QStringLiteral("Solar Heat Gain Factor :")), 2, 0);
    zg->addWidget(SolarHeatGainEdit, 2, 1);
    zg->setColumnStretch(3, 1);
    layout->addWidget(zone);

    auto* storeys = new QGroupBox(
        QStringLiteral("Solar Exposure Factors (Add an entry for each floor of the building)"));
    auto* sl = new QVBoxLayout(storeys);
    SansGrid = new widgets::DBGrid;
    std::vector<widgets::GridColumn> columns = {
        {"Project_Ref", "Project_Ref", true, {}},
        {"Floor", "Storey", false, ::compliance::storeyCodes()},
        {"Total_Area", "Total_Area", false, {}},
        {"Effective_Area", "Net Floor Area", false, {}},
        {"Shading_Ratio", "(P/H)", false, ::compliance::phRatioTexts()},
    };
    for (const QString& code : ::compliance::orientationCodes())
        columns.push_back(
            {::compliance::factorField(code), code + QStringLiteral(" Factor"), false, {}});
    SansGrid->setDataSet(&DM.ProjectFloorsTable, columns);
    SansGrid->gridModel()->setRowOrder(QStringLiteral("Floor"), ::compliance::storeyLess);
    hideColumns(SansGrid, {0, 2});
    SansGrid->setItemDelegateForColumn(1,
                                       new PickListDelegate(::compliance::storeyCodes(), SansGrid));
    SansGrid->setItemDelegateForColumn(
        4, new PickListDelegate(::compliance::phRatioTexts(), SansGrid));
    SansGrid->horizontalHeader()->setDefaultSectionSize(62);
    SansGrid->horizontalHeader()->resizeSection(3, 100);
    // Shown once the project has a zone: the factors come from it.
    SansGrid->setVisible(false);
    watchColumns(SansGrid, [this](int left) { SansGridColExit(left); });
    sl->addWidget(SansGrid, 1);
    auto* commands = new QHBoxLayout;
    FloorNavigator = new TNavigator(DM.ProjectFloorsTable, true, messages);
    FloorNavigator->clicked = [this] {
        if (!zoneChosen()) messages_.showMessage(::compliance::NoZoneMessage);
    };
    AnalyseBtn =
        textCommand(QStringLiteral("Analyse"), QStringLiteral("Analyse the project's designs"));
    CloseBtn = textCommand(QStringLiteral("Close"), QStringLiteral("Save and close the window"));
    commands->addWidget(FloorNavigator, 1);
    commands->addWidget(AnalyseBtn);
    commands->addWidget(CloseBtn);
    sl->addLayout(commands);
    layout->addWidget(storeys, 1);

    ClimateZoneForm = new TClimateZoneForm(DM.WorkDir, this);
    DesignResultsForm = new TDesignResultsForm(DM, messages, this);
    connect(MoreInfoBtn, &QToolButton::clicked, this, [this] { ClimateZoneForm->exec(); });
    connect(ClimateZoneCB, &QComboBox::activated, this, [this] { ClimateZoneCBCloseUp(); });
    connect(AnalyseBtn, &QToolButton::clicked, this, &TSANSForm::AnalyseBtnClick);
    connect(CloseBtn, &QToolButton::clicked, this, &TSANSForm::CloseBtnClick);
    resize(692, 382);
}

bool TSANSForm::guarded(const std::function<void()>& command) {
    return runGuarded(messages_, command);
}

bool TSANSForm::zoneChosen() const {
    return !ClimateZoneCB->currentText().isEmpty();
}

void TSANSForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    centreOnParent(this);
    FormActivate();
}

void TSANSForm::FormActivate() {
    guarded([this] {
        ::compliance::linkComplianceTables(DM);
        store::Table& O = DM.ProjectOptionsTable;
        if (O.isEmpty() && !O.editing()) {
            O.append();
            O.post();
        }
        ClimateZoneCB->reloadList();
    });
    SansGrid->setVisible(zoneChosen() || !DM.ProjectFloorsTable.isEmpty());
    ClimateZoneCB->setFocus();
}

void TSANSForm::ClimateZoneCBCloseUp() {
    const QVariant zone = ClimateZoneCB->currentData();
    guarded([&] { ::compliance::ClimateZoneCloseUp(DM, zone, false); });
    SansGrid->setVisible(true);
}

void TSANSForm::SansGridColExit(int column) {
    if (column != 4) return;
    guarded([this] { ::compliance::FloorColExit(DM, 4, false); });
}

void TSANSForm::CloseBtnClick() {
    const bool saved = guarded([this] {
        for (store::Table* t : {&DM.ProjectOptionsTable, &DM.ProjectFloorsTable}) {
            t->flushControls();
            if (t->editing()) t->post();
        }
    });
    if (saved) accept();
}

void TSANSForm::reject() {
    CloseBtnClick();
}

void TSANSForm::AnalyseBtnClick() {
    bool done = false;
    guarded([&] {
        store::Table& F = DM.ProjectFloorsTable;
        F.flushControls();
        if (F.editing()) F.post();
        if (!zoneChosen()) {
            messages_.showMessage(::compliance::NoZoneMessage);
            return;
        }
        done = ::compliance::SANSCalcBtnClick(DM, messages_, ::compliance::AnalyseStep::NoChecks,
                                              ::compliance::SansPlace::windows());
    });
    if (done) DesignResultsForm->exec();
}

} // namespace ui::compliance
