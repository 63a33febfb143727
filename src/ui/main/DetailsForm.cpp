#include "DetailsForm.h"

#include "store/Table.h"
#include "widgets/DataControls.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

namespace ui::main {

TDetailsForm::TDetailsForm(store::Table& project, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Project Details"));
    auto* layout = new QVBoxLayout(this);
    auto* group = new QGroupBox(QStringLiteral("Project Details"));
    auto* grid = new QGridLayout(group);
    grid->addWidget(new QLabel(QStringLiteral("Details :")), 0, 0, Qt::AlignTop);
    for (int i = 0; i < 4; ++i) {
        Detail[i] = new widgets::DBEdit;
        Detail[i]->setDataField(&project, QStringLiteral("Detail%1").arg(i + 1));
        Detail[i]->setMaxLength(70);
        Detail[i]->setMinimumWidth(460);
        grid->addWidget(Detail[i], i, 1);
    }
    layout->addWidget(group);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::accept);
    layout->addWidget(buttons);
}

}  // namespace ui::main
