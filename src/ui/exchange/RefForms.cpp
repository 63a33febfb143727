#include "RefForms.h"

#include "data/DataModule.h"
#include "exchange/Copy.h"
#include "store/StoreError.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace ui::exchange {

TRefForm::TRefForm(const QString& caption, const QString& group, const QString& label,
                   int maxLength, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(caption);
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    auto* box = new QGroupBox(group);
    auto* row = new QHBoxLayout(box);
    row->addWidget(new QLabel(label));
    RefEdit = new QLineEdit;
    RefEdit->setMaxLength(maxLength);
    RefEdit->setMinimumWidth(160);
    RefEdit->setStatusTip(QStringLiteral("At most %1 characters").arg(maxLength));
    row->addWidget(RefEdit, 1);
    layout->addWidget(box);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    OKBtn = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), QStringLiteral("OK"));
    CancelBtn = new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton),
                                QStringLiteral("Cancel"));
    OKBtn->setDefault(true);
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    layout->addLayout(buttons);
    connect(OKBtn, &QPushButton::clicked, this, [this] { OKBtnClick(); });
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    setFixedSize(sizeHint().expandedTo(QSize(340, 0)));
}

void TRefForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Centred on the main window, with last time's text ready to be typed over.
    if (parentWidget()) move(parentWidget()->window()->geometry().center() - rect().center());
    RefEdit->setFocus();
    RefEdit->selectAll();
}

TDesignRefForm::TDesignRefForm(QWidget* parent)
    : TRefForm(QStringLiteral("Copy Design"), QStringLiteral("Design Reference"),
               QStringLiteral("New Design Reference :"), 10, parent) {}

TProjectRefForm::TProjectRefForm(data::TDM& dm, QWidget* parent)
    : TRefForm(QStringLiteral("Copy Project"), QStringLiteral("Project Reference"),
               QStringLiteral("New Project Reference :"), 15, parent),
      DM(dm) {}

void TProjectRefForm::OKBtnClick() {
    try {
        if (::exchange::ProjectRefFree(DM, RefEdit->text()))
            accept();
        else
            reject();
    } catch (const store::StoreError& e) {
        DM.messages().showError(e.message());
        reject();
    }
}

} // namespace ui::exchange
