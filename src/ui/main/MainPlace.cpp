// Where the main window opens and what it remembers of its place.
#include "MainForm.h"
#include "data/Paths.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSettings>

namespace ui::main {

namespace {

const QString PlaceKey = QStringLiteral("MainWindow/Geometry");
// Room the window manager's frame and title take around the client area.
constexpr int FrameAllowance = 40;

} // namespace

void TMainForm::restorePlace() {
    QSettings settings(data::userSettingsFile(), QSettings::IniFormat);
    const QSize designed(1280, 800);
    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen) {
        resize(designed);
        return;
    }
    const QRect free = screen->availableGeometry();
    // A remembered place is taken while it still fits the screen (another,
    // smaller screen may be in use now).
    if (restoreGeometry(settings.value(PlaceKey).toByteArray()) && free.contains(geometry()))
        return;
    setWindowState(windowState() & ~Qt::WindowMaximized);
    if (free.width() < designed.width() + FrameAllowance ||
        free.height() < designed.height() + FrameAllowance) {
        // A screen smaller than the window: the whole free area, maximised
        // (also where nothing maximises windows).
        setGeometry(free);
        setWindowState(windowState() | Qt::WindowMaximized);
        return;
    }
    resize(designed);
    move(free.center() - rect().center());
}

void TMainForm::savePlace() {
    QSettings(data::userSettingsFile(), QSettings::IniFormat).setValue(PlaceKey, saveGeometry());
}

} // namespace ui::main
