#include "DesignPage.h"

#include "DesignGrid.h"
#include "data/DataModule.h"
#include "ui/main/Icons.h"
#include "ui/main/MainForm.h"
#include "ui/reports/Preview.h"
#include "ui/exchange/RefForms.h"
#include "ui/exchange/StandardsForm.h"
#include "store/Query.h"
#include "store/StoreError.h"
#include "widgets/DataControls.h"

#include <QDesktopServices>
#include <QDoubleValidator>
#include <QUrl>
#include <QEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>
#include <QAbstractItemView>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

namespace ui::design {

using ui::main::IconKind;
using store::StoreError;

namespace {

const QColor kInactive(0x80, 0x80, 0x80);

using ui::main::caption;

QToolButton* command(IconKind kind, const QString& hint) { return ui::main::commandButton(kind, hint); }

// The menu words of the right-click menu and the stored words they set.
QString storedWordFor(const QString& menuWord) {
    static const QStringList words{"None",   "Fixed",  "Top",    "Bottom",    "SideL",     "SideR",     "SlidL",  "SlidR",
                                   "SlidU",  "SlidD",  "SlidFL", "SlidFR",    "TiltTurnL", "TiltTurnR", "TiltSlidL",
                                   "TiltSlidR"};
    return words.contains(menuWord) ? menuWord.toUpper() : QString();
}

// The makers' web sites behind the information buttons.
constexpr const char* kSystemSupplierSite = "https://www.korvane.example/systems";

QString glassSupplierSite(const QString& supplier) {
    if (supplier == QLatin1String("Orvane")) return QStringLiteral("https://www.orvane.example");
    if (supplier == QLatin1String("Telmar")) return QStringLiteral("https://www.telmar.example");
    if (supplier == QLatin1String("Haldor")) return QStringLiteral("https://www.haldor.example");
    return {};
}

// Draws a glazing list entry as two columns: the code, then its description.
class CodeAndDescriptionDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QStyleOptionViewItem o = option;
        initStyleOption(&o, index);
        const QString code = o.text;
        o.text.clear();
        o.widget->style()->drawControl(QStyle::CE_ItemViewItem, &o, p, o.widget);
        p->save();
        p->setPen(o.palette.color(o.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text));
        const QRect r = o.rect.adjusted(4, 0, -4, 0);
        p->drawText(QRect(r.left(), r.top(), 130, r.height()), Qt::AlignVCenter | Qt::AlignLeft, code);
        p->drawText(QRect(r.left() + 140, r.top(), r.width() - 140, r.height()), Qt::AlignVCenter | Qt::AlignLeft,
                    index.data(Qt::ToolTipRole).toString());
        p->restore();
    }
};

}  // namespace

void TDesignPage::open(const QUrl& url) {
    if (openUrl)
        openUrl(url);
    else
        QDesktopServices::openUrl(url);
}

TDesignPage::TDesignPage(data::TDM& dm, ui::main::TMainForm& main, data::Messages& messages)
    : QWidget(main.designPage()), Calc(dm, messages), DM(dm), main_(main), messages_(messages) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(buildCommands());
    auto* body = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    left->addWidget(buildSpecification());
    left->addWidget(buildGlazing());
    left->addWidget(buildProfiles());
    left->addStretch();
    body->addLayout(left, 0);
    body->addWidget(buildConfiguration(), 1);
    layout->addLayout(body, 1);
    auto* pageLayout = new QVBoxLayout(main.designPage());
    pageLayout->setContentsMargins(0, 0, 0, 0);
    pageLayout->addWidget(this);

    Calc.saveDesign = [this](const ::design::GridModel&) { main_.SaveDesign(); };
    Calc.designShown = [this](calc::DesignView& v) {
        main_.LoadGraphic(true);
        v = view();
    };
    DesignRefForm = new ui::exchange::TDesignRefForm(this);
    StandardsForm = new ui::exchange::TStandardsForm(DM, this);
    fillLists();
    enableAllDimensions(false);
    main.setDesignScreen(this);
    UpdateOptions();
    // Compact rows so that the page fits a 1280 x 800 window.
    for (QGridLayout* g : findChildren<QGridLayout*>()) {
        g->setVerticalSpacing(3);
        g->setContentsMargins(6, 4, 6, 4);
    }
}

// Rows of a table in the current project.
int TDesignPage::rowCount(data::TDM& dm, const QString& table) {
    store::Query q(dm.database(), QStringLiteral("Select * from %1 Where Project_Ref=?").arg(table));
    q.setSql(q.sql(), {dm.ProjectTable.fieldByName(QStringLiteral("Project_Ref")).asString()});
    q.open();
    return q.recordCount();
}

