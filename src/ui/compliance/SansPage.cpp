#include "SansPage.h"

#include "ClimateZoneForm.h"
#include "GridHelpers.h"
#include "compliance/Sans204.h"
#include "compliance/Storeys.h"
#include "data/DataModule.h"
#include "store/StoreError.h"
#include "widgets/DataControls.h"
#include "widgets/DataSetModel.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

namespace ui::compliance {

TSansPage::TSansPage(data::TDM& dm, data::Messages& messages, QWidget* parent)
    : QWidget(parent), DM(dm), messages_(messages) {
    auto* layout = new QVBoxLayout(this);

    auto* zone = new QGroupBox(QStringLiteral("Climatic Zone"));
    auto* zg = new QGridLayout(zone);
    ClimateZoneCB = new widgets::DBLookupComboBox;
    ClimateZoneCB->setDataField(&DM.ProjectOptionsTable, QStringLiteral("Climate_Zone"));
    ClimateZoneCB->setList(&DM.ClimateZoneTable, QStringLiteral("Zone_No"),
                           QStringLiteral("Zone_Desc"));
    ClimateZoneCB->setMinimumWidth(240);
    ClimateZoneCB->setStatusTip(QStringLiteral("The climate zone of the building"));
    ClimateZoneCB->setToolTip(ClimateZoneCB->statusTip());
    Image22 = textCommand(QStringLiteral("More Information"),
                          QStringLiteral("A map of the climate zones"));
    zg->addWidget(captionLabel(QStringLiteral("Closest City :")), 0, 0);
    zg->addWidget(captionLabel(QStringLiteral("Latitude Multiplier :")), 1, 0);
    zg->addWidget(captionLabel(QStringLiteral("Climate Zone :")), 2, 0);
    zg->addWidget(ClimateZoneCB, 2, 1);
    zg->addWidget(captionLabel(QStringLiteral("SCCP :")), 3, 0);
    // The allowances the zone gave the project, for reading only.
    auto allowance = [&](const QString& caption, const QString& field, int row) {
        zg->addWidget(captionLabel(caption), row, 2);
        auto* value = new widgets::DBLabel;
        value->setDataField(&DM.ProjectOptionsTable, field);
        value->setMinimumWidth(60);
        zg->addWidget(value, row, 3);
    };
    allowance(QStringLiteral("Conductance :"), QStringLiteral("Conductance"), 2);
    allowance(QStringLiteral("Solar Heat Gain :"), QStringLiteral("Solar_Heat_Gain"), 3);
    zg->addWidget(Image22, 0, 4, 2, 1, Qt::AlignRight | Qt::AlignTop);
    zg->setColumnStretch(1, 1);
    zg->setColumnStretch(4, 2);
    layout->addWidget(zone);

    auto* storeys = new QGroupBox(QStringLiteral(
        "Solar Exposure Factors (Specify Net Floor Area and Default P/H Ratio for each storey)"));
    auto* sl = new QVBoxLayout(storeys);
    DBGrid2 = new widgets::DBGrid;
    std::vector<widgets::GridColumn> columns = {
        {"Project_Ref", "Project_Ref", true, {}},
        {"Floor", "Storey", true, {}},
        {"Total_Area", "Total_Area", false, {}},
        {"Effective_Area", "Net Floor Area", false, {}},
        {"Shading_Ratio", "Default P/H", false, ::compliance::phRatioTexts()},
    };
    for (const QString& code : ::compliance::orientationCodes())
        columns.push_back(
            {::compliance::factorField(code), code + QStringLiteral(" Factor"), false, {}});
    DBGrid2->setDataSet(&DM.ProjectFloorsTable, columns);
    DBGrid2->gridModel()->setRowOrder(QStringLiteral("Floor"), ::compliance::storeyLess);
    hideColumns(DBGrid2, {0, 2, 5, 6, 7, 8, 9, 10, 11, 12});
    auto* ratios = new PickListDelegate(::compliance::phRatioTexts(), DBGrid2);
    DBGrid2->setItemDelegateForColumn(4, ratios);
    // A default P/H committed where Tab has no cell to go on to (the last
    // storey) still fills its factors; the view stored the value just before.
    connect(ratios, &QAbstractItemDelegate::commitData, this, [this] {
        if (DBGrid2->currentIndex().column() == 4) DBGrid2ColExit(4);
    });
    const QString hint = QStringLiteral("Enter Net Floor Area and Default P/H Ratio for that "
                                        "floor, then TAB to auto fill rest of line.");
    DBGrid2->setToolTip(hint);
    DBGrid2->setStatusTip(hint);
    DBGrid2->setMaximumWidth(480);
    DBGrid2->installEventFilter(this);
    watchColumns(DBGrid2, [this](int left) { DBGrid2ColExit(left); });
    auto* row = new QHBoxLayout;
    row->addWidget(DBGrid2, 1);
    auto* notes = new QVBoxLayout;
    auto* note1 =
        new QLabel(QStringLiteral("          Use <Ctrl> <Del> to Remove a Storey if Necessary."));
    auto* note2 =
        new QLabel(QStringLiteral("Tips - You can leave the Default P/H Ration=0 and fill in "
                                  "the actual P/H ratio for each window on the results screen."));
    note1->setTextFormat(Qt::PlainText);
    note2->setTextFormat(Qt::PlainText);
    note2->setWordWrap(true);
    notes->addWidget(note1);
    notes->addWidget(note2);
    notes->addStretch();
    SANSCalcBtn = textCommand(QStringLiteral("Analyse"),
                              QStringLiteral("Analyse the project's designs storey by storey"));
    SANSCalcBtn->setMinimumWidth(120);
    notes->addWidget(SANSCalcBtn, 0, Qt::AlignLeft);
    row->addLayout(notes, 1);
    sl->addLayout(row);
    layout->addWidget(storeys, 1);

    ClimateZoneForm = new TClimateZoneForm(DM.WorkDir, this);
    connect(Image22, &QToolButton::clicked, this, &TSansPage::Image22Click);
    connect(SANSCalcBtn, &QToolButton::clicked, this, &TSansPage::SANSCalcBtnClick);
    connect(ClimateZoneCB, &QComboBox::activated, this, [this] { ClimateZoneCBCloseUp(); });
}

bool TSansPage::guarded(const std::function<void()>& command) {
    try {
        command();
        return true;
    } catch (const store::StoreError& e) {
        messages_.showError(e.message());
        return false;
    }
}

void TSansPage::TabSheet3Show() {
    guarded([this] {
        ::compliance::BuildStoreyList(DM, recalculateAll);
        ClimateZoneCB->reloadList();
    });
}

void TSansPage::DBGrid2ColExit(int column) {
    guarded([&] { ::compliance::FloorColExit(DM, column); });
}

void TSansPage::ClimateZoneCBCloseUp() {
    const QVariant zone = ClimateZoneCB->currentData();
    guarded([&] { ::compliance::ClimateZoneCloseUp(DM, zone); });
}

void TSansPage::SANSCalcBtnClick() {
    bool done = false;
    guarded([&] { done = ::compliance::SANSCalcBtnClick(DM, messages_); });
    if (done && showResults) showResults();
}

void TSansPage::Image22Click() {
    ClimateZoneForm->exec();
}

void TSansPage::deleteStorey() {
    store::Table& F = DM.ProjectFloorsTable;
    if (!F.active() || (F.isEmpty() && !F.editing())) return;
    if (messages_.messageDlg(QStringLiteral("Delete record?"), data::DlgType::Confirmation,
                             {data::DlgButton::Yes, data::DlgButton::No}) != data::DlgButton::Yes)
        return;
    guarded([&F] { F.deleteRow(); });
}

bool TSansPage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == DBGrid2 && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Delete && (key->modifiers() & Qt::ControlModifier)) {
            deleteStorey();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace ui::compliance
