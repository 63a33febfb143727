#pragma once

#include <QWidget>
#include <functional>

class QLabel;
class QToolButton;

namespace data {
class Messages;
class TDM;
} // namespace data
namespace widgets {
class DBGrid;
class DBLookupComboBox;
} // namespace widgets

namespace ui::compliance {

class TClimateZoneForm;

// The page "SANS204 (Deemed to Satisfy)": the project's climate zone and its
// storeys with their net floor areas and default P/H ratios, and "Analyse".
class TSansPage : public QWidget {
    Q_OBJECT
public:
    TSansPage(data::TDM& dm, data::Messages& messages, QWidget* parent = nullptr);

    // Showing the page: recalculate every design (through `recalculateAll`)
    // and add the storeys the designs use.
    void TabSheet3Show();
    void DBGrid2ColExit(int column);
    void ClimateZoneCBCloseUp();
    void SANSCalcBtnClick();
    void Image22Click();
    // Ctrl+Del on the storey grid: removes the current storey after a question.
    void deleteStorey();

    widgets::DBLookupComboBox* ClimateZoneCB;
    widgets::DBGrid* DBGrid2;
    QToolButton *SANSCalcBtn, *Image22;
    TClimateZoneForm* ClimateZoneForm;

    // Runs the design calculation over every design of the project.
    std::function<void()> recalculateAll;
    // After a completed Analyse: show and open the RESULTS page.
    std::function<void()> showResults;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool guarded(const std::function<void()>& command);
    data::TDM& DM;
    data::Messages& messages_;
};

} // namespace ui::compliance
