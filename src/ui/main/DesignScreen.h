#pragma once

#include <QStringList>

namespace ui::main {

// The design screen's part of the main window's steps. The main window runs
// these at the moments its life cycle names; the design page implements them.
class DesignScreen {
public:
    virtual ~DesignScreen() = default;
    // The main window's grid model changed: redraw it.
    virtual void gridChanged() = 0;
    // The grid was read again from the file (not edited).
    virtual void gridLoaded() { gridChanged(); }
    // Rebuilds the system, profile and glazing lists.
    virtual void updateOptions() = 0;
    virtual void rebuildGlazingList() = 0;
    virtual void enableSpecControls(bool enabled) = 0;
    // Enables the dimension boxes whose values are above 0.
    virtual void enableDimensions() = 0;
    virtual void enableAllDimensions(bool enabled) = 0;
    virtual void resetStructuralWarning() = 0;
    // Calculates the current design (the summary page's recalculation).
    virtual void calculate() = 0;
    // The data module's system and supplier handling.
    virtual void setContinuousItems(const QStringList&) {}
    virtual void showSupplierPicture(const QString&) {}
    virtual void setGlazingInfoEnabled(bool) {}
};

}  // namespace ui::main
