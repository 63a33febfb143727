#include "DataSetModel.h"

#include "DataControls.h"
#include "store/DisplayFormat.h"
#include "store/StoreError.h"
#include "store/Table.h"

#include <QHeaderView>
#include <QItemSelectionModel>

#include <algorithm>

namespace widgets {

DataSetModel::DataSetModel(QObject* parent) : QAbstractTableModel(parent) {}

void DataSetModel::setDataSet(store::DataSet* dataSet) {
    if (ds_) disconnect(ds_, nullptr, this, nullptr);
    ds_ = dataSet;
    if (ds_) {
        connect(ds_, &store::DataSet::dataChanged, this, &DataSetModel::refreshRows);
        connect(ds_, &store::DataSet::stateChanged, this, &DataSetModel::refreshRows);
        connect(ds_, &store::DataSet::fieldChanged, this, [this](int) {
            if (!ds_ || ds_->recNo() < 0 || ds_->recNo() >= rowCount()) return;
            cached_.assign(cached_.size(), false);
            const int shown = viewRow(ds_->recNo());
            emit dataChanged(index(shown, 0), index(shown, columnCount() - 1));
        });
    }
    setColumns(columns_);
}

void DataSetModel::setColumns(const std::vector<GridColumn>& columns) {
    columns_ = columns;
    reset();
}

void DataSetModel::setComputedColumn(int column, ComputedColumn compute) {
    computed_[column] = std::move(compute);
}

void DataSetModel::setRowOrder(const QString& field,
                               std::function<bool(const QString&, const QString&)> less) {
    beginResetModel();
    orderField_ = field;
    orderLess_ = std::move(less);
    order_.clear();
    endResetModel();
}

int DataSetModel::sourceRow(int viewRow) const {
    if (!orderLess_ || !ds_) return viewRow;
    if (order_.size() != size_t(rowCount())) {
        // Read once per change of the range: a grid of storeys is a few rows.
        const int fi = ds_->fieldIndex(orderField_);
        std::vector<QString> keys;
        for (int r = 0; r < rowCount(); ++r) {
            const std::vector<QVariant> values = ds_->rowAt(r);
            keys.push_back(fi >= 0 && size_t(fi) < values.size() ? values[size_t(fi)].toString() : QString());
        }
        order_.resize(keys.size());
        for (size_t i = 0; i < order_.size(); ++i) order_[i] = int(i);
        std::stable_sort(order_.begin(), order_.end(),
                         [&](int a, int b) { return orderLess_(keys[size_t(a)], keys[size_t(b)]); });
    }
    return viewRow >= 0 && size_t(viewRow) < order_.size() ? order_[size_t(viewRow)] : viewRow;
}

int DataSetModel::viewRow(int sourceRow) const {
    if (!orderLess_) return sourceRow;
    for (int r = 0; r < rowCount(); ++r)
        if (this->sourceRow(r) == sourceRow) return r;
    return sourceRow;
}

void DataSetModel::refreshRows() {
    const bool sameRows = ds_ && ds_->active() && ds_->rangeVersion() == seenRange_ &&
                          ds_->recordCount() == seenRows_;
    const std::vector<int> shownOrder = order_;
    if (sameRows && orderLess_) {
        order_.clear();
        sourceRow(0);
    }
    if (!sameRows || order_ != shownOrder) {
        reset();
        return;
    }
    // The same rows: repainting them keeps the view's open editor, which a
    // reset would close, taking the focus and the current cell with it.
    cached_.assign(cached_.size(), false);
    if (rowCount() > 0) emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

void DataSetModel::reset() {
    beginResetModel();
    order_.clear();
    seenRange_ = ds_ && ds_->active() ? ds_->rangeVersion() : 0;
    seenRows_ = ds_ && ds_->active() ? ds_->recordCount() : -1;
    fieldIndexes_.clear();
    for (const GridColumn& c : columns_) fieldIndexes_.push_back(ds_ ? ds_->fieldIndex(c.field) : -1);
    cache_.clear();
    cached_.clear();
    endResetModel();
}

int DataSetModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || !ds_ || !ds_->active()) return 0;
    return ds_->recordCount();
}

int DataSetModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(columns_.size());
}

const std::vector<QVariant>& DataSetModel::row(int r) const {
    if (cache_.size() != size_t(rowCount())) {
        cache_.assign(size_t(rowCount()), {});
        cached_.assign(size_t(rowCount()), false);
    }
    if (!cached_[size_t(r)]) {
        // The row being edited shows its edit buffer.
        const int source = sourceRow(r);
        if (ds_->editing() && source == ds_->recNo()) {
            std::vector<QVariant> values(size_t(ds_->fieldCount()));
            for (int f = 0; f < ds_->fieldCount(); ++f) values[size_t(f)] = ds_->value(f);
            cache_[size_t(r)] = values;
        } else {
            cache_[size_t(r)] = ds_->rowAt(source);
        }
        cached_[size_t(r)] = true;
    }
    return cache_[size_t(r)];
}

