#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace store {

enum class FieldType { Text, Integer, Number, Logical, Date, Memo };

struct FieldDef {
    QString name;
    FieldType type = FieldType::Text;
    int width = 0;          // text fields only: capacity in characters
    QString displayFormat;  // number picture ("##0.00"), "currency" or empty
};

struct TableDef {
    QString name;
    QString fileName;  // the file the earlier version kept the table in
    QStringList key;   // primary index; empty: unkeyed, walked in insertion order
    std::vector<FieldDef> fields;

    int fieldIndex(const QString& fieldName) const;
    int fieldIndex(QLatin1StringView fieldName) const;
    bool isKeyed() const { return !key.isEmpty(); }
};

namespace schema {

// The 23 tables of a data folder, in the order the data module opens them.
const std::vector<TableDef>& tables();
// Null when no table of that name belongs to a data folder.
const TableDef* find(const QString& tableName);

}  // namespace schema

QString fieldTypeName(FieldType type);

}  // namespace store
