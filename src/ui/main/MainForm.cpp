// The main window's life cycle: creation, activation, closing, and the
// shared steps other windows call (saving and loading the design, the
// design-screen refresh, the master/detail links).
#include "MainForm.h"
#include "compliance/Storeys.h"
#include "maintenance/Procedures.h"
#include "ui/maintenance/RebuildForm.h"

#include "AboutForm.h"
#include "DetailsForm.h"
#include "Icons.h"
#include "SearchForm.h"
#include "ServerSettingsForm.h"
#include "data/Paths.h"
#include "design/DesignRecords.h"
#include "store/StoreError.h"
#include "ui/exchange/ProjectFolderCommands.h"
#include "ui/compliance/RationalPage.h"
#include "ui/exchange/RefForms.h"
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
#include <QScrollArea>
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
        const QColor end =
            picture_.toImage().pixelColor(picture_.width() - 1, picture_.height() / 2);
        p.fillRect(rect(), end);
        const int w = picture_.width() * height() / picture_.height();
        p.drawPixmap(QRect(0, 0, w, height()), picture_);
    }

private:
    QPixmap picture_;
};

} // namespace

TMainForm::TMainForm(data::TDM& dm, data::Messages& messages, QWidget* parent)
    : QMainWindow(parent), DM(dm), messages_(messages) {
    setWindowTitle(QStringLiteral("Quorvex (Version 5.0)"));
    dm.setMainWindow(this);
    buildMenus();

    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(6, 0, 6, 6);
    layout->addWidget(
        new BannerWidget(data::resolvePicture(DM.WorkDir, QStringLiteral("Images/Banner.jpg"))));
    layout->addWidget(buildHeader());

    layout->addWidget(buildPages(), 1);
    // On a screen lower than the pages need, the window still fits and its
    // contents scroll, the status bar in sight.
    auto* scroll = new QScrollArea;
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidget(central);
    setCentralWidget(scroll);
    statusBar()->setSizeGripEnabled(true);

    SearchForm = new TSearchForm(DM.ProjectQuery, this);
    DetailsForm = new TDetailsForm(DM.ProjectTable, this);
    AboutForm = new TAboutForm(DM.WorkDir, this);
    AboutForm->setStoreText(DM.storeText());
    ProjectRefForm = new ui::exchange::TProjectRefForm(DM, this);
    ProjectFolders = new ui::exchange::TProjectFolderCommands(DM, messages_, this);
    ProjectFolders->chooseProject = [this]() -> QString {
        if (SearchForm->exec() != QDialog::Accepted) return {};
        QString ref;
        if (DM.ProjectQuery.active() && !DM.ProjectQuery.isEmpty())
            ref = DM.ProjectQuery.fieldByName(QStringLiteral("Project_Ref")).asString();
        DM.ProjectQuery.close();
        return ref;
    };
    connect(AboutForm, &TAboutForm::declined, this, [this] {
        closed_ = true;
        if (onDecline)
            onDecline();
        else
            QCoreApplication::exit(0);
    });
    connect(PageControl1, &QTabWidget::currentChanged, this, &TMainForm::pageChanged);
    connect(qApp, &QApplication::focusChanged, this, &TMainForm::focusChanged);
    applicationActive_ = QGuiApplication::applicationState() == Qt::ApplicationActive;
    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            &TMainForm::applicationStateChanged);
    widgets::setErrorHandler([this](const QString& text) { messages_.showError(text); });
    restorePlace();
    FormCreate();
}

TMainForm::~TMainForm() {
    DM.ProjectTable.beforePost = nullptr;
    DM.setMainWindow(nullptr);
    widgets::setErrorHandler(nullptr);
}

void TMainForm::guarded(const std::function<void()>& command) {
    try {
        command();
    } catch (const StoreError& e) {
        messages_.showError(storeErrorText(e));
    }
}

data::DlgButton TMainForm::MessageDlg(const QString& msg, data::DlgType type,
                                      const QList<data::DlgButton>& buttons) {
    return messages_.messageDlg(msg, type, buttons);
}

