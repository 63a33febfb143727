#include "GridHelpers.h"

#include "widgets/DataSetModel.h"

#include <QComboBox>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPointer>
#include <QTimer>
#include <QToolButton>

namespace ui::compliance {

PickListDelegate::PickListDelegate(const QStringList& items, QObject* parent)
    : QStyledItemDelegate(parent), items_(items) {}

QWidget* PickListDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                        const QModelIndex&) const {
    auto* box = new QComboBox(parent);
    box->setEditable(true);
    box->addItems(items_);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setMaxVisibleItems(items_.size());
    // A choice from the list is written at once, as a pick list does.
    connect(box, &QComboBox::activated, this, [this, box] {
        auto* self = const_cast<PickListDelegate*>(this);
        emit self->commitData(box);
    });
    if (dropDown_) {
        dropDown_ = false;
        QTimer::singleShot(0, box, [box] { box->showPopup(); });
    }
    return box;
}

void PickListDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    auto* box = static_cast<QComboBox*>(editor);
    const QString shown = index.data(Qt::DisplayRole).toString();
    const int at = box->findText(shown);
    if (at >= 0)
        box->setCurrentIndex(at);
    else
        box->setEditText(shown);
}

void PickListDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                    const QModelIndex& index) const {
    const QString text = static_cast<QComboBox*>(editor)->currentText().trimmed();
    if (text == index.data(Qt::DisplayRole).toString()) return;
    model->setData(index, text, Qt::EditRole);
}

RowColourDelegate::RowColourDelegate(std::function<QColor(int)> colour, QObject* parent)
    : QStyledItemDelegate(parent), colour_(std::move(colour)) {}

void RowColourDelegate::initStyleOption(QStyleOptionViewItem* option,
                                        const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    const QColor c = colour_(index.row());
    if (!c.isValid()) return;
    // A selected row keeps the highlight's own text colour: blue on the
    // blue highlight could not be read.
    option->palette.setColor(QPalette::Text, c);
}

void watchColumns(widgets::DBGrid* grid, std::function<void(int)> onExit,
                  std::function<void(int)> onEnter) {
    QObject::connect(grid->selectionModel(), &QItemSelectionModel::currentChanged, grid,
                     [grid, onExit, onEnter](const QModelIndex& now, const QModelIndex& before) {
                         const bool moved =
                             before.isValid() && now.isValid() && now.column() != before.column();
                         if (!moved) return;
                         // The column is left while the cursor still stands on the row
                         // it was left in (Tab from the last column moves to the next
                         // row); posting there repaints the grid and keeps its editor.
                         if (onExit) onExit(before.column());
                         // Entering opens editors: after the view has settled on the cell.
                         QPointer<widgets::DBGrid> g(grid);
                         const int entered = now.column();
                         QTimer::singleShot(0, grid, [g, onEnter, entered] {
                             if (g && onEnter && g->currentIndex().column() == entered)
                                 onEnter(entered);
                         });
                     });
}

QToolButton* textCommand(const QString& text, const QString& hint) {
    auto* b = new QToolButton;
    b->setText(text);
    b->setToolTip(hint);
    b->setStatusTip(hint);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    b->setMinimumSize(80, 28);
    return b;
}

QLabel* captionLabel(const QString& text) {
    auto* l = new QLabel(text);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return l;
}

void centreOnParent(QWidget* w) {
    if (QWidget* owner = w->parentWidget() ? w->parentWidget()->window() : nullptr)
        w->move(owner->geometry().center() - w->rect().center());
}

void hideColumns(widgets::DBGrid* grid, std::initializer_list<int> columns) {
    const std::vector<int> hidden(columns);
    auto apply = [grid, hidden] {
        for (int c : hidden)
            grid->setColumnHidden(c, true);
    };
    apply();
    // A reset of the model must not bring the carried columns back.
    QObject::connect(grid->model(), &QAbstractItemModel::modelReset, grid, apply);
}

} // namespace ui::compliance
