#include "SampleFolder.h"

#include "data/DataFolder.h"
#include "data/Paths.h"
#include "store/Database.h"
#include "store/StoreError.h"

#include <QFile>
#include <random>
#include <set>
#include <sqlite3.h>

namespace sample {

namespace {

struct Conn {
    explicit Conn(const QString& file) {
        if (sqlite3_open_v2(file.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr) !=
            SQLITE_OK)
            throw store::StoreError(QStringLiteral("cannot open %1").arg(file));
    }
    ~Conn() { sqlite3_close_v2(db); }
    void exec(const QString& sql) {
        char* err = nullptr;
        if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &err) != SQLITE_OK) {
            const QString why = QString::fromUtf8(err);
            sqlite3_free(err);
            throw store::StoreError(why + QStringLiteral(" in ") + sql);
        }
    }
    sqlite3* db = nullptr;
};

QString text(sqlite3_stmt* st, int i) {
    return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, i)));
}

} // namespace

void makeDataFolder(const QString& dataDir, int extraProjects) {
    data::createDataFolder(dataDir, data::shippedDataDir());
    const QString file = data::databaseFile(dataDir);
    Conn c(file);
    c.exec(QStringLiteral("BEGIN"));
    for (const char* table : {"Project", "Design", "DesignImage", "DesignMerge", "DesignCosting",
                              "ProjectFloors", "ProjectOptions", "ProjectRational"}) {
        QStringList others;
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(
            c.db, QStringLiteral("PRAGMA table_info(\"%1\")").arg(QLatin1String(table)).toUtf8(),
            -1, &st, nullptr);
        while (sqlite3_step(st) == SQLITE_ROW)
            if (text(st, 1) != QLatin1String("Project_Ref"))
                others << QLatin1Char('"') + text(st, 1) + QLatin1Char('"');
        sqlite3_finalize(st);
        for (int p = 1; p <= extraProjects; ++p)
            c.exec(
                QStringLiteral("INSERT INTO \"%1\" (Project_Ref, %2) SELECT 'P%3', %2 FROM \"%1\" "
                               "WHERE Project_Ref='SAMPLE-HOUSE'")
                    .arg(QLatin1String(table), others.join(QLatin1Char(',')))
                    .arg(p, 5, 10, QLatin1Char('0')));
    }
    c.exec(QStringLiteral("COMMIT"));
    // Everything in the main file: the tests damage that file.
    c.exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
}

std::map<QString, long long> rowCounts(const QString& dbFile) {
    std::map<QString, long long> counts;
    auto db = store::Database::open(dbFile);
    for (const QString& t : db->tableNames()) {
        store::sql::Statement st(db->connection(),
                                 QStringLiteral("SELECT count(*) FROM \"%1\"").arg(t));
        st.step();
        counts[t] = st.columnInt64(0);
    }
    return counts;
}

std::vector<Page> pagesOf(const QString& dbFile, const QString& treeName) {
    std::vector<Page> pages;
    Conn c(dbFile);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(
        c.db, "SELECT pageno, path, pagetype, ncell FROM dbstat WHERE name=?1 ORDER BY path", -1,
        &st, nullptr);
    const QByteArray name = treeName.toUtf8();
    sqlite3_bind_text(st, 1, name.constData(), -1, SQLITE_TRANSIENT);
    while (sqlite3_step(st) == SQLITE_ROW) {
        const QString type = text(st, 2);
        if (type == QLatin1String("overflow")) continue;
        pages.push_back({sqlite3_column_int64(st, 0), text(st, 1), type == QLatin1String("leaf"),
                         sqlite3_column_int64(st, 3)});
    }
    sqlite3_finalize(st);
    return pages;
}

namespace {

long long surviving(const QString& dbFile, const QString& table,
                    const std::function<bool(long long)>& gone) {
    const std::vector<Page> pages = pagesOf(dbFile, table);
    std::map<QString, long long> byPath;
    for (const Page& p : pages)
        byPath[p.path] = p.pageNo;
    long long rows = 0;
    for (const Page& p : pages) {
        if (!p.leaf) continue;
        bool reachable = !gone(p.pageNo);
        // Every ancestor's path is a prefix ending at a '/'.
        for (int i = 1; reachable && i < p.path.size() - 1; ++i)
            if (p.path[i] == QLatin1Char('/')) reachable = !gone(byPath[p.path.left(i + 1)]);
        if (p.path != QLatin1String("/"))
            reachable = reachable && !gone(byPath[QStringLiteral("/")]);
        if (reachable) rows += p.cells;
    }
    return rows;
}

} // namespace

long long rowsSurviving(const QString& dbFile, const QString& table,
                        const std::vector<long long>& lost) {
    const std::set<long long> gone(lost.begin(), lost.end());
    return surviving(dbFile, table, [&](long long p) { return gone.count(p) > 0; });
}

