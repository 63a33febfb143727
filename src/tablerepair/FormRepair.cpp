#include "FormRepair.h"

#include "SelectDatabaseDialog.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QShortcut>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace tablerepair {

using namespace maintenance;

namespace {

const QString kNotVerified = QStringLiteral("Not Verified");
const char* const kInfoCaptions[] = {
    "Fields:",     "Record Size:",         "Indexes:",       "Validities:",
    "References:", "Restructure Version:", "Aux Passwords:", "Code Page:",
    "Block Size:", "Table Level:"};

// Work in the window's own thread: the bars and statuses must repaint.
void pumpEvents() {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

} // namespace

TFormRepair::TFormRepair(data::Messages& messages, QSettings& options, const QString& workFolder,
                         QWidget* parent)
    : QWidget(parent), WorkFolder(workFolder), messages_(messages), options_(options) {
    setWindowTitle(QStringLiteral("Dravik Database Rebuilder  --  Ver. 9.00.2006.10"));
    util_ = std::make_unique<TBDEUtil>();

    PathLabel = new QLabel;
    PathLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(new QLabel(QStringLiteral("Path:")));
    pathRow->addWidget(PathLabel, 1);

    TableList = new QTreeWidget;
    TableList->setColumnCount(2);
    TableList->setHeaderLabels({QStringLiteral("Table Name"), QStringLiteral("Status")});
    TableList->setRootIsDecorated(false);
    TableList->setColumnWidth(0, 160);
    TableList->setColumnWidth(1, 220);
    TableList->setMinimumWidth(400);
    TableList->header()->setSectionsClickable(true);
    TableList->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(TableList->header(), &QHeaderView::sectionClicked, this, &TFormRepair::HeaderClick);
    connect(TableList, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (item)
            ShowTableInfo(item->text(0));
        else
            ResetTableInfo();
    });

    ListMenu = new QMenu(this);
    ListMenu->addAction(QStringLiteral("Check All"), this, [this] {
        for (QTreeWidgetItem* r : rows(false))
            r->setCheckState(0, Qt::Checked);
    });
    ListMenu->addAction(QStringLiteral("Uncheck All"), this, [this] {
        for (QTreeWidgetItem* r : rows(false))
            r->setCheckState(0, Qt::Unchecked);
    });
    ListMenu->addSeparator();
    VerifyAction = ListMenu->addAction(QStringLiteral("Verify"), this, [this] {
        try {
            if (TableList->currentItem()) VerifyTable(TableList->currentItem());
        } catch (const store::StoreError& e) {
            messages_.showError(e.message());
        }
    });
    RebuildAction = ListMenu->addAction(QStringLiteral("Rebuild"), this, [this] {
        try {
            if (TableList->currentItem() && CanRebuild()) RebuildTable(TableList->currentItem());
        } catch (const store::StoreError& e) {
            messages_.showError(e.message());
        }
        endRun();
    });
    connect(ListMenu, &QMenu::aboutToShow, this, [this] {
        const bool selected = TableList->currentItem() && TableList->currentItem()->isSelected();
        VerifyAction->setEnabled(selected);
        RebuildAction->setEnabled(selected);
    });
    connect(TableList, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { ListMenu->popup(TableList->viewport()->mapToGlobal(at)); });

    VerifyAllBtn = new QPushButton(QStringLiteral("Verify All"));
    VerifyCheckedBtn = new QPushButton(QStringLiteral("Verify Checked"));
    RebuildAllBtn = new QPushButton(QStringLiteral("Rebuild All"));
    RebuildCheckedBtn = new QPushButton(QStringLiteral("Rebuild Checked"));
    connect(VerifyAllBtn, &QPushButton::clicked, this, &TFormRepair::VerifyAllClick);
    connect(VerifyCheckedBtn, &QPushButton::clicked, this, &TFormRepair::VerifyCheckedClick);
    connect(RebuildAllBtn, &QPushButton::clicked, this, &TFormRepair::RebuildAllClick);
    connect(RebuildCheckedBtn, &QPushButton::clicked, this, &TFormRepair::RebuildCheckedClick);

