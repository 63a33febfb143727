#include "TableUtility.h"

#include "Engine.h"
#include "Salvage.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QSet>
#include <QtEndian>
#include <sqlite3.h>

namespace maintenance {

using namespace engine;

namespace {

bool knownDriver(const QString& driver) {
    return driver.isEmpty() || driver.compare(QLatin1String("PARADOX"), Qt::CaseInsensitive) == 0 ||
           driver.compare(QLatin1String("SQLITE"), Qt::CaseInsensitive) == 0;
}

// Opens the table's database for a service call; a non-zero result is the
// call's answer.
int openTable(TUSession* s, const TableLocation& loc, Db& db, QString* storedName) {
    if (loc.dbFile.isEmpty()) {
        s->lastError = QStringLiteral("No database in %1").arg(loc.folder);
        return TUERR_NOSUCHTABLE;
    }
    if (!fileHeaderSound(loc.dbFile)) {
        s->lastError = QStringLiteral("File header is corrupt: %1").arg(loc.dbFile);
        return TUERR_HEADERCORRUPT;
    }
    const int rc = db.open(loc.dbFile);
    if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED) {
        s->lastError = QStringLiteral("The database is in use: %1").arg(loc.dbFile);
        return TUERR_LOCKED;
    }
    if (rc != SQLITE_OK) {
        s->lastError =
            QStringLiteral("%1: %2").arg(loc.dbFile, db.handle() ? db.lastMessage() : QString());
        return TUERR_HEADERCORRUPT;
    }
    *storedName = db.storedTableName(loc.table);
    if (storedName->isEmpty()) {
        s->lastError = QStringLiteral("Table does not exist: %1").arg(loc.table);
        return TUERR_NOSUCHTABLE;
    }
    return TU_OK;
}

// Why a stored value does not fit its field; empty when it does.
QString misfit(const store::FieldDef& f, const QVariant& v) {
    if (!v.isValid() || v.isNull()) return {};
    const int type = v.typeId();
    switch (f.type) {
    case store::FieldType::Text:
        if (type != QMetaType::QString) return QStringLiteral("is not text");
        if (f.width > 0 && v.toString().size() > f.width)
            return QStringLiteral("is longer than %1 characters").arg(f.width);
        return {};
    case store::FieldType::Memo:
        return type == QMetaType::QString ? QString() : QStringLiteral("is not text");
    case store::FieldType::Integer:
    case store::FieldType::Logical:
        return type == QMetaType::LongLong ? QString() : QStringLiteral("is not a whole number");
    case store::FieldType::Number:
        return type == QMetaType::LongLong || type == QMetaType::Double
                   ? QString()
                   : QStringLiteral("is not a number");
    case store::FieldType::Date:
        return type == QMetaType::QString && QDate::fromString(v.toString(), Qt::ISODate).isValid()
                   ? QString()
                   : QStringLiteral("is not a date");
    }
    return {};
}

// The definition a table is rebuilt to. A data folder's table whose file has
// a damaged header is described from the folder's own definition, so that
// the rebuild that mends the header can run.
int describe(TUSession* s, const QString& tablePath, CRTblDesc* def) {
    const TableLocation loc = locate(tablePath);
    Db db;
    QString name;
    const int rc = openTable(s, loc, db, &name);
    if (rc == TUERR_HEADERCORRUPT && store::schema::find(loc.table)) {
        *def = definitionOf(db, loc.table);
        return TU_OK;
    }
    if (rc == TU_OK) *def = definitionOf(db, name);
    return rc;
}

std::vector<store::FieldDef> findingFields() {
    return {{QStringLiteral("Table_Name"), store::FieldType::Text, 64, {}},
            {QStringLiteral("Error_Level"), store::FieldType::Integer, 0, {}},
            {QStringLiteral("Problem"), store::FieldType::Text, 255, {}}};
}

} // namespace

QString databaseFileOf(const QString& folder) {
    const QDir dir(folder);
    if (QFile::exists(dir.filePath(QStringLiteral("Quorvex.db"))))
        return dir.filePath(QStringLiteral("Quorvex.db"));
    const QStringList dbs =
        dir.entryList({QStringLiteral("*.db")}, QDir::Files, QDir::Name | QDir::IgnoreCase);
    return dbs.isEmpty() ? QString() : dir.filePath(dbs.first());
}

int TUInit(TUHandle* handle) {
    if (!handle) return TUERR_INVALIDPARAM;
    *handle = new TUSession;
    return TU_OK;
}

int TUExit(TUHandle handle) {
    if (!handle) return TUERR_INVALIDPARAM;
    delete handle;
    return TU_OK;
}