void TMainForm::ShowMessage(const QString& msg) {
    messages_.showMessage(msg);
}

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
    ::compliance::keepStoreyCodesTidy(DM);
}

void TMainForm::ClearTableRelationships() {
    for (store::Table* t :
         {&DM.DesignTable, &DM.DesignImageTable, &DM.DesignMergeTable, &DM.SystemGlassTable,
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
            DM.ProjectTable.findKey(
                {DM.ProjectQuery.fieldByName(QStringLiteral("Project_Ref")).value()});
        DM.ProjectQuery.close();
        updateRefReadOnly();
    });
}

bool TMainForm::event(QEvent* e) {
    const bool handled = QMainWindow::event(e);
    // The window's first activation runs the steps (and brings the disclaimer).
    // Later ones are taken from the application's state: the window is
    // activated again after every message box of our own, and the steps would
    // show a warning again.
    if (e->type() == QEvent::WindowActivate && !activatedOnce_ && !activating_ && !closed_)
        FormActivate();
    return handled;
}

void TMainForm::applicationStateChanged(Qt::ApplicationState state) {
    const bool wasActive = applicationActive_;
    applicationActive_ = state == Qt::ApplicationActive;
    if (!applicationActive_ || wasActive) return;
    // Back from another program: run the steps once the switch is complete.
    QTimer::singleShot(0, this, [this] {
        // Only when the user came back to this window: while one of our modal
        // windows is up it, not this window, is the active one.
        if (activating_ || closed_ || !isActiveWindow() || QApplication::activeModalWidget())
            return;
        FormActivate();
    });
}

void TMainForm::FormActivate() {
    activating_ = true;
    activatedOnce_ = true;
    WarningsOff = false;
    // RESULTS stays while it is the page in use (back from its report preview
    // or a message box); any other activation hides it.
    if (PageControl1->currentIndex() != 3) PageControl1->setTabVisible(3, false);
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
        if (!activatedOnce_ && !activating_ && !closed_) FormActivate();
    });
}

void TMainForm::closeEvent(QCloseEvent* event) {
    if (!closed_) savePlace();
    if (!closed_) FormClose();
    closed_ = true;
    event->accept();
}

void TMainForm::FormClose() {
    if (!DM.tablesOpen()) return;
    guarded([this] { SaveDesign(); });
    guarded([this] {
        for (store::Table* t :
             {&DM.DesignTable, &DM.DesignImageTable, &DM.DesignMergeTable, &DM.SystemGlassTable,
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
    ::design::SaveDesign({DM.database(), &DM.ProjectTable, &DM.DesignTable,
                          &DM.ProjectRationalTable, &DM.DesignImageTable, &DM.DesignMergeTable},
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
    if (designScreen_) designScreen_->gridLoaded();
}

void TMainForm::DesignBtnClick() {
    if (!DM.tablesOpen()) return;
    // Standing past the last design ("Next Design" on it) disables the
    // specification; the save below must not change that. A design just
    // added stands at the end too, but is the one being shown.
    const bool atEnd = DM.DesignTable.eof() && DM.DesignTable.state() != store::DataSet::State::Insert;
    SaveDesign();
    if (designScreen_) {
        designScreen_->resetStructuralWarning();
        designScreen_->enableSpecControls(!atEnd);
        designScreen_->rebuildGlazingList();
        if (DM.DesignTable.active()) designScreen_->enableDimensions();
    }
    updateRefReadOnly();
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
    if (DM.database()->isServer()) {
        messages_.showMessage(::maintenance::serverGuardsItsTables(DM.database()->serverName()));
        return;
    }
    SaveDesign(); // what was typed goes into the tables before they are rebuilt
    ui::maintenance::TRebuildForm form(DM.dataFolder(), messages_, this);
    form.exec();
    // Rebuilt tables hold their rows under new positions: every cursor reads again.
    for (const QString& table : DM.database()->tableNames())
        DM.database()->notifyChanged(table, nullptr);
    DesignBtnClick();
}

} // namespace ui::main