    BackupCheck = new QCheckBox(QStringLiteral("Backup Data:"));
    BackupCheck->setLayoutDirection(Qt::RightToLeft);
    BackupCheck->setChecked(true);
    BackupCheck->setVisible(false);
    auto* shortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_B), this);
    connect(shortcut, &QShortcut::activated, this, &TFormRepair::ToggleBackupOption);

    auto* left = new QVBoxLayout;
    left->addWidget(TableList, 1);
    left->addWidget(new QLabel(QStringLiteral("** Right Click to verify individual tables")));
    auto* right = new QVBoxLayout;
    right->addWidget(buildInfo());
    right->addWidget(buildProgress());
    right->addWidget(BackupCheck, 0, Qt::AlignLeft);
    right->addStretch(1);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {VerifyAllBtn, VerifyCheckedBtn, RebuildAllBtn, RebuildCheckedBtn})
        buttons->addWidget(b);
    buttons->addStretch(1);
    auto* body = new QHBoxLayout;
    body->addLayout(left, 1);
    body->addLayout(right);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(pathRow);
    layout->addLayout(body, 1);
    layout->addLayout(buttons);
    resize(720, 520);

    ResetProgress();
    ResetTableInfo();
    QDir().mkpath(WorkFolder);
}

TFormRepair::~TFormRepair() = default;

QWidget* TFormRepair::buildInfo() {
    auto* group = new QGroupBox(QStringLiteral("Table Information:"));
    auto* grid = new QGridLayout(group);
    int row = 0;
    for (const char* caption : kInfoCaptions) {
        auto* value = new QLabel;
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        value->setMinimumWidth(60);
        grid->addWidget(new QLabel(QLatin1String(caption)), row, 0);
        grid->addWidget(value, row++, 1);
        InfoValues[QLatin1String(caption)] = value;
    }
    return group;
}

QWidget* TFormRepair::buildProgress() {
    auto* group = new QGroupBox(QStringLiteral("Progress:"));
    auto* grid = new QGridLayout(group);
    int row = 0;
    for (auto [caption, bar] :
         {std::pair{"Header:", &HeaderBar}, std::pair{"Indexes:", &IndexesBar},
          std::pair{"Data:", &DataBar}, std::pair{"Rebuild:", &RebuildBar}}) {
        *bar = new QProgressBar;
        (*bar)->setRange(0, 100);
        (*bar)->setMinimumWidth(180);
        grid->addWidget(new QLabel(QLatin1String(caption)), row, 0);
        grid->addWidget(*bar, row++, 1);
    }
    return group;
}

QString TFormRepair::folder() const {
    QString f = DataPath;
    if (f.endsWith(QLatin1Char('/')) && f.size() > 1) f.chop(1);
    return f;
}

bool TFormRepair::OpenDatabase(const QStringList& arguments) {
    TableList->clear();
    bool useStored = true;
    QString path = options_.value(QStringLiteral("UtilityDataPath")).toString();
    for (const QString& arg : arguments.mid(1)) {
        const QString a = arg.trimmed();
        if ((a.startsWith(QLatin1Char('-')) || a.startsWith(QLatin1Char('/'))) &&
            a.contains(QLatin1String("UTILITYDATAPATH"), Qt::CaseInsensitive)) {
            // The folder as typed: upper-casing it would name another folder
            // on a file system that tells letter case apart.
            path = a.mid(17);
            break;
        }
    }
    if (!path.isEmpty() && QFileInfo(path).isDir())
        useStored = messages_.messageDlg(
                        QStringLiteral("Would you like to use this database: '%1'").arg(path),
                        data::DlgType::Confirmation,
                        {data::DlgButton::Yes, data::DlgButton::No}) == data::DlgButton::Yes;
    if (!path.isEmpty()) DeleteLockFiles(path);

    // The folder is taken as it is only when it was confirmed and exists.
    if (!(useStored && !path.isEmpty() && QFileInfo(path).isDir())) {
        if (chooseFolder) {
            path = chooseFolder(path);
        } else {
            SelectDatabaseDialog dialog(path, QStringLiteral("*.db"), this);
            path = dialog.exec() == QDialog::Accepted ? dialog.folder() : QString();
        }
        if (path.isEmpty()) return false;
    }
    path = QDir(path).absolutePath();
    if (databaseFileOf(path).isEmpty()) {
        messages_.messageDlg(
            QStringLiteral("Error opening database:\n\nNo database in %1").arg(path),
            data::DlgType::Error, {data::DlgButton::OK});
        return false;
    }
    options_.setValue(QStringLiteral("UtilityDataPath"), QDir::toNativeSeparators(path));
    options_.sync();
    DataPath = path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
    PathLabel->setText(QDir::toNativeSeparators(DataPath));
    fillList(tableNamesOf(path));
    return true;
}

void TFormRepair::fillList(const QStringList& names) {
    TableList->clear();
    for (const QString& name : names) {
        auto* item = new QTreeWidgetItem(TableList, {name, kNotVerified});
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, Qt::Unchecked);
    }
    SortColumn = 0;
    SortDescending = false;
    sortList();
}

void TFormRepair::HeaderClick(int column) {
    if (SortDescending)
        SortDescending = false;
    else
        SortDescending = column == SortColumn;
    SortColumn = column;
    sortList();
}

