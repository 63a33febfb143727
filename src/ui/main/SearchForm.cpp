#include "SearchForm.h"

#include "store/Query.h"
#include "store/StoreError.h"
#include "widgets/DataControls.h"
#include "widgets/DataSetModel.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace ui::main {

TSearchForm::TSearchForm(store::Query& projectQuery, QWidget* parent) : QDialog(parent), query_(projectQuery) {
    setWindowTitle(QStringLiteral("Search Form"));
    auto* layout = new QVBoxLayout(this);

    auto* criteria = new QGroupBox(QStringLiteral("Search Criteria"));
    auto* row = new QHBoxLayout(criteria);
    row->addWidget(new QLabel(QStringLiteral("Project Ref / Name :")));
    SearchEdit = new QLineEdit;
    SearchEdit->setStatusTip(QStringLiteral("Part of a project reference or name"));
    row->addWidget(SearchEdit, 1);
    auto* searchBtn = new QPushButton(style()->standardIcon(QStyle::SP_FileDialogContentsView), QStringLiteral("Search"));
    searchBtn->setToolTip(QStringLiteral("Search"));
    searchBtn->setAutoDefault(false);
    row->addWidget(searchBtn);
    layout->addWidget(criteria);

    auto* results = new QGroupBox(QStringLiteral("Search Results"));
    auto* resultsLayout = new QVBoxLayout(results);
    ResultsGrid = new widgets::DBGrid;
    ResultsGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ResultsGrid->setToolTip(QStringLiteral("Double click to select project"));
    ResultsGrid->setStatusTip(QStringLiteral("Double click to select project"));
    ResultsGrid->setDataSet(&query_, {{"Project_Ref", "Project Ref", true, {}},
                                      {"Project_Name", "Project Name", true, {}},
                                      {"Project_Date", "Project Date", true, {}},
                                      {"Designed_By", "Designed By", true, {}}});
    ResultsGrid->horizontalHeader()->resizeSection(0, 120);
    ResultsGrid->horizontalHeader()->resizeSection(1, 240);
    ResultsGrid->horizontalHeader()->resizeSection(2, 100);
    resultsLayout->addWidget(ResultsGrid);
    layout->addWidget(results, 1);

    auto* bottom = new QHBoxLayout;
    ShowStandards = new QCheckBox(QStringLiteral("Show Standards"));
    bottom->addWidget(ShowStandards);
    bottom->addStretch();
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setAutoDefault(false);
    bottom->addWidget(buttons);
    layout->addLayout(bottom);

    connect(searchBtn, &QPushButton::clicked, this, &TSearchForm::Search);
    connect(SearchEdit, &QLineEdit::returnPressed, this, &TSearchForm::Search);
    connect(ShowStandards, &QCheckBox::clicked, this, &TSearchForm::Filter);
    connect(ResultsGrid, &QAbstractItemView::doubleClicked, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    resize(640, 460);
}

void TSearchForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    SearchEdit->setFocus();
    Filter();
}

void TSearchForm::Filter() {
    try {
        query_.close();
        if (ShowStandards->isChecked())
            query_.setSql(QStringLiteral("Select * from Project"));
        else
            query_.setSql(QStringLiteral("Select * from Project Where Substring(Project_Ref from 1 for 1)<>?"),
                          {QStringLiteral("_")});
        query_.open();
    } catch (const store::StoreError& e) {
        widgets::reportError(e.message());
    }
}

void TSearchForm::Search() {
    try {
        query_.close();
        const QString text = SearchEdit->text();
        if (text.isEmpty()) {
            query_.setSql(QStringLiteral("Select * from Project Where Project_Ref<>?"), {QStringLiteral("")});
        } else {
            const QString pattern = QLatin1Char('%') + text.toUpper() + QLatin1Char('%');
            query_.setSql(QStringLiteral("Select * from Project Where Project_Ref<>? And ((Upper(Project_Ref) like ?) "
                                         "or (Upper(Project_Name) like ?))"),
                          {QStringLiteral(""), pattern, pattern});
        }
        query_.open();
    } catch (const store::StoreError& e) {
        widgets::reportError(e.message());
    }
}

}  // namespace ui::main
