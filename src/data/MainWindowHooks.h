#pragma once

#include <QString>
#include <QStringList>

namespace data {

// What the data module's events need of the main window.
class MainWindowHooks {
public:
    virtual ~MainWindowHooks() = default;
    // The field events do nothing until the main window is visible.
    virtual bool mainWindowVisible() const = 0;
    // Clear Design: empties the grid in memory and resets the dimensions.
    virtual void clearDesign() = 0;
    // The items of the "Continuous" choice list.
    virtual void setContinuousItems(const QStringList& items) = 0;
    // The supplier picture box; `file` is an existing picture file.
    virtual void showSupplierPicture(const QString& file) = 0;
    virtual void setGlazingInfoEnabled(bool enabled) = 0;
};

}  // namespace data
