#pragma once

#include <QColor>
#include <QStringList>
#include <QStyledItemDelegate>
#include <functional>

class QLabel;
class QToolButton;

namespace widgets {
class DBGrid;
}

namespace ui::compliance {

// An editable drop-down for a grid column: the offered values, and any
// typed value (it is checked where it is used).
class PickListDelegate : public QStyledItemDelegate {
public:
    PickListDelegate(const QStringList& items, QObject* parent);
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;
    // The next editor opens with its list dropped down.
    void dropDownNext(bool on = true) { dropDown_ = on; }

private:
    QStringList items_;
    mutable bool dropDown_ = false;
};

// Draws every cell of a row in the colour the row asks for (invalid: the
// grid's own colour).
class RowColourDelegate : public QStyledItemDelegate {
public:
    RowColourDelegate(std::function<QColor(int row)> colour, QObject* parent);

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    std::function<QColor(int)> colour_;
};

// Runs `onExit(column)` whenever the grid's current column changes away from
// a column (the grid's column exit), at once, on the row it was left in; and
// `onEnter(column)` when it arrives, once the grid has settled on its new cell.
void watchColumns(widgets::DBGrid* grid, std::function<void(int left)> onExit,
                  std::function<void(int entered)> onEnter = {});

// A command button showing its caption, with its hint as tool tip and status text.
QToolButton* textCommand(const QString& text, const QString& hint);
// A field caption, right-aligned against its box.
QLabel* captionLabel(const QString& text);

// Centres a window on the window of its parent.
void centreOnParent(QWidget* w);

// Hides the listed columns of a grid.
void hideColumns(widgets::DBGrid* grid, std::initializer_list<int> columns);

} // namespace ui::compliance
