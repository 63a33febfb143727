#pragma once

#include <QColor>
#include <QWidget>
#include <functional>

class QToolButton;

namespace data {
class Messages;
class TDM;
} // namespace data
namespace widgets {
class DBGrid;
} // namespace widgets

namespace ui::compliance {

class PickListDelegate;

// The design results grid with its P/H ratios, the "Calculate" command,
// the storey results grid and the compliance report. The main window's
// RESULTS page, and (as `Place::Window`) the "SANS Results" window's body.
class TResultsPanel : public QWidget {
    Q_OBJECT
public:
    enum class Place { Page, Window };
    TResultsPanel(data::TDM& dm, data::Messages& messages, Place place, QWidget* parent = nullptr);

    void Image20Click();
    void Image19Click();
    // Entering the P/H column or clicking it: edit it with its list open.
    void editRatio(int column);

    widgets::DBGrid *DBGrid4, *DBGrid3;
    QToolButton *Image20, *Image19;

    // The colour of a storey result row: blue when its conductance is within
    // the allowance, red when not; invalid while either figure is empty.
    static QColor rowColour(const QVariant& uAllow, const QVariant& uTotal);

private:
    bool guarded(const std::function<void()>& command);
    data::TDM& DM;
    data::Messages& messages_;
    Place place_;
    PickListDelegate* ratioDelegate_;
};

} // namespace ui::compliance