long long rowsSurvivingTruncation(const QString& dbFile, const QString& table,
                                  long long keptPages) {
    return surviving(dbFile, table, [&](long long p) { return p > keptPages; });
}

void exec(const QString& dbFile, const QString& sql) {
    Conn(dbFile).exec(sql);
}

std::vector<QString> rowTexts(const QString& dbFile, const QString& table) {
    Conn c(dbFile);
    std::vector<QString> rows;
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(c.db,
                       QStringLiteral("SELECT * FROM \"%1\" ORDER BY rowid").arg(table).toUtf8(),
                       -1, &st, nullptr);
    while (sqlite3_step(st) == SQLITE_ROW) {
        QStringList cols;
        for (int i = 0; i < sqlite3_column_count(st); ++i)
            cols << (sqlite3_column_type(st, i) == SQLITE_NULL ? QStringLiteral("<null>")
                                                               : text(st, i));
        rows.push_back(cols.join(QLatin1Char('|')));
    }
    sqlite3_finalize(st);
    return rows;
}

Expected expectedRows(const QString& dbFile, const QString& table,
                      const std::function<bool(long long)>& lost) {
    // Leaves in path order hold the rows in row-id order; an overflow page's
    // path is its leaf's path, the cell's number and "+" the page's number.
    const std::vector<QString> rows = rowTexts(dbFile, table);
    std::map<QString, long long> firstRank;
    long long rank = 0;
    std::set<long long> lostRanks, cutRanks;
    for (const Page& p : pagesOf(dbFile, table)) {
        if (!p.leaf) continue;
        firstRank[p.path] = rank;
        if (lost(p.pageNo))
            for (long long i = 0; i < p.cells; ++i)
                lostRanks.insert(rank + i);
        rank += p.cells;
    }
    Conn c(dbFile);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(c.db,
                       "SELECT pageno, path FROM dbstat WHERE name=?1 AND pagetype='overflow'", -1,
                       &st, nullptr);
    const QByteArray name = table.toUtf8();
    sqlite3_bind_text(st, 1, name.constData(), -1, SQLITE_TRANSIENT);
    while (sqlite3_step(st) == SQLITE_ROW) {
        if (!lost(sqlite3_column_int64(st, 0))) continue;
        const QString path = text(st, 1);
        const int slash = int(path.lastIndexOf(QLatin1Char('/')));
        const long long cell =
            path.mid(slash + 1, path.indexOf(QLatin1Char('+')) - slash - 1).toLongLong(nullptr, 16);
        cutRanks.insert(firstRank[path.left(slash + 1)] + cell);
    }
    sqlite3_finalize(st);
    Expected e;
    for (long long r = 0; r < static_cast<long long>(rows.size()); ++r) {
        if (lostRanks.count(r))
            ++e.onLostPages;
        else if (cutRanks.count(r))
            e.cutOff.push_back(rows[size_t(r)]);
        else
            e.onIntactPages.push_back(rows[size_t(r)]);
    }
    return e;
}

std::vector<long long> overflowPagesOf(const QString& dbFile, const QString& table) {
    Conn c(dbFile);
    std::vector<long long> pages;
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(
        c.db, "SELECT pageno FROM dbstat WHERE name=?1 AND pagetype='overflow' ORDER BY path", -1,
        &st, nullptr);
    const QByteArray name = table.toUtf8();
    sqlite3_bind_text(st, 1, name.constData(), -1, SQLITE_TRANSIENT);
    while (sqlite3_step(st) == SQLITE_ROW)
        pages.push_back(sqlite3_column_int64(st, 0));
    sqlite3_finalize(st);
    return pages;
}

int pageSize(const QString& dbFile) {
    Conn c(dbFile);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(c.db, "PRAGMA page_size", -1, &st, nullptr);
    sqlite3_step(st);
    const int size = sqlite3_column_int(st, 0);
    sqlite3_finalize(st);
    return size;
}

void overwriteBytes(const QString& dbFile, long long offset, int count, unsigned seed) {
    std::mt19937 gen(seed);
    QByteArray junk(count, '\0');
    for (char& ch : junk)
        ch = char(gen() & 0xff);
    QFile f(dbFile);
    if (!f.open(QIODevice::ReadWrite) || !f.seek(offset) || f.write(junk) != count)
        throw store::StoreError(QStringLiteral("cannot damage %1").arg(dbFile));
}

void overwritePage(const QString& dbFile, long long pageNo, unsigned seed) {
    const int size = pageSize(dbFile);
    overwriteBytes(dbFile, (pageNo - 1) * size, size, seed);
}

void truncateFile(const QString& dbFile, long long size) {
    if (!QFile::resize(dbFile, size))
        throw store::StoreError(QStringLiteral("cannot truncate %1").arg(dbFile));
}

} // namespace sample
