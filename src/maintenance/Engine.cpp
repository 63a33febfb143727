#include "Engine.h"

#include "Salvage.h"
#include "store/Database.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <sqlite3.h>

namespace maintenance::engine {

QString quoted(const QString& name) {
    QString q = name;
    q.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

TableLocation locate(const QString& tablePath) {
    const QFileInfo info(tablePath);
    TableLocation loc;
    loc.folder = info.absolutePath();
    loc.table = info.fileName();
    if (loc.table.endsWith(QLatin1String(".db"), Qt::CaseInsensitive)) loc.table.chop(3);
    loc.dbFile = databaseFileOf(loc.folder);
    return loc;
}

Db::~Db() {
    if (db_) sqlite3_close_v2(db_);
}

int Db::open(const QString& file, bool create) {
    int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX;
    if (create) flags |= SQLITE_OPEN_CREATE;
    const int rc = sqlite3_open_v2(file.toUtf8().constData(), &db_, flags, nullptr);
    if (rc != SQLITE_OK) return rc;
    sqlite3_extended_result_codes(db_, 0);
    sqlite3_busy_timeout(db_, 5000);
    exec(QStringLiteral("PRAGMA cell_size_check=ON"));
    // Reading the table list is the first touch of the file's pages.
    sqlite3_stmt* st = nullptr;
    int code = sqlite3_prepare_v2(db_, "SELECT count(*) FROM sqlite_master", -1, &st, nullptr);
    if (code == SQLITE_OK) code = sqlite3_step(st) == SQLITE_ROW ? SQLITE_OK : sqlite3_errcode(db_);
    sqlite3_finalize(st);
    return code;
}

bool Db::exec(const QString& sql, QString* error) {
    char* err = nullptr;
    if (sqlite3_exec(db_, sql.toUtf8().constData(), nullptr, nullptr, &err) == SQLITE_OK)
        return true;
    if (error) *error = QString::fromUtf8(err ? err : sqlite3_errmsg(db_));
    sqlite3_free(err);
    return false;
}

int Db::lastCode() const {
    return sqlite3_errcode(db_);
}

QString Db::lastMessage() const {
    return QString::fromUtf8(sqlite3_errmsg(db_));
}

QString Db::storedTableName(const QString& table) {
    sqlite3_stmt* st = nullptr;
    QString name;
    if (sqlite3_prepare_v2(
            db_, "SELECT name FROM sqlite_master WHERE type='table' AND name=?1 COLLATE NOCASE", -1,
            &st, nullptr) == SQLITE_OK) {
        const QByteArray t = table.toUtf8();
        sqlite3_bind_text(st, 1, t.constData(), int(t.size()), SQLITE_TRANSIENT);
        if (sqlite3_step(st) == SQLITE_ROW)
            name = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
    }
    sqlite3_finalize(st);
    return name;
}

bool fileHeaderSound(const QString& file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) return false;
    return salvage::headerIsSound(f.read(100), f.size());
}

std::vector<store::FieldDef> fileFields(Db& db, const QString& table) {
    std::vector<store::FieldDef> fields;
    sqlite3_stmt* st = nullptr;
    const QByteArray sql = QStringLiteral("PRAGMA table_info(%1)").arg(quoted(table)).toUtf8();
    if (sqlite3_prepare_v2(db.handle(), sql.constData(), -1, &st, nullptr) == SQLITE_OK) {
        while (sqlite3_step(st) == SQLITE_ROW)
            fields.push_back(store::fieldFromDeclaration(
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 1))),
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 2)))));
    }
    sqlite3_finalize(st);
    return fields;
}

std::vector<TUIndexDesc> fileIndexes(Db& db, const QString& table) {
    std::vector<TUIndexDesc> out;
    sqlite3_stmt* st = nullptr;
    const QByteArray sql = QStringLiteral("PRAGMA index_list(%1)").arg(quoted(table)).toUtf8();
    if (sqlite3_prepare_v2(db.handle(), sql.constData(), -1, &st, nullptr) == SQLITE_OK) {
        while (sqlite3_step(st) == SQLITE_ROW) {
            TUIndexDesc idx;
            idx.name = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 1)));
            idx.unique = sqlite3_column_int(st, 2) != 0;
            out.push_back(idx);
        }
    }
    sqlite3_finalize(st);
    for (TUIndexDesc& idx : out) {
        const QByteArray info =
            QStringLiteral("PRAGMA index_info(%1)").arg(quoted(idx.name)).toUtf8();
        if (sqlite3_prepare_v2(db.handle(), info.constData(), -1, &st, nullptr) == SQLITE_OK)
            while (sqlite3_step(st) == SQLITE_ROW)
                idx.fields << QString::fromUtf8(
                    reinterpret_cast<const char*>(sqlite3_column_text(st, 2)));
        sqlite3_finalize(st);
        idx.primary = idx.unique &&
                      idx.name.compare(table + QStringLiteral("_key"), Qt::CaseInsensitive) == 0;
    }
    return out;
}

