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
class DBEdit;
class DBGrid;
} // namespace widgets

namespace ui::compliance {

// The page "SANS 10400XA (Rational Design)": the target, the project's
// designs, the analysis with its result line and the project summary.
class TRationalPage : public QWidget {
    Q_OBJECT
public:
    TRationalPage(data::TDM& dm, data::Messages& messages, QWidget* parent = nullptr);

    void RationalBtnClick();
    void RationalReportBtnClick();

    widgets::DBEdit *TgtEnergyLossEdit, *TgtAveUValEdit, *TgtAveSHGCEdit;
    widgets::DBEdit *ActEnergyLossEdit, *ActAveUValEdit, *ActAveSHGCEdit;
    widgets::DBGrid* DBGrid5;
    QToolButton *RationalBtn, *RationalReportBtn;
    QLabel* ResultLabel;
    // Run on a double click in the designs grid: the window shows the design.
    std::function<void()> openDesign;

private:
    void guarded(const std::function<void()>& command);
    data::TDM& DM;
    data::Messages& messages_;
};

} // namespace ui::compliance
