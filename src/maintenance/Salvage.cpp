#include "Salvage.h"

#include <QFile>
#include <QSet>
#include <QtEndian>
#include <cstring>
#include <limits>
#include <sqlite3.h>

namespace maintenance::salvage {

namespace {

QString quoted(const QString& name) {
    QString q = name;
    q.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

QVariant columnValue(sqlite3_stmt* st, int i) {
    switch (sqlite3_column_type(st, i)) {
    case SQLITE_NULL:
        return {};
    case SQLITE_INTEGER:
        return QVariant::fromValue<qint64>(sqlite3_column_int64(st, i));
    case SQLITE_FLOAT:
        return sqlite3_column_double(st, i);
    case SQLITE_BLOB:
        return QByteArray(static_cast<const char*>(sqlite3_column_blob(st, i)),
                          sqlite3_column_bytes(st, i));
    default:
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, i)),
                                 sqlite3_column_bytes(st, i));
    }
}

class Stmt {
public:
    Stmt(sqlite3* db, const QString& text) {
        const QByteArray utf8 = text.toUtf8();
        rc = sqlite3_prepare_v2(db, utf8.constData(), int(utf8.size()), &st, nullptr);
    }
    ~Stmt() { sqlite3_finalize(st); }
    sqlite3_stmt* st = nullptr;
    int rc = SQLITE_OK;
};

// Outcome of seeking the first row at or after a row id.
enum class Seek { Row, End, Damaged };

Seek seekFrom(sqlite3_stmt* probe, qint64 rowid, qint64* found) {
    sqlite3_reset(probe);
    sqlite3_bind_int64(probe, 1, rowid);
    const int rc = sqlite3_step(probe);
    if (rc == SQLITE_ROW) {
        *found = sqlite3_column_int64(probe, 0);
        return Seek::Row;
    }
    return rc == SQLITE_DONE ? Seek::End : Seek::Damaged;
}

bool plausibleBtreePage(const uchar* p, int pageSize, int headerOffset) {
    const uchar type = p[headerOffset];
    if (type != 2 && type != 5 && type != 10 && type != 13) return false;
    const int cells = qFromBigEndian<quint16>(p + headerOffset + 3);
    int content = qFromBigEndian<quint16>(p + headerOffset + 5);
    if (content == 0) content = 65536;
    const int headerSize = (type == 2 || type == 5) ? 12 : 8;
    return content <= pageSize && content >= headerOffset + headerSize + 2 * cells &&
           cells <= (pageSize - headerOffset - headerSize) / 2;
}

} // namespace

