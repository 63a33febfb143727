#include "Procedures.h"

#include "Engine.h"
#include "store/Schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <sqlite3.h>

namespace maintenance {

TBDEUtil::TBDEUtil() {
    if (const int rc = TUInit(&handle_); rc != TU_OK) raise(rc);
}

TBDEUtil::~TBDEUtil() {
    if (handle_) TUExit(handle_);
}

void TBDEUtil::reopen() {
    if (handle_) {
        const int rc = TUExit(handle_);
        handle_ = nullptr;
        if (rc != TU_OK) raise(rc);
    }
    if (const int rc = TUInit(&handle_); rc != TU_OK) raise(rc);
    if (callback_) TURegisterCallback(handle_, callback_);
}

bool TBDEUtil::GetTCursorProps(const QString& tablePath, CURProps* props) {
    return TUFillCURProps(handle_, tablePath, props) == TU_OK;
}

void TBDEUtil::RegisterCallBack(TUProgressCallback callback) {
    callback_ = std::move(callback);
    TURegisterCallback(handle_, callback_);
}

void TBDEUtil::UnRegisterCallBack() {
    callback_ = nullptr;
    TURegisterCallback(handle_, nullptr);
}

void TBDEUtil::raise(int result) const {
    QString text;
    switch (result) {
    case TUERR_HEADERCORRUPT:
        text = QStringLiteral("File header is corrupt.");
        break;
    case TUERR_INVALIDPARAM:
        text = QStringLiteral("Invalid parameter.");
        break;
    case TUERR_NOSUCHTABLE:
        text = QStringLiteral("Table does not exist.");
        break;
    case TUERR_INVALIDCODE:
        text = QStringLiteral("Invalid table type.");
        break;
    case TUERR_LOCKED:
        text = QStringLiteral("Table is busy: another program is using it.");
        break;
    default:
        text = QStringLiteral("The table could not be rebuilt.");
        break;
    }
    const QString detail = TUErrorText(handle_);
    throw EngineError(result, detail.isEmpty() ? text : text + QLatin1Char('\n') + detail);
}

QString verifyVerdict(int result, int errorLevel) {
    switch (result) {
    case TU_OK:
        switch (errorLevel) {
        case 0:
            return kVerifyOk;
        case 1:
            return QStringLiteral("Complete. Errors found.");
        case 2:
            return QStringLiteral("Unable to complete verification.");
        case 3:
            return QStringLiteral("Errors Found.  Table needs to be rebuilt.");
        case 4:
            return QStringLiteral("Errors Found.  Reconstruction may not be possible.");
        default:
            return QStringLiteral("Unable to Verify Table!");
        }
    case TUERR_HEADERCORRUPT:
        return QStringLiteral("File header is corrupt.");
    case TUERR_INVALIDPARAM:
        return QStringLiteral("Invalid Parameter (NULL).");
    case TUERR_NOSUCHTABLE:
        return QStringLiteral("Error accessing table.  Table does not exists.");
    case TUERR_INVALIDCODE:
        return QStringLiteral("Error accessing table.  Invalid code.");
    default:
        return QStringLiteral("Unable to Verify Table!");
    }
}

WorkTables workTablesIn(const QString& workFolder) {
    const QDir dir(workFolder);
    WorkTables w;
    w.verify = dir.filePath(QStringLiteral("VERIFY.DB"));
    w.backup = dir.filePath(QStringLiteral("Backup.Db"));
    w.keyViol = dir.filePath(QStringLiteral("KEYVIOL.DB"));
    w.problem = dir.filePath(QStringLiteral("PROBLEM.DB"));
    return w;
}

WorkTables dataFolderWorkTables() {
    return {QStringLiteral("VERIFY.DB"), QStringLiteral("Backup.db"), QStringLiteral("KEYVIOL.DB"),
            QStringLiteral("PROBLEM.DB"), QStringLiteral("Rebuild.DB")};
}

QString verifyTable(TBDEUtil& util, const QString& tablePath, const QString& verifyTablePath) {
    int level = 0;
    const int rc = TUVerifyTable(util.handle(), tablePath, QStringLiteral("PARADOX"),
                                 verifyTablePath, QString(), 0, &level);
    return verifyVerdict(rc, level);
}

RebuildOutcome rebuildTable(TBDEUtil& util, const QString& tablePath, const WorkTables& work,
                            TURebuildCounts* counts) {
    if (counts) *counts = {};
    int level = 0;
    if (const int rc = TUVerifyTable(util.handle(), tablePath, QStringLiteral("PARADOX"),
                                     work.verify, QString(), 0, &level);
        rc != TU_OK && rc != TUERR_HEADERCORRUPT)
        util.raise(rc); // a damaged header is what the rebuild mends first
    TUDescCounts descCounts;
    if (TUGetCRTblDescCount(util.handle(), tablePath, &descCounts) != TU_OK)
        return RebuildOutcome::NoDescriptor;
    CRTblDesc desc;
    desc.tableName = QFileInfo(tablePath).fileName();
    desc.driverType = QStringLiteral("PARADOX");
    desc.errorTable = work.error;
    desc.counts = descCounts;
    desc.fields.resize(size_t(descCounts.fields));
    desc.indexes.resize(size_t(descCounts.indexes));
    if (TUFillCRTblDesc(util.handle(), &desc, tablePath, QString()) != TU_OK)
        return RebuildOutcome::FillFailed;
    const int rc = TURebuildTable(util.handle(), tablePath, QStringLiteral("PARADOX"), work.backup,
                                  work.keyViol, work.problem, &desc);
    if (rc != TU_OK) return RebuildOutcome::Unsuccessful;
    TURebuildCounts done;
    TUGetRebuildCounts(util.handle(), &done);
    if (counts) *counts = done;
    return done.lost == 0 ? RebuildOutcome::Complete : RebuildOutcome::Lossy;
}

QString rebuildStatus(RebuildOutcome outcome, const TURebuildCounts& counts) {
    switch (outcome) {
    case RebuildOutcome::Complete:
        return QStringLiteral("Rebuild complete.");
    case RebuildOutcome::Lossy: {
        const QString pages =
            counts.unreadablePages == 1
                ? QStringLiteral("1 unreadable page")
                : QStringLiteral("%1 unreadable pages").arg(counts.unreadablePages);
        if (counts.lost < 0) return QStringLiteral("Rebuilt: rows on %1 lost").arg(pages);
        return QStringLiteral("Rebuilt: %1 %2 on %3 lost")
            .arg(counts.lost)
            .arg(counts.lost == 1 ? QStringLiteral("row") : QStringLiteral("rows"), pages);
    }
    case RebuildOutcome::Unsuccessful:
        return QStringLiteral("Rebuild unsuccessful.");
    default:
        return QStringLiteral("Unable to Rebuild Table!");
    }
}

QString countsText(const TURebuildCounts& c) {
    return QStringLiteral("found %1, kept %2, KEYVIOL %3, PROBLEM %4, unreadable pages %5")
        .arg(c.found)
        .arg(c.kept)
        .arg(c.keyViolations)
        .arg(c.problems)
        .arg(c.unreadablePages);
}

WorkTables runWorkTables(const QString& parent, const QDateTime& now) {
    const QDir dir(parent);
    const QString base =
        QStringLiteral("Rebuild-") + now.toString(QStringLiteral("yyyy-MM-dd-HH-mm-ss"));
    QString name = base;
    // mkdir fails on a folder that is there: two runs never share one.
    for (int n = 2; !dir.mkdir(name); ++n) {
        if (n > 99 || !dir.exists()) return {QString(), QString(), QString(), QString(), QString()};
        name = base + QStringLiteral("-%1").arg(n);
    }
    WorkTables w = workTablesIn(dir.filePath(name));
    w.error = QDir(dir.filePath(name)).filePath(QStringLiteral("Rebuild.DB"));
    return w;
}

QString keptInText(const QString& folder) {
    return QStringLiteral("Rows moved aside, unreadable pages and the original rows are kept in ") +
           QDir::toNativeSeparators(folder);
}

QString tidyRunFolder(const WorkTables& work) {
    const QString folder = QFileInfo(work.backup).absolutePath();
    const bool moved = QFileInfo::exists(work.keyViol) || QFileInfo::exists(work.problem) ||
                       QFileInfo::exists(work.error);
    if (!moved) {
        QFile::remove(work.backup);
        QFile::remove(work.verify);
    }
    if (QDir(folder).isEmpty()) {
        QDir().rmdir(folder);
        return {};
    }
    return folder;
}

QStringList tableNamesOf(const QString& folder) {
    QStringList names;
    const QString file = databaseFileOf(folder);
    engine::Db db;
    if (!file.isEmpty() && engine::fileHeaderSound(file) && db.open(file) == SQLITE_OK) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(
                db.handle(),
                "SELECT name FROM sqlite_master WHERE type='table' AND name NOT LIKE 'sqlite\\_%' "
                "ESCAPE '\\' AND name NOT LIKE '%\\_\\_rebuild' ESCAPE '\\'",
                -1, &st, nullptr) == SQLITE_OK) {
            while (sqlite3_step(st) == SQLITE_ROW)
                names << QString::fromUtf8(
                    reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
        }
        sqlite3_finalize(st);
    }
    if (names.isEmpty() && !file.isEmpty())
        for (const store::TableDef& def : store::schema::tables())
            names << def.name;
    names.sort(Qt::CaseInsensitive);
    return names;
}

