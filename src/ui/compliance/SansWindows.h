#pragma once

#include <QDialog>
#include <functional>

class QGroupBox;
class QToolButton;

namespace data {
class Messages;
class TDM;
} // namespace data
namespace store {
class Table;
}
namespace widgets {
class DBEdit;
class DBGrid;
class DBLookupComboBox;
} // namespace widgets

namespace ui::compliance {

class TClimateZoneForm;
class TResultsPanel;

// A row of record buttons over a table (first, prior, next, last and, for
// editable tables, insert, delete, post, cancel). `clicked` runs first.
class TNavigator : public QWidget {
    Q_OBJECT
public:
    TNavigator(store::Table& table, bool editing, data::Messages& messages,
               QWidget* parent = nullptr);
    std::function<void()> clicked;
    QList<QToolButton*> buttons;

private:
    void run(const std::function<void()>& action);
    store::Table& table_;
    data::Messages& messages_;
};

// The project group both windows show: reference, name and a navigator.
QGroupBox* projectGroup(data::TDM& dm, data::Messages& messages);

// "SANS Results": the designs' P/H ratios, "Calculate  ", the storey results
// and the report. Opening it clears the project's earlier storey results.
class TDesignResultsForm : public QDialog {
    Q_OBJECT
public:
    TDesignResultsForm(data::TDM& dm, data::Messages& messages, QWidget* parent = nullptr);
    TResultsPanel* Panel;
    QToolButton* CloseBtn;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void showGrids();
    data::TDM& DM;
    data::Messages& messages_;
};

// "SANS 204 Calculation": the project's zone, allowances and storeys; "Analyse"
// opens "SANS Results".
class TSANSForm : public QDialog {
    Q_OBJECT
public:
    TSANSForm(data::TDM& dm, data::Messages& messages, QWidget* parent = nullptr);

    void FormActivate();
    void ClimateZoneCBCloseUp();
    void SansGridColExit(int column);
    void AnalyseBtnClick();
    void CloseBtnClick();
    bool zoneChosen() const;

    widgets::DBLookupComboBox* ClimateZoneCB;
    widgets::DBEdit *ConductanceEdit, *SolarHeatGainEdit;
    widgets::DBGrid* SansGrid;
    TNavigator* FloorNavigator;
    QToolButton *MoreInfoBtn, *AnalyseBtn, *CloseBtn;
    TClimateZoneForm* ClimateZoneForm;
    TDesignResultsForm* DesignResultsForm;

protected:
    void showEvent(QShowEvent* event) override;
    void reject() override;

private:
    bool guarded(const std::function<void()>& command);
    data::TDM& DM;
    data::Messages& messages_;
};

} // namespace ui::compliance