ScanResult scanTable(sqlite3* db, const QString& table,
                     const std::function<void(qint64, const QVariantList&)>& visit,
                     const std::function<void(qint64, qint64)>& progress) {
    ScanResult result;
    const QString name = quoted(table);
    qint64 maxRowid = 0;
    {
        Stmt m(db, QStringLiteral("SELECT max(rowid) FROM %1").arg(name));
        if (m.rc == SQLITE_OK && sqlite3_step(m.st) == SQLITE_ROW)
            maxRowid = sqlite3_column_int64(m.st, 0);
    }
    Stmt scan(db,
              QStringLiteral("SELECT rowid, * FROM %1 WHERE rowid >= ?1 ORDER BY rowid").arg(name));
    Stmt probe(
        db,
        QStringLiteral("SELECT rowid FROM %1 WHERE rowid >= ?1 ORDER BY rowid LIMIT 1").arg(name));
    if (scan.rc != SQLITE_OK || probe.rc != SQLITE_OK) {
        result.rootUnreadable = true;
        result.gaps.push_back(
            {std::numeric_limits<qint64>::min(), -1, QString::fromUtf8(sqlite3_errmsg(db))});
        return result;
    }
    const int columns = sqlite3_column_count(scan.st) - 1;
    constexpr qint64 highest = std::numeric_limits<qint64>::max();
    qint64 from = std::numeric_limits<qint64>::min();
    qint64 lastGood = 0;
    bool anyGood = false;
    int lastPercent = -1;
    QVariantList values;
    for (;;) {
        sqlite3_reset(scan.st);
        sqlite3_bind_int64(scan.st, 1, from);
        int rc;
        qint64 roundRows = 0;
        while ((rc = sqlite3_step(scan.st)) == SQLITE_ROW) {
            const qint64 rowid = sqlite3_column_int64(scan.st, 0);
            values.clear();
            for (int i = 0; i < columns; ++i)
                values << columnValue(scan.st, i + 1);
            visit(rowid, values);
            ++result.rowsRead;
            ++roundRows;
            lastGood = rowid;
            anyGood = true;
            if (progress && maxRowid > 0) {
                const int percent = int(qBound<qint64>(0, rowid * 100 / maxRowid, qint64(100)));
                if (percent != lastPercent) {
                    progress(rowid, maxRowid);
                    lastPercent = percent;
                }
            }
        }
        if (rc == SQLITE_DONE) break;
        const QString why = QString::fromUtf8(sqlite3_errmsg(db));
        // Row ids are handed out from 1 up. `lo` is known unreadable; find
        // the smallest row id above it whose seek succeeds.
        qint64 lo = roundRows > 0 ? lastGood : std::max<qint64>(from, 0);
        const qint64 gapFirst = roundRows > 0 ? lastGood + 1 : std::max<qint64>(from, 1);
        qint64 hi = 0;
        qint64 found = 0;
        Seek at = Seek::Damaged;
        for (qint64 step = 1; lo <= highest - step;
             step = step > highest / 2 ? highest - lo : step * 2) {
            const qint64 y = lo + step;
            at = seekFrom(probe.st, y, &found);
            if (at != Seek::Damaged) {
                hi = y;
                break;
            }
            lo = y;
            if (lo == highest) break;
        }
        if (at == Seek::Damaged) {
            result.gaps.push_back({gapFirst, -1, why});
            break;
        }
        while (hi - lo > 1) {
            const qint64 mid = lo + (hi - lo) / 2;
            qint64 f = 0;
            const Seek s = seekFrom(probe.st, mid, &f);
            if (s == Seek::Damaged) {
                lo = mid;
            } else {
                hi = mid;
                at = s;
                found = f;
            }
        }
        result.gaps.push_back({gapFirst, at == Seek::Row ? found - 1 : -1, why});
        if (at == Seek::End) break;
        from = found;
    }
    sqlite3_reset(scan.st);
    sqlite3_reset(probe.st);
    result.rootUnreadable = !anyGood && !result.gaps.empty();
    if (progress && maxRowid > 0) progress(maxRowid, maxRowid);
    return result;
}

bool headerIsSound(const QByteArray& header, qint64 fileSize) {
    if (header.size() < 100 || fileSize < 512) return false;
    if (!header.startsWith(QByteArray("SQLite format 3\0", 16))) return false;
    const auto* h = reinterpret_cast<const uchar*>(header.constData());
    int pageSize = qFromBigEndian<quint16>(h + 16);
    if (pageSize == 1) pageSize = 65536;
    if (pageSize < 512 || (pageSize & (pageSize - 1)) != 0) return false;
    if (h[18] < 1 || h[18] > 2 || h[19] < 1 || h[19] > 2) return false;
    if (h[21] != 64 || h[22] != 32 || h[23] != 32) return false;
    const quint32 encoding = qFromBigEndian<quint32>(h + 56);
    if (encoding > 3) return false;
    // A header that claims more pages than the file holds: the file lost its end.
    const bool sizeValid = memcmp(h + 24, h + 92, 4) == 0;
    const qint64 pagesInFile = (fileSize + pageSize - 1) / pageSize;
    return !(sizeValid && qint64(qFromBigEndian<quint32>(h + 28)) > pagesInFile);
}

int guessPageSize(const QByteArray& head, qint64 fileSize) {
    const auto* data = reinterpret_cast<const uchar*>(head.constData());
    int best = 4096;
    int bestScore = -1;
    for (int size = 512; size <= 65536; size *= 2) {
        if (head.size() < size) break;
        int score = plausibleBtreePage(data, size, 100) ? 4 : 0;
        const qint64 pages = std::min<qint64>(fileSize / size, head.size() / size);
        for (qint64 page = 1; page < std::min<qint64>(pages, 64); ++page)
            if (plausibleBtreePage(data + page * size, size, 0)) ++score;
        if (fileSize % size == 0) ++score;
        if (score > bestScore || (score == bestScore && size == 4096))
            best = size, bestScore = score;
    }
    return best;
}

