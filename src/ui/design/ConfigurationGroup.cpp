// The CONFIGURATION group: the design grid with its right-click menu, the
// dimension boxes and their enabling rules, the clear and merge commands and
// the results.
#include "DesignGrid.h"
#include "DesignPage.h"
#include "calc/Structural.h"
#include "design/Dimensions.h"
#include "ElevationView.h"
#include "PriceLine.h"
#include "reports/ElevationData.h"
#include "data/DataModule.h"
#include "store/Query.h"
#include "store/StoreError.h"
#include "ui/main/Icons.h"
#include "widgets/RefusedInput.h"
#include "ui/main/MainForm.h"
#include "widgets/DataControls.h"

#include <QButtonGroup>
#include <QDoubleValidator>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace ui::design {

using store::StoreError;

using ui::main::IconKind;

namespace {

// The menu words of the right-click menu and the stored words they set.
QString storedWordFor(const QString& menuWord) {
    static const QStringList words{
        "None",  "Fixed", "Top",    "Bottom", "SideL",     "SideR",     "SlidL",     "SlidR",
        "SlidU", "SlidD", "SlidFL", "SlidFR", "TiltTurnL", "TiltTurnR", "TiltSlidL", "TiltSlidR"};
    return words.contains(menuWord) ? menuWord.toUpper() : QString();
}

} // namespace

