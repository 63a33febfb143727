#include "DesignRecords.h"

#include "store/Database.h"
#include "store/Query.h"
#include "store/Table.h"

#include <map>

namespace design {

namespace {

const QString kProjectRef = QStringLiteral("Project_Ref");
const QString kDesignNo = QStringLiteral("Design_No");
const QString kRow = QStringLiteral("Row");
const QString kColumn = QStringLiteral("Column");

using CellKey = std::pair<int, int>;

// The stored rows of one design, read below the table's cursor: (row, column)
// to the values of `fields`.
std::map<CellKey, QVariantList> storedCells(store::Table& table, const QString& ref, int no,
                                            const QStringList& fields) {
    store::Query q;
    q.setDatabase(table.database());
    q.setSql(QStringLiteral("Select * from %1 Where Project_Ref=? and Design_No=?")
                 .arg(table.tableName()),
             {ref, no});
    q.open();
    std::map<CellKey, QVariantList> cells;
    for (; !q.eof(); q.next()) {
        QVariantList values;
        for (const QString& f : fields)
            values << q.fieldByName(f).value();
        cells[{q.fieldByName(kRow).asInteger(), q.fieldByName(kColumn).asInteger()}] = values;
    }
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
                                   {QStringLiteral("ColSpan"), QStringLiteral("RowSpan")});
    for (const auto& [cell, v] : spans) {
        const int colSpan = v[0].toInt(), rowSpan = v[1].toInt();
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
