#include "MainForm.h"

#include "ui/maintenance/RebuildForm.h"

#include "AboutForm.h"
#include "DetailsForm.h"
#include "Icons.h"
#include "data/Paths.h"
#include "SearchForm.h"
#include "design/DesignRecords.h"
#include "ui/reports/Preview.h"
#include "ui/compliance/RationalPage.h"
#include "store/StoreError.h"
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


// The banner keeps its proportions at any width: drawn from the left at the
// banner's height, the rest continued in its end colour.
class BannerWidget : public QWidget {
public:
    explicit BannerWidget(const QString& file) : picture_(file) {
        setFixedHeight(picture_.isNull() ? 0 : 60);
        setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        if (picture_.isNull()) return;
        QPainter p(this);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        const QColor end = picture_.toImage().pixelColor(picture_.width() - 1, picture_.height() / 2);
        p.fillRect(rect(), end);
        const int w = picture_.width() * height() / picture_.height();
        p.drawPixmap(QRect(0, 0, w, height()), picture_);
    }

private:
    QPixmap picture_;
};

bool isInside(QWidget* w, QWidget* container) {
    for (; w; w = w->parentWidget())
        if (w == container) return true;
    return false;
}

}  // namespace

TMainForm::TMainForm(data::TDM& dm, data::Messages& messages, QWidget* parent)
    : QMainWindow(parent), DM(dm), messages_(messages) {
    setWindowTitle(QStringLiteral("Quorvex (Version 5.0)"));
    dm.setMainWindow(this);
    buildMenus();

    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(6, 0, 6, 6);
    layout->addWidget(new BannerWidget(data::resolvePicture(DM.WorkDir, QStringLiteral("Images/Banner.jpg"))));
    layout->addWidget(buildHeader());

    PageControl1 = new QTabWidget;
    TabSheet1 = new QWidget;
    TabSheet2 = buildSummaryPage();
    TabSheet3 = new QWidget;
    TabSheet4 = new QWidget;
    TabSheet6 = new QWidget;
    RationalPage = new ui::compliance::TRationalPage(DM, messages_);
    (new QVBoxLayout(TabSheet6))->addWidget(RationalPage);
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
    for (int i = 2; i <= 4; ++i) PageControl1->setTabVisible(i, false);
    layout->addWidget(PageControl1, 1);
    setCentralWidget(central);
    statusBar()->setSizeGripEnabled(true);

    SearchForm = new TSearchForm(DM.ProjectQuery, this);
    DetailsForm = new TDetailsForm(DM.ProjectTable, this);
    AboutForm = new TAboutForm(DM.WorkDir, this);
    connect(AboutForm, &TAboutForm::declined, this, [this] {
        closed_ = true;
        if (onDecline)
            onDecline();
        else
            QCoreApplication::exit(0);
    });
    connect(PageControl1, &QTabWidget::currentChanged, this, &TMainForm::pageChanged);
    connect(qApp, &QApplication::focusChanged, this, &TMainForm::focusChanged);
    qApp->installEventFilter(this);
    widgets::setErrorHandler([this](const QString& text) { messages_.showError(text); });
    resize(1280, 800);
    FormCreate();
}

TMainForm::~TMainForm() {
    qApp->removeEventFilter(this);
    DM.setMainWindow(nullptr);
    widgets::setErrorHandler(nullptr);
}