void TDesignPage::guarded(const std::function<void()>& command) {
    try {
        command();
    } catch (const StoreError& e) {
        messages_.showError(e.message());
    }
}

QWidget* TDesignPage::buildCommands() {
    auto* bar = new QWidget;
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    PrevBtn = command(IconKind::Previous, QStringLiteral("Previous Design"));
    NextBtn = command(IconKind::Next, QStringLiteral("Next Design"));
    AddBtn = command(IconKind::Add, QStringLiteral("Add Design"));
    DelBtn = command(IconKind::Delete, QStringLiteral("Delete Design"));
    DesignSrchBtn = command(IconKind::Find, QStringLiteral("Find Design"));
    CalcBtn = command(IconKind::Calculate, QStringLiteral("Calculate Values"));
    ForceSaveBtn = command(IconKind::Save, QStringLiteral("Force Save"));
    UpdateAllBtn = command(IconKind::Calculate, QStringLiteral("Update ALL Calculations"));
    UpdateAllBtn->setIcon(ui::main::commandIcon(IconKind::Calculate));
    UpdateAllBtn->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    UpdateAllBtn->setText(QStringLiteral("All"));
    CopyDesignBtn = command(IconKind::Copy, QStringLiteral("Copy Design"));
    PrintReportBtn = command(IconKind::Print, QStringLiteral("Print Fenestration Design Report"));
    for (QToolButton* b : {PrevBtn, NextBtn, AddBtn, DelBtn, DesignSrchBtn, CopyDesignBtn, CalcBtn, ForceSaveBtn,
                           PrintReportBtn, UpdateAllBtn})
        row->addWidget(b);
    row->addStretch();
    connect(PrevBtn, &QToolButton::clicked, this, &TDesignPage::PrevBtnClick);
    connect(NextBtn, &QToolButton::clicked, this, &TDesignPage::NextBtnClick);
    connect(AddBtn, &QToolButton::clicked, this, &TDesignPage::AddBtnClick);
    connect(DelBtn, &QToolButton::clicked, this, &TDesignPage::DelBtnClick);
    connect(DesignSrchBtn, &QToolButton::clicked, this, &TDesignPage::DesignSrchBtnClick);
    connect(CalcBtn, &QToolButton::clicked, this, &TDesignPage::CalcBtnClick);
    connect(ForceSaveBtn, &QToolButton::clicked, this, &TDesignPage::ForceSaveClick);
    connect(UpdateAllBtn, &QToolButton::clicked, this, &TDesignPage::UpdateAllClick);
    connect(PrintReportBtn, &QToolButton::clicked, this, &TDesignPage::PrintReportClick);
    connect(CopyDesignBtn, &QToolButton::clicked, this, &TDesignPage::CopyBtnClick);
    return bar;
}

