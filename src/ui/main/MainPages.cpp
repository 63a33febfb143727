// The page control: the pages and their tabs, the SUMMARY page, and what
// showing, hiding, entering and leaving a page refreshes.
#include "AboutForm.h"
#include "DetailsForm.h"
#include "Icons.h"
#include "MainForm.h"
#include "SearchForm.h"
#include "data/Paths.h"
#include "data/QuoteSettings.h"
#include "design/DesignRecords.h"
#include "compliance/Storeys.h"
#include "store/StoreError.h"
#include "ui/compliance/GridHelpers.h"
#include "ui/compliance/RationalPage.h"
#include "ui/reports/Preview.h"
#include "widgets/DataControls.h"
#include "widgets/DataSetModel.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

namespace ui::main {

using store::StoreError;

namespace {

bool isInside(QWidget* w, QWidget* container) {
    for (; w; w = w->parentWidget())
        if (w == container) return true;
    return false;
}

} // namespace

// The pages in the order of their tabs: a page is added here, with its tab
// caption, and starts hidden unless the user may choose it at once.
QTabWidget* TMainForm::buildPages() {
    PageControl1 = new QTabWidget;
    TabSheet1 = new QWidget;
    TabSheet2 = buildSummaryPage();
    TabSheet3 = new QWidget;
    TabSheet4 = new QWidget;
    TabSheet6 = new QWidget;
    RationalPage = new ui::compliance::TRationalPage(DM, messages_);
    (new QVBoxLayout(TabSheet6))->addWidget(RationalPage);
    buildSansPages();
    RationalPage->openDesign = [this] {
        guarded([this] {
            PageControl1->setCurrentIndex(0);
            DesignBtnClick();
        });
    };
    PageControl1->addTab(TabSheet1, QStringLiteral("DESIGN"));
    PageControl1->addTab(TabSheet2, QStringLiteral("SUMMARY"));
    PageControl1->addTab(TabSheet3, QStringLiteral("SANS204 (Deemed to Satisfy)"));
    PageControl1->addTab(TabSheet4, QStringLiteral("RESULTS"));
    PageControl1->addTab(TabSheet6, QStringLiteral("SANS 10400XA (Rational Design)"));
    for (int i = 2; i <= 4; ++i)
        PageControl1->setTabVisible(i, false);
    return PageControl1;
}

QWidget* TMainForm::buildSummaryPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* group =
        new QGroupBox(QStringLiteral("Project Summary (You can adjust the Qty, Orientation and "
                                     "Storey on this screen if required)"));
    auto* inner = new QVBoxLayout(group);
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(
        QStringLiteral("* Shaded in accordance with SANS 10400-XA:2021 (Edition 2) 5.2.2")));
    top->addStretch();
    PrintSummaryBtn =
        commandButton(IconKind::Print, QStringLiteral("Print Fenestration Design Summary"));
    top->addWidget(PrintSummaryBtn);
    connect(PrintSummaryBtn, &QToolButton::clicked, this, [this] {
        guarded([this] {
            DesignBtnClick();
            ui::reports::previewSummaryReport(DM, messages_, this, ShowPricesCB->isChecked());
        });
    });
    ElevationSheetBtn = commandButton(IconKind::Print, QStringLiteral("Print Elevation Sheet"));
    ElevationSheetBtn->setToolTip(
        QStringLiteral("Every design of the project drawn to one scale, with references and quantities"));
    ElevationSheetBtn->setStatusTip(ElevationSheetBtn->toolTip());
    // Told apart from the summary's print button by its word.
    ElevationSheetBtn->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    ElevationSheetBtn->setText(QStringLiteral("Elevations"));
    top->addWidget(ElevationSheetBtn);
    connect(ElevationSheetBtn, &QToolButton::clicked, this, [this] {
        guarded([this] {
            // The design on screen is saved first, so the sheet draws it as shown.
            SaveDesign();
            ui::reports::previewProjectSheet(DM, messages_, this);
        });
    });
    ShowPricesCB = new QCheckBox(QStringLiteral("Show prices"));
    ShowPricesCB->setToolTip(
        QStringLiteral("Print the summary with each design's unit and line price and the totals"));
    ShowPricesCB->setStatusTip(ShowPricesCB->toolTip());
    top->addWidget(ShowPricesCB);
    QuotationBtn = commandButton(IconKind::Print, QStringLiteral("Print Quotation"));
    QuotationBtn->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    QuotationBtn->setText(QStringLiteral("Quotation"));
    top->addWidget(QuotationBtn);
    connect(QuotationBtn, &QToolButton::clicked, this, [this] {
        guarded([this] {
            // The design on screen is saved first, so the quotation draws it as shown.
            SaveDesign();
            ui::reports::previewQuotation(DM, messages_, this);
        });
    });
    HideWarningsCB = new QCheckBox(QStringLiteral("Hide Warnings"));
    HideWarningsCB->setStatusTip(QStringLiteral("Hide the warnings of the calculations"));
    top->addWidget(HideWarningsCB);
    inner->addLayout(top);
    SummaryGrid = new widgets::DBGrid;
    SummaryGrid->setDataSet(&DM.DesignTable, {{"Design_No", "No", true, {}},
                                              {"Design_Ref", "Reference", false, {}},
                                              {"Design_Qty", "Qty", false, {}},
                                              {"System_Name", "System", true, {}},
                                              {"Finish", "Finish", true, {}},
                                              {"Glass_Code", "Glazing", true, {}},
                                              {"Window_Area", "Area(sqm)", true, {}},
                                              {"U_Factor", "U Factor", true, {}},
                                              {"SHGC", "SHGC", true, {}},
                                              {"Elevation", "Orientation", false, ::compliance::orientationCodes()},
                                              {"Floor", "Storey", false, ::compliance::storeyCodes()},
                                              {{}, "Unit Price", true, {}},
                                              {{}, "Line Price", true, {}}});
    // Prices as of the last calculation, from the designs' stored cells.
    SummaryGrid->gridModel()->setComputedColumn(11, [this](const auto& field) {
        return summaryPriceText(field, false);
    });
    SummaryGrid->gridModel()->setComputedColumn(12, [this](const auto& field) {
        return summaryPriceText(field, true);
    });
    // The orientation and storey the caption promises, chosen from their lists.
    SummaryGrid->setItemDelegateForColumn(
        9, new ui::compliance::PickListDelegate(::compliance::orientationCodes(), SummaryGrid));
    SummaryGrid->setItemDelegateForColumn(
        10, new ui::compliance::PickListDelegate(::compliance::storeyCodes(), SummaryGrid));
    SummaryGrid->setToolTip(QStringLiteral("Double Click to go to Design on Selected Item"));
    SummaryGrid->setStatusTip(QStringLiteral("Double Click to go to Design on Selected Item"));
    SummaryGrid->setEditTriggers(QAbstractItemView::DoubleClicked |
                                 QAbstractItemView::EditKeyPressed |
                                 QAbstractItemView::AnyKeyPressed);
    const int widths[] = {50, 110, 50, 140, 110, 100, 70, 70, 60, 80, 60, 100, 100};
    for (int i = 0; i < 13; ++i)
        SummaryGrid->horizontalHeader()->resizeSection(i, widths[i]);
    SummaryGrid->setEnabled(false);
    inner->addWidget(SummaryGrid, 1);
    SummaryTotalLabel = new QLabel;
    SummaryTotalLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    inner->addWidget(SummaryTotalLabel);
    // A quantity typed changes the line prices and the total.
    connect(SummaryGrid->gridModel(), &QAbstractItemModel::dataChanged, this, [this] {
        if (summaryPricesPending_ || !SummaryGrid->isEnabled()) return;
        summaryPricesPending_ = true;
        QTimer::singleShot(0, this, [this] { guarded([this] { refreshSummaryPrices(); }); });
    });
    layout->addWidget(group);
    connect(HideWarningsCB, &QCheckBox::clicked, this, [this](bool on) { WarningsOff = on; });
    connect(SummaryGrid, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        // A double click on an editable cell edits it; on a read-only one it opens the design.
        if (SummaryGrid->gridModel()->flags(index) & Qt::ItemIsEditable) return;
        guarded([this] {
            PageControl1->setCurrentIndex(0);
            DesignBtnClick();
        });
    });
    return page;
}

