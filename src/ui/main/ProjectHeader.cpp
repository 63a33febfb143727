// The PROJECT header: the project's boxes and the commands on project
// records (step, add, delete, find, details).
#include "AboutForm.h"
#include "DetailsForm.h"
#include "Icons.h"
#include "MainForm.h"
#include "SearchForm.h"
#include "data/Paths.h"
#include "design/DesignRecords.h"
#include "store/StoreError.h"
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

QGroupBox* TMainForm::buildHeader() {
    auto* group = new QGroupBox(QStringLiteral("PROJECT"));
    auto* grid = new QGridLayout(group);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(3);
    grid->setContentsMargins(6, 4, 6, 4);
    ProjectRefEdit = new widgets::DBEdit;
    ProjectRefEdit->setDataField(&DM.ProjectTable, QStringLiteral("Project_Ref"));
    ProjectRefEdit->setMaxLength(15);
    ProjectRefEdit->setStatusTip(
        QStringLiteral("Project Reference (typed once, when the project is new)"));
    ProjectNameEdit = new widgets::DBEdit;
    ProjectNameEdit->setDataField(&DM.ProjectTable, QStringLiteral("Project_Name"));
    ProjectNameEdit->setMaxLength(30);
    ProjectNameEdit->setStatusTip(QStringLiteral("Project Name"));
    WLoadCB = new widgets::DBComboBox;
    WLoadCB->setEditable(true);
    WLoadCB->addItems({QStringLiteral("600"), QStringLiteral("1000"), QStringLiteral("1500"),
                       QStringLiteral("2000")});
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

    grid->addWidget(caption(QStringLiteral("Project Ref :"), ProjectRefEdit), 0, 0);
    grid->addWidget(ProjectRefEdit, 0, 1);
    grid->addWidget(caption(QStringLiteral("Project Name :"), ProjectNameEdit), 0, 2);
    grid->addWidget(ProjectNameEdit, 0, 3, 1, 3);
    grid->addWidget(caption(QStringLiteral("Project W/L :"), WLoadCB), 1, 0);
    auto* wl = new QHBoxLayout;
    wl->addWidget(WLoadCB, 1);
    wl->addWidget(new QLabel(QStringLiteral("Pa")));
    grid->addLayout(wl, 1, 1);
    grid->addWidget(caption(QStringLiteral("Project Finish :"), FinCB), 1, 2);
    grid->addWidget(FinCB, 1, 3);
    grid->addWidget(caption(QStringLiteral("Project Date :"), ProjectDateEdit), 1, 4);
    grid->addWidget(ProjectDateEdit, 1, 5);
    grid->addWidget(caption(QStringLiteral("Designed By :"), DesignedByEdit), 2, 0);
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
    CopyProjectBtn = commandButton(IconKind::Copy, QStringLiteral("Copy Project"));
    for (QToolButton* b : {PrevProjectBtn, NextProjectBtn, AddProjectBtn, DeleteProjectBtn,
                           FindProjectBtn, CopyProjectBtn})
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
    connect(CopyProjectBtn, &QToolButton::clicked, this, &TMainForm::CopyProjectImageClick);
    for (widgets::DBEdit* e : {ProjectRefEdit, ProjectNameEdit, ProjectDateEdit, DesignedByEdit})
        connect(e, &QLineEdit::textChanged, this, &TMainForm::projectTextChanged);

    // Tab follows the header as it reads: line by line, left to right.
    const QList<QWidget*> order{
        ProjectRefEdit,   ProjectNameEdit, PrevProjectBtn,  NextProjectBtn, AddProjectBtn,
        DeleteProjectBtn, FindProjectBtn,  CopyProjectBtn,  WLoadCB,        FinCB,
        ProjectDateEdit,  DesignedByEdit,  FindProject2Btn, DetailsBtn};
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);

    // A new project is never stored without its reference: it would vanish
    // among the others with what was typed. It stays on screen instead.
    DM.ProjectTable.beforePost = [this](store::Table& t) {
        if (t.state() != store::DataSet::State::Insert ||
            !t.fieldByName(QStringLiteral("Project_Ref")).asString().trimmed().isEmpty())
            return;
        QTimer::singleShot(0, ProjectRefEdit, [this] {
            ProjectRefEdit->setReadOnly(false);
            ProjectRefEdit->setFocus();
        });
        throw StoreError(NeedsReferenceMessage);
    };
    return group;
}

void TMainForm::updateRefReadOnly() {
    ProjectRefEdit->setReadOnly(!ProjectRefEdit->text().isEmpty());
}

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
        DM.ProjectTable.fieldByName(QStringLiteral("Def_Finish"))
            .setAsString(QStringLiteral("Powder Coat"));
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
        if (DM.ProjectTable.fieldByName(QStringLiteral("Project_Ref"))
                .asString()
                .startsWith(QLatin1Char('_'))) {
            ShowMessage(QStringLiteral("You may NOT delete standard projects!"));
        } else if (MessageDlg(QStringLiteral("Are you sure you want to Delete this Project?"),
                              data::DlgType::Warning,
                              {data::DlgButton::Yes, data::DlgButton::No}) ==
                   data::DlgButton::Yes) {
            if (!DM.ProjectTable.isEmpty() || DM.ProjectTable.editing()) {
                DM.ProjectTable.deleteRow();
                showOwnProject();
            }
        }
        DesignBtnClick();
    });
}

void TMainForm::showOwnProject() {
    store::Table& P = DM.ProjectTable;
    auto standard = [&P](int row) {
        const std::vector<QVariant> values = P.rowAt(row);
        return values[size_t(P.fieldIndex(QStringLiteral("Project_Ref")))].toString().startsWith(
            QLatin1Char('_'));
    };
    const int at = P.recNo();
    if (at < 0 || !standard(at)) return;
    // The nearest of the user's own projects, after the deleted one first.
    for (int step = 1; step < P.recordCount(); ++step)
        for (int row : {at + step, at - step})
            if (row >= 0 && row < P.recordCount() && !standard(row)) {
                P.moveTo(row);
                return;
            }
}

void TMainForm::FindProjectClick() {
    if (!DM.tablesOpen()) return;
    const int result = SearchForm->exec();
    guarded([&] {
        if (result == QDialog::Accepted) {
            const QVariant ref =
                DM.ProjectQuery.active() && !DM.ProjectQuery.isEmpty()
                    ? DM.ProjectQuery.fieldByName(QStringLiteral("Project_Ref")).value()
                    : QVariant();
            if (!ref.isValid() || !DM.ProjectTable.findKey({ref}))
                ShowMessage(QStringLiteral("Project Reference not Found !"));
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
            DM.ProjectTable.findKey(
                {DM.ProjectQuery.fieldByName(QStringLiteral("Project_Ref")).value()});
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

} // namespace ui::main