QWidget* TDesignPage::buildSpecification() {
    auto* group = new QGroupBox(QStringLiteral("SPECIFICATION"));
    group->setStatusTip(QStringLiteral("Click + to start new design"));
    auto* grid = new QGridLayout(group);
    DesignNoEdit = new widgets::DBEdit;
    DesignNoEdit->setDataField(&DM.DesignTable, QStringLiteral("Design_No"));
    DesignNoEdit->setReadOnly(true);
    DesignNoEdit->setMaximumWidth(60);
    DesignRefEdit = new widgets::DBEdit;
    DesignRefEdit->setDataField(&DM.DesignTable, QStringLiteral("Design_Ref"));
    DesignRefEdit->setMaxLength(10);
    DesignQtyEdit = new widgets::DBEdit;
    DesignQtyEdit->setDataField(&DM.DesignTable, QStringLiteral("Design_Qty"));
    DesignQtyEdit->setValidator(new QIntValidator(0, 100000, DesignQtyEdit));
    DesignQtyEdit->setMaximumWidth(60);
    WindLoadCB = new widgets::DBComboBox;
    WindLoadCB->setEditable(true);
    WindLoadCB->addItems({QStringLiteral("600"), QStringLiteral("1000"), QStringLiteral("1500"), QStringLiteral("2000")});
    WindLoadCB->lineEdit()->setValidator(new QDoubleValidator(0, 100000, 1, WindLoadCB));
    WindLoadCB->setDataField(&DM.DesignTable, QStringLiteral("Wind_Load"));
    SystemTypeCB = new widgets::DBComboBox;
    SystemTypeCB->setDataField(&DM.DesignTable, QStringLiteral("System_Type"));
    SystemNameCB = new widgets::DBComboBox;
    SystemNameCB->setDataField(&DM.DesignTable, QStringLiteral("System_Name"));
    FinishCB = new widgets::DBComboBox;
    FinishCB->setDataField(&DM.DesignTable, QStringLiteral("Finish"));
    for (QWidget* w : {static_cast<QWidget*>(SystemTypeCB), static_cast<QWidget*>(SystemNameCB),
                       static_cast<QWidget*>(FinishCB)})
        w->setMinimumWidth(180);

    grid->addWidget(caption(QStringLiteral("Design No. :")), 0, 0);
    grid->addWidget(DesignNoEdit, 0, 1);
    grid->addWidget(caption(QStringLiteral("Ref :")), 0, 2);
    grid->addWidget(DesignRefEdit, 0, 3);
    CopyBtn = new QPushButton(QStringLiteral("Copy Design"));
    CopyBtn->setStatusTip(QStringLiteral("Copy this design into a new design of the project"));
    CopyBtn->setAutoDefault(false);
    grid->addWidget(CopyBtn, 0, 4);
    connect(CopyBtn, &QPushButton::clicked, this, &TDesignPage::CopyBtnClick);
    grid->addWidget(caption(QStringLiteral("Qty :")), 1, 0);
    grid->addWidget(DesignQtyEdit, 1, 1);
    grid->addWidget(caption(QStringLiteral("Wind Load Pa :")), 1, 2);
    grid->addWidget(WindLoadCB, 1, 3);
    grid->addWidget(caption(QStringLiteral("System Type :")), 2, 0);
    grid->addWidget(SystemTypeCB, 2, 1, 1, 3);
    grid->addWidget(caption(QStringLiteral("System Name :")), 3, 0);
    grid->addWidget(SystemNameCB, 3, 1, 1, 3);
    StandardsBtn = new QToolButton;
    StandardsBtn->setText(QStringLiteral("Std"));
    StandardsBtn->setToolTip(QStringLiteral("Click to Select Standard Design"));
    StandardsBtn->setStatusTip(QStringLiteral("Click to Select Standard Design"));
    StandardsBtn->setEnabled(false);
    SystemInfoBtn = new QToolButton;
    SystemInfoBtn->setText(QStringLiteral("i"));
    SystemInfoBtn->setToolTip(QStringLiteral("Click to display more info"));
    SystemInfoBtn->setStatusTip(QStringLiteral("Click to display more info"));
    grid->addWidget(StandardsBtn, 3, 4);
    grid->addWidget(SystemInfoBtn, 2, 4);
    grid->addWidget(caption(QStringLiteral("Finish :")), 4, 0);
    grid->addWidget(FinishCB, 4, 1, 1, 3);

    connect(WindLoadCB, &QComboBox::editTextChanged, this, [this] { Calc.IxWarningShown = false; });
    connect(FinishCB, &QComboBox::activated, this, [this] { Calc.UpdateCalcBtn(true); });
    connect(SystemNameCB, &QComboBox::activated, this, [this] { guarded([this] { systemNameChanged(); }); });
    connect(StandardsBtn, &QToolButton::clicked, this, &TDesignPage::StandardsBtnClick);
    connect(SystemInfoBtn, &QToolButton::clicked, this, [this] { open(QUrl(QString::fromLatin1(kSystemSupplierSite))); });
    SystemTypeCB->installEventFilter(this);
    SystemNameCB->installEventFilter(this);
    connect(DesignNoEdit, &QLineEdit::textChanged, this, [this] {
        guarded([this] {
            main_.LoadGraphic();
            UpdateOptions();
        });
    });
    return group;
}