QString TMainForm::summaryPriceText(const std::function<QVariant(const QString&)>& field,
                                   bool line) const {
    const auto it = summaryPrices_.find(field(QStringLiteral("Design_No")).toInt());
    if (it == summaryPrices_.end()) return {};
    const calc::DesignPrice& p = it->second;
    if (!p.priced()) return line ? QString() : QStringLiteral("no price");
    const long double unit = p.unit.total();
    return calc::moneyText(line ? unit * field(QStringLiteral("Design_Qty")).toInt() : unit,
                           summaryCurrency_);
}

void TMainForm::refreshSummaryPrices() {
    summaryPricesPending_ = false;
    summaryPrices_.clear();
    const QString ref = DM.ProjectTable.fieldByName(QStringLiteral("Project_Ref")).asString();
    try {
        summaryCurrency_ = data::QuoteSettings::load(DM).currency;
    } catch (const std::runtime_error& e) {
        SummaryTotalLabel->setText(QString::fromStdString(e.what()));
        return;
    }
    long double total = 0;
    int unpriced = 0;
    for (const calc::DesignPrice& p : calc::projectPrices(DM, ref)) {
        summaryPrices_[p.designNo] = p;
        if (p.priced())
            total += p.line();
        else
            ++unpriced;
    }
    QString text = QStringLiteral("<b>Project total : %1</b>").arg(calc::moneyText(total, summaryCurrency_));
    if (unpriced)
        text += QStringLiteral(" &nbsp; (%1 design(s) without a price not included)").arg(unpriced);
    SummaryTotalLabel->setText(text);
    SummaryGrid->viewport()->update();
}

