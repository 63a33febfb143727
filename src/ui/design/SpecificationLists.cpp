// The SPECIFICATION, GLAZING MATERIAL and FRAME PROFILES groups: filling the
// choice lists from the reference tables and what each choice sets off.
#include "DesignGrid.h"
#include "DesignPage.h"
#include "compliance/Storeys.h"
#include "data/DataModule.h"
#include "store/Query.h"
#include "widgets/RefusedInput.h"
#include "store/StoreError.h"
#include "ui/main/Icons.h"
#include "ui/glazing/NewGlazingForm.h"
#include "ui/main/MainForm.h"
#include "widgets/DataControls.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDoubleValidator>
#include <QEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QPushButton>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QToolButton>
#include <QUrl>

namespace ui::design {

using store::StoreError;
using ui::main::caption;

namespace {

const QColor kInactive(0x80, 0x80, 0x80);

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
    void paint(QPainter* p, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem o = option;
        initStyleOption(&o, index);
        const QString code = o.text;
        o.text.clear();
        o.widget->style()->drawControl(QStyle::CE_ItemViewItem, &o, p, o.widget);
        p->save();
        p->setPen(o.palette.color(o.state & QStyle::State_Selected ? QPalette::HighlightedText
                                                                   : QPalette::Text));
        const QRect r = o.rect.adjusted(4, 0, -4, 0);
        p->drawText(QRect(r.left(), r.top(), 130, r.height()), Qt::AlignVCenter | Qt::AlignLeft,
                    code);
        p->drawText(QRect(r.left() + 140, r.top(), r.width() - 140, r.height()),
                    Qt::AlignVCenter | Qt::AlignLeft, index.data(Qt::ToolTipRole).toString());
        p->restore();
    }
};

// Draws list entries without the leading space that marks an inactive one;
// the entry keeps it, so it is stored as listed.
class TrimmedEntryDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QString displayText(const QVariant& value, const QLocale& locale) const override {
        return QStyledItemDelegate::displayText(value, locale).trimmed();
    }
};

} // namespace

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
    widgets::RefusedInput::watch(DesignQtyEdit);
    DesignQtyEdit->setMaximumWidth(60);
    DesignQtyEdit->setSelectAllOnClick(true);
    WindLoadCB = new widgets::DBComboBox;
    WindLoadCB->setEditable(true);
    WindLoadCB->addItems({QStringLiteral("600"), QStringLiteral("1000"), QStringLiteral("1500"),
                          QStringLiteral("2000")});
    WindLoadCB->lineEdit()->setValidator(new QDoubleValidator(0, 100000, 1, WindLoadCB));
    widgets::RefusedInput::watch(WindLoadCB->lineEdit());
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

    grid->addWidget(caption(QStringLiteral("Design No. :"), DesignNoEdit), 0, 0);
    grid->addWidget(DesignNoEdit, 0, 1);
    grid->addWidget(caption(QStringLiteral("Ref :"), DesignRefEdit), 0, 2);
    grid->addWidget(DesignRefEdit, 0, 3);
    CopyBtn = new QPushButton(QStringLiteral("Copy Design"));
    CopyBtn->setStatusTip(QStringLiteral("Copy this design into a new design of the project"));
    CopyBtn->setAutoDefault(false);
    grid->addWidget(CopyBtn, 0, 4);
    connect(CopyBtn, &QPushButton::clicked, this, &TDesignPage::CopyBtnClick);
    grid->addWidget(caption(QStringLiteral("Qty :"), DesignQtyEdit), 1, 0);
    grid->addWidget(DesignQtyEdit, 1, 1);
    grid->addWidget(caption(QStringLiteral("Wind Load Pa :"), WindLoadCB), 1, 2);
    grid->addWidget(WindLoadCB, 1, 3);
    grid->addWidget(caption(QStringLiteral("System Type :"), SystemTypeCB), 2, 0);
    grid->addWidget(SystemTypeCB, 2, 1, 1, 3);
    grid->addWidget(caption(QStringLiteral("System Name :"), SystemNameCB), 3, 0);
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
    grid->addWidget(caption(QStringLiteral("Finish :"), FinishCB), 4, 0);
    grid->addWidget(FinishCB, 4, 1, 1, 3);
    // Storey and orientation go with the design from the moment it is drawn,
    // so the SANS 204 analysis finds them set.
    FloorCB = new widgets::DBComboBox;
    FloorCB->addItems(::compliance::storeyCodes());
    FloorCB->setDataField(&DM.DesignTable, QStringLiteral("Floor"));
    FloorCB->setStatusTip(QStringLiteral("The storey the window is on"));
    ElevationCB = new widgets::DBComboBox;
    ElevationCB->addItems(::compliance::orientationCodes());
    ElevationCB->setDataField(&DM.DesignTable, QStringLiteral("Elevation"));
    ElevationCB->setStatusTip(QStringLiteral("The direction the window faces"));
    grid->addWidget(caption(QStringLiteral("Storey :"), FloorCB), 5, 0);
    grid->addWidget(FloorCB, 5, 1);
    grid->addWidget(caption(QStringLiteral("Orientation :"), ElevationCB), 5, 2);
    grid->addWidget(ElevationCB, 5, 3);

    connect(WindLoadCB, &QComboBox::editTextChanged, this, [this] { Calc.IxWarningShown = false; });
    connect(FinishCB, &QComboBox::activated, this, [this] { Calc.UpdateCalcBtn(true); });
    connect(SystemNameCB, &QComboBox::activated, this,
            [this] { guarded([this] { systemNameChanged(); }); });
    connect(StandardsBtn, &QToolButton::clicked, this, &TDesignPage::StandardsBtnClick);
    connect(SystemInfoBtn, &QToolButton::clicked, this,
            [this] { open(QUrl(QString::fromLatin1(kSystemSupplierSite))); });
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
    SupplierCB->beforeWrite = [this](const QString& s) {
        DM.SupplierTable.locate(QStringLiteral("Glass_Supplier"), s);
    };
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

    grid->addWidget(caption(QStringLiteral("Supplier :"), SupplierCB), 0, 0);
    grid->addWidget(SupplierCB, 0, 1);
    grid->addWidget(SupplierImage, 0, 2, 2, 1);
    grid->addWidget(GlazingInfoBtn, 0, 3);
    auto* newGlazing = new QToolButton;
    newGlazing->setText(QStringLiteral("New Glazing\u2026"));
    newGlazing->setToolTip(QStringLiteral("Make a glazing unit from its panes and gaps"));
    newGlazing->setStatusTip(newGlazing->toolTip());
    connect(newGlazing, &QToolButton::clicked, this, [this] {
        if (ui::glazing::showNewGlazing(DM, messages_, this)) SetGlassCodeCB();
    });
    grid->addWidget(newGlazing, 1, 3);
    grid->addWidget(caption(QStringLiteral("Code :"), GlazingCB), 1, 0);
    grid->addWidget(GlazingCB, 1, 1);
    grid->addWidget(caption(QStringLiteral("Description :"), GlazingDetailsEdit), 2, 0);
    grid->addWidget(GlazingDetailsEdit, 2, 1, 1, 3);
    auto* numbers = new QHBoxLayout;
    numbers->addWidget(SAGDBEdit);
    numbers->addWidget(caption(QStringLiteral("IGDB No. :"), IGDBEdit));
    numbers->addWidget(IGDBEdit);
    grid->addWidget(caption(QStringLiteral("SAGDB :"), SAGDBEdit), 3, 0);
    grid->addLayout(numbers, 3, 1, 1, 3);

    connect(SupplierCB, &QComboBox::activated, this,
            [this] { guarded([this] { glassChosen(); }); });
    connect(GlazingCB, &QComboBox::activated, this, [this] { guarded([this] { glassChosen(); }); });
    connect(GlazingDetailsEdit, &QLineEdit::textChanged, this, [this] { glazingShown(); });
    // The numbers follow the glazing row the design's code picks, whatever moved it.
    connect(&DM.GlazingTable, &store::DataSet::scrolled, this, [this] { glazingShown(); });
    connect(&DM.GlazingTable, &store::DataSet::dataChanged, this, [this] { glazingShown(); });
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
        ProfileCB[size_t(k)] = new widgets::DBComboBox;
        ProfileLabel[size_t(k)] = caption(QString::fromLatin1(labels[k]), ProfileCB[size_t(k)]);
        ProfileCB[size_t(k)]->setDataField(&DM.DesignTable, QStringLiteral("Profile%1").arg(k + 1));
        ProfileCB[size_t(k)]->setMinimumWidth(180);
        ProfileCB[size_t(k)]->view()->setItemDelegate(new TrimmedEntryDelegate(ProfileCB[size_t(k)]->view()));
        DieEdit[size_t(k)] = new widgets::DBEdit;
        DieEdit[size_t(k)]->setDataField(&DM.DesignTable, QStringLiteral("Die%1").arg(k + 1));
        DieEdit[size_t(k)]->setReadOnly(true);
        DieEdit[size_t(k)]->setMaximumWidth(110);
        DieEdit[size_t(k)]->setStyleSheet(QStringLiteral("color: #0000ff;"));
        grid->addWidget(ProfileLabel[size_t(k)], k, 0);
        grid->addWidget(ProfileCB[size_t(k)], k, 1);
        grid->addWidget(DieEdit[size_t(k)], k, 2);
        connect(ProfileCB[size_t(k)], &QComboBox::activated, this,
                [this, k] { guarded([this, k] { profileChanged(k); }); });
    }
    return group;
}