QWidget* TDesignPage::buildGlazing() {
    auto* group = new QGroupBox(QStringLiteral("GLAZING MATERIAL"));
    auto* grid = new QGridLayout(group);
    SupplierCB = new widgets::DBComboBox;
    SupplierCB->setDataField(&DM.DesignTable, QStringLiteral("Glass_Supplier"));
    // The logo follows the supplier list's current row.
    SupplierCB->beforeWrite = [this](const QString& s) { DM.SupplierTable.locate(QStringLiteral("Glass_Supplier"), s); };
    SupplierImage = new QLabel;
    SupplierImage->setFixedSize(100, 50);
    SupplierImage->setAlignment(Qt::AlignCenter);
    SupplierImage->setFrameShape(QFrame::StyledPanel);
    GlazingInfoBtn = new QToolButton;
    GlazingInfoBtn->setText(QStringLiteral("i"));
    GlazingInfoBtn->setToolTip(QStringLiteral("Click to display more info"));
    GlazingInfoBtn->setStatusTip(QStringLiteral("Click to display more info"));
    GlazingInfoBtn->setEnabled(false);
    GlazingCB = new widgets::DBLookupComboBox;
    GlazingCB->setDataField(&DM.DesignTable, QStringLiteral("Glass_Code"));
    GlazingCB->setMinimumWidth(180);
    GlazingCB->setMaxVisibleItems(20);
    GlazingCB->view()->setMinimumWidth(500);
    GlazingCB->view()->setItemDelegate(new CodeAndDescriptionDelegate(GlazingCB->view()));
    GlazingDetailsEdit = new widgets::DBEdit;
    GlazingDetailsEdit->setDataField(&DM.GlazingTable, QStringLiteral("Glass_Desc"));
    GlazingDetailsEdit->setReadOnly(true);
    SAGDBEdit = new QLineEdit;
    SAGDBEdit->setReadOnly(true);
    IGDBEdit = new QLineEdit;
    IGDBEdit->setReadOnly(true);

    grid->addWidget(caption(QStringLiteral("Supplier :")), 0, 0);
    grid->addWidget(SupplierCB, 0, 1);
    grid->addWidget(SupplierImage, 0, 2, 2, 1);
    grid->addWidget(GlazingInfoBtn, 0, 3);
    grid->addWidget(caption(QStringLiteral("Code :")), 1, 0);
    grid->addWidget(GlazingCB, 1, 1);
    grid->addWidget(caption(QStringLiteral("Description :")), 2, 0);
    grid->addWidget(GlazingDetailsEdit, 2, 1, 1, 3);
    auto* numbers = new QHBoxLayout;
    numbers->addWidget(SAGDBEdit);
    numbers->addWidget(new QLabel(QStringLiteral("IGDB No. :")));
    numbers->addWidget(IGDBEdit);
    grid->addWidget(caption(QStringLiteral("SAGDB :")), 3, 0);
    grid->addLayout(numbers, 3, 1, 1, 3);

    connect(SupplierCB, &QComboBox::activated, this, [this] { guarded([this] { glassChosen(); }); });
    connect(GlazingCB, &QComboBox::activated, this, [this] { guarded([this] { glassChosen(); }); });
    connect(GlazingDetailsEdit, &QLineEdit::textChanged, this, [this] { glazingShown(); });
    connect(GlazingInfoBtn, &QToolButton::clicked, this, [this] {
        const QString url = glassSupplierSite(SupplierCB->currentText());
        if (!url.isEmpty()) open(QUrl(url));
    });
    return group;
}

QWidget* TDesignPage::buildProfiles() {
    auto* group = new QGroupBox(QStringLiteral("FRAME PROFILES (Showing Korvane Die Numbers)"));
    auto* grid = new QGridLayout(group);
    const char* labels[] = {"Head :", "Sill :", "Jamb :", "Mullion :", "Transom :"};
    for (int k = 0; k < 5; ++k) {
        ProfileLabel[size_t(k)] = caption(QString::fromLatin1(labels[k]));
        ProfileCB[size_t(k)] = new widgets::DBComboBox;
        ProfileCB[size_t(k)]->setDataField(&DM.DesignTable, QStringLiteral("Profile%1").arg(k + 1));
        ProfileCB[size_t(k)]->setMinimumWidth(180);
        DieEdit[size_t(k)] = new widgets::DBEdit;
        DieEdit[size_t(k)]->setDataField(&DM.DesignTable, QStringLiteral("Die%1").arg(k + 1));
        DieEdit[size_t(k)]->setReadOnly(true);
        DieEdit[size_t(k)]->setMaximumWidth(110);
        DieEdit[size_t(k)]->setStyleSheet(QStringLiteral("color: #0000ff;"));
        grid->addWidget(ProfileLabel[size_t(k)], k, 0);
        grid->addWidget(ProfileCB[size_t(k)], k, 1);
        grid->addWidget(DieEdit[size_t(k)], k, 2);
        connect(ProfileCB[size_t(k)], &QComboBox::activated, this, [this, k] { guarded([this, k] { profileChanged(k); }); });
    }
    return group;
}

