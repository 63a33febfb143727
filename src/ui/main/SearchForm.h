#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;

namespace store {
class Query;
}
namespace widgets {
class DBGrid;
}

namespace ui::main {

// The project search window over the data module's project query; the
// query's current row is the chosen project when it closes with OK.
class TSearchForm : public QDialog {
    Q_OBJECT
public:
    TSearchForm(store::Query& projectQuery, QWidget* parent = nullptr);

    void Filter();
    void Search();

    QLineEdit* SearchEdit;
    QCheckBox* ShowStandards;
    widgets::DBGrid* ResultsGrid;

protected:
    void showEvent(QShowEvent* event) override;

private:
    store::Query& query_;
};

}  // namespace ui::main
