#include "ResultsPage.h"

#include "GridHelpers.h"
#include "compliance/Sans204.h"
#include "compliance/Storeys.h"
#include "data/DataModule.h"
#include "store/StoreError.h"
#include "ui/reports/Preview.h"
#include "widgets/DataSetModel.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QToolButton>
#include <QVBoxLayout>

namespace ui::compliance {

namespace {

constexpr int RatioColumn = 11;

} // namespace

QColor TResultsPanel::rowColour(const QVariant& uAllow, const QVariant& uTotal) {
    if (!uAllow.isValid() || uAllow.isNull() || !uTotal.isValid() || uTotal.isNull()) return {};
    return uAllow.toDouble() >= uTotal.toDouble() ? QColor(Qt::blue) : QColor(Qt::red);
}

TResultsPanel::TResultsPanel(data::TDM& dm, data::Messages& messages, Place place, QWidget* parent)
    : QWidget(parent), DM(dm), messages_(messages), place_(place) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    const bool page = place == Place::Page;

    auto* parameters =
        new QGroupBox(QStringLiteral("SANS Parameters (Adjust P/H Ratios if needed)"));
    auto* pl = new QVBoxLayout(parameters);
    DBGrid4 = new widgets::DBGrid;
    DBGrid4->setDataSet(&DM.DesignResultsTable, {{"Project_Ref", "Project_Ref", true, {}},
                                                 {"Design_No", "No.", true, {}},
                                                 {"Design_Ref", "Ref", false, {}},
                                                 {"Design_Qty", "Qty", false, {}},
                                                 {"Elevation", "Orientation", false, {}},
                                                 {"Floor", "Storey", false, {}},
                                                 {"Window_Area", "Window Area", false, {}},
                                                 {"U_Factor", "U Factor", false, {}},
                                                 {"SHGC", "SHGC Value", false, {}},
                                                 {"U_Constant", "U Const", false, {}},
                                                 {"SHGC_Constant", "SHGC Const", false, {}},
                                                 {"Shading_Ratio", "P/H Ratio", false, {}},
                                                 {"Solar_Factor", "Solar Factor", true, {}},
                                                 {"U_Total", "U_Total", true, {}},
                                                 {"SHGC_Total", "SHGC_Total", true, {}}});
    if (page)
        hideColumns(DBGrid4, {0, 13, 14});
    else
        hideColumns(DBGrid4, {0, 9, 10, 13, 14});
    ratioDelegate_ = new PickListDelegate(::compliance::phRatioTexts(), DBGrid4);
    DBGrid4->setItemDelegateForColumn(RatioColumn, ratioDelegate_);
    const QString hint = QStringLiteral("Specify P/H ratio for each design, if needed");
    DBGrid4->setToolTip(hint);
    DBGrid4->setStatusTip(hint);
    const int widths[] = {0, 45, 80, 45, 80, 60, 95, 80, 85, 70, 80, 80, 90};
    for (int c = 1; c < 13; ++c)
        DBGrid4->horizontalHeader()->resizeSection(c, widths[c]);
    watchColumns(
        DBGrid4,
        [this](int left) {
            // The analysis window refreshes a design's solar factor as its P/H is left.
            if (place_ == Place::Window && left == RatioColumn)
                guarded([this] {
                    ::compliance::UpdateShadingRatio(DM, messages_, false);
                    store::Table& R = DM.DesignResultsTable;
                    if (R.editing()) R.post();
                });
        },
        [this](int entered) { editRatio(entered); });
    connect(DBGrid4, &QAbstractItemView::clicked, this,
            [this](const QModelIndex& index) { editRatio(index.column()); });
    pl->addWidget(DBGrid4, 1);
    Image20 = textCommand(page ? QStringLiteral("Calculate") : QStringLiteral("Calculate  "),
                          QStringLiteral("Calculate the storey results"));
    Image20->setMinimumWidth(110);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Image20);
    buttons->addStretch();
    pl->addLayout(buttons);
    layout->addWidget(parameters, 3);

    auto* results = new QGroupBox(QStringLiteral("SANS Results"));
    auto* rl = new QVBoxLayout(results);
    DBGrid3 = new widgets::DBGrid;
    std::vector<widgets::GridColumn> columns = {
        {"Project_Ref", "Project_Ref", true, {}}, {"Floor", "Storey", true, {}},
        {"Exempt", "Exempt", true, {}},           {"Floor_Area", "Net Floor Area", true, {}},
        {"Window_Area", "Window Area", true, {}}, {"Shading_Ratio", "P/H", true, {}},
        {"U_Constant", "U Const", true, {}},      {"SHGC_Constant", "SHGC_Const", true, {}}};
    // The analysis window lists both allowances before both totals.
    const char* figureFields[] = {"U_Allow", "U_Total", "SHGC_Allow", "SHGC_Total"};
    const char* figureCaptions[] = {"U Allow", "U Total", "SHGC Allow", "SHGC Total"};
    for (int i : page ? std::vector<int>{0, 1, 2, 3} : std::vector<int>{0, 2, 1, 3})
        columns.push_back({QString::fromLatin1(figureFields[i]),
                           QString::fromLatin1(figureCaptions[i]),
                           true,
                           {}});
    columns.push_back({"U_Result", "U Result", true, {}});
    columns.push_back({"SHGC_Result", "SHGC Result", true, {}});
    DBGrid3->setDataSet(&DM.ProjectResultsTable, columns);
    DBGrid3->gridModel()->setRowOrder(QStringLiteral("Floor"), ::compliance::storeyLess);
    DBGrid3->setEditTriggers(QAbstractItemView::NoEditTriggers);
    hideColumns(DBGrid3, {0, 5, 6, 7});
    for (int c = 1; c < 14; ++c)
        DBGrid3->horizontalHeader()->resizeSection(c, page ? 95 : 88);
    if (page) {
        // Every cell of a row in the colour of the row's conductance comparison.
        widgets::DataSetModel* model = DBGrid3->gridModel();
        DBGrid3->setItemDelegate(new RowColourDelegate(
            [model](int row) {
                store::DataSet* ds = model->dataSet();
                if (!ds || row >= ds->recordCount()) return QColor();
                const std::vector<QVariant> values = ds->rowAt(row);
                return rowColour(values[size_t(ds->fieldIndex(QStringLiteral("U_Allow")))],
                                 values[size_t(ds->fieldIndex(QStringLiteral("U_Total")))]);
            },
            DBGrid3));
    }
    rl->addWidget(DBGrid3, 1);
    Image19 = textCommand(page ? QStringLiteral("Print SANS 204 Certification Report")
                               : QStringLiteral("Detailed Report"),
                          QStringLiteral("Preview the SANS 204 compliance report"));
    auto* reportRow = new QHBoxLayout;
    reportRow->addWidget(Image19);
    reportRow->addStretch();
    rl->addLayout(reportRow);
    layout->addWidget(results, 2);

    connect(Image20, &QToolButton::clicked, this, &TResultsPanel::Image20Click);
    connect(Image19, &QToolButton::clicked, this, &TResultsPanel::Image19Click);
}