void TDesignPage::fillLists() {
    if (!DM.tablesOpen()) return;
    guarded([this] {
        SystemTypeCB->clear();
        for (DM.SystemTypeTable.first(); !DM.SystemTypeTable.eof(); DM.SystemTypeTable.next())
            SystemTypeCB->addItem(
                DM.SystemTypeTable.fieldByName(QStringLiteral("System_Type")).asString());
        DM.SystemTypeTable.first();
        colourList(SystemTypeCB, [this](const QString& t) {
            return DM.SystemTypeTable.findKey({t}) &&
                   DM.SystemTypeTable.fieldByName(QStringLiteral("Type_Active")).asBoolean();
        });
        DM.SystemTypeTable.first();
        FinishCB->clear();
        for (DM.FinishTable.first(); !DM.FinishTable.eof(); DM.FinishTable.next())
            FinishCB->addItem(DM.FinishTable.fieldByName(QStringLiteral("Finish")).asString());
        colourList(FinishCB, [this](const QString& f) {
            return DM.FinishTable.findKey({f}) &&
                   DM.FinishTable.fieldByName(QStringLiteral("Finish_Active")).asBoolean();
        });
        DM.FinishTable.first();
        SupplierCB->clear();
        for (DM.SupplierTable.first(); !DM.SupplierTable.eof(); DM.SupplierTable.next())
            SupplierCB->addItem(
                DM.SupplierTable.fieldByName(QStringLiteral("Glass_Supplier")).asString());
        DM.SupplierTable.first();
        SystemTypeCB->refresh();
        FinishCB->refresh();
        SupplierCB->refresh();
    });
}