bool DeleteLockFiles(const QString& folder) {
    const QDir dir(folder);
    for (const QString& name :
         dir.entryList({QStringLiteral("*dox*.lck")}, QDir::Files | QDir::Hidden)) {
        // SQLite keeps committed rows in its write-ahead file and a rollback
        // journal until they are safe: such a file is never a stale lock.
        static const char* const kept[] = {"-wal", "-shm", "-journal", ".db", ".db-wal"};
        bool ownFile = false;
        for (const char* suffix : kept)
            ownFile = ownFile || name.endsWith(QLatin1String(suffix), Qt::CaseInsensitive);
        QFile f(dir.filePath(name));
        if (!ownFile && f.open(QIODevice::ReadOnly))
            ownFile = f.read(16).startsWith("SQLite format 3");
        f.close();
        if (ownFile) continue;
        if (!QFile::remove(dir.filePath(name))) return false;
    }
    return true;
}

void DeleteWorkTables(const QString& dataFolder) {
    const QDir dir(dataFolder);
    const QStringList entries = dir.entryList(QDir::Files);
    for (const char* work :
         {"Verify.db", "Rebuild.db", "Backup.db", "Backup.px", "KeyViol.db", "Problem.db"}) {
        // The service may have written the name in other letter case.
        for (const QString& entry : entries)
            if (entry.compare(QLatin1String(work), Qt::CaseInsensitive) == 0)
                QFile::remove(dir.filePath(entry));
    }
}

