#pragma once

#include <QWidget>

class QLabel;

namespace data {
class TDM;
}
namespace widgets {
class FieldLink;
}

namespace ui::design {

// The design's price below its results: frame, glazing, factory,
// installation, the window's total and its rate per m², in the currency of
// the quotation settings. "not current" while the results are (an input
// changed since the last calculation); the reason when the design has no price.
class PriceLine : public QWidget {
    Q_OBJECT
public:
    explicit PriceLine(data::TDM& dm, QWidget* parent = nullptr);
    // The texts shown, for the tests: the currency, then the parts, the total
    // and the rate, or the currency and the one note.
    QStringList texts() const;

public slots:
    // Reads the price again (after a calculation, a step, new settings).
    void refresh();

private:
    void scheduleRefresh();
    data::TDM& dm_;
    widgets::FieldLink* link_;
    QList<QLabel*> values_;
    QLabel* note_;
    QLabel* heading_;
    bool pending_ = false;
};

} // namespace ui::design
