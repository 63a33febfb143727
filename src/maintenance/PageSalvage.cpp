#include "PageSalvage.h"

#include <QFile>
#include <QStringDecoder>
#include <QtEndian>
#include <algorithm>
#include <limits>
#include <map>
#include <set>

// The file is read as the database file format documents it: pages of a
// fixed size, b-tree pages with a header and cell pointers, cells of varints
// and records, long payloads continued on chains of overflow pages. Nothing
// read is trusted: every offset, count and page number is checked against
// the page and the file before use.
namespace maintenance::salvage {

namespace {

constexpr uchar kTableInterior = 5;
constexpr uchar kTableLeaf = 13;

struct File {
    const uchar* data = nullptr;
    qint64 size = 0;
    int pageSize = 0;
    int usable = 0;
    qint64 pages = 0;

    bool valid(qint64 n) const { return n >= 1 && n <= pages; }
    const uchar* page(qint64 n) const { return data + (n - 1) * pageSize; }
    static int headerOffset(qint64 n) { return n == 1 ? 100 : 0; }
};

quint16 be16(const uchar* p) {
    return qFromBigEndian<quint16>(p);
}
quint32 be32(const uchar* p) {
    return qFromBigEndian<quint32>(p);
}

bool varint(const uchar* p, const uchar* end, quint64* v, int* len) {
    quint64 x = 0;
    for (int i = 0; i < 9; ++i) {
        if (p + i >= end) return false;
        if (i == 8) {
            *v = (x << 8) | p[i];
            *len = 9;
            return true;
        }
        x = (x << 7) | (p[i] & 0x7f);
        if (!(p[i] & 0x80)) {
            *v = x;
            *len = i + 1;
            return true;
        }
    }
    return false;
}

qint64 serialSize(quint64 t) {
    static const int fixed[] = {0, 1, 2, 3, 4, 6, 8, 8, 0, 0, -1, -1};
    if (t < 12) return fixed[t];
    return qint64((t - 12) / 2);
}

// Decodes a record of which the first `avail` of `total` bytes are at hand.
// False when the bytes are not a record. `cut` counts the values that lie
// (partly) beyond `avail`; they come back empty.
bool decodeRecord(const uchar* p, qint64 avail, qint64 total, QVariantList* out, int* cut) {
    out->clear();
    *cut = 0;
    quint64 headerSize = 0;
    int len = 0;
    if (!varint(p, p + avail, &headerSize, &len) || headerSize < quint64(len) ||
        qint64(headerSize) > total || qint64(headerSize) > avail)
        return false;
    std::vector<quint64> types;
    for (qint64 at = len; at < qint64(headerSize);) {
        quint64 t = 0;
        int n = 0;
        if (!varint(p + at, p + headerSize, &t, &n) || t == 10 || t == 11) return false;
        types.push_back(t);
        at += n;
    }
    qint64 body = qint64(headerSize);
    for (quint64 t : types)
        body += serialSize(t);
    if (body != total || types.empty()) return false;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    qint64 at = qint64(headerSize);
    for (quint64 t : types) {
        const qint64 size = serialSize(t);
        if (at + size > avail) {
            out->append(QVariant());
            ++*cut;
            at += size;
            continue;
        }
        const uchar* v = p + at;
        if (t == 0) {
            out->append(QVariant());
        } else if (t <= 6) {
            qint64 x = qint8(v[0]);
            for (qint64 i = 1; i < size; ++i)
                x = qint64(quint64(x) << 8) | v[i];
            out->append(QVariant::fromValue<qint64>(x));
        } else if (t == 7) {
            const quint64 bits = qFromBigEndian<quint64>(v);
            double d;
            memcpy(&d, &bits, sizeof d);
            out->append(d);
        } else if (t == 8 || t == 9) {
            out->append(QVariant::fromValue<qint64>(t == 9 ? 1 : 0));
        } else if (t % 2 == 0) {
            out->append(QByteArray(reinterpret_cast<const char*>(v), int(size)));
        } else {
            const QString s = utf8(QByteArrayView(v, size));
            if (utf8.hasError()) return false; // a text that is no text: damaged bytes
            out->append(s);
        }
        at += size;
    }
    return true;
}

struct Cell {
    qint64 rowid = 0;
    qint64 payload = 0;
    int start = 0;
    int local = 0; // offset of the payload's first byte
    int localSize = 0;
    int end = 0;
    quint32 overflow = 0;
};

// The cells of a table leaf page; false when the page is not one or any cell
// pointer, cell or row-id order is unsound.
bool readLeafCells(const File& f, qint64 pgno, std::vector<Cell>* cells) {
    cells->clear();
    const uchar* pg = f.page(pgno);
    const int hdr = File::headerOffset(pgno);
    if (pg[hdr] != kTableLeaf) return false;
    const int n = be16(pg + hdr + 3);
    const int pointersEnd = hdr + 8 + 2 * n;
    if (pointersEnd > f.usable) return false;
    const int U = f.usable;
    const int X = U - 35;
    const int M = ((U - 12) * 32 / 255) - 23;
    for (int i = 0; i < n; ++i) {
        Cell c;
        c.start = be16(pg + hdr + 8 + 2 * i);
        if (c.start < pointersEnd || c.start >= U) return false;
        quint64 payload = 0, rowid = 0;
        int n1 = 0, n2 = 0;
        if (!varint(pg + c.start, pg + U, &payload, &n1) ||
            !varint(pg + c.start + n1, pg + U, &rowid, &n2) || payload == 0 ||
            payload > quint64(f.size))
            return false;
        c.payload = qint64(payload);
        c.rowid = qint64(rowid);
        c.local = c.start + n1 + n2;
        qint64 local = c.payload;
        if (c.payload > X) {
            const qint64 K = M + (c.payload - M) % (U - 4);
            local = K <= X ? K : M;
        }
        c.localSize = int(local);
        c.end = c.local + c.localSize + (local < c.payload ? 4 : 0);
        if (c.end > U) return false;
        if (local < c.payload) c.overflow = be32(pg + c.local + c.localSize);
        if (!cells->empty() && cells->back().rowid >= c.rowid) return false;
        cells->push_back(c);
    }
    std::vector<std::pair<int, int>> spans;
    for (const Cell& c : *cells)
        spans.push_back({c.start, c.end});
    std::sort(spans.begin(), spans.end());
    for (size_t i = 1; i < spans.size(); ++i)
        if (spans[i].first < spans[i - 1].second) return false;
    return true;
}

// A cell's whole payload, following its overflow chain. Returns the bytes
// read; `why` is set when the chain breaks before the payload is complete.
QByteArray payloadOf(const File& f, qint64 pgno, const Cell& c, QString* why) {
    const uchar* pg = f.page(pgno);
    QByteArray out(reinterpret_cast<const char*>(pg + c.local), c.localSize);
    qint64 need = c.payload - c.localSize;
    qint64 next = c.overflow;
    std::set<qint64> seen;
    while (need > 0) {
        if (!f.valid(next) || next == 1 || !seen.insert(next).second) {
            *why = QStringLiteral("overflow page %1 cannot be read").arg(next);
            return out;
        }
        const uchar* o = f.page(next);
        const qint64 take = std::min<qint64>(need, f.usable - 4);
        out.append(reinterpret_cast<const char*>(o + 4), int(take));
        need -= take;
        const qint64 following = be32(o);
        if (need == 0 && following != 0) {
            *why = QStringLiteral("overflow page %1 is damaged").arg(next);
            return out;
        }
        next = following;
    }
    return out;
}

struct Walked {
    std::vector<LostPage> leaves; // with the row-id range each may hold
    std::vector<LostPage> lost;
};

// Walks a table's tree from its root; pages that are not sound interior or
// leaf pages are lost, with the row-id range their parent gives them.
Walked walkTree(const File& f, qint64 root, std::vector<char>& owned) {
    Walked w;
    struct Item {
        qint64 page, lo, hi;
        bool hiKnown;
    };
    // Row ids are handed out from 1 up.
    std::vector<Item> todo{{root, 0, 0, false}};
    while (!todo.empty()) {
        const Item it = todo.back();
        todo.pop_back();
        auto lose = [&](const QString& why) {
            w.lost.push_back({it.page, it.lo, it.hi, it.hiKnown, why});
        };
        if (!f.valid(it.page)) {
            lose(QStringLiteral("page %1 is beyond the end of the file").arg(it.page));
            continue;
        }
        if (owned[it.page]) {
            lose(QStringLiteral("page %1 is used twice").arg(it.page));
            continue;
        }
        owned[it.page] = 1;
        const uchar* pg = f.page(it.page);
        const int hdr = File::headerOffset(it.page);
        if (pg[hdr] == kTableLeaf) {
            w.leaves.push_back({it.page, it.lo, it.hi, it.hiKnown, {}});
            continue;
        }
        if (pg[hdr] != kTableInterior) {
            lose(QStringLiteral("page %1 is not a table page").arg(it.page));
            continue;
        }
        const int n = be16(pg + hdr + 3);
        const int pointersEnd = hdr + 12 + 2 * n;
        bool sound = pointersEnd <= f.usable;
        std::vector<Item> children;
        qint64 lo = it.lo;
        for (int i = 0; sound && i < n; ++i) {
            const int at = be16(pg + hdr + 12 + 2 * i);
            quint64 key = 0;
            int len = 0;
            sound = at >= pointersEnd && at + 4 < f.usable &&
                    varint(pg + at + 4, pg + f.usable, &key, &len) && qint64(key) > lo &&
                    (!it.hiKnown || qint64(key) <= it.hi);
            if (!sound) break;
            const qint64 child = be32(pg + at);
            sound = f.valid(child) && child != 1;
            children.push_back({child, lo, qint64(key), true});
            lo = qint64(key);
        }
        const qint64 right = be32(pg + hdr + 8);
        sound = sound && f.valid(right) && right != 1;
        if (!sound) {
            lose(QStringLiteral("interior page %1 is damaged").arg(it.page));
            continue;
        }
        children.push_back({right, lo, it.hi, it.hiKnown});
        todo.insert(todo.end(), children.rbegin(), children.rend());
    }
    return w;
}

void markFreeList(const File& f, std::vector<char>& owned) {
    qint64 trunk = be32(f.data + 32);
    std::set<qint64> seen;
    while (trunk != 0 && f.valid(trunk) && seen.insert(trunk).second) {
        owned[trunk] = 1;
        const uchar* pg = f.page(trunk);
        const quint32 count = be32(pg + 4);
        if (count > quint32(f.usable / 4 - 2)) return;
        for (quint32 i = 0; i < count; ++i)
            if (const qint64 leaf = be32(pg + 8 + 4 * i); f.valid(leaf)) owned[leaf] = 1;
        trunk = be32(pg);
    }
}

bool fits(const store::FieldDef& f, const QVariant& v) {
    if (!v.isValid() || v.isNull()) return true;
    const int t = v.typeId();
    switch (f.type) {
    case store::FieldType::Text:
        return t == QMetaType::QString && (f.width <= 0 || v.toString().size() <= f.width);
    case store::FieldType::Memo:
    case store::FieldType::Date:
        return t == QMetaType::QString;
    case store::FieldType::Integer:
    case store::FieldType::Logical:
        return t == QMetaType::LongLong;
    case store::FieldType::Number:
        return t == QMetaType::LongLong || t == QMetaType::Double;
    }
    return false;
}

bool rowFits(const TreeInfo& t, const QVariantList& values) {
    if (t.fields.empty() || values.size() != int(t.fields.size())) return false;
    for (int i = 0; i < values.size(); ++i)
        if (!fits(t.fields[size_t(i)], values[i])) return false;
    return true;
}

// The whole rows of a leaf page; false when the page cannot be read. A row
// whose overflow chain is broken comes back with its problem set.
bool readLeaf(const File& f, qint64 pgno, std::vector<FoundRow>* rows) {
    std::vector<Cell> cells;
    if (!readLeafCells(f, pgno, &cells)) return false;
    rows->clear();
    for (const Cell& c : cells) {
        QString why;
        const QByteArray bytes = payloadOf(f, pgno, c, &why);
        FoundRow r{c.rowid, pgno, {}, why};
        int cut = 0;
        const auto* p = reinterpret_cast<const uchar*>(bytes.constData());
        if (!decodeRecord(p, bytes.size(), c.payload, &r.values, &cut)) {
            // The local part is sound (checked above); only a long value can be
            // unreadable here. Its row is kept as far as it reads.
            if (c.overflow == 0) return false;
            if (why.isEmpty())
                why = QStringLiteral("a long value on its overflow pages is damaged");
            r.problem = why;
            decodeRecord(p, c.localSize, c.payload, &r.values, &cut);
        }
        rows->push_back(std::move(r));
    }
    return true;
}

} // namespace

TableSalvage salvageTable(const QString& file, const std::vector<TreeInfo>& tables,
                          const QString& table) {
    TableSalvage out;
    QFile qf(file);
    if (!qf.open(QIODevice::ReadOnly)) {
        out.error = qf.errorString();
        return out;
    }
    File f;
    f.size = qf.size();
    f.data = f.size >= 100 ? qf.map(0, f.size) : nullptr;
    QByteArray copy;
    if (!f.data && f.size >= 100) {
        copy = qf.readAll();
        f.data = reinterpret_cast<const uchar*>(copy.constData());
    }
    if (!f.data) {
        out.error = QStringLiteral("The file is too short to be a database.");
        return out;
    }
    f.pageSize = be16(f.data + 16) == 1 ? 65536 : be16(f.data + 16);
    f.usable = f.pageSize - f.data[20];
    if (f.pageSize < 512 || (f.pageSize & (f.pageSize - 1)) != 0 || f.usable < 480) {
        out.error = QStringLiteral("The file's page size is damaged.");
        return out;
    }
    f.pages = f.size / f.pageSize;

    // Every page a table tree or the free list reaches; what is left over and
    // still reads as a table leaf lost its place in its tree.
    std::vector<char> owned(size_t(f.pages + 1), 0);
    markFreeList(f, owned);
    std::map<QString, Walked> walks;
    const TreeInfo* target = nullptr;
    std::vector<TreeInfo> all = tables;
    all.push_back({QStringLiteral("sqlite_master"), 1, {}});
    for (const TreeInfo& t : all) {
        walks[t.name] = walkTree(f, t.root, owned);
        if (t.name == table) target = &t;
    }
    if (!target) {
        out.error = QStringLiteral("No table %1 in the file.").arg(table);
        return out;
    }
    const Walked& own = walks[table];
    std::map<qint64, FoundRow> byRowid;
    std::vector<FoundRow> rows;
    for (const LostPage& leaf : own.leaves) {
        if (!readLeaf(f, leaf.page, &rows)) {
            LostPage lost = leaf;
            lost.reason = QStringLiteral("leaf page %1 is damaged").arg(leaf.page);
            out.unreadable.push_back(lost);
            continue;
        }
        for (FoundRow& r : rows) {
            if (!r.problem.isEmpty())
                out.problems.push_back(std::move(r));
            else
                byRowid.emplace(r.rowid, std::move(r));
        }
    }
    out.unreadable.insert(out.unreadable.end(), own.lost.begin(), own.lost.end());

    for (qint64 p = 2; p <= f.pages; ++p) {
        if (owned[p] || f.page(p)[0] != kTableLeaf || !readLeaf(f, p, &rows) || rows.empty())
            continue;
        std::vector<const TreeInfo*> candidates;
        for (const TreeInfo& t : tables) {
            bool fitsAll = true;
            for (const FoundRow& r : rows)
                fitsAll = fitsAll && (!r.problem.isEmpty() || rowFits(t, r.values));
            if (fitsAll) candidates.push_back(&t);
        }
        if (candidates.empty()) continue;
        // Several tables of the same shape: the one whose unreadable pages
        // held these row ids is the likeliest owner.
        const TreeInfo* likeliest = nullptr;
        for (const TreeInfo* t : candidates)
            for (const LostPage& l : walks[t->name].lost)
                if (!likeliest && rows.front().rowid > l.lo &&
                    (!l.hiKnown || rows.back().rowid <= l.hi))
                    likeliest = t;
        if (!likeliest)
            for (const TreeInfo* t : candidates)
                if (!likeliest && !walks[t->name].lost.empty()) likeliest = t;
        if (!likeliest) likeliest = candidates.front();
        if (likeliest->name != table) continue;
        QStringList others;
        for (const TreeInfo* t : candidates)
            if (t != likeliest) others << t->name;
        for (FoundRow& r : rows) {
            if (!r.problem.isEmpty()) {
                out.problems.push_back(std::move(r));
                continue;
            }
            if (!others.isEmpty()) {
                r.problem = QStringLiteral("found on page %1 outside every table; it could also "
                                           "belong to %2")
                                .arg(p)
                                .arg(others.join(QStringLiteral(", ")));
                out.problems.push_back(std::move(r));
                continue;
            }
            const auto at = byRowid.find(r.rowid);
            if (at == byRowid.end()) {
                byRowid.emplace(r.rowid, std::move(r));
            } else if (at->second.values != r.values) {
                r.problem = QStringLiteral("found on page %1 outside the table; row id %2 is "
                                           "taken by another row")
                                .arg(p)
                                .arg(r.rowid);
                out.problems.push_back(std::move(r));
            } // else an old copy of a row the table still holds
        }
    }
    for (auto& [id, r] : byRowid)
        out.rows.push_back(std::move(r));
    return out;
}

qint64 rowsLost(const TableSalvage& s, const std::vector<qint64>* expected) {
    std::set<qint64> found;
    for (const FoundRow& r : s.rows)
        found.insert(r.rowid);
    for (const FoundRow& r : s.problems)
        found.insert(r.rowid);
    if (expected) {
        qint64 lost = 0;
        for (qint64 id : *expected)
            lost += found.count(id) == 0;
        return lost;
    }
    if (s.unreadable.empty()) return 0;
    qint64 lost = 0;
    for (const LostPage& l : s.unreadable) {
        if (!l.hiKnown) return -1;
        const auto from = found.upper_bound(l.lo);
        const auto to = found.upper_bound(l.hi);
        lost += (l.hi - l.lo) - qint64(std::distance(from, to));
    }
    return lost;
}

} // namespace maintenance::salvage