QVariant DataSetModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount()) return {};
    if (const auto c = computed_.find(index.column()); c != computed_.end()) {
        if (role == Qt::TextAlignmentRole) return int(Qt::AlignRight | Qt::AlignVCenter);
        if (role != Qt::DisplayRole) return {};
        const std::vector<QVariant>& values = row(index.row());
        return c->second([this, &values](const QString& name) {
            const int i = ds_->fieldIndex(name);
            return i >= 0 && size_t(i) < values.size() ? values[size_t(i)] : QVariant();
        });
    }
    const int fi = fieldIndexes_[size_t(index.column())];
    if (fi < 0) return {};
    const std::vector<QVariant>& values = row(index.row());
    if (size_t(fi) >= values.size()) return {};
    const QVariant v = values[size_t(fi)];
    const store::FieldDef& def = ds_->def().fields[size_t(fi)];
    if (role == Qt::DisplayRole) {
        if (!v.isValid()) return QString();
        if (def.type == store::FieldType::Number || def.type == store::FieldType::Integer)
            return store::formatNumber(v.toDouble(), def.displayFormat);
        if (def.type == store::FieldType::Date) return v.toDate().toString(QStringLiteral("dd/MM/yyyy"));
        if (def.type == store::FieldType::Logical) return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
        return v.toString();
    }
    if (role == Qt::EditRole) return v.isValid() ? v.toString() : QString();
    if (role == Qt::TextAlignmentRole &&
        (def.type == store::FieldType::Number || def.type == store::FieldType::Integer))
        return int(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

bool DataSetModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !index.isValid() || !(flags(index) & Qt::ItemIsEditable)) return false;
    auto* table = qobject_cast<store::Table*>(ds_.data());
    if (!table) return false;
    try {
        if (table->recNo() != sourceRow(index.row())) table->moveTo(sourceRow(index.row()));
        table->edit();
        table->fieldByName(columns_[size_t(index.column())].field).setValue(value);
    } catch (const store::StoreError& e) {
        const GridColumn& c = columns_[size_t(index.column())];
        const int fi = table->fieldIndex(c.field);
        const QString said =
            fi < 0 ? QString()
                   : mustBeMessage(table->def().fields[size_t(fi)], c.caption.isEmpty() ? c.field : c.caption);
        reportError(said.isEmpty() ? e.message() : said);
        return false;
    }
    // What was typed into a cell is stored at once. A refusal is said in the
    // grid's words and leaves the typing in the row, to be mended.
    try {
        table->post();
    } catch (const store::StoreError& e) {
        const GridColumn& c = columns_[size_t(index.column())];
        reportError(e.message().startsWith(QLatin1String("Key violation"))
                        ? QStringLiteral("%1 \"%2\" is there already")
                              .arg(c.caption.isEmpty() ? c.field : c.caption,
                                   table->fieldByName(c.field).asString())
                        : e.message());
    }
    cached_.assign(cached_.size(), false);
    emit dataChanged(this->index(index.row(), 0), this->index(index.row(), columnCount() - 1));
    return true;
}

QVariant DataSetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Horizontal && section < columnCount()) {
        const GridColumn& c = columns_[size_t(section)];
        return c.caption.isEmpty() ? c.field : c.caption;
    }
    return {};
}

Qt::ItemFlags DataSetModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    const GridColumn& c = columns_[size_t(index.column())];
    if (!c.readOnly && !computed_.count(index.column()) && qobject_cast<store::Table*>(ds_.data())) f |= Qt::ItemIsEditable;
    return f;
}

DBGrid::DBGrid(QWidget* parent) : QTableView(parent), model_(new DataSetModel(this)) {
    setModel(model_);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setAlternatingRowColors(true);
    verticalHeader()->setVisible(false);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    horizontalHeader()->setStretchLastSection(true);
    horizontalHeader()->setHighlightSections(false);
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex& current) {
        if (syncing_ || !current.isValid() || !model_->dataSet()) return;
        syncing_ = true;
        try {
            model_->dataSet()->moveTo(model_->sourceRow(current.row()));
        } catch (const store::StoreError& e) {
            reportError(e.message());
        }
        syncing_ = false;
    });
    // A reset forgets the current cell; the column is kept so that a post
    // does not throw the user back to the first column.
    connect(model_, &QAbstractItemModel::modelAboutToBeReset, this, [this] {
        if (currentIndex().isValid()) column_ = currentIndex().column();
    });
    connect(model_, &QAbstractItemModel::modelReset, this, &DBGrid::followCursor);
}

void DBGrid::setDataSet(store::DataSet* dataSet, const std::vector<GridColumn>& columns) {
    if (model_->dataSet()) disconnect(model_->dataSet(), nullptr, this, nullptr);
    model_->setDataSet(dataSet);
    model_->setColumns(columns);
    if (dataSet) connect(dataSet, &store::DataSet::scrolled, this, &DBGrid::followCursor);
    followCursor();
}

void DBGrid::followCursor() {
    store::DataSet* ds = model_->dataSet();
    if (syncing_ || !ds || !ds->active() || ds->recNo() < 0 || ds->recNo() >= model_->rowCount()) return;
    syncing_ = true;
    const QModelIndex target = model_->index(
        model_->viewRow(ds->recNo()), currentIndex().isValid() ? currentIndex().column() : column_);
    selectionModel()->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    syncing_ = false;
}

}  // namespace widgets
