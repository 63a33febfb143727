#include "RationalPage.h"

#include "compliance/Rational.h"
#include "data/DataModule.h"
#include "store/StoreError.h"
#include "ui/reports/Preview.h"
#include "widgets/DataControls.h"
#include "widgets/DataSetModel.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

namespace ui::compliance {

namespace {

QToolButton* command(const QString& text) {
    auto* b = new QToolButton;
    b->setText(text);
    b->setToolTip(text);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    return b;
}

} // namespace

TRationalPage::TRationalPage(data::TDM& dm, data::Messages& messages, QWidget* parent)
    : QWidget(parent), DM(dm), messages_(messages) {
    auto* layout = new QVBoxLayout(this);
    store::Table& R = DM.ProjectRationalTable;
    auto bindEdit = [&R](const QString& field) {
        auto* e = new widgets::DBEdit;
        e->setDataField(&R, field);
        e->setMaximumWidth(120);
        return e;
    };
    // A row of caption, edit box and unit.
    auto addRow = [](QGridLayout* g, int row, const QString& caption, QWidget* edit,
                     const QString& unit) {
        g->addWidget(new QLabel(caption), row, 0);
        g->addWidget(edit, row, 1);
        g->addWidget(new QLabel(unit), row, 2);
    };

    auto* target = new QGroupBox(QStringLiteral("Target Values"));
    auto* tg = new QGridLayout(target);
    TgtEnergyLossEdit = bindEdit(QStringLiteral("Tgt_EnergyLoss"));
    TgtAveUValEdit = bindEdit(QStringLiteral("Tgt_AveUVal"));
    TgtAveSHGCEdit = bindEdit(QStringLiteral("Tgt_AveSHGC"));
    addRow(tg, 0, QStringLiteral("Target Total Energy Loss Through Fenestration :"),
           TgtEnergyLossEdit, QStringLiteral("W/\u00b0K"));
    addRow(tg, 1, QStringLiteral("Target Average U Value :"), TgtAveUValEdit,
           QStringLiteral("W/m\u00b2K"));
    addRow(tg, 2, QStringLiteral("Target Average SHGC Value :"), TgtAveSHGCEdit, QString());
    // The target averages are kept in the row but not offered.
    for (int row = 1; row <= 2; ++row)
        for (int col = 0; col < 3; ++col)
            if (QLayoutItem* item = tg->itemAtPosition(row, col)) {
                item->widget()->setVisible(false);
                item->widget()->setEnabled(false);
            }
    tg->setColumnStretch(3, 1);
    layout->addWidget(target);

    auto* results = new QGroupBox(QStringLiteral("Project Results"));
    auto* rl = new QVBoxLayout(results);
    DBGrid5 = new widgets::DBGrid;
    DBGrid5->setDataSet(&DM.DesignTable, {{"Design_No", "No", true, {}},
                                          {"Design_Ref", "Reference", true, {}},
                                          {"Design_Qty", "Qty", true, {}},
                                          {"System_Name", "System", true, {}},
                                          {"Finish", "Finish", true, {}},
                                          {"Glass_Code", "Glazing", true, {}},
                                          {"Elevation", "Orientation", true, {}},
                                          {"Floor", "Storey", true, {}},
                                          {"Window_Area", "Window Area", true, {}},
                                          {"U_Factor", "U Factor", true, {}},
                                          {"SHGC", "SHGC", true, {}}});
    DBGrid5->setToolTip(QStringLiteral("Double Click to go to Design on Selected Item"));
    DBGrid5->setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(DBGrid5, &QAbstractItemView::doubleClicked, this, [this] {
        if (openDesign) guarded(openDesign);
    });
    rl->addWidget(DBGrid5, 1);
    auto* commands = new QHBoxLayout;
    RationalBtn = command(QStringLiteral("Analyse"));
    RationalReportBtn = command(QStringLiteral("Print Rational Design Report"));
    ResultLabel = new QLabel;
    QFont f(QStringLiteral("Calibri"));
    f.setPixelSize(19);
    f.setBold(true);
    ResultLabel->setFont(f);
    // The verdict's line is kept free while it is hidden, so the commands
    // beside and above it stay where they are when it appears.
    ResultLabel->setText(::compliance::rationalVerdict(false));
    ResultLabel->setMinimumHeight(ResultLabel->sizeHint().height());
    ResultLabel->clear();
    QSizePolicy keep = ResultLabel->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    ResultLabel->setSizePolicy(keep);
    ResultLabel->setVisible(false);
    commands->addWidget(RationalBtn);
    commands->addWidget(RationalReportBtn);
    commands->addWidget(ResultLabel, 1);
    rl->addLayout(commands);
    layout->addWidget(results, 1);
    connect(RationalBtn, &QToolButton::clicked, this, [this] { RationalBtnClick(); });
    connect(RationalReportBtn, &QToolButton::clicked, this, [this] { RationalReportBtnClick(); });

    auto* summary = new QGroupBox(QStringLiteral("Project Summary"));
    auto* sg = new QGridLayout(summary);
    ActEnergyLossEdit = bindEdit(QStringLiteral("Act_EnergyLoss"));
    ActAveUValEdit = bindEdit(QStringLiteral("Act_AveUVal"));
    ActAveSHGCEdit = bindEdit(QStringLiteral("Act_AveSHGC"));
    addRow(sg, 0, QStringLiteral("Total Energey Loss Through Fenestration :"), ActEnergyLossEdit,
           QStringLiteral("W/\u00b0K"));
    addRow(sg, 1, QStringLiteral("Average U Value :"), ActAveUValEdit,
           QStringLiteral("W/m\u00b2K"));
    addRow(sg, 2, QStringLiteral("Average SHGC Value :"), ActAveSHGCEdit, QString());
    sg->setColumnStretch(3, 1);
    layout->addWidget(summary);
}

void TRationalPage::guarded(const std::function<void()>& command) {
    try {
        command();
    } catch (const store::StoreError& e) {
        messages_.showError(e.message());
    }
}

void TRationalPage::RationalBtnClick() {
    guarded([this] {
        TgtEnergyLossEdit->commit();
        const bool meets = ::compliance::RationalBtnClick(DM);
        ResultLabel->setText(::compliance::rationalVerdict(meets));
        ResultLabel->setStyleSheet(meets ? QStringLiteral("color: blue")
                                         : QStringLiteral("color: red"));
        ResultLabel->setVisible(true);
    });
}

void TRationalPage::RationalReportBtnClick() {
    guarded([this] { ui::reports::previewRationalReport(DM, messages_, window()); });
}

} // namespace ui::compliance