CRTblDesc definitionOf(Db& db, const QString& table) {
    CRTblDesc desc;
    desc.tableName = table;
    if (const store::TableDef* def = store::schema::find(table)) {
        desc.tableName = def->name;
        desc.fields = def->fields;
        if (def->isKeyed())
            desc.indexes.push_back({def->name + QStringLiteral("_key"), def->key, true, true});
    } else {
        desc.fields = fileFields(db, table);
        desc.indexes = fileIndexes(db, table);
    }
    desc.counts.fields = int(desc.fields.size());
    desc.counts.indexes = int(desc.indexes.size());
    return desc;
}

QStringList integrityProblems(Db& db, const QString& table) {
    QStringList problems;
    sqlite3_stmt* st = nullptr;
    const QByteArray sql = QStringLiteral("PRAGMA integrity_check(%1)").arg(quoted(table)).toUtf8();
    int rc = sqlite3_prepare_v2(db.handle(), sql.constData(), -1, &st, nullptr);
    if (rc == SQLITE_OK) {
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
            const QString line =
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
            if (line != QLatin1String("ok"))
                problems << line.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        }
    }
    if (rc != SQLITE_DONE) problems << db.lastMessage();
    sqlite3_finalize(st);
    return problems;
}

QString workTablePath(const QString& name, const QString& dataFolder) {
    if (name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')))
        return QDir::cleanPath(name);
    const QDir dir(dataFolder);
    for (const QString& entry : dir.entryList(QDir::Files))
        if (entry.compare(name, Qt::CaseInsensitive) == 0) return dir.filePath(entry);
    return dir.filePath(name);
}

bool writeWorkTable(const QString& file, const QString& table,
                    const std::vector<store::FieldDef>& fields,
                    const std::vector<QVariantList>& rows, QString* error) {
    if (rows.empty() && !QFileInfo::exists(file)) return true;
    Db db;
    if (db.open(file, true) != SQLITE_OK) {
        *error = QStringLiteral("%1: %2").arg(file, db.lastMessage());
        return false;
    }
    QStringList cols;
    QStringList marks;
    for (size_t i = 0; i < fields.size(); ++i) {
        cols << quoted(fields[i].name) + QLatin1Char(' ') + store::columnDeclaration(fields[i]);
        marks << QStringLiteral("?%1").arg(i + 1);
    }
    QString why;
    bool ok = db.exec(QStringLiteral("BEGIN IMMEDIATE"), &why) &&
              db.exec(QStringLiteral("DROP TABLE IF EXISTS %1").arg(quoted(table)), &why);
    if (ok && !rows.empty()) {
        ok = db.exec(QStringLiteral("CREATE TABLE %1 (%2)")
                         .arg(quoted(table), cols.join(QStringLiteral(", "))),
                     &why);
        sqlite3_stmt* st = nullptr;
        const QByteArray sql = QStringLiteral("INSERT INTO %1 VALUES (%2)")
                                   .arg(quoted(table), marks.join(QLatin1Char(',')))
                                   .toUtf8();
        ok = ok && sqlite3_prepare_v2(db.handle(), sql.constData(), -1, &st, nullptr) == SQLITE_OK;
        for (size_t r = 0; ok && r < rows.size(); ++r) {
            sqlite3_reset(st);
            for (int i = 0; i < int(fields.size()); ++i) {
                bindValue(st, i + 1, i < rows[r].size() ? rows[r][i] : QVariant());
            }
            ok = sqlite3_step(st) == SQLITE_DONE;
        }
        if (!ok && why.isEmpty()) why = db.lastMessage();
        sqlite3_finalize(st);
    }
    if (ok) ok = db.exec(QStringLiteral("COMMIT"), &why);
    if (!ok) {
        db.exec(QStringLiteral("ROLLBACK"));
        *error = QStringLiteral("%1: %2").arg(file, why);
    }
    return ok;
}

void bindValue(sqlite3_stmt* st, int index, const QVariant& v) {
    if (!v.isValid() || v.isNull()) {
        sqlite3_bind_null(st, index);
    } else if (v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::Int ||
               v.typeId() == QMetaType::Bool) {
        sqlite3_bind_int64(st, index, v.toLongLong());
    } else if (v.typeId() == QMetaType::Double) {
        sqlite3_bind_double(st, index, v.toDouble());
    } else if (v.typeId() == QMetaType::QByteArray) {
        const QByteArray b = v.toByteArray();
        sqlite3_bind_blob(st, index, b.constData(), int(b.size()), SQLITE_TRANSIENT);
    } else {
        const QByteArray t = v.toString().toUtf8();
        sqlite3_bind_text(st, index, t.constData(), int(t.size()), SQLITE_TRANSIENT);
    }
}

void report(TUSessionData* s, std::uint32_t phase, int percent, const QString& message) {
    if (s && s->callback) s->callback(TUProgress{percent, phase, message});
}

} // namespace maintenance::engine