void TDesignPage::colourList(QComboBox* box, const std::function<bool(const QString&)>& active) {
    for (int i = 0; i < box->count(); ++i)
        box->setItemData(i, active(box->itemText(i)) ? QVariant() : QVariant(kInactive),
                         Qt::ForegroundRole);
}

void TDesignPage::UpdateOptions() {
    if (!DM.tablesOpen() || updating_) return;
    updating_ = true;
    try {
        store::Table& types = DM.SystemProfileTypeTable;
        for (int k = 0; k < 5; ++k) {
            const QString name =
                types.active() && !types.isEmpty()
                    ? types.fieldByName(QStringLiteral("Profile%1").arg(k + 1)).asString().trimmed()
                    : QString();
            ProfileLabel[size_t(k)]->setText(name + QStringLiteral(" : "));
        }
        const QString systemName =
            DM.DesignTable.fieldByName(QStringLiteral("System_Name")).asString();
        SystemNameCB->clear();
        DM.SystemQuery.setSql(
            QStringLiteral("Select * from System Where System_Type=?"),
            {DM.DesignTable.fieldByName(QStringLiteral("System_Type")).asString()});
        DM.SystemQuery.open();
        for (DM.SystemQuery.first(); !DM.SystemQuery.eof(); DM.SystemQuery.next()) {
            SystemNameCB->addItem(
                DM.SystemQuery.fieldByName(QStringLiteral("System_Name")).asString());
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
            const QString type =
                types.active() && !types.isEmpty()
                    ? types.fieldByName(QStringLiteral("Profile%1").arg(k + 1)).asString()
                    : QString();
            DM.SystemProfileQuery.setSql(
                QStringLiteral(
                    "Select * from SystemProfile Where System_Name=? and Profile_Type=?"),
                {systemName, type});
            DM.SystemProfileQuery.open();
            for (DM.SystemProfileQuery.first(); !DM.SystemProfileQuery.eof();
                 DM.SystemProfileQuery.next()) {
                const QString desc =
                    DM.SystemProfileQuery.fieldByName(QStringLiteral("Profile_Desc")).asString();
                const bool active =
                    DM.SystemProfileQuery.fieldByName(QStringLiteral("Active")).asBoolean();
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
    for (QWidget* w : std::initializer_list<QWidget*>{
             DesignNoEdit, DesignRefEdit, DesignQtyEdit, WindLoadCB, SystemTypeCB, SystemNameCB,
             FinishCB, FloorCB, ElevationCB, GlazingCB, GlazingDetailsEdit, SAGDBEdit, IGDBEdit})
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
    DM.SystemGlassQuery.setSql(
        QStringLiteral("Select * from SystemGlass Where Supplier=? and System_Name=?"),
        {SupplierCB->currentText(), SystemNameCB->currentText()});
    DM.SystemGlassQuery.open();
    GlazingCB->setList(&DM.SystemGlassQuery, QStringLiteral("Glass_Code"),
                       QStringLiteral("Glass_Code"));
    // The open list shows each unit's description beside its code.
    const int desc = DM.SystemGlassQuery.fieldIndex(QStringLiteral("Glass_Desc"));
    for (int i = 0; i < GlazingCB->count(); ++i) {
        const QString text = DM.SystemGlassQuery.rowAt(i)[size_t(desc)].toString();
        GlazingCB->setItemData(i, text, Qt::ToolTipRole);
    }

    // A design without a supplier shows no logo, never the last design's.
    const bool found = !SupplierCB->currentText().isEmpty() &&
                       DM.SupplierTable.locate(QStringLiteral("Glass_Supplier"), SupplierCB->currentText());
    DM.UpdateSupplierLogo(found ? SupplierCB->currentText() : QString());
    glazingShown();
}

void TDesignPage::showSupplierPicture(const QString& file) {
    const QPixmap pix(file);
    SupplierImage->setPixmap(pix.isNull() ? QPixmap()
                                          : pix.scaled(SupplierImage->size(), Qt::KeepAspectRatio,
                                                       Qt::SmoothTransformation));
}

void TDesignPage::setGlazingInfoEnabled(bool enabled) {
    GlazingInfoBtn->setEnabled(enabled);
}

void TDesignPage::glazingShown() {
    if (!DM.GlazingTable.active() || DM.GlazingTable.isEmpty()) {
        SAGDBEdit->clear();
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
    DM.SystemProfileQuery.setSql(
        QStringLiteral("Select * from SystemProfile Where System_Name=? and Profile_Desc=?"),
        {DM.DesignTable.fieldByName(QStringLiteral("System_Name")).asString(),
         ProfileCB[size_t(k)]->currentText().trimmed()});
    DM.SystemProfileQuery.open();
    const QString code =
        DM.SystemProfileQuery.isEmpty()
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
        DM.DesignTable.fieldByName(QStringLiteral("Profile%1").arg(k + 1))
            .setAsString(box->itemText(0));
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
        systemTypeAtEntry_ =
            DM.DesignTable.active()
                ? DM.DesignTable.fieldByName(QStringLiteral("System_Type")).asString()
                : QString();
    if (event->type() == QEvent::FocusOut && watched == SystemTypeCB)
        guarded([this] { systemTypeLeft(); });
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

} // namespace ui::design