QWidget* TDesignPage::buildConfiguration() {
    auto* group = new QGroupBox(QStringLiteral("CONFIGURATION (Dimensions in mm)"));
    auto* grid = new QGridLayout(group);
    KGrid1 = new DesignGrid(main_.Grid, DM.WorkDir);
    PopupMenu1 = new QMenu(this);
    auto makeDim = [this](const QString& field) {
        auto* e = new widgets::DBEdit;
        e->setDataField(&DM.DesignTable, field);
        auto* v = new QDoubleValidator(0, 100000, 1, e);
        v->setNotation(QDoubleValidator::StandardNotation);
        v->setLocale(QLocale::c());
        e->setValidator(v);
        e->setAlignment(Qt::AlignCenter);
        e->setToolTip(QStringLiteral("%1 in mm: a number of 0 or more").arg(field));
        e->setStatusTip(e->toolTip());
        e->installEventFilter(this);
        return e;
    };
    auto* widths = new QHBoxLayout;
    widths->setSpacing(2);
    for (int i = 0; i < 10; ++i) {
        DimH[size_t(i)] = makeDim(QStringLiteral("DimH%1").arg(i + 1));
        DimH[size_t(i)]->setMinimumWidth(40);
        widths->addWidget(DimH[size_t(i)]);
    }
    auto* heights = new QVBoxLayout;
    heights->setSpacing(2);
    for (int j = 0; j < 5; ++j) {
        DimV[size_t(j)] = makeDim(QStringLiteral("DimV%1").arg(j + 1));
        DimV[size_t(j)]->setMaximumWidth(60);
        heights->addWidget(DimV[size_t(j)], 1);
    }
    grid->addLayout(widths, 0, 1);
    grid->addLayout(heights, 1, 0);
    grid->addWidget(KGrid1, 1, 1);
    grid->setRowStretch(1, 1);
    grid->setColumnStretch(1, 1);

    auto* below = new QHBoxLayout;
    below->addWidget(new QLabel(QStringLiteral("Continuous :")));
    ContinuousCB = new widgets::DBComboBox;
    ContinuousCB->setDataField(&DM.DesignTable, QStringLiteral("Continuous"));
    ContinuousCB->setMinimumWidth(120);
    below->addWidget(ContinuousCB);
    below->addStretch();
    ClearImage = command(IconKind::Delete, QStringLiteral("Clear Design"));
    MergeImage = command(IconKind::Copy, QStringLiteral("Merge Cells"));
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
    results->addStretch();
    grid->addLayout(results, 3, 1);

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
    connect(ClearImage, &QToolButton::clicked, this, [this] { guarded([this] { main_.ClearImageClick(); }); });
    connect(MergeImage, &QToolButton::clicked, this, &TDesignPage::MergeImageClick);
    return group;
}

void TDesignPage::fillLists() {
    if (!DM.tablesOpen()) return;
    guarded([this] {
        SystemTypeCB->clear();
        for (DM.SystemTypeTable.first(); !DM.SystemTypeTable.eof(); DM.SystemTypeTable.next())
            SystemTypeCB->addItem(DM.SystemTypeTable.fieldByName(QStringLiteral("System_Type")).asString());
        DM.SystemTypeTable.first();
        colourList(SystemTypeCB, [this](const QString& t) {
            return DM.SystemTypeTable.findKey({t}) && DM.SystemTypeTable.fieldByName(QStringLiteral("Type_Active")).asBoolean();
        });
        DM.SystemTypeTable.first();
        FinishCB->clear();
        for (DM.FinishTable.first(); !DM.FinishTable.eof(); DM.FinishTable.next())
            FinishCB->addItem(DM.FinishTable.fieldByName(QStringLiteral("Finish")).asString());
        colourList(FinishCB, [this](const QString& f) {
            return DM.FinishTable.findKey({f}) && DM.FinishTable.fieldByName(QStringLiteral("Finish_Active")).asBoolean();
        });
        DM.FinishTable.first();
        SupplierCB->clear();
        for (DM.SupplierTable.first(); !DM.SupplierTable.eof(); DM.SupplierTable.next())
            SupplierCB->addItem(DM.SupplierTable.fieldByName(QStringLiteral("Glass_Supplier")).asString());
        DM.SupplierTable.first();
        SystemTypeCB->refresh();
        FinishCB->refresh();
        SupplierCB->refresh();
    });
}

void TDesignPage::colourList(QComboBox* box, const std::function<bool(const QString&)>& active) {
    for (int i = 0; i < box->count(); ++i)
        box->setItemData(i, active(box->itemText(i)) ? QVariant() : QVariant(kInactive), Qt::ForegroundRole);
}

calc::DesignView TDesignPage::view() {
    return {&main_.Grid, SystemTypeCB->currentText(), SystemNameCB->currentText(), DieEdit[3]->text(),
            DieEdit[4]->text()};
}

void TDesignPage::gridChanged() { KGrid1->update(); }

