#include "ElevationView.h"

#include "reports/ElevationPainter.h"

#include <QPainter>

namespace ui::design {

ElevationView::ElevationView(std::function<reports::ElevationSource()> source, QWidget* parent)
    : QWidget(parent), source_(std::move(source)) {
    setAutoFillBackground(false);
    setMinimumSize(300, 200);
    setToolTip(QStringLiteral("The design to scale, as it will be built; change it on the grid"));
    setStatusTip(toolTip());
}

void ElevationView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    reports::ElevationStyle style;
    // Texts and lines as on paper at the screen's resolution.
    style.unit = logicalDpiX() / 25.4;
    reports::paintElevation(p, source_(), QRectF(rect()), style);
}

} // namespace ui::design