void TFormRepair::sortList() {
    QList<QTreeWidgetItem*> items;
    while (TableList->topLevelItemCount() > 0)
        items << TableList->takeTopLevelItem(0);
    const int column = SortColumn;
    const bool descending = SortDescending;
    std::stable_sort(items.begin(), items.end(),
                     [column, descending](QTreeWidgetItem* a, QTreeWidgetItem* b) {
                         const int c = a->text(column).toLower().compare(b->text(column).toLower());
                         return descending ? c > 0 : c < 0;
                     });
    TableList->addTopLevelItems(items);
    TableList->header()->setSortIndicatorShown(true);
    TableList->header()->setSortIndicator(column,
                                          descending ? Qt::DescendingOrder : Qt::AscendingOrder);
}

QList<QTreeWidgetItem*> TFormRepair::rows(bool checkedOnly) const {
    QList<QTreeWidgetItem*> out;
    for (int i = 0; i < TableList->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = TableList->topLevelItem(i);
        if (!checkedOnly || item->checkState(0) == Qt::Checked) out << item;
    }
    return out;
}

void TFormRepair::ResetProgress() {
    for (QProgressBar* bar : {HeaderBar, IndexesBar, DataBar, RebuildBar})
        bar->setValue(0);
}

void TFormRepair::ResetTableInfo() {
    for (auto& [caption, label] : InfoValues)
        label->setText(QStringLiteral("0"));
}

void TFormRepair::ShowTableInfo(const QString& name) {
    CURProps p;
    if (!util_->GetTCursorProps(DataPath + name, &p)) return;
    const int values[] = {p.fields,         p.recordSize,        p.indexes,
                          p.validityChecks, p.referentialChecks, p.restructureVersion,
                          p.auxPasswords,   p.codePage,          p.blockSize,
                          p.tableLevel};
    int i = 0;
    for (const char* caption : kInfoCaptions)
        InfoValues[QLatin1String(caption)]->setText(QString::number(values[i++]));
}

int TFormRepair::ProgressCallBack(const TUProgress& progress) {
    QProgressBar* bar = nullptr;
    if (progress.phase < 0x1000000u)
        bar = HeaderBar;
    else if ((progress.phase >> 24) == 1)
        bar = IndexesBar;
    else if ((progress.phase >> 24) == 2)
        bar = DataBar;
    else if (progress.phase >= 0x8000000u && progress.phase <= 0x8FFFFFFu)
        bar = RebuildBar;
    if (bar && bar->value() != progress.percentDone) {
        bar->setValue(progress.percentDone);
        pumpEvents();
        if (progressShown) progressShown(progress);
    }
    return 0;
}

void TFormRepair::VerifyTable(QTreeWidgetItem* row) {
    WaitCursor wait;
    row->setText(1, QStringLiteral("Verifying"));
    pumpEvents();
    QString status = QStringLiteral("Unable to Verify Table!");
    try {
        ResetProgress();
        util_->reopen();
        util_->RegisterCallBack([this](const TUProgress& p) { return ProgressCallBack(p); });
        status = verifyTable(*util_, DataPath + row->text(0), workTablesIn(WorkFolder).verify);
    } catch (...) {
        util_->UnRegisterCallBack();
        row->setText(1, status);
        throw;
    }
    util_->UnRegisterCallBack();
    pumpEvents();
    row->setText(1, status);
}

void TFormRepair::RebuildTable(QTreeWidgetItem* row) {
    WaitCursor wait;
    row->setText(1, QStringLiteral("Rebuilding"));
    TableList->scrollToItem(row);
    pumpEvents();
    auto finish = [this, row] {
        util_->UnRegisterCallBack();
        pumpEvents();
        if (row->text(1) == QLatin1String("Rebuilding"))
            row->setText(1, QStringLiteral("Unable to Rebuild Table!"));
    };
    try {
        ResetProgress();
        util_->reopen();
        util_->RegisterCallBack([this](const TUProgress& p) { return ProgressCallBack(p); });
        ShowTableInfo(row->text(0));
        TURebuildCounts counts;
        const RebuildOutcome outcome =
            rebuildTable(*util_, DataPath + row->text(0), runWork(), &counts);
        if (outcome == RebuildOutcome::FillFailed)
            messages_.messageDlg(QStringLiteral("Error copying to new table structure"),
                                 data::DlgType::Error, {data::DlgButton::OK});
        else if (outcome == RebuildOutcome::Unsuccessful)
            row->setText(1, rebuildStatus(outcome));
        else if (outcome != RebuildOutcome::NoDescriptor) {
            row->setText(1, rebuildStatus(outcome, counts) + QStringLiteral(" (") +
                                countsText(counts) + QLatin1Char(')'));
            row->setToolTip(1, row->text(1)); // the counts run past the column
        }
        TableList->scrollToItem(row);
    } catch (...) {
        finish();
        throw;
    }
    finish();
}

