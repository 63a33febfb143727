#include "DesignRecords.h"

#include "store/Database.h"
#include "store/Query.h"
#include "store/RowWriter.h"
#include "store/StoreError.h"
#include "store/Table.h"

#include <QPointer>
#include <algorithm>
#include <array>
#include <bitset>
#include <map>
#include <memory>
#include <optional>

namespace design {

namespace {

const QString kProjectRef = QStringLiteral("Project_Ref");
const QString kDesignNo = QStringLiteral("Design_No");
const QString kRow = QStringLiteral("Row");
const QString kColumn = QStringLiteral("Column");

using CellKey = std::pair<int, int>;
// The values of one stored cell row: one field (ModeOfCell) or two (RowSpan, ColSpan).
using CellValues = std::array<QVariant, 2>;

// The stored rows of one design, (row, column) to the values of the fields
// read. The grid's 50 cells have a slot each; rows outside the grid (a
// damaged table) are kept apart, and only looked at when there are any.
struct StoredCells {
    std::array<CellValues, RowCount * ColCount> values;
    std::bitset<RowCount * ColCount> has;
    std::map<CellKey, CellValues> outside;

    bool empty() const { return has.none() && outside.empty(); }
    const CellValues* find(int r, int c) const {
        return has[size_t(r * ColCount + c)] ? &values[size_t(r * ColCount + c)] : nullptr;
    }
    // Every row in (row, column) order.
    template <typename F>
    void forEach(F f) const {
        if (outside.empty()) {
            for (int r = 0; r < RowCount; ++r)
                for (int c = 0; c < ColCount; ++c)
                    if (const CellValues* v = find(r, c)) f(r, c, *v);
            return;
        }
        std::map<CellKey, CellValues> all = outside;
        for (int r = 0; r < RowCount; ++r)
            for (int c = 0; c < ColCount; ++c)
                if (const CellValues* v = find(r, c)) all[{r, c}] = *v;
        for (const auto& [cell, v] : all) f(cell.first, cell.second, v);
    }
};

using StoredPtr = std::shared_ptr<const StoredCells>;

// A read of one design's stored rows, below the table's cursor: a design is
// read at every step through a project, so this goes straight to one prepared
// statement. Reads of both cell tables run together (one round trip on a server).
struct CellRead {
    store::Table* table;
    QStringList fields;
    store::sql::Statement* statement = nullptr;
    std::vector<store::FieldDef> defs;
};
void bindRead(CellRead& read, const QString& ref, int no);
StoredPtr finishRead(CellRead& read);

// The rows of the design read last, kept for as long as nothing can have
// changed them: stepping through a project in one transaction reads each
// design to show it and again to compare before saving it.
struct LastRead {
    QPointer<store::Database> db;
    QString table, ref;
    int no = 0;
    QStringList fields;
    store::Database::ChangeStamp stamp;
    StoredPtr cells;
};

// The stored rows of one design in each of the tables asked for.
std::vector<StoredPtr> storedCells(std::vector<CellRead> reads, const QString& ref, int no) {
    static LastRead last[2]; // one per cell table
    std::vector<StoredPtr> cells(reads.size());
    std::vector<store::sql::Statement*> toRun;
    std::vector<size_t> running;
    for (size_t i = 0; i < reads.size(); ++i) {
        store::Table& table = *reads[i].table;
        store::Database& db = *table.database();
        const store::Database::ChangeStamp stamp = db.changeStamp(table.tableName());
        for (const LastRead& l : last)
            if (l.db == &db && l.table == table.tableName() && l.ref == ref && l.no == no &&
                l.fields == reads[i].fields && stamp.transaction != 0 && l.stamp == stamp)
                cells[i] = l.cells;
        if (cells[i]) continue;
        bindRead(reads[i], ref, no);
        toRun.push_back(reads[i].statement);
        running.push_back(i);
    }
    if (toRun.size() > 1) store::sql::Statement::runTogether(toRun);
    for (size_t i : running) {
        store::Table& table = *reads[i].table;
        store::Database& db = *table.database();
        cells[i] = finishRead(reads[i]);
        LastRead* slot = nullptr;
        for (LastRead& l : last)
            if (!slot && (l.db != &db || l.table == table.tableName())) slot = &l;
        if (!slot) slot = &last[0];
        *slot = LastRead{&db, table.tableName(), ref, no, reads[i].fields, db.changeStamp(table.tableName()), cells[i]};
    }
    return cells;
}

const QStringList ModeFields{QStringLiteral("ModeOfCell")};
const QStringList SpanFields{QStringLiteral("RowSpan"), QStringLiteral("ColSpan")};

// A design's modes and spans, in one read of both tables.
std::pair<StoredPtr, StoredPtr> storedModesAndSpans(store::Table& image, store::Table& merge, const QString& ref,
                                                    int no) {
    const std::vector<StoredPtr> both = storedCells({{&image, ModeFields, nullptr, {}}, {&merge, SpanFields, nullptr, {}}}, ref, no);
    return {both[0], both[1]};
}

// The few words of a design's cells, each made into text once per read and
// shared by the cells holding it.
class Words {
public:
    QString of(QByteArrayView utf8) {
        for (const auto& [bytes, word] : seen_)
            if (bytes == utf8) return word;
        QString word = QString::fromUtf8(utf8);
        if (seen_.size() < 16) seen_.emplace_back(utf8.toByteArray(), word);
        return word;
    }

private:
    std::vector<std::pair<QByteArray, QString>> seen_;
};

// The value fromStorage makes of a column, the cells' words shared.
QVariant cellValue(const store::FieldDef& f, const store::sql::Statement& st, int i, Words& words) {
    if ((f.type == store::FieldType::Text || f.type == store::FieldType::Memo) &&
        st.columnType(i) == store::sql::Statement::Type::Text)
        return words.of(st.columnUtf8(i));
    return store::DataSet::fromColumn(f, st, i);
}

void bindRead(CellRead& read, const QString& ref, int no) {
    store::Table& table = *read.table;
    store::Database& db = *table.database();
    // The open cursor's definition is the file's; a closed one's is read.
    store::TableDef closedDef;
    const store::TableDef& def = table.active() ? table.def() : (closedDef = db.tableDef(table.tableName()));
    if (read.fields.size() > int(CellValues().size()))
        throw store::StoreError(QStringLiteral("%1: too many cell fields").arg(def.name));
    QStringList cols{store::sql::quoteIdentifier(kRow), store::sql::quoteIdentifier(kColumn)};
    read.defs.clear();
    for (const QString& f : read.fields) {
        const int i = def.fieldIndex(f);
        if (i < 0)
            throw store::StoreError(QStringLiteral("%1: Field '%2' not found").arg(def.name, f));
        read.defs.push_back(def.fields[size_t(i)]);
        cols << store::sql::quoteIdentifier(def.fields[size_t(i)].name);
    }
    read.statement = &db.cached(
        QStringLiteral("SELECT %1 FROM %2 WHERE \"Project_Ref\" = ?1 AND \"Design_No\" = ?2")
            .arg(cols.join(QStringLiteral(", ")), store::sql::quoteIdentifier(def.name)));
    read.statement->bind(1, ref);
    read.statement->bind(2, no);
}

StoredPtr finishRead(CellRead& read) {
    store::sql::Statement& st = *read.statement;
    auto cells = std::make_shared<StoredCells>();
    Words words;
    while (st.step()) {
        CellValues values;
        for (size_t i = 0; i < read.defs.size(); ++i)
            values[i] = cellValue(read.defs[i], st, int(i) + 2, words);
        // A row or column left empty reads as 0, as the cursor's asInteger gives it.
        const int r = int(st.columnInt64(0)), c = int(st.columnInt64(1));
        if (r >= 0 && r < RowCount && c >= 0 && c < ColCount) {
            cells->values[size_t(r * ColCount + c)] = std::move(values);
            cells->has.set(size_t(r * ColCount + c));
        } else {
            cells->outside[{r, c}] = std::move(values);
        }
    }
    st.release();
    return cells;
}

// Writes one table's 50 rows of a design; `valuesOf` gives a cell's values of
// `fields`. Rows already holding them are left alone; the others are written
// in one go below the cursor, which reads its range again when next looked at.
template <typename ValuesOf>
void writeCells(store::Table& table, const QString& ref, int no, const QStringList& fields, const StoredPtr& stored,
                ValuesOf valuesOf) {
    std::optional<store::RowWriter> writer;
    for (int r = 0; r < RowCount; ++r)
        for (int c = 0; c < ColCount; ++c) {
            const CellValues values = valuesOf(r, c);
            const CellValues* was = stored->find(r, c);
            if (was && std::equal(values.begin(), values.begin() + fields.size(), was->begin()))
                continue;
            if (!writer)
                writer.emplace(*table.database(), table.tableName(),
                               QStringList{kProjectRef, kDesignNo, kRow, kColumn} + fields, &table);
            QVariantList row{ref, no, r, c};
            for (int i = 0; i < fields.size(); ++i) row << values[size_t(i)];
            // A row the read did not see is added; "Key violation" if it is there after all.
            if (!was || !writer->update(row)) writer->insert(row);
        }
    if (writer) writer->commit();
}

} // namespace

void saveCells(store::Table& image, store::Table& merge, const QString& projectRef, int designNo,
               const GridModel& grid) {
    // The two tables' rows stand or fall together.
    store::Transaction tx(*image.database());
    const auto [modes, spans] = storedModesAndSpans(image, merge, projectRef, designNo);
    writeCells(image, projectRef, designNo, ModeFields, modes,
               [&](int r, int c) { return CellValues{grid.mode(r, c), QVariant()}; });
    writeCells(merge, projectRef, designNo, SpanFields, spans,
               [&](int r, int c) {
                   const Span s = grid.span(r, c);
                   return CellValues{s.RowSpan, s.ColSpan};
               });
    tx.commit();
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
    const auto [modes, spans] = storedModesAndSpans(image, merge, projectRef, designNo);
    spans->forEach([&](int r, int c, const CellValues& v) {
        const int rowSpan = v[0].toInt(), colSpan = v[1].toInt();
        if (colSpan > 0 || rowSpan > 0) grid.setSpan(r, c, colSpan, rowSpan);
    });
    for (int r = 0; r < RowCount; ++r)
        for (int c = 0; c < ColCount; ++c)
            if (const CellValues* v = modes->find(r, c)) {
                // An empty stored word is an empty cell.
                const QString word = (*v)[0].toString();
                grid.setMode(r, c, word.isEmpty() ? None : word);
            }
    return !spans->empty() || !modes->empty();
}

} // namespace design