void TMainForm::buildMenus() {
    menuBar()->setStatusTip(QString());
    QMenu* project = menuBar()->addMenu(QStringLiteral("&Project"));
    project->setStatusTip(QStringLiteral("File related commands"));
    project->menuAction()->setStatusTip(QStringLiteral("File related commands"));
    NewProjectAction = project->addAction(QStringLiteral("&New Project"), this, &TMainForm::AddProjectClick);
    NewProjectAction->setStatusTip(QStringLiteral("Create New Project"));
    DeleteProjectAction = project->addAction(QStringLiteral("&Delete Project"), this, &TMainForm::DeleteProjectClick);
    DeleteProjectAction->setStatusTip(QStringLiteral("Delete Current Project"));
    project->addSeparator();
    ExitAction = project->addAction(QStringLiteral("E&xit"), this, &QWidget::close);
    ExitAction->setStatusTip(QStringLiteral("Exit application"));

    // The analysis pages have no tab of their own until asked for here.
    QMenu* compliance = menuBar()->addMenu(QStringLiteral("&Compliance"));
    compliance->menuAction()->setStatusTip(QStringLiteral("Energy compliance of the project's fenestration"));
    RationalAction = compliance->addAction(QStringLiteral("SANS 10400-XA (Rational Design)"), this, [this] {
        PageControl1->setTabVisible(4, true);
        PageControl1->setCurrentIndex(4);
    });
    RationalAction->setStatusTip(QStringLiteral("Judge the project's windows against a rational-design target"));

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->menuAction()->setStatusTip(QStringLiteral("Help topics"));
    AboutAction = help->addAction(QStringLiteral("&About..."), this, [this] { AboutForm->exec(); });
    RebuildAction = help->addAction(QStringLiteral("&Rebuild"), this, &TMainForm::Rebuid1Click);
    RebuildAction->setStatusTip(QStringLiteral("Verify and rebuild every table of the data folder"));
    UserManualAction = help->addAction(QStringLiteral("&User Manual"), this, [this] {
        // A copy in the working folder wins over the installed manual.
        QString file = data::findUserManual(DM.WorkDir);
        if (file.isEmpty()) file = data::userManualCandidates(DM.WorkDir).constFirst();
        if (openDocument)
            openDocument(file);
        else
            QDesktopServices::openUrl(QUrl::fromLocalFile(file));
    });
}

QGroupBox* TMainForm::buildHeader() {
    auto* group = new QGroupBox(QStringLiteral("PROJECT"));
    auto* grid = new QGridLayout(group);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(3);
    grid->setContentsMargins(6, 4, 6, 4);
    ProjectRefEdit = new widgets::DBEdit;
    ProjectRefEdit->setDataField(&DM.ProjectTable, QStringLiteral("Project_Ref"));
    ProjectRefEdit->setMaxLength(15);
    ProjectRefEdit->setStatusTip(QStringLiteral("Project Reference (typed once, when the project is new)"));
    ProjectNameEdit = new widgets::DBEdit;
    ProjectNameEdit->setDataField(&DM.ProjectTable, QStringLiteral("Project_Name"));
    ProjectNameEdit->setMaxLength(30);
    ProjectNameEdit->setStatusTip(QStringLiteral("Project Name"));
    WLoadCB = new widgets::DBComboBox;
    WLoadCB->setEditable(true);
    WLoadCB->addItems({QStringLiteral("600"), QStringLiteral("1000"), QStringLiteral("1500"), QStringLiteral("2000")});
    WLoadCB->setDataField(&DM.ProjectTable, QStringLiteral("Def_WL"));
    WLoadCB->setStatusTip(QStringLiteral("Default wind load of new designs, Pa"));
    FinCB = new widgets::DBComboBox;
    FinCB->setDataField(&DM.ProjectTable, QStringLiteral("Def_Finish"));
    FinCB->setStatusTip(QStringLiteral("Default finish of new designs"));
    ProjectDateEdit = new widgets::DBEdit;
    ProjectDateEdit->setDataField(&DM.ProjectTable, QStringLiteral("Project_Date"));
    ProjectDateEdit->setPlaceholderText(QStringLiteral("dd/mm/yyyy"));
    ProjectDateEdit->setStatusTip(QStringLiteral("Project Date (dd/mm/yyyy)"));
    DesignedByEdit = new widgets::DBEdit;
    DesignedByEdit->setDataField(&DM.ProjectTable, QStringLiteral("Designed_By"));
    DesignedByEdit->setMaxLength(20);
    DesignedByEdit->setStatusTip(QStringLiteral("Designed By"));

    grid->addWidget(caption(QStringLiteral("Project Ref :")), 0, 0);
    grid->addWidget(ProjectRefEdit, 0, 1);
    grid->addWidget(caption(QStringLiteral("Project Name :")), 0, 2);
    grid->addWidget(ProjectNameEdit, 0, 3, 1, 3);
    grid->addWidget(caption(QStringLiteral("Project W/L :")), 1, 0);
    auto* wl = new QHBoxLayout;
    wl->addWidget(WLoadCB, 1);
    wl->addWidget(new QLabel(QStringLiteral("Pa")));
    grid->addLayout(wl, 1, 1);
    grid->addWidget(caption(QStringLiteral("Project Finish :")), 1, 2);
    grid->addWidget(FinCB, 1, 3);
    grid->addWidget(caption(QStringLiteral("Project Date :")), 1, 4);
    grid->addWidget(ProjectDateEdit, 1, 5);
    grid->addWidget(caption(QStringLiteral("Designed By :")), 2, 0);
    grid->addWidget(DesignedByEdit, 2, 1);
    grid->setColumnStretch(1, 2);
    grid->setColumnStretch(3, 3);
    grid->setColumnStretch(5, 1);

    auto* buttons = new QHBoxLayout;
    PrevProjectBtn = commandButton(IconKind::Previous, QStringLiteral("Previous Project"));
    NextProjectBtn = commandButton(IconKind::Next, QStringLiteral("Next Project"));
    AddProjectBtn = commandButton(IconKind::Add, QStringLiteral("Add Project"));
    DeleteProjectBtn = commandButton(IconKind::Delete, QStringLiteral("Delete Project"));
    FindProjectBtn = commandButton(IconKind::Find, QStringLiteral("Find Project"));
    for (QToolButton* b : {PrevProjectBtn, NextProjectBtn, AddProjectBtn, DeleteProjectBtn, FindProjectBtn})
        buttons->addWidget(b);
    grid->addLayout(buttons, 0, 6, Qt::AlignRight);
    auto* more = new QHBoxLayout;
    FindProject2Btn = new QToolButton;
    FindProject2Btn->setText(QStringLiteral("..."));
    FindProject2Btn->setToolTip(QStringLiteral("Find Project"));
    FindProject2Btn->setStatusTip(QStringLiteral("Find Project"));
    DetailsBtn = new QToolButton;
    DetailsBtn->setText(QStringLiteral("Details"));
    DetailsBtn->setToolTip(QStringLiteral("Project Details"));
    DetailsBtn->setStatusTip(QStringLiteral("Project Details"));
    more->addStretch();
    more->addWidget(FindProject2Btn);
    more->addWidget(DetailsBtn);
    grid->addLayout(more, 2, 6, Qt::AlignRight);

    connect(PrevProjectBtn, &QToolButton::clicked, this, &TMainForm::PrevProjectClick);
    connect(NextProjectBtn, &QToolButton::clicked, this, &TMainForm::NextProjectClick);
    connect(AddProjectBtn, &QToolButton::clicked, this, &TMainForm::AddProjectClick);
    connect(DeleteProjectBtn, &QToolButton::clicked, this, &TMainForm::DeleteProjectClick);
    connect(FindProjectBtn, &QToolButton::clicked, this, &TMainForm::FindProjectClick);
    connect(FindProject2Btn, &QToolButton::clicked, this, &TMainForm::FindProject2Click);
    connect(DetailsBtn, &QToolButton::clicked, this, &TMainForm::DetailsClick);
    for (widgets::DBEdit* e : {ProjectRefEdit, ProjectNameEdit, ProjectDateEdit, DesignedByEdit})
        connect(e, &QLineEdit::textChanged, this, &TMainForm::projectTextChanged);
    return group;
}

