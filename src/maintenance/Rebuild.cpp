#include "Engine.h"
#include "PageSalvage.h"
#include "Salvage.h"

#include <QDate>
#include <QFileInfo>
#include <QSet>
#include <sqlite3.h>

namespace maintenance {

using namespace engine;

namespace {

// Fits a stored value into a field of the new table; `altered` is set when
// the value had to change (the row's original then goes to the error table).
QVariant fitValue(const store::FieldDef& f, const QVariant& v, bool* altered) {
    if (!v.isValid() || v.isNull()) return {};
    const int type = v.typeId();
    auto changed = [altered](QVariant out) {
        *altered = true;
        return out;
    };
    switch (f.type) {
    case store::FieldType::Text: {
        if (type == QMetaType::QByteArray) return changed({});
        const QString text = v.toString();
        if (f.width > 0 && text.size() > f.width) return changed(text.left(f.width));
        return type == QMetaType::QString ? v : changed(text);
    }
    case store::FieldType::Memo:
        return type == QMetaType::QString
                   ? v
                   : changed(type == QMetaType::QByteArray ? QVariant() : v.toString());
    case store::FieldType::Integer: {
        if (type == QMetaType::LongLong) return v;
        bool ok = false;
        const double d = v.toDouble(&ok);
        return changed(ok && std::isfinite(d) ? QVariant::fromValue<qint64>(qint64(d))
                                              : QVariant());
    }
    case store::FieldType::Logical:
        if (type == QMetaType::LongLong && (v.toLongLong() == 0 || v.toLongLong() == 1)) return v;
        return changed(QVariant::fromValue<qint64>(v.toLongLong() != 0 ? 1 : 0));
    case store::FieldType::Number: {
        if (type == QMetaType::LongLong || type == QMetaType::Double) return v;
        bool ok = false;
        const double d = v.toString().toDouble(&ok);
        return changed(ok && std::isfinite(d) ? QVariant(d) : QVariant());
    }
    case store::FieldType::Date: {
        if (type == QMetaType::QString && QDate::fromString(v.toString(), Qt::ISODate).isValid())
            return v;
        return changed({});
    }
    }
    return v;
}

// A problem table's line: an unreadable stretch of row ids, or a row moved
// aside with its values after the six fields that say why.
std::vector<store::FieldDef> problemFields(const std::vector<store::FieldDef>& stored) {
    std::vector<store::FieldDef> fields{
        {QStringLiteral("Table_Name"), store::FieldType::Text, 64, {}},
        {QStringLiteral("First_Row"), store::FieldType::Integer, 0, {}},
        {QStringLiteral("Last_Row"), store::FieldType::Integer, 0, {}},
        {QStringLiteral("Problem"), store::FieldType::Text, 255, {}},
        {QStringLiteral("Row_Id"), store::FieldType::Integer, 0, {}},
        {QStringLiteral("Page"), store::FieldType::Integer, 0, {}}};
    const size_t own = fields.size();
    for (const store::FieldDef& f : stored) {
        store::FieldDef loose = f;
        // Damaged rows keep what they hold, however long.
        if (loose.type == store::FieldType::Text) loose.type = store::FieldType::Memo;
        bool clash = false;
        for (size_t i = 0; i < own; ++i)
            clash = clash || fields[i].name.compare(f.name, Qt::CaseInsensitive) == 0;
        if (clash) loose.name = QStringLiteral("Row_") + f.name;
        fields.push_back(loose);
    }
    return fields;
}

struct Salvaged {
    salvage::TableSalvage pages;
    qint64 lost = 0;
};

// The rows of a damaged table, read page by page. The rows SQLite can still
// read through the table's tree are the floor: a salvage that finds fewer is
// not trusted.
Salvaged salvageRows(Db& db, const QString& dbFile, const QString& name, QString* why) {
    Salvaged out;
    // Committed pages still in the write-ahead log belong in the file first.
    db.exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
    if (QFileInfo(dbFile + QStringLiteral("-wal")).size() > 0) {
        *why = QStringLiteral("the write-ahead log could not be written into the file");
        return out;
    }
    std::vector<salvage::TreeInfo> trees;
    {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db.handle(),
                               "SELECT name, rootpage FROM sqlite_master WHERE type='table'", -1,
                               &st, nullptr) == SQLITE_OK)
            while (sqlite3_step(st) == SQLITE_ROW)
                trees.push_back(
                    {QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0))),
                     sqlite3_column_int64(st, 1),
                     {}});
        sqlite3_finalize(st);
    }
    for (salvage::TreeInfo& t : trees)
        t.fields = fileFields(db, t.name);
    qint64 readable = 0;
    salvage::scanTable(db.handle(), name, [&](qint64, const QVariantList&) { ++readable; });
    out.pages = salvage::salvageTable(dbFile, trees, name);
    if (!out.pages.error.isEmpty()) {
        *why = out.pages.error;
        return out;
    }
    if (qint64(out.pages.rows.size() + out.pages.problems.size()) < readable) {
        *why = QStringLiteral("the pages give %1 rows where %2 can be read")
                   .arg(out.pages.rows.size() + out.pages.problems.size())
                   .arg(readable);
        return out;
    }
    // The key index, when it still reads whole, names every row the table had.
    std::vector<qint64> indexed;
    bool indexWhole = false;
    for (const TUIndexDesc& idx : fileIndexes(db, name)) {
        if (!idx.primary) continue;
        sqlite3_stmt* st = nullptr;
        const QByteArray sql = QStringLiteral("SELECT rowid FROM %1 INDEXED BY %2")
                                   .arg(quoted(name), quoted(idx.name))
                                   .toUtf8();
        int rc = sqlite3_prepare_v2(db.handle(), sql.constData(), -1, &st, nullptr);
        if (rc == SQLITE_OK)
            while ((rc = sqlite3_step(st)) == SQLITE_ROW)
                indexed.push_back(sqlite3_column_int64(st, 0));
        sqlite3_finalize(st);
        indexWhole = rc == SQLITE_DONE;
    }
    const qint64 byRange = salvage::rowsLost(out.pages, nullptr);
    out.lost = indexWhole ? std::max(byRange, salvage::rowsLost(out.pages, &indexed)) : byRange;
    return out;
}

