#pragma once

#include "Schema.h"

#include <QDate>
#include <QObject>
#include <QVariant>
#include <vector>

namespace store {

namespace sql {
class Statement;
}
class Database;
class DataSet;

// A handle on one field of a data set's current row (or its edit buffer).
class Field {
public:
    Field(DataSet* dataSet, int index) : ds_(dataSet), index_(index) {}

    const FieldDef& def() const;
    QString name() const { return def().name; }
    int index() const { return index_; }

    bool isNull() const;
    QVariant value() const;
    QString asString() const;
    double asFloat() const;  // an empty number reads as 0
    int asInteger() const;
    bool asBoolean() const;
    QDate asDate() const;
    // The value as a grid or data-bound label shows it, with the display format.
    QString displayText() const;

    void setValue(const QVariant& value) const;
    void setAsString(const QString& value) const;
    void setAsFloat(double value) const;
    void setAsInteger(int value) const;
    void setAsBoolean(bool value) const;
    void setAsDate(const QDate& value) const;
    void clear() const;

private:
    DataSet* ds_;
    int index_;
};

// The reading side shared by keyed tables and queries: a cursor over a range
// of rows with first/last/next/prior and the end-of-table flag.
class DataSet : public QObject {
    Q_OBJECT
public:
    enum class State { Inactive, Browse, Edit, Insert };

    explicit DataSet(QObject* parent = nullptr);
    ~DataSet() override;

    void setDatabase(Database* db);
    Database* database() const { return db_; }

    virtual void open() = 0;
    virtual void close();
    bool active() const { return state_ != State::Inactive; }
    State state() const { return state_; }
    bool editing() const { return state_ == State::Edit || state_ == State::Insert; }

    const TableDef& def() const { return def_; }
    int fieldCount() const { return int(def_.fields.size()); }
    int fieldIndex(const QString& name) const { return def_.fieldIndex(name); }
    int fieldIndex(QLatin1StringView name) const { return def_.fieldIndex(name); }
    Field fieldByName(const QString& name);
    Field fieldByName(QLatin1StringView name);
    Field field(int index) { return Field(this, index); }

    void first();
    void last();
    void next();
    void prior();
    // Set after stepping past the last row, on an empty range and after an
    // append at the end.
    bool eof() const {
        sync();
        return eof_;
    }
    bool bof() const {
        sync();
        return bof_;
    }
    bool isEmpty() const { return rowCount() == 0; }
    int recordCount() const { return rowCount(); }
    int recNo() const {
        sync();
        return pos_;
    }
    // Changes whenever the range gains, loses or reorders rows (not when a
    // row's values or the edit state change): a grid then starts afresh,
    // otherwise it repaints and keeps the cell being typed into.
    quint64 rangeVersion() const {
        sync();
        return rangeVersion_;
    }
    // Moves to the row at 0-based position `row` of the range.
    void moveTo(int row);

    // Has data-bound controls write what the user typed (see updateRecord).
    void flushControls() { emit updateRecord(); }

    // The current values: the edit buffer while editing, else the current row.
    QVariant value(int field) const;
    // A row of the range without moving the cursor (grid models).
    std::vector<QVariant> rowAt(int row);

    // Coerces a value to a field's type: text cut to width, empty text null.
    static QVariant coerce(const FieldDef& field, const QVariant& value);
    static QVariant fromStorage(const FieldDef& field, const QVariant& stored);
    // fromStorage of a statement's column, read without the detour through a
    // QVariant of the stored value where the storage is the field's own.
    static QVariant fromColumn(const FieldDef& field, const sql::Statement& st, int column);
    static QVariant toStorage(const FieldDef& field, const QVariant& value);

signals:
    void scrolled();
    void stateChanged();
    void fieldChanged(int field);
    void dataChanged();
    // Asks data-bound controls to write what the user typed into the edit
    // buffer; sent before a post and before the cursor leaves an edited row.
    void updateRecord();

protected:
    friend class Field;
    virtual int rowCount() const = 0;
    virtual std::vector<QVariant> fetchRow(int row) = 0;
    // Posts or cancels a pending edit before the cursor moves.
    virtual void checkBrowseMode() {}
    virtual void setFieldValue(int field, const QVariant& value);
    void requireActive() const;
    void loadCurrent();
    // Whether the current row was read inside the write transaction open now:
    // then it is as stored, for no other program can have written since, and
    // this program's own writes make the cursor stale.
    bool currentIsFresh() const;
    // After the range changed: stand on `row` (clamped), flags as after first().
    void placeAt(int row);
    void setState(State s);
    // A range that other writers changed is re-read when it is next looked at,
    // not at every write: a busy table would otherwise be re-read per row.
    void sync() const {
        if (stale_) const_cast<DataSet*>(this)->resync();
    }
    virtual void resync() { stale_ = false; }

    Database* db_ = nullptr;
    TableDef def_;
    State state_ = State::Inactive;
    int pos_ = -1;
    bool eof_ = true;
    bool bof_ = true;
    std::vector<QVariant> cur_;
    std::vector<QVariant> buf_;
    bool modified_ = false;
    bool stale_ = false;
    quint64 loadedIn_ = 0;
    quint64 rangeVersion_ = 0;
};

}  // namespace store