void TMainForm::pageChanged(int index) {
    const int previous = currentPage_;
    currentPage_ = index;
    guarded([&] {
        // RESULTS goes whenever another page is chosen; Analyse opens it itself.
        if (index != 3) PageControl1->setTabVisible(3, false);
        DesignBtnClick();
        pageHidden(previous);
        pageShown(PageControl1->currentIndex());
    });
}

void TMainForm::pageShown(int index) {
    if (!DM.tablesOpen()) return;
    if (index == 0) {
        SummaryGrid->setEnabled(false);
        if (designScreen_) designScreen_->updateOptions();
        DesignBtnClick();
        if (QLocale().decimalPoint() != QLatin1Char('.'))
            ShowMessage(QStringLiteral(
                "The Decimal Separator must be a Full Stop, Please set in Control Panel"));
    } else if (index == 1) {
        store::Table& design = DM.DesignTable;
        design.flushControls();
        if (design.editing()) design.post();
        design.close();
        design.open();
        if (designScreen_) {
            for (design.first(); !design.eof(); design.next())
                designScreen_->calculate();
            design.first();
        }
        SummaryGrid->setEnabled(true);
        refreshSummaryPrices();
        if (HideWarningsCB->isChecked()) WarningsOff = true;
    }
    sansPageShown(index);
}

void TMainForm::pageHidden(int index) {
    if (index == 0) DM.SystemGlassQuery.close();
    if (index == 1) SummaryGrid->setEnabled(false);
    sansPageHidden(index);
}

void TMainForm::focusChanged(QWidget* old, QWidget* now) {
    if (!DM.tablesOpen() || closed_) return;
    if (now == ProjectRefEdit && old != ProjectRefEdit) updateRefReadOnly();
    if (old == ProjectRefEdit && now != ProjectRefEdit) {
        guarded([this] {
            ProjectRefEdit->commit();
            updateRefReadOnly();
            postProject();
        });
    }
    const bool wasIn = isInside(old, TabSheet1), nowIn = isInside(now, TabSheet1);
    if (!wasIn && nowIn) guarded([this] { postProject(); });
    if (wasIn && !nowIn) guarded([this] { SaveDesign(); });
}

} // namespace ui::main
