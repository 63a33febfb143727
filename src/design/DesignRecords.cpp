#include "DesignRecords.h"

#include "store/Database.h"
#include "store/Query.h"
#include "store/StoreError.h"
#include "store/Table.h"

#include <QPointer>
#include <map>

namespace design {

namespace {

const QString kProjectRef = QStringLiteral("Project_Ref");
const QString kDesignNo = QStringLiteral("Design_No");
const QString kRow = QStringLiteral("Row");
const QString kColumn = QStringLiteral("Column");

using CellKey = std::pair<int, int>;

// The stored rows of one design, read below the table's cursor: (row, column)
// to the values of `fields`. A design is read at every step through a
// project, so this goes straight to one prepared statement.
std::map<CellKey, QVariantList> readCells(store::Table& table, const QString& ref, int no,
                                          const QStringList& fields);

// The rows of the design read last, kept for as long as nothing can have
// changed them: stepping through a project in one transaction reads each
// design to show it and again to compare before saving it.
struct LastRead {
    QPointer<store::Database> db;
    QString table, ref;
    int no = 0;
    QStringList fields;
    store::Database::ChangeStamp stamp;
    std::map<CellKey, QVariantList> cells;
};

std::map<CellKey, QVariantList> storedCells(store::Table& table, const QString& ref, int no,
                                            const QStringList& fields) {
    static LastRead last[2]; // one per cell table
    store::Database& db = *table.database();
    const store::Database::ChangeStamp stamp = db.changeStamp(table.tableName());
    LastRead* slot = nullptr;
    for (LastRead& l : last) {
        if (l.db == &db && l.table == table.tableName() && l.ref == ref && l.no == no && l.fields == fields &&
            stamp.transaction != 0 && l.stamp == stamp)
            return l.cells;
        if (!slot && (l.db != &db || l.table == table.tableName())) slot = &l;
    }
    if (!slot) slot = &last[0];
    std::map<CellKey, QVariantList> cells = readCells(table, ref, no, fields);
    *slot = LastRead{&db, table.tableName(), ref, no, fields, stamp, cells};
    return cells;
}

std::map<CellKey, QVariantList> readCells(store::Table& table, const QString& ref, int no,
                                          const QStringList& fields) {
    store::Database& db = *table.database();
    const store::TableDef def = db.tableDef(table.tableName());
    std::vector<const store::FieldDef*> defs;
    QStringList cols{store::sql::quoteIdentifier(kRow), store::sql::quoteIdentifier(kColumn)};
    for (const QString& f : fields) {
        const int i = def.fieldIndex(f);
        if (i < 0)
            throw store::StoreError(QStringLiteral("%1: Field '%2' not found").arg(def.name, f));
        defs.push_back(&def.fields[size_t(i)]);
        cols << store::sql::quoteIdentifier(def.fields[size_t(i)].name);
    }
    store::sql::Statement& st = db.cached(
        QStringLiteral("SELECT %1 FROM %2 WHERE \"Project_Ref\" = ?1 AND \"Design_No\" = ?2")
            .arg(cols.join(QStringLiteral(", ")), store::sql::quoteIdentifier(def.name)));
    st.bind(1, ref);
    st.bind(2, no);
    std::map<CellKey, QVariantList> cells;
    while (st.step()) {
        QVariantList values;
        values.reserve(fields.size());
        for (size_t i = 0; i < defs.size(); ++i)
            values << store::DataSet::fromStorage(*defs[i], st.column(int(i) + 2));
        // A row or column left empty reads as 0, as the cursor's asInteger gives it.
        cells[{int(st.columnInt64(0)), int(st.columnInt64(1))}] = values;
    }
    st.release();
    return cells;
}

// Writes one table's 50 rows of a design; `valuesOf` gives a cell's values of `fields`.
template <typename ValuesOf>
void writeCells(store::Table& table, const QString& ref, int no, const QStringList& fields,
                ValuesOf valuesOf) {
    const auto stored = storedCells(table, ref, no, fields);
    for (int r = 0; r < RowCount; ++r)
        for (int c = 0; c < ColCount; ++c) {
            const QVariantList values = valuesOf(r, c);
            const auto it = stored.find({r, c});
            if (it != stored.end() && it->second == values) continue;
            if (it == stored.end() || !table.findKey({ref, no, r, c})) {
                table.append();
            } else {
                table.edit();
            }
            table.fieldByName(kProjectRef).setAsString(ref);
            table.fieldByName(kDesignNo).setAsInteger(no);
            table.fieldByName(kRow).setAsInteger(r);
            table.fieldByName(kColumn).setAsInteger(c);
            for (int i = 0; i < fields.size(); ++i)
                table.fieldByName(fields[i]).setValue(values[i]);
            table.post();
        }
}

} // namespace

void saveCells(store::Table& image, store::Table& merge, const QString& projectRef, int designNo,
               const GridModel& grid) {
    writeCells(image, projectRef, designNo, {QStringLiteral("ModeOfCell")},
               [&](int r, int c) { return QVariantList{grid.mode(r, c)}; });
    writeCells(merge, projectRef, designNo, {QStringLiteral("RowSpan"), QStringLiteral("ColSpan")},
               [&](int r, int c) {
                   const Span s = grid.span(r, c);
                   return QVariantList{s.RowSpan, s.ColSpan};
               });
}

void SaveDesign(const DesignTables& t, const GridModel& grid) {
    store::Transaction tx(*t.database);
    QString projectRef;
    if (t.project && t.project->active() && !t.project->isEmpty() && !t.project->eof()) {
        projectRef = t.project->fieldByName(kProjectRef).asString();
        if (projectRef.isEmpty()) {
            t.project->deleteRow();
        } else {
            t.project->edit();
            t.project->post();
        }
    }
    int designNo = 0;
    if (t.design && t.design->active() && !(t.design->isEmpty() && !t.design->editing())) {
        designNo = t.design->fieldByName(kDesignNo).asInteger();
        if (!t.design->fieldByName(kProjectRef).asString().isEmpty() && designNo > 0) {
            t.design->edit();
            t.design->post();
        }
    }
    if (t.rational && t.rational->active() &&
        !t.rational->fieldByName(kProjectRef).asString().isEmpty()) {
        t.rational->edit();
        t.rational->post();
    }
    if (!projectRef.isEmpty() && designNo != 0 && t.image && t.merge)
        saveCells(*t.image, *t.merge, projectRef, designNo, grid);
    tx.commit();
}

bool LoadGraphic(store::Table& image, store::Table& merge, const QString& projectRef, int designNo,
                 GridModel& grid) {
    const auto spans = storedCells(merge, projectRef, designNo,
                                   {QStringLiteral("RowSpan"), QStringLiteral("ColSpan")});
    for (const auto& [cell, v] : spans) {
        const int rowSpan = v[0].toInt(), colSpan = v[1].toInt();
        if (colSpan > 0 || rowSpan > 0) grid.setSpan(cell.first, cell.second, colSpan, rowSpan);
    }
    const auto modes = storedCells(image, projectRef, designNo, {QStringLiteral("ModeOfCell")});
    for (const auto& [cell, v] : modes) {
        const auto [r, c] = cell;
        // An empty stored word is an empty cell.
        const QString word = v[0].toString();
        if (r >= 0 && r < RowCount && c >= 0 && c < ColCount)
            grid.setMode(r, c, word.isEmpty() ? None : word);
    }
    return !spans.empty() || !modes.empty();
}

} // namespace design
