#include "Application.h"

#include <QApplication>

namespace ui::main {

void setUpApplication() {
    QApplication::setApplicationName(QStringLiteral("Quorvex U-Value Calculator"));
    QApplication::setApplicationVersion(QStringLiteral("5.0"));
}

} // namespace ui::main
