#include "StandardsForm.h"

#include "ImageForm.h"
#include "data/DataModule.h"
#include "exchange/Standards.h"
#include "store/StoreError.h"
#include "widgets/DataControls.h"
#include "widgets/DataSetModel.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QResizeEvent>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace ui::exchange {

ProportionalPicture::ProportionalPicture(QWidget* parent) : QLabel(parent) {
    setAlignment(Qt::AlignCenter);
    setMinimumSize(200, 150);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void ProportionalPicture::showPicture(const QString& file) {
    file_ = file;
    picture_ = QPixmap(file);
    rescale();
}

void ProportionalPicture::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    rescale();
}

void ProportionalPicture::rescale() {
    setPixmap(picture_.isNull() ? QPixmap()
                                : picture_.scaled(contentsRect().size(), Qt::KeepAspectRatio,
                                                  Qt::SmoothTransformation));
}

TStandardsForm::TStandardsForm(data::TDM& dm, QWidget* parent)
    : QDialog(parent), StandardsQuery(dm.database(), QString()), DM(dm) {
    setWindowTitle(QStringLiteral("Select Standard Design"));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    auto* body = new QHBoxLayout;
    DBGrid1 = new widgets::DBGrid;
    DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid1->setToolTip(QStringLiteral("Double click to select the design"));
    DBGrid1->setStatusTip(DBGrid1->toolTip());
    DBGrid1->setDataSet(&StandardsQuery, {{"Design_Ref", "Design Ref", true, {}},
                                          {"System_Name", "System Name", true, {}},
                                          {"Window_Area", "Area", true, {}},
                                          {"U_Factor", "U Factor", true, {}},
                                          {"SHGC", "SHGC", true, {}}});
    const int widths[] = {90, 130, 60, 70, 60};
    for (int i = 0; i < 5; ++i)
        DBGrid1->horizontalHeader()->resizeSection(i, widths[i]);
    DBGrid1->setMinimumWidth(440);
    body->addWidget(DBGrid1, 0);
    Image = new ProportionalPicture;
    Image->setFrameShape(QFrame::StyledPanel);
    Image->setAutoFillBackground(true);
    QPalette white = Image->palette();
    white.setColor(QPalette::Window, Qt::white);
    Image->setPalette(white);
    body->addWidget(Image, 1);
    layout->addLayout(body, 1);

    auto* bottom = new QHBoxLayout;
    auto navigator = [&](QStyle::StandardPixmap icon, const QString& hint) {
        auto* b = new QToolButton;
        b->setIcon(style()->standardIcon(icon));
        b->setToolTip(hint);
        b->setStatusTip(hint);
        b->setAutoRaise(true);
        bottom->addWidget(b);
        return b;
    };
    FirstBtn = navigator(QStyle::SP_MediaSkipBackward, QStringLiteral("First design"));
    PriorBtn = navigator(QStyle::SP_MediaSeekBackward, QStringLiteral("Prior design"));
    NextBtn = navigator(QStyle::SP_MediaSeekForward, QStringLiteral("Next design"));
    LastBtn = navigator(QStyle::SP_MediaSkipForward, QStringLiteral("Last design"));
    bottom->addStretch();
    IndexImageBtn = new QPushButton(style()->standardIcon(QStyle::SP_FileDialogListView),
                                    QStringLiteral("Index Image"));
    IndexImageBtn->setToolTip(QStringLiteral("Show the pictures of all the standard designs"));
    OKBtn = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), QStringLiteral("OK"));
    CancelBtn = new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton),
                                QStringLiteral("Cancel"));
    for (QPushButton* b : {IndexImageBtn, OKBtn, CancelBtn}) {
        b->setAutoDefault(false);
        bottom->addWidget(b);
    }
    layout->addLayout(bottom);

    ImageForm = new TImageForm(
        StandardsQuery, DM.WorkDir, [this] { return systemName_; }, this);

    auto step = [this](void (store::DataSet::*move)()) {
        if (!StandardsQuery.active()) return;
        (StandardsQuery.*move)();
        ShowPicture();
    };
    connect(FirstBtn, &QToolButton::clicked, this, [step] { step(&store::DataSet::first); });
    connect(PriorBtn, &QToolButton::clicked, this, [step] { step(&store::DataSet::prior); });
    connect(NextBtn, &QToolButton::clicked, this, [step] { step(&store::DataSet::next); });
    connect(LastBtn, &QToolButton::clicked, this, [step] { step(&store::DataSet::last); });
    connect(DBGrid1, &QAbstractItemView::clicked, this, [this] { ShowPicture(); });
    connect(DBGrid1, &QAbstractItemView::doubleClicked, this, [this] { OKBtnClick(); });
    connect(IndexImageBtn, &QPushButton::clicked, this, &TStandardsForm::IndexImageClick);
    connect(OKBtn, &QPushButton::clicked, this, &TStandardsForm::OKBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &TStandardsForm::CancelBtnClick);
    resize(900, 460);
}

void TStandardsForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // The index comes up over the list once the list is on screen.
    QTimer::singleShot(0, this, [this] {
        if (isVisible()) FormShow();
    });
}

void TStandardsForm::FormShow() {
    try {
        if (showIndexOnOpen)
            ImageForm->exec();
        else
            ::exchange::openStandardDesigns(StandardsQuery, systemName_);
    } catch (const store::StoreError& e) {
        DM.messages().showError(e.message());
    }
    ShowPicture();
}

void TStandardsForm::ShowPicture() {
    QString file;
    if (StandardsQuery.active() && !StandardsQuery.isEmpty())
        file = ::exchange::standardPicture(
            DM.WorkDir, StandardsQuery.fieldByName(QStringLiteral("Design_Ref")).asString());
    Image->showPicture(file.isEmpty() ? ::exchange::blankStandardPicture(DM.WorkDir) : file);
    updateButtons();
}

void TStandardsForm::updateButtons() {
    const bool rows = StandardsQuery.active() && !StandardsQuery.isEmpty();
    // With nothing listed there is nothing to apply.
    OKBtn->setEnabled(rows);
    for (QToolButton* b : {FirstBtn, PriorBtn, NextBtn, LastBtn})
        b->setEnabled(rows);
}

void TStandardsForm::IndexImageClick() {
    ImageForm->exec();
    ShowPicture();
}

void TStandardsForm::OKBtnClick() {
    if (!StandardsQuery.active() || StandardsQuery.isEmpty()) return;
    try {
        if (::exchange::ApplyStandardDesign(DM, StandardsQuery) && applied) applied();
    } catch (const store::StoreError& e) {
        DM.messages().showError(e.message());
        reject();
        return;
    }
    accept();
}

void TStandardsForm::CancelBtnClick() {
    StandardsQuery.close();
    reject();
}

} // namespace ui::exchange
