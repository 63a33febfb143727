#pragma once

#include <QDialog>

namespace store {
class Table;
}
namespace widgets {
class DBEdit;
}

namespace ui::main {

// The project details window: four free lines of the current project.
class TDetailsForm : public QDialog {
    Q_OBJECT
public:
    TDetailsForm(store::Table& project, QWidget* parent = nullptr);
    widgets::DBEdit* Detail[4];
};

}  // namespace ui::main
