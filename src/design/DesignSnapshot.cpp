#include "DesignSnapshot.h"

#include "store/Database.h"
#include "store/Query.h"
#include "store/RowWriter.h"

namespace design {

namespace {
const QString kProjectRef = QStringLiteral("Project_Ref");
const QString kDesignNo = QStringLiteral("Design_No");
} // namespace

bool DesignRows::empty() const {
    for (const TableRows& t : tables)
        if (!t.rows.empty()) return false;
    return true;
}

const DesignRows::TableRows* DesignRows::rowsOf(const QString& table) const {
    for (const TableRows& t : tables)
        if (t.table == table && !t.rows.empty()) return &t;
    return nullptr;
}

const QStringList& designRowTables() {
    static const QStringList tables{QStringLiteral("Design"), QStringLiteral("DesignImage"),
                                    QStringLiteral("DesignMerge"), QStringLiteral("DesignResults"),
                                    QStringLiteral("DesignCosting")};
    return tables;
}

DesignRows readDesignRows(store::Database& db, const QString& projectRef, int designNo) {
    DesignRows out;
    out.projectRef = projectRef;
    out.designNo = designNo;
    for (const QString& table : designRowTables()) {
        store::Query q(
            &db, QStringLiteral("Select * from %1 Where Project_Ref=? and Design_No=?").arg(table));
        q.setSql(q.sql(), {projectRef, designNo});
        q.open();
        DesignRows::TableRows t;
        t.table = table;
        for (int i = 0; i < q.fieldCount(); ++i)
            t.fields << q.def().fields[size_t(i)].name;
        for (int r = 0; r < q.recordCount(); ++r) {
            const std::vector<QVariant> row = q.rowAt(r);
            t.rows.emplace_back(row.begin(), row.end());
        }
        q.close();
        out.tables.push_back(std::move(t));
    }
    return out;
}

void deleteDesignRows(store::Database& db, const QString& projectRef, int designNo) {
    store::Transaction tx(db);
    for (const QString& table : designRowTables())
        db.deleteWhere(table, {kProjectRef, kDesignNo}, {projectRef, designNo});
    tx.commit();
}

void writeDesignRows(store::Database& db, const DesignRows& rows, int designNo) {
    store::Transaction tx(db);
    deleteDesignRows(db, rows.projectRef, designNo);
    for (const DesignRows::TableRows& t : rows.tables) {
        if (t.rows.empty()) continue;
        const int noAt = int(t.fields.indexOf(kDesignNo));
        store::RowWriter writer(db, t.table, t.fields);
        for (QVariantList row : t.rows) {
            if (noAt >= 0) row[noAt] = designNo;
            writer.insert(row);
        }
        writer.commit();
    }
    tx.commit();
}

int freeDesignNo(store::Database& db, const QString& projectRef, int wanted) {
    store::Query q(&db, QStringLiteral("Select * from Design Where Project_Ref=?"));
    q.setSql(q.sql(), {projectRef});
    q.open();
    const int noAt = q.fieldIndex(kDesignNo);
    int last = 0;
    bool taken = false;
    for (int r = 0; r < q.recordCount(); ++r) {
        const int no = q.rowAt(r)[size_t(noAt)].toInt();
        last = std::max(last, no);
        taken = taken || no == wanted;
    }
    q.close();
    return taken || wanted <= 0 ? last + 1 : wanted;
}

} // namespace design