QWidget* TDesignPage::buildConfiguration() {
    auto* group = new QGroupBox(QStringLiteral("CONFIGURATION (Dimensions in mm)"));
    auto* grid = new QGridLayout(group);
    KGrid1 = new DesignGrid(main_.Grid, DM.WorkDir);
    PopupMenu1 = new QMenu(this);
    auto makeDim = [this](const QString& field, const QString& plain) {
        auto* e = new widgets::DBEdit;
        e->setAccessibleName(plain);
        e->setSelectAllOnClick(true);
        e->setDataField(&DM.DesignTable, field);
        auto* v = new QDoubleValidator(0, 100000, 1, e);
        v->setNotation(QDoubleValidator::StandardNotation);
        v->setLocale(QLocale::c());
        e->setValidator(v);
        widgets::RefusedInput::watch(e);
        e->setAlignment(Qt::AlignCenter);
        e->setToolTip(QStringLiteral("%1 in mm: a number of 0 or more").arg(plain));
        e->setStatusTip(e->toolTip());
        e->installEventFilter(this);
        connect(e, &QLineEdit::textEdited, this, &TDesignPage::refreshElevation);
        return e;
    };
    auto* widths = new QHBoxLayout;
    widths->setSpacing(2);
    for (int i = 0; i < 10; ++i) {
        DimH[size_t(i)] = makeDim(QStringLiteral("DimH%1").arg(i + 1), QStringLiteral("Width of column %1").arg(i + 1));
        DimH[size_t(i)]->setMinimumWidth(40);
        widths->addWidget(DimH[size_t(i)]);
    }
    auto* heights = new QVBoxLayout;
    heights->setSpacing(2);
    for (int j = 0; j < 5; ++j) {
        DimV[size_t(j)] = makeDim(QStringLiteral("DimV%1").arg(j + 1), QStringLiteral("Height of row %1").arg(j + 1));
        DimV[size_t(j)]->setMaximumWidth(60);
        heights->addWidget(DimV[size_t(j)], 1);
    }
    grid->addLayout(widths, 0, 1);
    grid->addLayout(heights, 1, 0);
    Elevation = new ElevationView([this] { return elevationSource(); });
    gridOrElevation_ = new QStackedWidget;
    gridOrElevation_->addWidget(KGrid1);
    gridOrElevation_->addWidget(Elevation);
    grid->addWidget(gridOrElevation_, 1, 1);
    // Dimensions, system, profiles and glazing live in the design record.
    connect(&DM.DesignTable, &store::DataSet::fieldChanged, this, [this](int) { refreshElevation(); });
    connect(&DM.DesignTable, &store::DataSet::scrolled, this, &TDesignPage::refreshElevation);
    connect(&DM.DesignTable, &store::DataSet::dataChanged, this, &TDesignPage::refreshElevation);
    grid->setRowStretch(1, 1);
    grid->setColumnStretch(1, 1);

    auto* below = new QHBoxLayout;
    below->addWidget(new QLabel(QStringLiteral("Continuous :")));
    ContinuousCB = new widgets::DBComboBox;
    ContinuousCB->setDataField(&DM.DesignTable, QStringLiteral("Continuous"));
    ContinuousCB->setMinimumWidth(120);
    below->addWidget(ContinuousCB);
    below->addSpacing(16);
    GridViewBtn = new QToolButton;
    GridViewBtn->setText(QStringLiteral("Grid"));
    GridViewBtn->setToolTip(QStringLiteral("Show the design grid"));
    ElevationViewBtn = new QToolButton;
    ElevationViewBtn->setText(QStringLiteral("Elevation"));
    ElevationViewBtn->setToolTip(QStringLiteral("Show the design drawn to scale with its dimensions"));
    auto* views = new QButtonGroup(group);
    for (QToolButton* b : {GridViewBtn, ElevationViewBtn}) {
        b->setCheckable(true);
        b->setStatusTip(b->toolTip());
        views->addButton(b);
        below->addWidget(b);
    }
    GridViewBtn->setChecked(true);
    connect(ElevationViewBtn, &QToolButton::toggled, this, [this](bool on) {
        gridOrElevation_->setCurrentWidget(on ? static_cast<QWidget*>(Elevation) : KGrid1);
    });
    below->addStretch();
    ClearImage = ui::main::commandButton(IconKind::Delete, QStringLiteral("Clear Design"));
    MergeImage = ui::main::commandButton(IconKind::Copy, QStringLiteral("Merge Cells"));
    below->addWidget(ClearImage);
    below->addWidget(MergeImage);
    grid->addLayout(below, 2, 1);

    auto* results = new QHBoxLayout;
    auto resultLabel = [&](const QString& text, const QString& field) {
        results->addWidget(new QLabel(text));
        auto* l = new widgets::DBLabel;
        l->setDataField(&DM.DesignTable, field);
        l->setFrameShape(QFrame::StyledPanel);
        l->setMinimumWidth(70);
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        results->addWidget(l);
    };
    results->setSpacing(8);
    results->addWidget(new QLabel(QStringLiteral("<b>RESULTS</b>")));
    resultLabel(QStringLiteral("Area (sqm)"), QStringLiteral("Window_Area"));
    resultLabel(QStringLiteral("U Factor"), QStringLiteral("U_Factor"));
    resultLabel(QStringLiteral("SHGC"), QStringLiteral("SHGC"));
    // The failing member stays in sight while its figures stand, after the
    // warning box has been closed.
    StructuralLabel = new QLabel;
    StructuralLabel->setStyleSheet(QStringLiteral("color: red; font-weight: bold"));
    StructuralLabel->setWordWrap(true);
    auto verdict = [this] {
        store::Table& D = DM.DesignTable;
        const bool onDesign = D.active() && (!D.isEmpty() || D.editing()) && !D.eof();
        StructuralLabel->setText(
            onDesign ? calc::structuralVerdict(D.fieldByName(QStringLiteral("Continuous")).asString(),
                                               D.fieldByName(QStringLiteral("ReqIx")).asFloat(),
                                               D.fieldByName(QStringLiteral("ActualIx")).asFloat())
                     : QString());
    };
    for (auto signal : {&store::DataSet::scrolled, &store::DataSet::dataChanged,
                        &store::DataSet::stateChanged})
        connect(&DM.DesignTable, signal, StructuralLabel, verdict);
    connect(&DM.DesignTable, &store::DataSet::fieldChanged, StructuralLabel, verdict);
    results->addStretch();
    grid->addLayout(results, 3, 1);
    grid->addWidget(StructuralLabel, 4, 1);
    grid->addWidget(new PriceLine(DM), 5, 0, 1, 2);

    connect(KGrid1, &DesignGrid::pressed, this, [this] { guarded([this] { UpdatePopup(); }); });
    connect(KGrid1, &DesignGrid::contextMenuWanted, this, [this](const QPoint& at) {
        Calc.UpdateCalcBtn(true);
        PopupMenu1->exec(at);
    });
    connect(KGrid1, &DesignGrid::typedCellDrawn, this, &TDesignPage::EnableDimensions);
    connect(KGrid1, &DesignGrid::focusLeft, this, [this] {
        guarded([this] {
            if (!DM.DesignTable.active() || DM.DesignTable.eof()) return;
            DM.DesignTable.edit();
            DM.DesignTable.post();
        });
    });
    connect(ClearImage, &QToolButton::clicked, this,
            [this] { guarded([this] { main_.ClearImageClick(); }); });
    connect(MergeImage, &QToolButton::clicked, this, &TDesignPage::MergeImageClick);
    return group;
}

