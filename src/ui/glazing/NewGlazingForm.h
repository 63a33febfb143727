#pragma once

#include <functional>

#include "data/DataModule.h"
#include "glazing/Unit.h"

#include <QDialog>
#include <array>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;

namespace ui::glazing {

// "New Glazing…": a unit typed layer by layer, its centre-of-glass figures
// shown as it changes, stored with the systems and finishes the user ticks.
// A glazing made here can be chosen again to edit or delete it.
class TNewGlazingForm : public QDialog {
    Q_OBJECT
public:
    TNewGlazingForm(data::TDM& dm, data::Messages& messages, QWidget* parent = nullptr);

    // Whether a Save or Delete changed the tables since the window opened.
    bool changedTables() const { return changed_; }

    // The controls, for the window's tests.
    QComboBox* MadeHereCB;
    QComboBox* SupplierCB;
    QLineEdit* CodeEdit;
    QLineEdit* DescEdit;
    QSpinBox* PaneCountSpin;
    std::array<QComboBox*, 3> PaneCB{};
    std::array<QCheckBox*, 3> TurnCheck{};
    std::array<QDoubleSpinBox*, 2> GapSpin{};
    std::array<QComboBox*, 2> GasCB{};
    QLabel* ResultLabel;
    QListWidget* TargetList;
    QPushButton* SaveBtn;
    QPushButton* DeleteBtn;
    QPushButton* NewPaneBtn;

    // The unit the controls describe; false, with the reason, when unsound.
    bool currentUnit(::glazing::Unit& unit, QString& reason) const;
    void SaveBtnClick();
    void DeleteBtnClick();

private:
    // Runs a change of the store's glazing rows: its refusal or error shown,
    // false then; true, with the window marked as having changed rows, else.
    bool storeChange(const std::function<QString()>& change);
    void fillPanes();
    void fillTargets();
    void fillMadeHere(const QString& select = {});
    void layersChanged();
    void madeHereChosen();
    void NewPaneBtnClick();

    data::TDM& DM;
    data::Messages& messages_;
    std::vector<::glazing::Pane> panes_;
    bool changed_ = false;
};

// Opens the window modally; true when it changed the tables.
bool showNewGlazing(data::TDM& dm, data::Messages& messages, QWidget* parent);

} // namespace ui::glazing