QWidget* TMainForm::buildSummaryPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* group = new QGroupBox(
        QStringLiteral("Project Summary (You can adjust the Qty, Orientation and Storey on this screen if required)"));
    auto* inner = new QVBoxLayout(group);
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("* Shaded in accordance with SANS 10400-XA:2021 (Edition 2) 5.2.2")));
    top->addStretch();
    PrintSummaryBtn = commandButton(IconKind::Print, QStringLiteral("Print Fenestration Design Summary"));
    top->addWidget(PrintSummaryBtn);
    connect(PrintSummaryBtn, &QToolButton::clicked, this, [this] {
        guarded([this] {
            DesignBtnClick();
            ui::reports::previewSummaryReport(DM, messages_, this);
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
                                              {"SHGC", "SHGC", true, {}}});
    SummaryGrid->setToolTip(QStringLiteral("Double Click to go to Design on Selected Item"));
    SummaryGrid->setStatusTip(QStringLiteral("Double Click to go to Design on Selected Item"));
    SummaryGrid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                 QAbstractItemView::AnyKeyPressed);
    const int widths[] = {50, 110, 50, 200, 120, 160, 90, 90, 80};
    for (int i = 0; i < 9; ++i) SummaryGrid->horizontalHeader()->resizeSection(i, widths[i]);
    SummaryGrid->setEnabled(false);
    inner->addWidget(SummaryGrid, 1);
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

void TMainForm::guarded(const std::function<void()>& command) {
    try {
        command();
    } catch (const StoreError& e) {
        messages_.showError(e.message());
    }
}

data::DlgButton TMainForm::MessageDlg(const QString& msg, data::DlgType type, const QList<data::DlgButton>& buttons) {
    return messages_.messageDlg(msg, type, buttons);
}

void TMainForm::ShowMessage(const QString& msg) { messages_.showMessage(msg); }

void TMainForm::SetTableRelationships() {
    const struct {
        store::Table* detail;
        store::Table* master;
        QStringList fields;
    } links[] = {
        {&DM.DesignTable, &DM.ProjectTable, {"Project_Ref"}},
        {&DM.DesignImageTable, &DM.ProjectTable, {"Project_Ref"}},
        {&DM.DesignMergeTable, &DM.ProjectTable, {"Project_Ref"}},
        {&DM.SystemProfileTypeTable, &DM.DesignTable, {"System_Name"}},
        {&DM.SystemSashTable, &DM.DesignTable, {"System_Name"}},
        {&DM.GlazingTable, &DM.DesignTable, {"Glass_Code"}},
        {&DM.ProjectOptionsTable, &DM.ProjectTable, {"Project_Ref"}},
        {&DM.ProjectFloorsTable, &DM.ProjectTable, {"Project_Ref"}},
        {&DM.DesignResultsTable, &DM.ProjectTable, {"Project_Ref"}},
        {&DM.ProjectRationalTable, &DM.ProjectTable, {"Project_Ref"}},
        {&DM.DesignCostingTable, &DM.DesignTable, {"Project_Ref", "Design_No"}},
    };
    for (const auto& l : links) {
        l.detail->close();
        l.detail->clearMaster();
        l.detail->setMasterFields(l.fields);
        l.detail->setMaster(l.master);
        l.detail->open();
    }
}

void TMainForm::ClearTableRelationships() {
    for (store::Table* t : {&DM.DesignTable, &DM.DesignImageTable, &DM.DesignMergeTable, &DM.SystemGlassTable,
                            &DM.SystemProfileTable, &DM.SystemProfileTypeTable, &DM.SystemSashTable, &DM.GlazingTable,
                            &DM.ProjectOptionsTable, &DM.ProjectFloorsTable, &DM.DesignResultsTable,
                            &DM.DesignCostingTable}) {
        t->close();
        t->clearMaster();
        t->open();
    }
}

void TMainForm::FormCreate() {
    WarningsOff = true;
    FirstActivation = true;
    if (designScreen_) designScreen_->resetStructuralWarning();
    PageControl1->setCurrentIndex(0);
    currentPage_ = 0;
    if (!DM.tablesOpen()) return;
    guarded([this] {
        SetTableRelationships();
        FinCB->clear();
        for (DM.FinishTable.first(); !DM.FinishTable.eof(); DM.FinishTable.next())
            FinCB->addItem(DM.FinishTable.fieldByName(QStringLiteral("Finish")).asString());
        DM.FinishTable.first();
        // Start on the most recently dated project.
        DM.ProjectQuery.close();
        DM.ProjectQuery.setSql(QStringLiteral("Select * from Project Order by Project_Date"));
        DM.ProjectQuery.open();
        DM.ProjectQuery.last();
        if (!DM.ProjectQuery.isEmpty())
            DM.ProjectTable.findKey({DM.ProjectQuery.fieldByName(QStringLiteral("Project_Ref")).value()});
        DM.ProjectQuery.close();
        updateRefReadOnly();
    });
}

bool TMainForm::event(QEvent* e) {
    const bool handled = QMainWindow::event(e);
    if (e->type() == QEvent::WindowActivate && !activating_ && !closed_) {
        expectActivation_ = false;
        FormActivate();
    }
    return handled;
}

bool TMainForm::eventFilter(QObject* watched, QEvent* e) {
    // The return from a modal window is an activation even where the platform
    // does not hand the activation back to this window by itself.
    if (e->type() == QEvent::Hide && watched->isWidgetType()) {
        auto* w = static_cast<QWidget*>(watched);
        if (w->isWindow() && w->isModal() && w != this && !closed_) {
            expectActivation_ = true;
            QTimer::singleShot(50, this, [this] {
                if (expectActivation_ && !activating_ && !closed_ && isVisible()) {
                    expectActivation_ = false;
                    FormActivate();
                }
            });
        }
    }
    return QMainWindow::eventFilter(watched, e);
}

void TMainForm::FormActivate() {
    activating_ = true;
    WarningsOff = false;
    PageControl1->setTabVisible(3, false);
    if (FirstActivation) {
        FirstActivation = false;
        AboutForm->exec();
        if (closed_) {
            activating_ = false;
            return;
        }
    }
    if (DM.tablesOpen()) {
        guarded([this] {
            LoadGraphic();
            if (designScreen_) {
                designScreen_->updateOptions();
                designScreen_->enableSpecControls(!DM.DesignTable.eof());
                designScreen_->rebuildGlazingList();
            }
            DesignBtnClick();
        });
    }
    activating_ = false;
}

void TMainForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    // Without a window manager nothing activates the window; the disclaimer
    // must come all the same.
    QTimer::singleShot(0, this, [this] { activateWindow(); });
    QTimer::singleShot(300, this, [this] {
        if (FirstActivation && !activating_ && !closed_) FormActivate();
    });
}

