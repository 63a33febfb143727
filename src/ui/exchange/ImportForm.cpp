#include "ImportForm.h"

#include "data/DataModule.h"
#include "data/Messages.h"
#include "data/Paths.h"
#include "store/StoreError.h"

#include <QApplication>
#include <QDate>
#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTableWidget>
#include <QVBoxLayout>

namespace ui::exchange {

using namespace ::exchange;

namespace {

const QString kInitialRef = QStringLiteral("NewRefEdit");
const QString kFolderKey = QStringLiteral("Import/EarlierDataFolder");

struct Column {
    const char* caption;
    const char* field;
    int width;
};
const Column kColumns[] = {{"Project Ref", "Project_Ref", 110},  {"Project Name", "Project_Name", 220},
                           {"Project Date", "Project_Date", 95}, {"Proj Finish", "Def_Finish", 120},
                           {"Wind Load", "Def_WL", 80},          {"Designed By", "Designed_By", 150}};

// The wait cursor for as long as the tables are read.
struct BusyCursor {
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
};

}  // namespace

TImportForm::TImportForm(data::TDM& dm, data::Messages& messages, QWidget* parent)
    : QDialog(parent), DM(dm), messages_(messages) {
    setWindowTitle(QStringLiteral("Import Project from Quorvex 3"));
    settingsFile = data::userSettingsFile();
    auto* layout = new QVBoxLayout(this);

    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(new QLabel(QStringLiteral("Earlier Data Folder :")));
    FolderLabel = new QLabel;
    FolderLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    folderRow->addWidget(FolderLabel, 1);
    FolderBtn = new QPushButton(QStringLiteral("&Folder..."));
    FolderBtn->setToolTip(QStringLiteral("Choose the folder of the earlier version's data (it holds Project.DB)"));
    folderRow->addWidget(FolderBtn);
    layout->addLayout(folderRow);

    auto* group = new QGroupBox(QStringLiteral("Select Project to Import"));
    auto* inner = new QVBoxLayout(group);
    ProjectGrid = new QTableWidget(0, int(std::size(kColumns)));
    QStringList captions;
    for (const Column& c : kColumns) captions << QString::fromLatin1(c.caption);
    ProjectGrid->setHorizontalHeaderLabels(captions);
    for (int i = 0; i < int(std::size(kColumns)); ++i) ProjectGrid->setColumnWidth(i, kColumns[i].width);
    ProjectGrid->horizontalHeader()->setStretchLastSection(true);
    ProjectGrid->verticalHeader()->hide();
    ProjectGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ProjectGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    ProjectGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    ProjectGrid->setAlternatingRowColors(true);
    inner->addWidget(ProjectGrid);
    layout->addWidget(group, 1);

    auto* refRow = new QHBoxLayout;
    auto* refLabel = new QLabel(QStringLiteral("New Project Reference :"));
    NewRefEdit = new QLineEdit(kInitialRef);
    NewRefEdit->setObjectName(QStringLiteral("NewRefEdit"));
    NewRefEdit->setMaxLength(15);
    refLabel->setBuddy(NewRefEdit);
    refRow->addWidget(refLabel);
    refRow->addWidget(NewRefEdit);
    refRow->addStretch(1);
    ImportBtn = new QPushButton(QStringLiteral("Im port"));
    ImportBtn->setDefault(true);
    CancelBtn = new QPushButton(QStringLiteral("Cancel"));
    refRow->addWidget(ImportBtn);
    refRow->addWidget(CancelBtn);
    layout->addLayout(refRow);
    resize(860, 440);

    connect(ProjectGrid, &QTableWidget::cellClicked, this, [this](int row, int) { ProjectGridClick(row); });
    connect(NewRefEdit, &QLineEdit::textEdited, this, [this] { refTouched_ = true; });
    connect(ImportBtn, &QPushButton::clicked, this, &TImportForm::ImportBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(FolderBtn, &QPushButton::clicked, this, &TImportForm::FolderBtnClick);
    chooseFolder = [this](const QString& start) {
        return QFileDialog::getExistingDirectory(
            this, QStringLiteral("Select the earlier version's data folder (the one holding Project.DB)"), start);
    };
}

QString TImportForm::rememberedFolder() const {
    return QSettings(settingsFile, QSettings::IniFormat).value(kFolderKey).toString();
}

void TImportForm::rememberFolder(const QString& folder) {
    QSettings settings(settingsFile, QSettings::IniFormat);
    settings.setValue(kFolderKey, folder);
}

bool TImportForm::FormActivate() {
    if (!DM.tablesOpen()) return false;
    const QString folder = legacySourceFolder(rememberedFolder());
    if (!folder.isEmpty()) return loadFolder(folder);
    messages_.showMessage(QStringLiteral(
        "The earlier version's data folder was not found; please select the folder that holds Project.DB"));
    for (;;) {
        const QString chosen = chooseFolder(QDir::homePath());
        if (chosen.isEmpty()) return false;
        if (isLegacyFolder(chosen)) return loadFolder(chosen);
        messages_.showMessage(QStringLiteral("%1 does not hold Project.DB; please select the earlier version's "
                                             "data folder")
                                  .arg(QDir::toNativeSeparators(chosen)));
    }
}

void TImportForm::FolderBtnClick() {
    const QString chosen = chooseFolder(source_.folder.isEmpty() ? QDir::homePath() : source_.folder);
    if (chosen.isEmpty()) return;
    if (!isLegacyFolder(chosen)) {
        messages_.showMessage(QStringLiteral("%1 does not hold Project.DB; please select the earlier version's "
                                             "data folder")
                                  .arg(QDir::toNativeSeparators(chosen)));
        return;
    }
    loadFolder(chosen);
}

bool TImportForm::loadFolder(const QString& folder) {
    LegacySource source;
    try {
        BusyCursor busy;
        source = readLegacySource(folder, readerOptions);
    } catch (const LegacyError& e) {
        messages_.showError(e.message());
        return false;
    }
    source_ = std::move(source);
    if (folder != fixedLegacyFolder()) rememberFolder(folder);
    FolderLabel->setText(QDir::toNativeSeparators(folder));
    fillGrid();
    return true;
}

void TImportForm::fillGrid() {
    const std::vector<int> rows = source_.offeredProjects();
    ProjectGrid->clearContents();
    ProjectGrid->setRowCount(int(rows.size()));
    for (int i = 0; i < int(rows.size()); ++i) {
        const auto& values = source_.project.rows[size_t(rows[size_t(i)])];
        for (int c = 0; c < int(std::size(kColumns)); ++c) {
            const int f = source_.project.fieldIndex(QString::fromLatin1(kColumns[c].field));
            const QString raw = f < 0 ? QString() : values[size_t(f)].toString();
            QString shown = raw;
            if (c == 2 && !raw.isEmpty()) shown = QDate::fromString(raw, Qt::ISODate).toString(QStringLiteral("dd/MM/yyyy"));
            auto* item = new QTableWidgetItem(shown);
            item->setData(Qt::UserRole, raw);
            if (c == 4) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            ProjectGrid->setItem(i, c, item);
        }
    }
    if (!rows.empty()) ProjectGrid->setCurrentCell(0, 0);
}

void TImportForm::ProjectGridClick(int row) {
    if (row < 0 || row >= ProjectGrid->rowCount()) return;
    ProjectGrid->selectRow(row);
    NewRefEdit->setText(ProjectGrid->item(row, 0)->data(Qt::UserRole).toString());
    refTouched_ = true;
}

void TImportForm::ImportBtnClick() {
    const int row = ProjectGrid->currentRow();
    if (row < 0) {
        messages_.showMessage(QStringLiteral("Please Select a Project to Import"));
        return;
    }
    const QString sourceRef = ProjectGrid->item(row, 0)->data(Qt::UserRole).toString();
    // The edit's own initial text is no reference the user gave.
    const QString newRef = !refTouched_ && NewRefEdit->text() == kInitialRef ? QString() : NewRefEdit->text();
    ImportResult result;
    try {
        result = importLegacyProject(*DM.database(), source_, sourceRef, newRef);
    } catch (const store::StoreError& e) {
        messages_.showError(e.message());
        return;
    }
    messages_.showMessage(importMessage(result, sourceRef));
    if (result.outcome != ImportOutcome::Imported && result.outcome != ImportOutcome::ReferenceExists) {
        NewRefEdit->setFocus();
        NewRefEdit->selectAll();
        return;
    }
    try {
        DM.ProjectTable.findKey({newRef});
        DM.DesignTable.first();
        if (DesignBtnClick) DesignBtnClick();
    } catch (const store::StoreError& e) {
        messages_.showError(e.message());
    }
    accept();
}

}  // namespace ui::exchange
