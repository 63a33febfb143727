#pragma once

#include "reports/Elevation.h"

#include <QWidget>
#include <functional>

namespace ui::design {

// The design drawn to scale with its dimensions, read-only. It asks for the
// design as it stands each time it paints, so an update() after any change
// of cells, dimensions or system shows it at once.
class ElevationView : public QWidget {
    Q_OBJECT
public:
    explicit ElevationView(std::function<reports::ElevationSource()> source,
                           QWidget* parent = nullptr);

    QSize sizeHint() const override { return {520, 300}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::function<reports::ElevationSource()> source_;
};

} // namespace ui::design
