#pragma once

#include "calc/Calculation.h"
#include "ui/main/DesignScreen.h"

#include "reports/Elevation.h"

#include <QWidget>
#include <array>

class QLabel;
class QPushButton;
class QLineEdit;
class QMenu;
class QToolButton;
class QComboBox;
class QStackedWidget;
class QUrl;

namespace data {
class TDM;
} // namespace data
namespace ui::main {
class TMainForm;
} // namespace ui::main
namespace ui::exchange {
class TDesignRefForm;
class TStandardsForm;
} // namespace ui::exchange
namespace widgets {
class DBComboBox;
class DBEdit;
class DBLabel;
class DBLookupComboBox;
} // namespace widgets

namespace ui::design {

class DesignGrid;
class DesignUndo;
class ElevationView;

// The DESIGN page: the specification, glazing and profile choices, the frame
// dimensions, the design grid and the design commands. Its code is kept by
// concern: DesignPage.cpp (layout, the main window's steps, calculating and
// reporting), DesignCommands.cpp (the command row), SpecificationLists.cpp
// (the three groups on the left) and ConfigurationGroup.cpp (grid, dimension
// boxes, clear and merge, results).
class TDesignPage : public QWidget, public ui::main::DesignScreen {
    Q_OBJECT
public:
    TDesignPage(data::TDM& dm, ui::main::TMainForm& main, data::Messages& messages);
    ~TDesignPage() override;

    // DesignScreen
    void gridChanged() override;
    void gridLoaded() override;
    void updateOptions() override { UpdateOptions(); }
    void rebuildGlazingList() override { SetGlassCodeCB(); }
    void enableSpecControls(bool enabled) override { UpdateSpecifications(enabled); }
    void enableDimensions() override;
    void enableAllDimensions(bool enabled) override;
    void resetStructuralWarning() override { Calc.IxWarningShown = false; }
    void calculate() override;
    void showSupplierPicture(const QString& file) override;
    void setContinuousItems(const QStringList& items) override;
    void setGlazingInfoEnabled(bool enabled) override;

    // Calculating and reporting (DesignPage.cpp).
    void CalcBtnClick();
    void UpdateAllClick();
    void PrintReportClick();

    // The command row (DesignCommands.cpp).
    void AddBtnClick();
    void DelBtnClick();
    void NextBtnClick();
    void PrevBtnClick();
    void DesignSrchBtnClick();
    void ForceSaveClick();

    // The choice lists (SpecificationLists.cpp).
    void UpdateOptions();
    void UpdateSpecifications(bool enabled);
    void SetGlassCodeCB();

    // The grid and the dimension boxes (ConfigurationGroup.cpp).
    void UpdatePopup();
    void EnableDimensions();
    void MergeImageClick();

    // Copying and the standard designs (DesignExchange.cpp).
    void CopyBtnClick();
    void StandardsBtnClick();

    calc::CalcContext Calc;
    DesignGrid* KGrid1;
    QMenu* PopupMenu1;
    widgets::DBEdit *DesignNoEdit, *DesignRefEdit, *DesignQtyEdit;
    widgets::DBComboBox *WindLoadCB, *SystemTypeCB, *SystemNameCB, *FinishCB, *SupplierCB,
        *ContinuousCB;
    // The design's storey ("G", "1" … "20") and orientation (the eight codes).
    widgets::DBComboBox *FloorCB, *ElevationCB;
    // On the RESULTS line: the verdict on a failing mullion or transom, in red.
    QLabel* StructuralLabel;
    widgets::DBLookupComboBox* GlazingCB;
    widgets::DBEdit* GlazingDetailsEdit;
    QLineEdit *SAGDBEdit, *IGDBEdit;
    QLabel* SupplierImage;
    QToolButton* GlazingInfoBtn;
    std::array<QLabel*, 5> ProfileLabel;
    std::array<widgets::DBComboBox*, 5> ProfileCB;
    std::array<widgets::DBEdit*, 5> DieEdit;
    std::array<widgets::DBEdit*, 10> DimH;
    std::array<widgets::DBEdit*, 5> DimV;
    QToolButton *PrevBtn, *NextBtn, *AddBtn, *DelBtn, *DesignSrchBtn, *CalcBtn, *ForceSaveBtn,
        *UpdateAllBtn;
    // Undo and Redo of the design edits (DesignUndo.cpp).
    QToolButton *UndoBtn, *RedoBtn;
    DesignUndo* Undo = nullptr;
    QToolButton *ClearImage, *MergeImage;
    // The switch between the grid and the elevation drawn to scale.
    QToolButton *GridViewBtn, *ElevationViewBtn;
    ElevationView* Elevation;
    // What the elevation shows: the design as it stands, with the dimension
    // being typed.
    ::reports::ElevationSource elevationSource();
    QToolButton *CopyDesignBtn, *PrintReportBtn, *StandardsBtn, *SystemInfoBtn;
    QPushButton* CopyBtn;
    ui::exchange::TDesignRefForm* DesignRefForm;
    ui::exchange::TStandardsForm* StandardsForm;
    // Opens a web address (tests watch it instead).
    std::function<void(const QUrl&)> openUrl;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Builders of the page's parts, one per group.
    QWidget* buildCommands();
    QWidget* buildSpecification();
    QWidget* buildGlazing();
    QWidget* buildProfiles();
    QWidget* buildConfiguration();

    calc::DesignView view();
    void systemTypeLeft();
    void systemNameChanged();
    void systemNameLeft();
    void lookForStandards();
    void stepDesign(bool forward);
    void profileChanged(int k);
    void glassChosen();
    void glazingShown();
    void fillLists();
    void colourList(QComboBox* box, const std::function<bool(const QString&)>& active);
    // Runs a user command; an error of the store ends it with the standard box.
    void guarded(const std::function<void()>& command);
    void open(const QUrl& url);
    static int rowCount(data::TDM& dm, const QString& table);

    data::TDM& DM;
    ui::main::TMainForm& main_;
    data::Messages& messages_;
    QString systemTypeAtEntry_;
    bool updating_ = false;
    QStackedWidget* gridOrElevation_ = nullptr;
    void refreshElevation();
};

} // namespace ui::design