const WorkTables& TFormRepair::runWork() {
    if (runWork_.backup.isEmpty()) runWork_ = runWorkTables(WorkFolder, now());
    if (runWork_.backup.isEmpty())
        throw EngineError(TUERR_WRITE, QStringLiteral("Cannot make a work folder in %1")
                                           .arg(QDir::toNativeSeparators(WorkFolder)));
    return runWork_;
}

void TFormRepair::endRun() {
    rebuildMark_.reset();
    if (runWork_.backup.isEmpty()) return;
    const QString kept = tidyRunFolder(runWork_);
    runWork_ = {QString(), QString(), QString(), QString(), QString()};
    if (!kept.isEmpty()) messages_.showMessage(keptInText(kept));
}

bool TFormRepair::CanRebuild() {
    // Held until the run ends: no program opens the folder half-way.
    rebuildMark_ = store::FolderMark::take(folder(), store::FolderMark::Kind::Exclusive);
    if (!rebuildMark_) {
        messages_.messageDlg(store::FolderMark::inUseMessage(), data::DlgType::Error,
                             {data::DlgButton::OK});
        return false;
    }
    DeleteLockFiles(folder());
    QStringList names;
    for (QTreeWidgetItem* r : rows(false))
        names << r->text(0);
    if (!heldTable(folder(), names).isEmpty()) {
        rebuildMark_.reset();
        messages_.messageDlg(
            QStringLiteral("Rebuild can not continue.  Rebooting the server may be necessary.\n"
                           "If this problem persists, please contact Dravik Technical Support."),
            data::DlgType::Error, {data::DlgButton::OK});
        return false;
    }
    if (!BackupCheck->isChecked() || BackupData()) return true;
    rebuildMark_.reset();
    return false;
}

bool TFormRepair::BackupData() {
    WaitCursor wait;
    const QString archive =
        archiveName(DataPath, now(), [](const QString& f) { return QFileInfo::exists(f); });
    QString why;
    if (zipFolder(folder(), archive, &why)) return true;
    messages_.messageDlg(QStringLiteral("Error Backing Up Files"), data::DlgType::Error,
                         {data::DlgButton::OK});
    return false;
}

void TFormRepair::ToggleBackupOption() {
    if (BackupCheck->isVisible()) {
        BackupCheck->setChecked(true);
        BackupCheck->setVisible(false);
        return;
    }
    QString code;
    if (askAccessCode)
        code = askAccessCode();
    else
        code = QInputDialog::getText(this, QStringLiteral("Dravik Access"),
                                     QStringLiteral("Enter the Dravik Tech. Support Access Code:"),
                                     QLineEdit::Password);
    BackupCheck->setChecked(true);
    if (accessCodeAccepted(code, now()))
        BackupCheck->setVisible(true);
    else
        messages_.showMessage(QStringLiteral("Invalid Password."));
}

void TFormRepair::runVerify(const QList<QTreeWidgetItem*>& list) {
    // A folder being rebuilt by another program is not read half-way.
    const auto mark = store::FolderMark::take(folder(), store::FolderMark::Kind::Shared);
    if (!mark) {
        messages_.messageDlg(store::FolderMark::inUseMessage(), data::DlgType::Error,
                             {data::DlgButton::OK});
        return;
    }
    try {
        for (QTreeWidgetItem* r : list)
            VerifyTable(r);
    } catch (const store::StoreError& e) {
        messages_.showError(e.message());
        return;
    }
    messages_.showMessage(QStringLiteral("Verification Complete!"));
}

void TFormRepair::runRebuild(const QList<QTreeWidgetItem*>& list) {
    if (!CanRebuild()) return;
    for (QTreeWidgetItem* r : list) {
        try {
            RebuildTable(r);
        } catch (const store::StoreError&) {
            messages_.showError(QStringLiteral("Unable to restructure ") + r->text(0));
        }
    }
    messages_.showMessage(QStringLiteral("Rebuild Complete!"));
    endRun();
}

void TFormRepair::VerifyAllClick() {
    runVerify(rows(false));
}
void TFormRepair::VerifyCheckedClick() {
    runVerify(rows(true));
}
void TFormRepair::RebuildAllClick() {
    runRebuild(rows(false));
}
void TFormRepair::RebuildCheckedClick() {
    runRebuild(rows(true));
}

} // namespace tablerepair