class SwapFailed {};

} // namespace

int TURebuildTable(TUHandle h, const QString& tablePath, const QString& driverType,
                   const QString& backupTable, const QString& keyViolTable,
                   const QString& problemTable, const CRTblDesc* desc) {
    if (!h || !desc || tablePath.trimmed().isEmpty() || desc->fields.empty())
        return TUERR_INVALIDPARAM;
    if (!(driverType.isEmpty() ||
          driverType.compare(QLatin1String("PARADOX"), Qt::CaseInsensitive) == 0 ||
          driverType.compare(QLatin1String("SQLITE"), Qt::CaseInsensitive) == 0))
        return TUERR_INVALIDCODE;
    h->lastError.clear();
    const TableLocation loc = locate(tablePath);
    if (loc.dbFile.isEmpty()) {
        h->lastError = QStringLiteral("No database in %1").arg(loc.folder);
        return TUERR_NOSUCHTABLE;
    }

    // Header: a damaged one is written afresh before anything is read.
    report(h, TUPHASE_HEADER, 0);
    bool headerMended = false;
    if (!fileHeaderSound(loc.dbFile)) {
        QString why;
        if (!salvage::repairHeader(loc.dbFile, &why)) {
            h->lastError = QStringLiteral("File header is corrupt: %1").arg(why);
            return TUERR_HEADERCORRUPT;
        }
        headerMended = true;
    }
    // A damaged free-page list would hand out pages that hold data; it is
    // forgotten and the vacuum at the end takes its pages back. Never under
    // a write-ahead log that may hold a newer first page.
    if (QFileInfo(loc.dbFile + QStringLiteral("-wal")).size() == 0 &&
        !salvage::freeListSound(loc.dbFile)) {
        QString why;
        if (!salvage::dropFreeList(loc.dbFile, &why)) {
            h->lastError = QStringLiteral("%1: %2").arg(loc.dbFile, why);
            return TUERR_WRITE;
        }
        headerMended = true;
    }
    Db db;
    if (const int rc = db.open(loc.dbFile); rc != SQLITE_OK) {
        h->lastError =
            QStringLiteral("%1: %2").arg(loc.dbFile, db.handle() ? db.lastMessage() : QString());
        return rc == SQLITE_BUSY ? TUERR_LOCKED : TUERR_HEADERCORRUPT;
    }
    const QString name = db.storedTableName(loc.table);
    if (name.isEmpty()) {
        h->lastError = QStringLiteral("Table does not exist: %1").arg(loc.table);
        return TUERR_NOSUCHTABLE;
    }
    report(h, TUPHASE_HEADER, 100);

    report(h, TUPHASE_INDEXES, 0);
    const bool healthy = integrityProblems(db, name).isEmpty();
    report(h, TUPHASE_INDEXES, 100);

    // Data: every readable row, fitted to the new definition.
    report(h, TUPHASE_DATA, 0);
    const std::vector<store::FieldDef> stored = fileFields(db, name);
    std::vector<int> columnOf(desc->fields.size(), -1);
    for (size_t f = 0; f < desc->fields.size(); ++f)
        for (size_t c = 0; c < stored.size(); ++c)
            if (stored[c].name.compare(desc->fields[f].name, Qt::CaseInsensitive) == 0)
                columnOf[f] = int(c);
    std::vector<int> keyFields;
    for (const TUIndexDesc& idx : desc->indexes)
        if (idx.primary)
            for (const QString& k : idx.fields)
                for (size_t f = 0; f < desc->fields.size(); ++f)
                    if (desc->fields[f].name.compare(k, Qt::CaseInsensitive) == 0)
                        keyFields.push_back(int(f));
    std::vector<QVariantList> rows, originals, repeats, altered, problems;
    QSet<QString> keys;
    auto take = [&](const QVariantList& values) {
        originals.push_back(values);
        bool changed = false;
        QVariantList row;
        row.reserve(int(desc->fields.size()));
        for (size_t f = 0; f < desc->fields.size(); ++f)
            row << (columnOf[f] < 0 || columnOf[f] >= values.size()
                        ? QVariant()
                        : fitValue(desc->fields[f], values[columnOf[f]], &changed));
        for (size_t c = 0; c < stored.size() && int(c) < values.size(); ++c)
            if (std::find(columnOf.begin(), columnOf.end(), int(c)) == columnOf.end() &&
                !values[int(c)].isNull())
                changed = true; // a value in a field the table no longer has
        if (changed) altered.push_back(values);
        if (!keyFields.empty()) {
            QString key;
            for (int f : keyFields)
                key += row[f].toString() + QChar(0x1f);
            if (keys.contains(key)) {
                repeats.push_back(row);
                return;
            }
            keys.insert(key);
        }
        rows.push_back(std::move(row));
    };
    auto progress = [&](qint64 at, qint64 max) { report(h, TUPHASE_DATA, int(at * 100 / max)); };
    TURebuildCounts& counts = h->counts;
    counts = {};
    if (healthy) {
        const salvage::ScanResult scan = salvage::scanTable(
            db.handle(), name, [&](qint64, const QVariantList& values) { take(values); }, progress);
        for (const salvage::Gap& gap : scan.gaps)
            problems.push_back({name, gap.first, gap.last < 0 ? QVariant() : QVariant(gap.last),
                                gap.reason.left(255)});
        counts.found = scan.rowsRead;
        counts.unreadablePages = qint64(scan.gaps.size());
        counts.lost = scan.gaps.empty() ? 0 : -1;
    } else {
        QString why;
        const Salvaged found = salvageRows(db, loc.dbFile, name, &why);
        if (!why.isEmpty()) {
            h->lastError = QStringLiteral("%1: %2").arg(name, why);
            return TUERR_NOTRECOVERED;
        }
        for (const salvage::FoundRow& r : found.pages.rows)
            take(r.values);
        for (const salvage::LostPage& l : found.pages.unreadable)
            problems.push_back({name, l.lo + 1, l.hiKnown ? QVariant(l.hi) : QVariant(),
                                l.reason.left(255), QVariant(), l.page});
        for (const salvage::FoundRow& r : found.pages.problems) {
            QVariantList line{name, r.rowid, r.rowid, r.problem.left(255), r.rowid, r.page};
            for (int c = 0; c < int(stored.size()); ++c)
                line << (c < r.values.size() ? r.values[c] : QVariant());
            problems.push_back(line);
        }
        counts.found = qint64(found.pages.rows.size() + found.pages.problems.size());
        counts.problems = qint64(found.pages.problems.size());
        counts.unreadablePages = qint64(found.pages.unreadable.size());
        counts.lost = found.lost;
        progress(1, 1);
    }
    counts.keyViolations = qint64(repeats.size());
    counts.kept = qint64(rows.size());
    report(h, TUPHASE_DATA, 100);

    // The work tables first: once they are written, nothing read is lost
    // whatever happens to the swap.
    QString why;
    if (!writeWorkTable(workTablePath(backupTable, loc.folder), name, stored, originals, &why) ||
        !writeWorkTable(workTablePath(keyViolTable, loc.folder), name, desc->fields, repeats,
                        &why) ||
        !writeWorkTable(workTablePath(problemTable, loc.folder), name, problemFields(stored),
                        problems, &why) ||
        (!desc->errorTable.isEmpty() && !writeWorkTable(workTablePath(desc->errorTable, loc.folder),
                                                        name, stored, altered, &why))) {
        h->lastError = why;
        return TUERR_WRITE;
    }
    originals.clear();

    // Rebuild: the fresh table takes the original's place in one transaction.
    report(h, TUPHASE_REBUILD, 0);
    const QString fresh = name + QStringLiteral("__rebuild");
    const QString finalName =
        desc->tableName.compare(name, Qt::CaseInsensitive) == 0 ? desc->tableName : name;
    QStringList cols, marks;
    for (size_t i = 0; i < desc->fields.size(); ++i) {
        cols << quoted(desc->fields[i].name) + QLatin1Char(' ') +
                    store::columnDeclaration(desc->fields[i]);
        marks << QStringLiteral("?%1").arg(i + 1);
    }
    if (!db.exec(QStringLiteral("BEGIN IMMEDIATE"), &why)) {
        h->lastError = why;
        return TUERR_LOCKED;
    }
    try {
        auto run = [&](const QString& sql) {
            if (!db.exec(sql, &why)) throw SwapFailed();
        };
        run(QStringLiteral("DROP TABLE IF EXISTS %1").arg(quoted(fresh)));
        run(QStringLiteral("CREATE TABLE %1 (%2)")
                .arg(quoted(fresh), cols.join(QStringLiteral(", "))));
        sqlite3_stmt* st = nullptr;
        const QByteArray insert = QStringLiteral("INSERT INTO %1 VALUES (%2)")
                                      .arg(quoted(fresh), marks.join(QLatin1Char(',')))
                                      .toUtf8();
        if (sqlite3_prepare_v2(db.handle(), insert.constData(), -1, &st, nullptr) != SQLITE_OK) {
            why = db.lastMessage();
            throw SwapFailed();
        }
        int lastPercent = 0;
        for (size_t r = 0; r < rows.size(); ++r) {
            sqlite3_reset(st);
            for (int i = 0; i < int(desc->fields.size()); ++i)
                bindValue(st, i + 1, rows[r][i]);
            if (sqlite3_step(st) != SQLITE_DONE) {
                why = db.lastMessage();
                sqlite3_finalize(st);
                throw SwapFailed();
            }
            const int percent = int((r + 1) * 90 / rows.size());
            if (percent != lastPercent) report(h, TUPHASE_REBUILD, lastPercent = percent);
        }
        sqlite3_finalize(st);
        // The fresh table must hold every row it was given before it replaces
        // the old one.
        st = nullptr;
        const QByteArray count =
            QStringLiteral("SELECT count(*) FROM %1").arg(quoted(fresh)).toUtf8();
        const bool whole =
            sqlite3_prepare_v2(db.handle(), count.constData(), -1, &st, nullptr) == SQLITE_OK &&
            sqlite3_step(st) == SQLITE_ROW && sqlite3_column_int64(st, 0) == qint64(rows.size());
        sqlite3_finalize(st);
        if (!whole) {
            why = QStringLiteral("the rebuilt table does not hold every row read");
            throw SwapFailed();
        }
        if (healthy) {
            run(QStringLiteral("DROP TABLE %1").arg(quoted(name)));
        } else {
            // Freeing a damaged table's pages would walk into the damage: its
            // entries leave the table list and the vacuum below reclaims them.
            run(QStringLiteral("PRAGMA writable_schema=ON"));
            run(QStringLiteral(
                    "DELETE FROM sqlite_master WHERE tbl_name=%1 COLLATE NOCASE AND type IN "
                    "('table','index','trigger')")
                    .arg(QLatin1Char('\'') +
                         QString(name).replace(QLatin1Char('\''), QLatin1String("''")) +
                         QLatin1Char('\'')));
            run(QStringLiteral("PRAGMA writable_schema=RESET"));
        }
        run(QStringLiteral("ALTER TABLE %1 RENAME TO %2").arg(quoted(fresh), quoted(finalName)));
        for (const TUIndexDesc& idx : desc->indexes) {
            QStringList fields;
            for (const QString& f : idx.fields)
                fields << quoted(f);
            run(QStringLiteral("CREATE %1INDEX %2 ON %3 (%4)")
                    .arg(idx.unique ? QStringLiteral("UNIQUE ") : QString(), quoted(idx.name),
                         quoted(finalName), fields.join(QStringLiteral(", "))));
        }
        run(QStringLiteral("COMMIT"));
    } catch (const SwapFailed&) {
        db.exec(QStringLiteral("ROLLBACK"));
        h->lastError = QStringLiteral("%1: %2").arg(name, why);
        return TUERR_NOTRECOVERED;
    }
    // Pages left by a damaged table or a lost free list go back to the file;
    // this fails harmlessly while another table is still damaged.
    if (!healthy || headerMended) db.exec(QStringLiteral("VACUUM"));
    report(h, TUPHASE_REBUILD, 100);
    return TU_OK;
}

} // namespace maintenance