void TURegisterCallback(TUHandle handle, TUProgressCallback callback) {
    if (handle) handle->callback = std::move(callback);
}

int TUGetRebuildCounts(TUHandle handle, TURebuildCounts* counts) {
    if (!handle || !counts) return TUERR_INVALIDPARAM;
    *counts = handle->counts;
    return TU_OK;
}

QString TUErrorText(TUHandle handle) {
    return handle ? handle->lastError : QString();
}

int TUVerifyTable(TUHandle h, const QString& tablePath, const QString& driverType,
                  const QString& verifyTable, const QString&, int, int* errorLevel) {
    if (!h || !errorLevel || tablePath.trimmed().isEmpty()) return TUERR_INVALIDPARAM;
    if (!knownDriver(driverType)) return TUERR_INVALIDCODE;
    *errorLevel = 0;
    h->lastError.clear();
    report(h, TUPHASE_HEADER, 0);
    const TableLocation loc = locate(tablePath);
    Db db;
    QString name;
    const int rc = openTable(h, loc, db, &name);
    if (rc == TUERR_LOCKED) {
        *errorLevel = 2;
        return TU_OK;
    }
    if (rc != TU_OK) return rc;
    report(h, TUPHASE_HEADER, 100);

    int level = 0;
    std::vector<QVariantList> findings;
    auto raise = [&](int lvl, const QString& text) {
        level = std::max(level, lvl);
        if (findings.size() < 1000) findings.push_back({name, lvl, text.left(255)});
    };

    const CRTblDesc desc = definitionOf(db, name);
    const std::vector<store::FieldDef> stored = fileFields(db, name);
    std::vector<int> fieldOf(stored.size(), -1); // stored column -> field of the definition
    for (size_t c = 0; c < stored.size(); ++c)
        for (size_t f = 0; f < desc.fields.size(); ++f)
            if (stored[c].name.compare(desc.fields[f].name, Qt::CaseInsensitive) == 0)
                fieldOf[c] = int(f);
    for (size_t f = 0; f < desc.fields.size(); ++f) {
        const auto found = std::find(fieldOf.begin(), fieldOf.end(), int(f));
        if (found == fieldOf.end()) {
            raise(3, QStringLiteral("Field %1 is missing.").arg(desc.fields[f].name));
            continue;
        }
        const store::FieldDef& have = stored[size_t(found - fieldOf.begin())];
        if (have.type != desc.fields[f].type || have.width != desc.fields[f].width)
            raise(3, QStringLiteral("Field %1 is declared %2 instead of %3.")
                         .arg(have.name, store::columnDeclaration(have),
                              store::columnDeclaration(desc.fields[f])));
    }
    for (size_t c = 0; c < stored.size(); ++c)
        if (fieldOf[c] < 0)
            raise(3, QStringLiteral("Field %1 does not belong to the table.").arg(stored[c].name));

    report(h, TUPHASE_INDEXES, 0);
    const std::vector<TUIndexDesc> indexes = fileIndexes(db, name);
    QStringList keyFields;
    for (const TUIndexDesc& want : desc.indexes) {
        if (want.primary) keyFields = want.fields;
        bool present = false;
        for (const TUIndexDesc& have : indexes) {
            bool same = have.unique == want.unique && have.fields.size() == want.fields.size();
            for (int i = 0; same && i < want.fields.size(); ++i)
                same = have.fields[i].compare(want.fields[i], Qt::CaseInsensitive) == 0;
            present = present || same;
        }
        if (!present) raise(3, QStringLiteral("Index %1 is missing.").arg(want.name));
    }
    for (const QString& line : integrityProblems(db, name))
        raise(3, line);
    report(h, TUPHASE_INDEXES, 100);

    report(h, TUPHASE_DATA, 0);
    std::vector<int> keyColumns;
    for (const QString& k : keyFields)
        for (size_t c = 0; c < stored.size(); ++c)
            if (stored[c].name.compare(k, Qt::CaseInsensitive) == 0) keyColumns.push_back(int(c));
    QSet<QString> keys;
    qint64 repeats = 0, misfits = 0;
    const salvage::ScanResult scan = salvage::scanTable(
        db.handle(), name,
        [&](qint64 rowid, const QVariantList& values) {
            if (!keyColumns.empty()) {
                QString key;
                for (int c : keyColumns)
                    key += values[c].toString() + QChar(0x1f);
                if (keys.contains(key)) {
                    if (++repeats <= 20)
                        raise(
                            3,
                            QStringLiteral("Row %1 repeats the key of an earlier row.").arg(rowid));
                } else {
                    keys.insert(key);
                }
            }
            for (size_t c = 0; c < stored.size(); ++c) {
                if (fieldOf[c] < 0) continue;
                const QString why = misfit(desc.fields[size_t(fieldOf[c])], values[int(c)]);
                if (!why.isEmpty() && ++misfits <= 20)
                    raise(1, QStringLiteral("Row %1: %2 %3.").arg(rowid).arg(stored[c].name, why));
            }
        },
        [&](qint64 at, qint64 max) { report(h, TUPHASE_DATA, int(at * 100 / max)); });
    for (const salvage::Gap& gap : scan.gaps)
        raise(scan.rootUnreadable ? 4 : 3,
              gap.last < 0 ? QStringLiteral("Rows from %1 on cannot be read: %2")
                                 .arg(gap.first)
                                 .arg(gap.reason)
                           : QStringLiteral("Rows %1 to %2 cannot be read: %3")
                                 .arg(gap.first)
                                 .arg(gap.last)
                                 .arg(gap.reason));
    if (repeats > 20) raise(3, QStringLiteral("%1 rows repeat a key.").arg(repeats));
    if (misfits > 20) raise(1, QStringLiteral("%1 values do not fit their fields.").arg(misfits));
    report(h, TUPHASE_DATA, 100);

    if (!verifyTable.isEmpty()) {
        QString why;
        if (!writeWorkTable(workTablePath(verifyTable, loc.folder), QStringLiteral("Verify"),
                            findingFields(), findings, &why))
            h->lastError = why; // the verdict stands; only its record could not be kept
    }
    *errorLevel = level;
    return TU_OK;
}