void TMainForm::closeEvent(QCloseEvent* event) {
    if (!closed_) FormClose();
    closed_ = true;
    event->accept();
}

void TMainForm::FormClose() {
    if (!DM.tablesOpen()) return;
    guarded([this] { SaveDesign(); });
    guarded([this] {
        for (store::Table* t : {&DM.DesignTable, &DM.DesignImageTable, &DM.DesignMergeTable, &DM.SystemGlassTable,
                                &DM.SystemProfileTable, &DM.SystemSashTable, &DM.ProjectOptionsTable,
                                &DM.ProjectFloorsTable, &DM.DesignResultsTable, &DM.ProjectResultsTable,
                                &DM.ProjectRationalTable}) {
            t->close();
            t->clearMaster();
            t->open();
        }
    });
}

void TMainForm::SaveDesign() {
    if (!DM.tablesOpen()) return;
    // What the user typed into a box still focused belongs to the save.
    DM.ProjectTable.flushControls();
    DM.DesignTable.flushControls();
    ::design::SaveDesign({DM.database(), &DM.ProjectTable, &DM.DesignTable, &DM.ProjectRationalTable,
                        &DM.DesignImageTable, &DM.DesignMergeTable},
                       Grid);
}

void TMainForm::LoadGraphic(bool force) {
    if (!DM.tablesOpen()) return;
    const bool none = DM.DesignTable.isEmpty() && !DM.DesignTable.editing();
    const QString ref = ProjectRefEdit->text();
    const int no = none ? 0 : DM.DesignTable.fieldByName(QStringLiteral("Design_No")).asInteger();
    // The grid is reloaded only when another design is shown: reloading the
    // same design would throw away cells typed since its last save.
    if (!force && ref == loadedRef_ && no == loadedNo_) return;
    loadedRef_ = ref;
    loadedNo_ = no;
    // A design without stored cells shows an empty grid, never the last one's.
    Grid.clear();
    if (no > 0) ::design::LoadGraphic(DM.DesignImageTable, DM.DesignMergeTable, ref, no, Grid);
    if (designScreen_) designScreen_->gridChanged();
}