bool TResultsPanel::guarded(const std::function<void()>& command) {
    try {
        command();
        return true;
    } catch (const store::StoreError& e) {
        messages_.showError(e.message());
        return false;
    }
}

void TResultsPanel::editRatio(int column) {
    if (column != RatioColumn) return;
    const QModelIndex index = DBGrid4->currentIndex();
    if (!index.isValid() || index.column() != RatioColumn) return;
    ratioDelegate_->dropDownNext();
    // Opens the editor unless one is open already; an editor made now took the flag.
    DBGrid4->edit(index);
    ratioDelegate_->dropDownNext(false);
}

void TResultsPanel::Image20Click() {
    guarded([this] {
        ::compliance::Image20Click(DM, messages_,
                                   place_ == Place::Page ? ::compliance::SansPlace::mainWindow()
                                                         : ::compliance::SansPlace::windows());
    });
}

void TResultsPanel::Image19Click() {
    guarded([this] {
        // A certificate never speaks for a storey that was not judged.
        const QStringList storeys = ::compliance::unanalysedStoreys(DM);
        if (!storeys.isEmpty()) {
            messages_.showMessage(
                QStringLiteral("No certificate was printed: storey %1 has no result yet. "
                               "Please press Calculate once every storey has its net floor area.")
                    .arg(storeys.join(QStringLiteral(", "))));
            return;
        }
        ui::reports::previewSansReport(DM, messages_, window());
    });
}

} // namespace ui::compliance