void TDesignPage::UpdateOptions() {
    if (!DM.tablesOpen() || updating_) return;
    updating_ = true;
    try {
        store::Table& types = DM.SystemProfileTypeTable;
        for (int k = 0; k < 5; ++k) {
            const QString name = types.active() && !types.isEmpty()
                                     ? types.fieldByName(QStringLiteral("Profile%1").arg(k + 1)).asString().trimmed()
                                     : QString();
            ProfileLabel[size_t(k)]->setText(name + QStringLiteral(" : "));
        }
        const QString systemName = DM.DesignTable.fieldByName(QStringLiteral("System_Name")).asString();
        SystemNameCB->clear();
        DM.SystemQuery.setSql(QStringLiteral("Select * from System Where System_Type=?"),
                              {DM.DesignTable.fieldByName(QStringLiteral("System_Type")).asString()});
        DM.SystemQuery.open();
        for (DM.SystemQuery.first(); !DM.SystemQuery.eof(); DM.SystemQuery.next()) {
            SystemNameCB->addItem(DM.SystemQuery.fieldByName(QStringLiteral("System_Name")).asString());
            if (!DM.SystemQuery.fieldByName(QStringLiteral("System_Active")).asBoolean())
                SystemNameCB->setItemData(SystemNameCB->count() - 1, kInactive, Qt::ForegroundRole);
        }
        DM.SystemQuery.close();
        if (DM.DesignTable.active() && !systemName.isEmpty() && !DM.DesignTable.eof()) {
            DM.DesignTable.edit();
            DM.DesignTable.fieldByName(QStringLiteral("System_Name")).setAsString(systemName);
        }
        for (int k = 0; k < 5; ++k) {
            widgets::DBComboBox* box = ProfileCB[size_t(k)];
            box->clear();
            const QString type = types.active() && !types.isEmpty()
                                     ? types.fieldByName(QStringLiteral("Profile%1").arg(k + 1)).asString()
                                     : QString();
            DM.SystemProfileQuery.setSql(QStringLiteral("Select * from SystemProfile Where System_Name=? and Profile_Type=?"),
                                         {systemName, type});
            DM.SystemProfileQuery.open();
            for (DM.SystemProfileQuery.first(); !DM.SystemProfileQuery.eof(); DM.SystemProfileQuery.next()) {
                const QString desc = DM.SystemProfileQuery.fieldByName(QStringLiteral("Profile_Desc")).asString();
                const bool active = DM.SystemProfileQuery.fieldByName(QStringLiteral("Active")).asBoolean();
                box->addItem(active ? desc : QLatin1Char(' ') + desc);
                if (!active) box->setItemData(box->count() - 1, kInactive, Qt::ForegroundRole);
            }
            box->refresh();
        }
        DM.SystemProfileQuery.close();
        SystemTypeCB->refresh();
        SystemNameCB->refresh();
        FinishCB->refresh();
    } catch (const StoreError& e) {
        updating_ = false;
        messages_.showError(e.message());
        return;
    }
    updating_ = false;
}

void TDesignPage::UpdateSpecifications(bool enabled) {
    for (QWidget* w : std::initializer_list<QWidget*>{DesignNoEdit, DesignRefEdit, DesignQtyEdit, WindLoadCB, SystemTypeCB,
                                                     SystemNameCB, FinishCB, GlazingCB, GlazingDetailsEdit, SAGDBEdit, IGDBEdit})
        w->setEnabled(enabled);
    for (int k = 0; k < 5; ++k) {
        ProfileLabel[size_t(k)]->setEnabled(enabled);
        ProfileCB[size_t(k)]->setEnabled(enabled);
        DieEdit[size_t(k)]->setEnabled(enabled);
    }
    const double req = DM.DesignTable.fieldByName(QStringLiteral("ReqIx")).asFloat();
    const double act = DM.DesignTable.fieldByName(QStringLiteral("ActualIx")).asFloat();
    if (enabled && req > act && act > 0) Calc.DisplayIxWarning();
}

void TDesignPage::SetGlassCodeCB() {
    if (!main_.isVisible() || !DM.tablesOpen()) return;
    DM.SystemGlassQuery.setSql(QStringLiteral("Select * from SystemGlass Where Supplier=? and System_Name=?"),
                               {SupplierCB->currentText(), SystemNameCB->currentText()});
    DM.SystemGlassQuery.open();
    GlazingCB->setList(&DM.SystemGlassQuery, QStringLiteral("Glass_Code"), QStringLiteral("Glass_Code"));
    // The open list shows each unit's description beside its code.
    const int desc = DM.SystemGlassQuery.fieldIndex(QStringLiteral("Glass_Desc"));
    for (int i = 0; i < GlazingCB->count(); ++i) {
        const QString text = DM.SystemGlassQuery.rowAt(i)[size_t(desc)].toString();
        GlazingCB->setItemData(i, text, Qt::ToolTipRole);
    }

    DM.SupplierTable.locate(QStringLiteral("Glass_Supplier"), SupplierCB->currentText());
    DM.UpdateSupplierLogo();
    glazingShown();
}

