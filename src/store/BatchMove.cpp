#include "BatchMove.h"

#include "Database.h"
#include "StoreError.h"
#include "Table.h"

namespace store {

using sql::quoteIdentifier;

int BatchMove::execute(DataSet& source, Table& destination, Mode mode) {
    if (!destination.active()) destination.open();
    if (!source.active()) source.open();
    destination.cancel();
    Database& db = *destination.database();
    const TableDef& dst = destination.def();
    db.checkWritable(dst.name, &destination);

    // Destination field i takes source field map[i], or stays empty.
    std::vector<int> map;
    for (const FieldDef& f : dst.fields) map.push_back(source.fieldIndex(f.name));

    QStringList cols, marks;
    for (size_t i = 0; i < dst.fields.size(); ++i) {
        cols << quoteIdentifier(dst.fields[i].name);
        marks << QStringLiteral("?%1").arg(i + 1);
    }
    const QString insertText = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                   .arg(quoteIdentifier(dst.name), cols.join(QStringLiteral(", ")),
                                        marks.join(QStringLiteral(", ")));
    QString updateText;
    if (mode == Mode::AppendUpdate && dst.isKeyed()) {
        QStringList sets, conds;
        for (size_t i = 0; i < dst.fields.size(); ++i) sets << cols[int(i)] + QLatin1Char('=') + marks[int(i)];
        for (const QString& k : dst.key)
            conds << QStringLiteral("%1 IS ?%2").arg(quoteIdentifier(k)).arg(dst.fieldIndex(k) + 1);
        updateText = QStringLiteral("UPDATE %1 SET %2 WHERE %3")
                         .arg(quoteIdentifier(dst.name), sets.join(QStringLiteral(", ")),
                              conds.join(QStringLiteral(" AND ")));
    }

    Transaction tx(db);
    if (mode == Mode::Copy) db.connection().exec(QStringLiteral("DELETE FROM %1").arg(quoteIdentifier(dst.name)));
    int moved = 0;
    const int rows = source.recordCount();
    for (int r = 0; r < rows; ++r) {
        const std::vector<QVariant> row = source.rowAt(r);
        std::vector<QVariant> values(dst.fields.size());
        for (size_t i = 0; i < values.size(); ++i)
            if (map[i] >= 0)
                values[i] = DataSet::toStorage(dst.fields[i], DataSet::coerce(dst.fields[i], row[size_t(map[i])]));
        bool done = false;
        if (!updateText.isEmpty()) {
            sql::Statement& up = db.cached(updateText);
            for (size_t i = 0; i < values.size(); ++i) up.bind(int(i) + 1, values[i]);
            up.step();
            done = db.connection().changes() > 0;
        }
        if (!done) {
            sql::Statement& ins = db.cached(insertText);
            for (size_t i = 0; i < values.size(); ++i) ins.bind(int(i) + 1, values[i]);
            ins.step();
        }
        ++moved;
    }
    tx.commit();
    db.notifyChanged(dst.name, nullptr);
    return moved;
}

}  // namespace store
