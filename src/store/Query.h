#pragma once

#include "DataSet.h"

#include <QStringList>

namespace store {

// A read-only selection from one table in the program's small query dialect:
//
//   Select * from Design Where Project_Ref=? and Design_No=? Order by Design_No desc
//
// Conditions use =, <>, <, >, <=, >=, like (with % and _), and/or/not,
// Upper(...) and Substring(... from 1 for 1). Values are always bound through
// ?, never written into the text; numbers may stand bare. Like compares letter
// case exactly, as every other comparison does.
class Query : public DataSet {
    Q_OBJECT
public:
    explicit Query(QObject* parent = nullptr);
    Query(Database* db, const QString& statement, QObject* parent = nullptr);

    // Replaces the statement (closing the query) and its bound values.
    void setSql(const QString& statement, const QVariantList& params = {});
    QString sql() const { return statement_; }
    QVariantList params() const { return params_; }

    void open() override;
    void close() override;

    // The SQLite statement the dialect text becomes; for tests and messages.
    static QString translate(const QString& statement, const TableDef& def, QString* table = nullptr);
    static QString tableOf(const QString& statement);

protected:
    int rowCount() const override { return int(rows_.size()); }
    std::vector<QVariant> fetchRow(int row) override { return rows_[size_t(row)]; }

private:
    QString statement_;
    QVariantList params_;
    std::vector<std::vector<QVariant>> rows_;
};

}  // namespace store