void TDesignPage::setContinuousItems(const QStringList& items) {
    ContinuousCB->clear();
    ContinuousCB->addItems(items);
    ContinuousCB->refresh();
}

void TDesignPage::UpdatePopup() {
    PopupMenu1->clear();
    store::Table& sashes = DM.SystemSashTable;
    if (sashes.active()) {
        for (sashes.first(); !sashes.eof(); sashes.next()) {
            const QString menuWord = sashes.fieldByName(QStringLiteral("Sash_Type")).asString();
            const QString stored = storedWordFor(menuWord);
            QAction* a = PopupMenu1->addAction(menuWord);
            if (stored.isEmpty()) continue;
            connect(a, &QAction::triggered, this, [this, stored] {
                const ::design::Selection s = KGrid1->selection();
                main_.Grid.SetCellMode(s.Row1, s.Col1, stored);
                gridChanged();
            });
        }
    }
    connect(PopupMenu1->addAction(QStringLiteral("Merge/Unmerge")), &QAction::triggered, this,
            &TDesignPage::MergeImageClick);
}

void TDesignPage::MergeImageClick() {
    ::design::MergeImageClick(main_.Grid, KGrid1->selection(), messages_);
    gridChanged();
}

void TDesignPage::EnableDimensions() {
    // The boxes of the selected typed cell; boxes are only ever enabled here.
    const ::design::Selection s = KGrid1->selection();
    const QStringList boxes = ::design::EnableDimensions(main_.Grid, s.Row1, s.Col1);
    const auto& names = ::design::dimensionFields();
    for (size_t i = 0; i < DimH.size(); ++i)
        if (boxes.contains(names[i])) DimH[i]->setEnabled(true);
    for (size_t j = 0; j < DimV.size(); ++j)
        if (boxes.contains(names[DimH.size() + j])) DimV[j]->setEnabled(true);
}

void TDesignPage::enableDimensions() {
    for (int i = 0; i < 10; ++i)
        if (DM.DesignTable.fieldByName(QStringLiteral("DimH%1").arg(i + 1)).asFloat() > 0)
            DimH[size_t(i)]->setEnabled(true);
    for (int j = 0; j < 5; ++j)
        if (DM.DesignTable.fieldByName(QStringLiteral("DimV%1").arg(j + 1)).asFloat() > 0)
            DimV[size_t(j)]->setEnabled(true);
}

void TDesignPage::enableAllDimensions(bool enabled) {
    for (auto* box : DimH)
        box->setEnabled(enabled);
    for (auto* box : DimV)
        box->setEnabled(enabled);
}

void TDesignPage::refreshElevation() {
    if (Elevation && Elevation->isVisible()) Elevation->update();
}

::reports::ElevationSource TDesignPage::elevationSource() {
    ::reports::ElevationSource s;
    if (!DM.tablesOpen() || !DM.DesignTable.active() || DM.DesignTable.isEmpty()) return s;
    try {
        s = ::reports::designElevation(DM, DM.DesignTable, main_.Grid);
    } catch (const store::StoreError&) {
        // A failed lookup draws the nominal member widths; the drawing only shows.
        s.grid = main_.Grid;
        s.dims = ::design::Dimensions::fromRecord(DM.DesignTable);
    }
    // The box being typed in counts before it writes its value.
    auto typed = [](widgets::DBEdit* box, double& value) {
        bool ok = false;
        const double v = QLocale::c().toDouble(box->text(), &ok);
        if (box->hasFocus() && ok) value = v;
    };
    for (size_t i = 0; i < DimH.size(); ++i)
        typed(DimH[i], s.dims.H[i]);
    for (size_t j = 0; j < DimV.size(); ++j)
        typed(DimV[j], s.dims.V[j]);
    return s;
}

} // namespace ui::design
