#pragma once

#include "DataSet.h"

#include <QMetaObject>
#include <functional>
#include <map>
#include <unordered_map>

namespace store {

namespace sql {
class Statement;
}

// A keyed cursor over one table: walks its rows in key order (unkeyed tables in
// insertion order), optionally restricted to the rows matching a master row,
// and edits them through an edit buffer.
class Table : public DataSet {
    Q_OBJECT
public:
    using RowEvent = std::function<void(Table&)>;
    using FieldEvent = std::function<void(Field)>;

    explicit Table(QObject* parent = nullptr);
    Table(Database* db, const QString& tableName, QObject* parent = nullptr);
    ~Table() override;

    void setTableName(const QString& name);
    QString tableName() const { return tableName_; }

    void open() override;
    void close() override;
    // Re-reads the range, staying on the current row when it still exists.
    void refresh();

    // Master/detail: the table shows only rows whose link fields equal the
    // master's current values of the same names, and follows the master.
    void setMasterFields(const QStringList& fields);
    QStringList masterFields() const { return masterFields_; }
    void setMaster(DataSet* master);
    void clearMaster();
    DataSet* master() const { return master_; }

    void append();
    void insert();
    // On an empty range this starts a new row instead.
    void edit();
    void post();
    void cancel();
    void deleteRow();
    bool modified() const { return modified_; }

    // Finds the first row of the range whose leading key fields equal `values`.
    bool findKey(const QVariantList& values);
    // Finds the first row of the range whose field equals `value`.
    bool locate(const QString& field, const QVariant& value);

    void lockTable();
    void unlockTable();

    // Row events run inside the operation; an exception thrown by one aborts it.
    RowEvent beforeInsert, afterInsert, beforeDelete, beforePost, afterPost;
    void setFieldChangeHandler(const QString& field, FieldEvent handler);

protected:
    int rowCount() const override {
        sync();
        return int(rowids_.size());
    }
    std::vector<QVariant> fetchRow(int row) override;
    void checkBrowseMode() override;
    void setFieldValue(int field, const QVariant& value) override;
    void resync() override;

private:
    void beginInsert(bool atEnd);
    // The stored row, empty when it is gone.
    std::vector<QVariant> fetchStored(qint64 rowid);
    void loadRange();
    // Returns the row's place in the range, -1 when it left the range.
    int placePostedRow(qint64 rowid, const std::vector<QVariant>& values);
    QVariantList currentLinkValues() const;
    void masterChanged(bool force);
    void onTableChanged(const QString& table, const void* source);
    void resyncKeepingRow();
    // Another writer changed the table: re-read now while editing, else later.
    void othersChanged();
    QString rangeCondition(int firstParam) const;
    QString orderClause() const;
    void bindRange(sql::Statement& st, int firstParam) const;
    void connectDatabase();
    // The statements a post runs, made once per opening.
    void prepareTexts();
    // Whether the edited row's key and link values are still those it has stored.
    bool keepsPlace() const;

    // On a server, rows come in batches: with the range, and then the rows
    // that follow the one asked for, so that stepping through a range costs a
    // round trip per batch, not per row.
    struct Stamp {
        quint64 transaction = 0, changes = 0, rollbacks = 0;
        qint64 others = 0;
        bool operator==(const Stamp&) const = default;
    };
    Stamp prefetchStamp() const;
    bool prefetchValid() const;
    void keepPrefetched(sql::Statement& st);
    // The rows from `row` on, read in one round trip.
    void prefetchFrom(int row);

    QString tableName_;
    QString fetchText_;
    std::unordered_map<qint64, std::vector<QVariant>> prefetched_;
    Stamp prefetchedAt_;
    struct Texts {
        QString duplicate, insert, key;
        std::vector<int> keyIndexes;
        // UPDATE statements by the fields they write: plain, and guarded by
        // the values the edit began with.
        std::map<std::vector<int>, std::pair<QString, QString>> updates;
        // findKey's SELECT by the number of key values and whether a master links the range.
        std::map<std::pair<int, bool>, QString> finds;
    } texts_;
    // The fields set since the edit began.
    std::vector<bool> dirty_;
    // The row as it was when the edit began.
    std::vector<QVariant> editBase_;
    std::vector<qint64> rowids_;
    QStringList masterFields_;
    std::vector<int> linkIndexes_;
    DataSet* master_ = nullptr;
    QVariantList appliedLink_;
    bool linked_ = false;
    QList<QMetaObject::Connection> masterConnections_;
    QList<QMetaObject::Connection> dbConnections_;
    qint64 editRowid_ = 0;
    // Where the last posted row was placed; the likely neighbour of the next.
    int placedHint_ = -1;
    int savedPos_ = -1;
    bool locked_ = false;
    std::map<int, FieldEvent> fieldHandlers_;
};

}  // namespace store