void TDesignPage::showSupplierPicture(const QString& file) {
    const QPixmap pix(file);
    SupplierImage->setPixmap(pix.isNull() ? QPixmap()
                                          : pix.scaled(SupplierImage->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

void TDesignPage::setGlazingInfoEnabled(bool enabled) { GlazingInfoBtn->setEnabled(enabled); }

void TDesignPage::setContinuousItems(const QStringList& items) {
    ContinuousCB->clear();
    ContinuousCB->addItems(items);
    ContinuousCB->refresh();
}

void TDesignPage::glazingShown() {
    if (!DM.GlazingTable.active() || DM.GlazingTable.isEmpty()) {
        IGDBEdit->clear();
        return;
    }
    SAGDBEdit->setText(DM.GlazingTable.fieldByName(QStringLiteral("SAGDB")).asString().trimmed());
    IGDBEdit->setText(DM.GlazingTable.fieldByName(QStringLiteral("IGDB1")).asString().trimmed());
}

void TDesignPage::glassChosen() {
    Calc.UpdateCalcBtn(true);
    SetGlassCodeCB();
    if (GlazingCB->currentText().isEmpty() && DM.DesignTable.active() && !DM.DesignTable.eof()) {
        DM.DesignTable.edit();
        DM.DesignTable.fieldByName(QStringLiteral("Glass_Code")).clear();
        DM.DesignTable.post();
    }
}

void TDesignPage::profileChanged(int k) {
    Calc.UpdateCalcBtn(true);
    DM.SystemProfileQuery.setSql(QStringLiteral("Select * from SystemProfile Where System_Name=? and Profile_Desc=?"),
                                 {DM.DesignTable.fieldByName(QStringLiteral("System_Name")).asString(),
                                  ProfileCB[size_t(k)]->currentText().trimmed()});
    DM.SystemProfileQuery.open();
    const QString code = DM.SystemProfileQuery.isEmpty()
                             ? QString()
                             : DM.SystemProfileQuery.fieldByName(QStringLiteral("Profile_Code")).asString();
    DM.SystemProfileQuery.close();
    DM.DesignTable.edit();
    DM.DesignTable.fieldByName(QStringLiteral("Die%1").arg(k + 1)).setAsString(code);
    if (k >= 3) Calc.IxWarningShown = false;
}

void TDesignPage::systemNameChanged() {
    if (main_.isVisible() && DM.DesignTable.active() && !DM.DesignTable.eof()) {
        DM.DesignTable.edit();
        DM.DesignTable.fieldByName(QStringLiteral("Glass_Code")).clear();
        SetGlassCodeCB();
    }
    lookForStandards();
}

void TDesignPage::systemNameLeft() {
    StandardsBtn->setEnabled(false);
    if (!DM.DesignTable.active() || DM.DesignTable.eof()) return;
    Calc.UpdateCalcBtn(true);
    UpdateOptions();
    for (int k = 0; k < 5; ++k) {
        widgets::DBComboBox* box = ProfileCB[size_t(k)];
        if (!box->currentText().isEmpty() || box->count() == 0) continue;
        DM.DesignTable.edit();
        DM.DesignTable.fieldByName(QStringLiteral("Profile%1").arg(k + 1)).setAsString(box->itemText(0));
        DM.DesignTable.post();
        box->refresh();
        profileChanged(k);
    }
    DM.DesignTable.edit();
    DM.DesignTable.post();
}

void TDesignPage::systemTypeLeft() {
    // Only a changed type starts the system over: a user who merely passes
    // through the box keeps the design's cells and sizes.
    const QString now = DM.DesignTable.fieldByName(QStringLiteral("System_Type")).asString();
    if (now == systemTypeAtEntry_ || !DM.DesignTable.active() || DM.DesignTable.eof()) return;
    Calc.UpdateCalcBtn(true);
    UpdateOptions();
    DM.DesignTable.edit();
    DM.DesignTable.fieldByName(QStringLiteral("System_Name")).clear();
    DM.DesignTable.post();
    main_.ClearImageClick();
    DM.DesignTable.edit();
    DM.DesignTable.fieldByName(QStringLiteral("System_Name")).clear();
    UpdateOptions();
}

bool TDesignPage::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn && watched == SystemTypeCB)
        systemTypeAtEntry_ = DM.DesignTable.active() ? DM.DesignTable.fieldByName(QStringLiteral("System_Type")).asString() : QString();
    if (event->type() == QEvent::FocusOut && watched == SystemTypeCB) guarded([this] { systemTypeLeft(); });
    if (event->type() == QEvent::FocusOut && watched == SystemNameCB &&
        static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason)
        guarded([this] { systemNameLeft(); });
    if (event->type() == QEvent::MouseButtonPress && watched == SystemNameCB) {
        // Opening the list offers the standard designs to a design not yet drawn.
        guarded([this] {
            StandardsBtn->setEnabled(SystemNameCB->currentText().isEmpty() ||
                                     rowCount(DM, QStringLiteral("DesignImage")) == 0);
        });
    }
    if (event->type() == QEvent::MouseButtonPress) {
        for (auto* box : DimH)
            if (watched == box && box->isEnabled()) Calc.UpdateCalcBtn(true);
        for (auto* box : DimV)
            if (watched == box && box->isEnabled()) Calc.UpdateCalcBtn(true);
    }
    return QWidget::eventFilter(watched, event);
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
                KGrid1->update();
            });
        }
    }
    connect(PopupMenu1->addAction(QStringLiteral("Merge/Unmerge")), &QAction::triggered, this, &TDesignPage::MergeImageClick);
}