void TMainForm::DesignBtnClick() {
    if (!DM.tablesOpen()) return;
    SaveDesign();
    if (designScreen_) {
        designScreen_->resetStructuralWarning();
        designScreen_->enableSpecControls(!DM.DesignTable.eof());
        designScreen_->rebuildGlazingList();
        if (DM.DesignTable.active()) designScreen_->enableDimensions();
    }
    updateRefReadOnly();
}

void TMainForm::updateRefReadOnly() { ProjectRefEdit->setReadOnly(!ProjectRefEdit->text().isEmpty()); }

void TMainForm::postProject() {
    if (!DM.tablesOpen()) return;
    DM.ProjectTable.flushControls();
    if (DM.ProjectTable.editing()) DM.ProjectTable.post();
}

void TMainForm::projectTextChanged() {
    if (!designScreen_ || !DM.tablesOpen()) return;
    guarded([this] {
        LoadGraphic();
        designScreen_->updateOptions();
    });
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

void TMainForm::pageChanged(int index) {
    const int previous = currentPage_;
    currentPage_ = index;
    guarded([&] {
        PageControl1->setTabVisible(3, false);
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
            ShowMessage(QStringLiteral("The Decimal Separator must be a Full Stop, Please set in Control Panel"));
    } else if (index == 1) {
        store::Table& design = DM.DesignTable;
        design.flushControls();
        if (design.editing()) design.post();
        design.close();
        design.open();
        if (designScreen_) {
            for (design.first(); !design.eof(); design.next()) designScreen_->calculate();
            design.first();
        }
        SummaryGrid->setEnabled(true);
        if (HideWarningsCB->isChecked()) WarningsOff = true;
    }
}

void TMainForm::pageHidden(int index) {
    if (index == 0) DM.SystemGlassQuery.close();
    if (index == 1) SummaryGrid->setEnabled(false);
}

void TMainForm::PrevProjectClick() {
    guarded([this] {
        DM.ProjectTable.next();
        DesignBtnClick();
    });
}

void TMainForm::NextProjectClick() {
    guarded([this] {
        DM.ProjectTable.prior();
        DesignBtnClick();
    });
}

void TMainForm::AddProjectClick() {
    if (!DM.tablesOpen()) return;
    guarded([this] {
        DM.ProjectTable.append();
        DM.ProjectTable.edit();
        DM.ProjectTable.fieldByName(QStringLiteral("Def_Finish")).setAsString(QStringLiteral("Powder Coat"));
        DM.ProjectTable.fieldByName(QStringLiteral("Def_WL")).setAsFloat(1000);
        DM.ProjectTable.fieldByName(QStringLiteral("Project_Date")).setAsDate(QDate::currentDate());
        ProjectRefEdit->setFocus();
        if (designScreen_) designScreen_->enableSpecControls(false);
        ProjectRefEdit->setReadOnly(false);
    });
}

void TMainForm::DeleteProjectClick() {
    if (!DM.tablesOpen()) return;
    guarded([this] {
        if (DM.ProjectTable.fieldByName(QStringLiteral("Project_Ref")).asString().startsWith(QLatin1Char('_'))) {
            ShowMessage(QStringLiteral("You may NOT delete standard projects!"));
        } else if (MessageDlg(QStringLiteral("Are you sure you want to Delete this Project?"), data::DlgType::Warning,
                              {data::DlgButton::Yes, data::DlgButton::No}) == data::DlgButton::Yes) {
            if (!DM.ProjectTable.isEmpty() || DM.ProjectTable.editing()) DM.ProjectTable.deleteRow();
        }
        DesignBtnClick();
    });
}

void TMainForm::FindProjectClick() {
    if (!DM.tablesOpen()) return;
    const int result = SearchForm->exec();
    guarded([&] {
        if (result == QDialog::Accepted) {
            const QVariant ref = DM.ProjectQuery.active() && !DM.ProjectQuery.isEmpty()
                                     ? DM.ProjectQuery.fieldByName(QStringLiteral("Project_Ref")).value()
                                     : QVariant();
            if (!ref.isValid() || !DM.ProjectTable.findKey({ref})) ShowMessage(QStringLiteral("Project Reference not Found !"));
        }
        DM.ProjectQuery.close();
        DesignBtnClick();
    });
}

void TMainForm::FindProject2Click() {
    if (!DM.tablesOpen()) return;
    if (SearchForm->exec() != QDialog::Accepted) return;
    guarded([this] {
        if (DM.ProjectQuery.active() && !DM.ProjectQuery.isEmpty())
            DM.ProjectTable.findKey({DM.ProjectQuery.fieldByName(QStringLiteral("Project_Ref")).value()});
        if (designScreen_) {
            designScreen_->updateOptions();
            designScreen_->rebuildGlazingList();
        }
    });
}

void TMainForm::DetailsClick() {
    if (!DM.tablesOpen()) return;
    DetailsForm->exec();
    guarded([this] {
        if (!DM.ProjectTable.fieldByName(QStringLiteral("Project_Ref")).asString().isEmpty()) {
            DM.ProjectTable.flushControls();
            DM.ProjectTable.edit();
            DM.ProjectTable.post();
        }
    });
}

void TMainForm::ClearImageClick() {
    Grid.clear();
    if (designScreen_) designScreen_->gridChanged();
    DM.ResetDims();
    if (designScreen_) designScreen_->enableAllDimensions(false);
}

void TMainForm::setContinuousItems(const QStringList& items) {
    if (designScreen_) designScreen_->setContinuousItems(items);
}

void TMainForm::showSupplierPicture(const QString& file) {
    if (designScreen_) designScreen_->showSupplierPicture(file);
}

void TMainForm::setGlazingInfoEnabled(bool enabled) {
    if (designScreen_) designScreen_->setGlazingInfoEnabled(enabled);
}

void TMainForm::Rebuid1Click() {
    if (!DM.tablesOpen()) return;
    SaveDesign();  // what was typed goes into the tables before they are rebuilt
    ui::maintenance::TRebuildForm form(DM.dataFolder(), messages_, this);
    form.exec();
    // Rebuilt tables hold their rows under new positions: every cursor reads again.
    for (const QString& table : DM.database()->tableNames()) DM.database()->notifyChanged(table, nullptr);
    DesignBtnClick();
}

}  // namespace ui::main