bool repairHeader(const QString& file, QString* error) {
    QFile f(file);
    if (!f.open(QIODevice::ReadWrite)) {
        *error = f.errorString();
        return false;
    }
    qint64 size = f.size();
    const QByteArray head = f.read(64 * 65536);
    // A header whose only fault is the page count keeps its other settings.
    QByteArray kept = head.left(100);
    auto* k = reinterpret_cast<uchar*>(kept.data());
    int keptPageSize = kept.size() == 100 ? qFromBigEndian<quint16>(k + 16) : 0;
    if (keptPageSize == 1) keptPageSize = 65536;
    if (kept.size() == 100 && kept.startsWith(QByteArray("SQLite format 3\0", 16)) &&
        keptPageSize >= 512 && (keptPageSize & (keptPageSize - 1)) == 0 &&
        salvage::headerIsSound(kept, qint64(qFromBigEndian<quint32>(k + 28)) * keptPageSize)) {
        // The lost pages come back as zeros: unreadable, so no page number a
        // damaged table still points to is handed to another table.
        const qint64 claimed = qint64(qFromBigEndian<quint32>(k + 28)) * keptPageSize;
        if (claimed > size && !f.resize(claimed)) {
            *error = f.errorString();
            return false;
        }
        qToBigEndian<quint32>(0, k + 32); // the free-page list may have been cut off
        qToBigEndian<quint32>(0, k + 36);
        if (!f.seek(0) || f.write(kept) != 100 || !f.flush()) {
            *error = f.errorString();
            return false;
        }
        return true;
    }
    const int pageSize = guessPageSize(head, size);
    if (size < pageSize ||
        !plausibleBtreePage(reinterpret_cast<const uchar*>(head.constData()), pageSize, 100)) {
        *error = QStringLiteral("The first page of the file holds no table list.");
        return false;
    }
    QByteArray h(100, '\0');
    auto* p = reinterpret_cast<uchar*>(h.data());
    memcpy(p, "SQLite format 3\0", 16);
    qToBigEndian<quint16>(pageSize == 65536 ? 1 : quint16(pageSize), p + 16);
    const bool wal = QFile::exists(file + QStringLiteral("-wal"));
    p[18] = p[19] = wal ? 2 : 1;
    p[20] = 0;
    p[21] = 64, p[22] = 32, p[23] = 32;
    qToBigEndian<quint32>(1, p + 24);                        // change counter
    qToBigEndian<quint32>(quint32(size / pageSize), p + 28); // pages in the file
    qToBigEndian<quint32>(1, p + 40);                        // schema cookie
    qToBigEndian<quint32>(4, p + 44);                        // schema format
    qToBigEndian<quint32>(1, p + 56);                        // UTF-8
    qToBigEndian<quint32>(1, p + 92);                        // version-valid-for
    qToBigEndian<quint32>(quint32(SQLITE_VERSION_NUMBER), p + 96);
    if (!f.seek(0) || f.write(h) != 100 || !f.flush()) {
        *error = f.errorString();
        return false;
    }
    f.close();
    return true;
}

bool freeListSound(const QString& file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) return false;
    const QByteArray head = f.read(100);
    if (head.size() < 100) return false;
    const auto* h = reinterpret_cast<const uchar*>(head.constData());
    const qint64 pageSize = qFromBigEndian<quint16>(h + 16) == 1 ? 65536
                                                                  : qFromBigEndian<quint16>(h + 16);
    const qint64 usable = pageSize - h[20];
    if (pageSize < 512 || usable < 480) return false;
    const qint64 pages = f.size() / pageSize;
    const qint64 expected = qFromBigEndian<quint32>(h + 36);
    QSet<qint64> seen;
    for (qint64 trunk = qFromBigEndian<quint32>(h + 32); trunk != 0;) {
        if (trunk < 2 || trunk > pages || seen.contains(trunk) || !f.seek((trunk - 1) * pageSize))
            return false;
        seen.insert(trunk);
        const QByteArray page = f.read(pageSize);
        if (page.size() != pageSize) return false;
        const auto* p = reinterpret_cast<const uchar*>(page.constData());
        const qint64 count = qFromBigEndian<quint32>(p + 4);
        if (count > usable / 4 - 2) return false;
        for (qint64 i = 0; i < count; ++i) {
            const qint64 leaf = qFromBigEndian<quint32>(p + 8 + 4 * i);
            if (leaf < 2 || leaf > pages || seen.contains(leaf)) return false;
            seen.insert(leaf);
        }
        if (seen.size() > expected) return false;
        trunk = qFromBigEndian<quint32>(p);
    }
    return seen.size() == expected;
}

bool dropFreeList(const QString& file, QString* error) {
    QFile f(file);
    QByteArray zero(8, '\0');
    if (!f.open(QIODevice::ReadWrite) || !f.seek(32) || f.write(zero) != 8 || !f.flush()) {
        *error = f.errorString();
        return false;
    }
    return true;
}

} // namespace maintenance::salvage