void TDesignPage::MergeImageClick() {
    ::design::MergeImageClick(main_.Grid, KGrid1->selection(), messages_);
    KGrid1->update();
}

void TDesignPage::EnableDimensions() {
    const ::design::Selection s = KGrid1->selection();
    if (main_.Grid.mode(s.Row1, s.Col1) == ::design::None) return;
    const ::design::Span span = main_.Grid.span(s.Row1, s.Col1);
    for (int i = 0; i < std::max(1, std::min(span.ColSpan, 3)) && s.Col1 + i < 10; ++i) DimH[size_t(s.Col1 + i)]->setEnabled(true);
    for (int j = 0; j < std::max(1, std::min(span.RowSpan, 3)) && s.Row1 + j < 5; ++j) DimV[size_t(s.Row1 + j)]->setEnabled(true);
}

void TDesignPage::enableDimensions() {
    for (int i = 0; i < 10; ++i)
        if (DM.DesignTable.fieldByName(QStringLiteral("DimH%1").arg(i + 1)).asFloat() > 0) DimH[size_t(i)]->setEnabled(true);
    for (int j = 0; j < 5; ++j)
        if (DM.DesignTable.fieldByName(QStringLiteral("DimV%1").arg(j + 1)).asFloat() > 0) DimV[size_t(j)]->setEnabled(true);
}

void TDesignPage::enableAllDimensions(bool enabled) {
    for (auto* box : DimH) box->setEnabled(enabled);
    for (auto* box : DimV) box->setEnabled(enabled);
}

void TDesignPage::calculate() {
    Calc.WarningsOff = main_.WarningsOff;
    calc::DesignView v = view();
    Calc.CalcBtnClick(v);
}

void TDesignPage::CalcBtnClick() { calculate(); }

void TDesignPage::PrintReportClick() {
    if (!DM.tablesOpen() || DM.DesignTable.eof() || DM.DesignTable.isEmpty()) return;
    calculate();
    guarded([this] { ui::reports::previewDesignReport(DM, main_.Grid, messages_, this); });
}

void TDesignPage::UpdateAllClick() {
    Calc.WarningsOff = main_.WarningsOff;
    calc::DesignView v = view();
    Calc.UpdateAllValues(v);
    main_.LoadGraphic(true);
}

void TDesignPage::AddBtnClick() {
    if (!DM.tablesOpen()) return;
    guarded([this] {
        DM.DesignTable.append();
        main_.DesignBtnClick();
        enableAllDimensions(false);
        DesignRefEdit->setFocus();
    });
}

void TDesignPage::DelBtnClick() {
    if (!DM.tablesOpen() || DM.DesignTable.eof() || DM.DesignTable.isEmpty()) return;
    guarded([this] {
        if (DM.DesignTable.fieldByName(QStringLiteral("Project_Ref")).asString().startsWith(QLatin1Char('_'))) {
            messages_.showMessage(QStringLiteral("You may NOT delete designs from Standard Projects"));
            return;
        }
        if (messages_.messageDlg(QStringLiteral("Are you sure you want to Delete this Design?"), data::DlgType::Warning,
                                 {data::DlgButton::Yes, data::DlgButton::No}) != data::DlgButton::Yes)
            return;
        DM.DesignTable.deleteRow();
        // Only the grid in memory is cleared: the design now shown keeps its sizes.
        main_.Grid.clear();
        enableAllDimensions(false);
        DM.DesignTable.next();
        DM.DesignTable.prior();
        main_.LoadGraphic();
        main_.DesignBtnClick();
    });
}

void TDesignPage::stepDesign(bool forward) {
    guarded([this, forward] {
        // A lock held elsewhere stops the step with the store's message.
        DM.DesignTable.lockTable();
        DM.DesignTable.unlockTable();
        if (forward)
            DM.DesignTable.next();
        else
            DM.DesignTable.prior();
        main_.DesignBtnClick();
    });
}

void TDesignPage::NextBtnClick() { stepDesign(true); }

void TDesignPage::PrevBtnClick() { stepDesign(false); }

void TDesignPage::DesignSrchBtnClick() {
    guarded([this] {
        main_.DesignBtnClick();
        main_.WarningsOff = true;
        main_.PageControl1->setCurrentIndex(1);
        main_.WarningsOff = false;
    });
}

void TDesignPage::ForceSaveClick() {
    guarded([this] {
        main_.SaveDesign();
        messages_.showMessage(QStringLiteral("Design Saved!"));
    });
}

}  // namespace ui::design
