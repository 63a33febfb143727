#include "DataSet.h"

#include "Database.h"
#include "DisplayFormat.h"
#include "StoreError.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace store {

namespace {

const QString kDateFormat = QStringLiteral("dd/MM/yyyy");

QDate parseDate(const QString& text) {
    QDate d = QDate::fromString(text, Qt::ISODate);
    if (!d.isValid()) d = QDate::fromString(text, kDateFormat);
    if (!d.isValid()) d = QDate::fromString(text, QStringLiteral("d/M/yyyy"));
    return d;
}

}  // namespace

const FieldDef& Field::def() const { return ds_->def_.fields.at(size_t(index_)); }

QVariant Field::value() const { return ds_->value(index_); }

bool Field::isNull() const { return !value().isValid(); }

QString Field::asString() const {
    const QVariant v = value();
    if (!v.isValid()) return {};
    switch (def().type) {
    case FieldType::Number: return formatNumber(v.toDouble(), QString());
    case FieldType::Date: return v.toDate().toString(kDateFormat);
    case FieldType::Logical: return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    default: return v.toString();
    }
}

double Field::asFloat() const {
    const QVariant v = value();
    return v.isValid() ? v.toDouble() : 0.0;
}

int Field::asInteger() const {
    const QVariant v = value();
    if (!v.isValid()) return 0;
    if (def().type == FieldType::Number) return int(std::lround(v.toDouble()));
    return v.toInt();
}

bool Field::asBoolean() const { return value().toBool(); }

QDate Field::asDate() const { return value().toDate(); }

QString Field::displayText() const {
    const QVariant v = value();
    if (!v.isValid()) return {};
    if (def().type == FieldType::Number || def().type == FieldType::Integer)
        return formatNumber(v.toDouble(), def().displayFormat);
    return asString();
}

void Field::setValue(const QVariant& value) const { ds_->setFieldValue(index_, value); }
void Field::setAsString(const QString& value) const { setValue(value); }
void Field::setAsFloat(double value) const { setValue(value); }
void Field::setAsInteger(int value) const { setValue(value); }
void Field::setAsBoolean(bool value) const { setValue(value); }
void Field::setAsDate(const QDate& value) const { setValue(value); }
void Field::clear() const { setValue(QVariant()); }

DataSet::DataSet(QObject* parent) : QObject(parent) {}

DataSet::~DataSet() = default;

void DataSet::setDatabase(Database* db) {
    if (active()) throw StoreError(QStringLiteral("Cannot change the database of an open data set"));
    db_ = db;
}

void DataSet::close() {
    if (!active()) return;
    stale_ = false;
    state_ = State::Inactive;
    ++rangeVersion_;
    pos_ = -1;
    eof_ = bof_ = true;
    cur_.clear();
    buf_.clear();
    emit stateChanged();
    emit dataChanged();
}

Field DataSet::fieldByName(const QString& name) {
    const int i = fieldIndex(name);
    if (i < 0) throw StoreError(QStringLiteral("%1: Field '%2' not found").arg(def_.name, name));
    return Field(this, i);
}

Field DataSet::fieldByName(QLatin1StringView name) {
    const int i = fieldIndex(name);
    if (i < 0) throw StoreError(QStringLiteral("%1: Field '%2' not found").arg(def_.name, name));
    return Field(this, i);
}

void DataSet::requireActive() const {
    if (!active()) throw StoreError(QStringLiteral("Cannot perform this operation on a closed dataset"));
    sync();
}

void DataSet::loadCurrent() {
    cur_ = (pos_ >= 0 && pos_ < rowCount()) ? fetchRow(pos_) : std::vector<QVariant>();
    loadedIn_ = db_ ? db_->writeTransaction() : 0;
}

bool DataSet::currentIsFresh() const {
    return loadedIn_ != 0 && db_ && loadedIn_ == db_->writeTransaction();
}

void DataSet::placeAt(int row) {
    const int n = rowCount();
    pos_ = n == 0 ? -1 : std::clamp(row, 0, n - 1);
    eof_ = bof_ = n == 0;
    loadCurrent();
}

void DataSet::setState(State s) {
    if (state_ == s) return;
    state_ = s;
    emit stateChanged();
}

void DataSet::first() {
    requireActive();
    checkBrowseMode();
    placeAt(0);
    bof_ = true;
    emit scrolled();
}

void DataSet::last() {
    requireActive();
    checkBrowseMode();
    placeAt(rowCount() - 1);
    emit scrolled();
}

void DataSet::next() {
    requireActive();
    checkBrowseMode();
    if (pos_ + 1 < rowCount()) {
        ++pos_;
        eof_ = bof_ = false;
        loadCurrent();
        emit scrolled();
    } else {
        eof_ = true;
    }
}

void DataSet::prior() {
    requireActive();
    checkBrowseMode();
    if (pos_ > 0) {
        --pos_;
        eof_ = bof_ = false;
        loadCurrent();
        emit scrolled();
    } else {
        bof_ = true;
    }
}