int TUGetCRTblDescCount(TUHandle h, const QString& tablePath, TUDescCounts* counts) {
    if (!h || !counts || tablePath.trimmed().isEmpty()) return TUERR_INVALIDPARAM;
    CRTblDesc def;
    if (const int rc = describe(h, tablePath, &def); rc != TU_OK) return rc;
    *counts = def.counts;
    return TU_OK;
}

int TUFillCRTblDesc(TUHandle h, CRTblDesc* desc, const QString& tablePath, const QString&) {
    if (!h || !desc || tablePath.trimmed().isEmpty()) return TUERR_INVALIDPARAM;
    CRTblDesc def;
    if (const int rc = describe(h, tablePath, &def); rc != TU_OK) return rc;
    const QString name = def.tableName;
    // The caller sized the arrays from the counts; a table that changed since does not fit.
    if (desc->counts.fields != def.counts.fields || desc->counts.indexes != def.counts.indexes) {
        h->lastError =
            QStringLiteral("The table's structure changed while it was read: %1").arg(name);
        return TUERR_INVALIDPARAM;
    }
    desc->fields = def.fields;
    desc->indexes = def.indexes;
    return TU_OK;
}

int TUFillCURProps(TUHandle h, const QString& tablePath, CURProps* props) {
    if (!h || !props || tablePath.trimmed().isEmpty()) return TUERR_INVALIDPARAM;
    const TableLocation loc = locate(tablePath);
    Db db;
    QString name;
    if (const int rc = openTable(h, loc, db, &name); rc != TU_OK) return rc;
    const std::vector<store::FieldDef> fields = fileFields(db, name);
    CURProps p;
    p.fields = int(fields.size());
    for (const store::FieldDef& f : fields) {
        switch (f.type) {
        case store::FieldType::Text:
            p.recordSize += f.width;
            break;
        case store::FieldType::Integer:
            p.recordSize += 4;
            break;
        case store::FieldType::Number:
            p.recordSize += 8;
            break;
        case store::FieldType::Logical:
            p.recordSize += 1;
            break;
        case store::FieldType::Date:
            p.recordSize += 4;
            break;
        case store::FieldType::Memo:
            p.recordSize += 11;
            break;
        }
    }
    p.indexes = int(fileIndexes(db, name).size());
    QFile file(loc.dbFile);
    if (file.open(QIODevice::ReadOnly)) {
        const QByteArray head = file.read(100);
        const auto* b = reinterpret_cast<const uchar*>(head.constData());
        int pageSize = qFromBigEndian<quint16>(b + 16);
        p.blockSize = pageSize == 1 ? 65536 : pageSize;
        p.tableLevel = int(qFromBigEndian<quint32>(b + 44));
        p.restructureVersion = int(qFromBigEndian<quint32>(b + 40));
        const quint32 encoding = qFromBigEndian<quint32>(b + 56);
        p.codePage = encoding == 2 ? 1200 : encoding == 3 ? 1201 : 65001;
    }
    *props = p;
    return TU_OK;
}

} // namespace maintenance
