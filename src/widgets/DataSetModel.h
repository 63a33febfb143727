#pragma once

#include "store/DataSet.h"

#include <QAbstractTableModel>
#include <QPointer>
#include <QTableView>
#include <functional>
#include <map>
#include <vector>

namespace widgets {

struct GridColumn {
    QString field;
    QString caption;
    bool readOnly = false;
    QStringList pickList;  // offered values for an editable column
};

// A column worked out from the row's fields (read through the getter by field
// name) instead of showing one.
using ComputedColumn = std::function<QString(const std::function<QVariant(const QString&)>& field)>;

// A table model over a data set's range: one row per row of the range, the
// columns listed. Edits go through the data set's edit buffer.
class DataSetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit DataSetModel(QObject* parent = nullptr);
    void setDataSet(store::DataSet* dataSet);
    store::DataSet* dataSet() const { return ds_; }
    void setColumns(const std::vector<GridColumn>& columns);
    // Makes a column (one listed without a field) computed; it is read-only.
    void setComputedColumn(int column, ComputedColumn compute);
    const std::vector<GridColumn>& columns() const { return columns_; }
    // Shows the rows ordered by `less` over one text field instead of in key
    // order (the storeys: ground floor first, then by number).
    void setRowOrder(const QString& field, std::function<bool(const QString&, const QString&)> less);
    // The data set's row shown in a grid row, and back.
    int sourceRow(int viewRow) const;
    int viewRow(int sourceRow) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    const std::vector<QVariant>& row(int r) const;
    void reset();
    // After the data set told of a change: a reset when its rows changed,
    // else a repaint of the rows.
    void refreshRows();

    QPointer<store::DataSet> ds_;
    std::vector<GridColumn> columns_;
    std::vector<int> fieldIndexes_;
    std::map<int, ComputedColumn> computed_;
    mutable std::vector<std::vector<QVariant>> cache_;
    mutable std::vector<bool> cached_;
    QString orderField_;
    std::function<bool(const QString&, const QString&)> orderLess_;
    mutable std::vector<int> order_; // grid row -> data set row, while ordered
    // The range the rows shown were read from.
    quint64 seenRange_ = 0;
    int seenRows_ = -1;
};

// A grid on a data set that keeps the view's current row and the cursor together.
class DBGrid : public QTableView {
    Q_OBJECT
public:
    explicit DBGrid(QWidget* parent = nullptr);
    DataSetModel* gridModel() const { return model_; }
    void setDataSet(store::DataSet* dataSet, const std::vector<GridColumn>& columns);

private:
    void followCursor();
    DataSetModel* model_;
    bool syncing_ = false;
    int column_ = 0;
};

}  // namespace widgets