void DataSet::moveTo(int row) {
    requireActive();
    checkBrowseMode();
    if (row < 0 || row >= rowCount()) return;
    pos_ = row;
    eof_ = bof_ = false;
    loadCurrent();
    emit scrolled();
}

QVariant DataSet::value(int field) const {
    if (field < 0 || field >= fieldCount()) return {};
    sync();
    const std::vector<QVariant>& row = editing() ? buf_ : cur_;
    return size_t(field) < row.size() ? row[size_t(field)] : QVariant();
}

std::vector<QVariant> DataSet::rowAt(int row) {
    if (!active() || row < 0 || row >= rowCount()) return {};
    return fetchRow(row);
}

void DataSet::setFieldValue(int, const QVariant&) {
    throw StoreError(QStringLiteral("%1: Cannot modify a read-only dataset").arg(def_.name));
}

QVariant DataSet::coerce(const FieldDef& field, const QVariant& value) {
    if (!value.isValid() || value.isNull()) return {};
    auto fail = [&]() -> QVariant {
        throw StoreError(QStringLiteral("'%1' is not a valid %2 value for field '%3'")
                             .arg(value.toString(), fieldTypeName(field.type), field.name));
    };
    switch (field.type) {
    case FieldType::Text: {
        QString s = value.typeId() == QMetaType::Double ? formatNumber(value.toDouble(), QString())
                                                        : value.toString();
        if (field.width > 0 && s.size() > field.width) s.truncate(field.width);
        return s.isEmpty() ? QVariant() : QVariant(s);
    }
    case FieldType::Memo: {
        const QString s = value.toString();
        return s.isEmpty() ? QVariant() : QVariant(s);
    }
    case FieldType::Integer: {
        if (value.typeId() == QMetaType::QString) {
            const QString s = value.toString().trimmed();
            if (s.isEmpty()) return {};
            bool ok = false;
            const int i = s.toInt(&ok);
            return ok ? QVariant(i) : fail();
        }
        if (value.typeId() == QMetaType::Double) return int(std::lround(value.toDouble()));
        bool ok = false;
        const int i = value.toInt(&ok);
        return ok ? QVariant(i) : fail();
    }
    case FieldType::Number: {
        bool ok = false;
        if (value.typeId() == QMetaType::QString) {
            const QString s = value.toString().trimmed();
            if (s.isEmpty()) return {};
            const double d = s.toDouble(&ok);
            return ok && std::isfinite(d) ? QVariant(d) : fail();
        }
        const double d = value.toDouble(&ok);
        return ok && std::isfinite(d) ? QVariant(d) : fail();
    }
    case FieldType::Logical: {
        if (value.typeId() == QMetaType::QString) {
            const QString s = value.toString().trimmed().toLower();
            if (s.isEmpty()) return {};
            if (s == QLatin1String("true") || s == QLatin1String("1") || s == QLatin1String("yes")) return true;
            if (s == QLatin1String("false") || s == QLatin1String("0") || s == QLatin1String("no")) return false;
            return fail();
        }
        return value.toBool();
    }
    case FieldType::Date: {
        if (value.typeId() == QMetaType::QDate) return value.toDate().isValid() ? value : QVariant();
        if (value.typeId() == QMetaType::QDateTime) return value.toDateTime().date();
        const QString s = value.toString().trimmed();
        if (s.isEmpty()) return {};
        const QDate d = parseDate(s);
        return d.isValid() ? QVariant(d) : fail();
    }
    }
    return {};
}

QVariant DataSet::fromStorage(const FieldDef& field, const QVariant& stored) {
    if (!stored.isValid()) return {};
    switch (field.type) {
    case FieldType::Text:
    case FieldType::Memo: return stored.toString();
    case FieldType::Integer: return stored.toInt();
    case FieldType::Number: return stored.toDouble();
    case FieldType::Logical: return stored.toLongLong() != 0;
    case FieldType::Date: {
        const QDate d = QDate::fromString(stored.toString(), Qt::ISODate);
        return d.isValid() ? QVariant(d) : QVariant();
    }
    }
    return {};
}

QVariant DataSet::fromColumn(const FieldDef& field, const sql::Statement& st, int column) {
    using Type = sql::Statement::Type;
    const Type type = st.columnType(column);
    switch (type) {
    case Type::Null: return {};
    case Type::Integer:
        if (field.type == FieldType::Integer) {
            const qint64 v = st.columnInt64(column);
            if (v >= std::numeric_limits<int>::min() && v <= std::numeric_limits<int>::max())
                return int(v);
        }
        break;
    case Type::Float:
        if (field.type == FieldType::Number) return st.columnDouble(column);
        break;
    case Type::Text:
        if (field.type == FieldType::Text || field.type == FieldType::Memo)
            return QString::fromUtf8(st.columnUtf8(column));
        break;
    case Type::Blob: break;
    }
    return fromStorage(field, st.column(column));
}

QVariant DataSet::toStorage(const FieldDef& field, const QVariant& value) {
    if (!value.isValid()) return {};
    switch (field.type) {
    case FieldType::Logical: return value.toBool() ? 1 : 0;
    case FieldType::Date: return value.toDate().toString(Qt::ISODate);
    default: return value;
    }
}

}  // namespace store