QString heldTable(const QString& folder, const QStringList& tables) {
    const QString file = databaseFileOf(folder);
    if (file.isEmpty() || tables.isEmpty()) return {};
    sqlite3* db = nullptr;
    bool held = false;
    if (sqlite3_open_v2(file.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr) ==
        SQLITE_OK) {
        sqlite3_busy_timeout(db, 1000);
        // In exclusive locking mode the write lock stays until the connection
        // closes, and it cannot be had while any other connection is open.
        sqlite3_exec(db, "PRAGMA locking_mode=EXCLUSIVE", nullptr, nullptr, nullptr);
        const int rc = sqlite3_exec(db, "BEGIN EXCLUSIVE; COMMIT", nullptr, nullptr, nullptr);
        held =
            rc == SQLITE_BUSY || rc == SQLITE_LOCKED || (sqlite3_errcode(db) & 0xff) == SQLITE_BUSY;
    } else {
        held = (sqlite3_errcode(db) & 0xff) == SQLITE_BUSY;
    }
    sqlite3_close_v2(db);
    return held ? tables.first() : QString();
}

QString archiveName(const QString& dataPath, const QDateTime& now,
                    const std::function<bool(const QString&)>& exists) {
    QString folder = QDir::cleanPath(QDir::fromNativeSeparators(dataPath));
    while (folder.endsWith(QLatin1Char('/')) && folder.size() > 1)
        folder.chop(1);
    const QFileInfo info(folder);
    const QString base = QDir(info.path()).filePath(info.fileName()) + QLatin1Char('-') +
                         now.date().toString(QStringLiteral("yyyy-MM-dd"));
    QString name = base + QStringLiteral(".zip");
    if (!exists(name)) return name;
    const QString withTime = base + QLatin1Char('-') + now.time().toString(QStringLiteral("HH-mm"));
    name = withTime + QStringLiteral(".zip");
    if (!exists(name)) return name;
    return withTime + QLatin1Char('-') + now.time().toString(QStringLiteral("ss")) +
           QStringLiteral(".zip");
}

QString sanitizedLoginName(const QString& loginName) {
    if (loginName.isEmpty()) return QStringLiteral("Unknown");
    QString out;
    for (const QChar c : loginName) {
        if (c == QLatin1Char(' '))
            out += QLatin1Char('_');
        else if (c.isLetterOrNumber() && c.unicode() < 128)
            out += c;
        else
            out += QLatin1Char('0');
    }
    return out;
}

QString workFolderFor(const QString& tempPath, const QString& loginName) {
    return QDir(tempPath).filePath(sanitizedLoginName(loginName) + QStringLiteral("/dbRebuild/"));
}

qint64 hourlyAccessCode(const QDateTime& now) {
    const qint64 stamp = now.date().year() * 1000000LL + now.date().month() * 10000 +
                         now.date().day() * 100 + now.time().hour();
    return (stamp * 7919 + 104729) % 1000000;
}

bool accessCodeAccepted(const QString& typed, const QDateTime& now) {
    bool ok = false;
    const qint64 code = typed.trimmed().toLongLong(&ok);
    if (!ok) return false;
    constexpr qint64 kMasterCode = 731460295;
    return code == kMasterCode || code == hourlyAccessCode(now);
}

QString serverGuardsItsTables(const QString& server) {
    return QStringLiteral("The tables are kept on the server %1, which guards them itself (write-ahead "
                          "log, crash recovery): there is nothing to verify or rebuild here. Back the "
                          "server up with pg_dump.")
        .arg(server);
}

} // namespace maintenance
