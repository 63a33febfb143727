#include "ClimateZoneForm.h"

#include "GridHelpers.h"
#include "data/Paths.h"

#include <QEvent>
#include <QLabel>
#include <QVBoxLayout>

namespace ui::compliance {

TClimateZoneForm::TClimateZoneForm(const QString& workDir, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("ClimateZoneForm"));
    // The system menu only: no minimise, maximise or help button.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    Image1 = new QLabel;
    Image1->setScaledContents(true);
    Image1->setCursor(Qt::PointingHandCursor);
    Image1->setToolTip(QStringLiteral("Click to close"));
    const QString file = data::resolvePicture(workDir, QStringLiteral("Images/ClimateZoneMap.jpg"));
    if (!file.isEmpty()) Image1->setPixmap(QPixmap(file));
    Image1->installEventFilter(this);
    layout->addWidget(Image1);
    setFixedSize(747, 576);
}

bool TClimateZoneForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Image1 && event->type() == QEvent::MouseButtonRelease) {
        accept();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TClimateZoneForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    centreOnParent(this);
}

} // namespace ui::compliance
