#include "SelectDatabaseDialog.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace tablerepair {

SelectDatabaseDialog::SelectDatabaseDialog(const QString& startFolder, const QString& pattern,
                                           QWidget* parent)
    : QDialog(parent), pattern_(pattern) {
    setWindowTitle(QStringLiteral("Select Store Database"));
    resize(420, 460);
    model_ = new QFileSystemModel(this);
    model_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    model_->setRootPath(QDir::rootPath());
    FolderTree = new QTreeView;
    FolderTree->setModel(model_);
    for (int c = 1; c < model_->columnCount(); ++c)
        FolderTree->hideColumn(c);
    FolderTree->header()->hide();
    PathEdit = new QLineEdit;
    SelectBtn = new QPushButton(QStringLiteral("&Select"));
    auto* buttons = new QDialogButtonBox;
    buttons->addButton(SelectBtn, QDialogButtonBox::AcceptRole);
    buttons->addButton(QDialogButtonBox::Cancel);
    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(new QLabel(QStringLiteral("Path:")));
    pathRow->addWidget(PathEdit);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(FolderTree);
    layout->addLayout(pathRow);
    layout->addWidget(buttons);

    connect(FolderTree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& index) { takePath(model_->filePath(index)); });
    connect(FolderTree, &QTreeView::clicked, this,
            [this](const QModelIndex& index) { takePath(model_->filePath(index)); });
    connect(FolderTree, &QTreeView::doubleClicked, this, [this](const QModelIndex& index) {
        takePath(model_->filePath(index));
        if (SelectBtn->isEnabled()) accept();
    });
    connect(PathEdit, &QLineEdit::editingFinished, this, [this] { takePath(PathEdit->text()); });
    connect(PathEdit, &QLineEdit::textChanged, this,
            [this](const QString& text) { SelectBtn->setEnabled(acceptable(text, pattern_)); });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    takePath(startFolder);
}

bool SelectDatabaseDialog::acceptable(const QString& folder, const QString& pattern) {
    const QDir dir(folder);
    return !folder.trimmed().isEmpty() && dir.exists() &&
           !dir.entryList({pattern}, QDir::Files | QDir::Hidden).isEmpty();
}

QString SelectDatabaseDialog::folder() const {
    return QDir::cleanPath(PathEdit->text().trimmed());
}

void SelectDatabaseDialog::takePath(const QString& path) {
    if (PathEdit->text() != path) PathEdit->setText(path);
    const QModelIndex index = model_->index(path);
    if (index.isValid() && FolderTree->currentIndex() != index) {
        FolderTree->setCurrentIndex(index);
        FolderTree->scrollTo(index);
    }
    SelectBtn->setEnabled(acceptable(path, pattern_));
}

void SelectDatabaseDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    takePath(PathEdit->text());
    if (SelectBtn->isEnabled()) SelectBtn->setFocus();
}

} // namespace tablerepair
