#include "ImageForm.h"

#include "store/Query.h"
#include "store/StoreError.h"
#include "widgets/DataControls.h"

#include <QGridLayout>
#include <QMouseEvent>
#include <QPixmap>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

namespace ui::exchange {

using ::exchange::IndexSlotCount;

ThumbnailSlot::ThumbnailSlot(QWidget* parent) : QLabel(parent) {
    setFixedSize(SlotWidth, SlotHeight);
    setAlignment(Qt::AlignCenter);
    setCursor(Qt::PointingHandCursor);
}

void ThumbnailSlot::showPicture(const QString& file) {
    const QPixmap pix(file);
    setPixmap(pix.isNull() ? QPixmap()
                           : pix.scaled(size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

void ThumbnailSlot::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) emit clicked();
    QLabel::mousePressEvent(event);
}

TImageForm::TImageForm(store::Query& standards, const QString& workDir,
                       std::function<QString()> systemName, QWidget* parent)
    : QDialog(parent), standards_(standards), workDir_(workDir),
      systemName_(std::move(systemName)) {
    setWindowTitle(QStringLiteral("Standard Designs"));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    auto* sheet = new QWidget;
    sheet->setAutoFillBackground(true);
    QPalette white = sheet->palette();
    white.setColor(QPalette::Window, Qt::white);
    sheet->setPalette(white);
    auto* grid = new QGridLayout(sheet);
    grid->setSpacing(8);
    grid->setContentsMargins(8, 8, 8, 8);
    for (int k = 0; k < IndexSlotCount; ++k) {
        auto* slot = new ThumbnailSlot;
        slot->setToolTip(QStringLiteral("Click to select this design"));
        Image[size_t(k)] = slot;
        grid->addWidget(slot, k / 6, k % 6);
        connect(slot, &ThumbnailSlot::clicked, this, [this, k] { ImageClick(k); });
    }
    ScrollBox = new QScrollArea;
    ScrollBox->setWidget(sheet);
    ScrollBox->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ScrollBox->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    ScrollBox->setPalette(white);
    layout->addWidget(ScrollBox);
    const int width =
        sheet->sizeHint().width() + ScrollBox->verticalScrollBar()->sizeHint().width() + 4;
    resize(width + 12, 4 * (ThumbnailSlot::SlotHeight + 8) + 30);
}

void TImageForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormActivate();
}

void TImageForm::FormActivate() {
    slots_ = {};
    const QString blank = ::exchange::blankStandardPicture(workDir_);
    for (ThumbnailSlot* slot : Image)
        slot->showPicture(blank);
    ScrollBox->verticalScrollBar()->setValue(0);
    try {
        ::exchange::openStandardDesigns(standards_, systemName_ ? systemName_() : QString());
        slots_ = ::exchange::fillIndex(standards_, workDir_);
    } catch (const store::StoreError& e) {
        widgets::reportError(e.message());
        return;
    }
    for (int k = 0; k < IndexSlotCount; ++k)
        if (slots_[size_t(k)].row >= 0) Image[size_t(k)]->showPicture(slots_[size_t(k)].picture);
}

void TImageForm::ImageClick(int slot) {
    const int row = slots_[size_t(slot)].row;
    if (row >= 0 && standards_.active() && row < standards_.recordCount()) standards_.moveTo(row);
    accept();
}

void TImageForm::done(int result) {
    slots_ = {};
    QDialog::done(result);
}

} // namespace ui::exchange
