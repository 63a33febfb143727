#include "ParadoxHeader.h"

#include <QDir>
#include <QFile>
#include <QSet>

namespace exchange {

namespace {

constexpr int kFixedHeader = 0x58;  // the common part every version writes
constexpr int kDataHeader = 0x20;   // follows it in tables of version 4.0 and later

int u8(const QByteArray& b, int at) { return static_cast<unsigned char>(b[at]); }
int u16(const QByteArray& b, int at) { return u8(b, at) | (u8(b, at + 1) << 8); }
int s16(const QByteArray& b, int at) { return static_cast<qint16>(u16(b, at)); }
qint64 s32(const QByteArray& b, int at) {
    return static_cast<qint32>(quint32(u16(b, at)) | (quint32(u16(b, at + 2)) << 16));
}
quint32 u32(const QByteArray& b, int at) { return quint32(u16(b, at)) | (quint32(u16(b, at + 2)) << 16); }

// The width a field of this type must have; 0 where the header's own size
// counts (text, bytes, the blob family), -1 for a type no table knows.
int fixedSize(int type) {
    switch (type) {
    case PxDate:
    case PxLong:
    case PxTime:
    case PxAutoInc: return 4;
    case PxShort: return 2;
    case PxCurrency:
    case PxNumber:
    case PxTimestamp: return 8;
    case PxLogical: return 1;
    case PxBcd: return 17;
    case PxAlpha:
    case PxBytes:
    case PxMemo:
    case PxBlob:
    case PxFmtMemo:
    case PxOle:
    case PxGraphic: return 0;
    default: return -1;
    }
}

QString checkFields(const QByteArray& head, int fieldInfoAt, ParadoxHeader& h) {
    int sum = 0;
    for (int i = 0; i < int(h.fields.size()); ++i) {
        ParadoxFieldInfo& f = h.fields[size_t(i)];
        f.type = u8(head, fieldInfoAt + 2 * i);
        const int declared = u8(head, fieldInfoAt + 2 * i + 1);
        const int fixed = fixedSize(f.type);
        if (fixed < 0) return QStringLiteral("field %1 has an unknown type (%2)").arg(i + 1).arg(f.type);
        if (f.type == PxBcd) {
            if (declared > 32) return QStringLiteral("field %1 has %2 decimals").arg(i + 1).arg(declared);
            f.size = 17;
            f.decimals = declared;
        } else if (fixed > 0) {
            if (declared != fixed)
                return QStringLiteral("field %1 is %2 bytes wide where its type takes %3")
                    .arg(i + 1)
                    .arg(declared)
                    .arg(fixed);
            f.size = fixed;
        } else {
            // Text needs a byte and a memo its 10-byte reference, as the import
            // reads them; the types it passes over (graphic, binary, OLE,
            // formatted memo, bytes) may have any width pxlib reads past.
            const int least = f.type == PxAlpha ? 1 : f.type == PxMemo ? 10 : 0;
            if (declared < least) return QStringLiteral("field %1 has no width").arg(i + 1);
            f.size = declared;
        }
        sum += f.size;
    }
    if (sum != h.recordSize)
        return QStringLiteral("its fields take %1 bytes but its records %2").arg(sum).arg(h.recordSize);
    return {};
}

// The field names end the header: each must end inside it.
QString checkNames(const QByteArray& head, int namesAt, int count) {
    int at = namesAt;
    for (int i = 0; i < count; ++i) {
        const int end = head.indexOf('\0', at);
        if (end < 0) return QStringLiteral("its field names run past its header");
        if (end - at > 260) return QStringLiteral("field %1 has a name too long for a table").arg(i + 1);
        at = end + 1;
    }
    return {};
}

// Walks the data blocks from the first; each must lie in the file, be visited
// once and hold no more records than fit, and together they must hold the
// header's record count.
QString checkBlocks(QFile& file, const ParadoxHeader& h) {
    QSet<int> seen;
    qint64 records = 0;
    int block = h.firstBlock;
    while (block != 0) {
        if (block > h.fileBlocks) return QStringLiteral("a data block points past the end of the table");
        if (seen.contains(block)) return QStringLiteral("its data blocks form a loop");
        seen.insert(block);
        if (!file.seek(qint64(h.headerSize) + qint64(block - 1) * h.blockSize))
            return QStringLiteral("a data block cannot be reached");
        const QByteArray b = file.read(6);
        if (b.size() != 6) return QStringLiteral("a data block is cut short");
        // The block's size field counts the bytes after its first record.
        const int added = s16(b, 4);
        if (added < -h.recordSize || added % h.recordSize != 0)
            return QStringLiteral("a data block holds part of a record");
        const int inBlock = added / h.recordSize + 1;
        if (inBlock > h.recordsPerBlock()) return QStringLiteral("a data block claims more records than fit");
        records += inBlock;
        block = u16(b, 0);
    }
    if (records != h.numRecords)
        return QStringLiteral("its header claims %1 records but its data blocks hold %2")
            .arg(h.numRecords)
            .arg(records);
    return {};
}

QString check(QFile& file, ParadoxHeader& h) {
    const qint64 size = file.size();
    if (size == 0) return QStringLiteral("the file is empty");
    const QByteArray fixed = file.read(kFixedHeader);
    if (fixed.size() < kFixedHeader) return QStringLiteral("the file is too short to be a Paradox table");
    h.recordSize = u16(fixed, 0x00);
    h.headerSize = u16(fixed, 0x02);
    h.fileType = u8(fixed, 0x04);
    const int maxTableSize = u8(fixed, 0x05);
    const qint64 numRecords = s32(fixed, 0x06);
    h.fileBlocks = u16(fixed, 0x0C);
    h.firstBlock = u16(fixed, 0x0E);
    const int numFields = s16(fixed, 0x21);
    h.versionId = u8(fixed, 0x39);

    if (h.fileType != 0 && h.fileType != 2) return QStringLiteral("it is not a Paradox data table");
    if (h.versionId < 3 || h.versionId > 12)
        return QStringLiteral("its header names an unknown Paradox version (%1)").arg(h.versionId);
    if (maxTableSize < 1 || maxTableSize > 32)
        return QStringLiteral("its header gives an impossible block size (%1 KB)").arg(maxTableSize);
    h.blockSize = maxTableSize * 1024;
    if (numFields < 1 || numFields > 255)
        return QStringLiteral("its header gives an impossible field count (%1)").arg(numFields);
    if (h.recordSize < 1 || h.recordSize > h.blockSize - 6)
        return QStringLiteral("its header gives an impossible record size (%1 bytes)").arg(h.recordSize);
    const bool dataHeader = h.versionId >= 5;
    const int fieldInfoAt = kFixedHeader + (dataHeader ? kDataHeader : 0);
    const int tableNameLength = h.versionId >= 12 ? 261 : 79;
    const int namesAt = fieldInfoAt + numFields * 2 + 4 + numFields * 4 + tableNameLength;
    if (h.headerSize < namesAt + numFields)
        return QStringLiteral("its header is shorter than its %1 fields need").arg(numFields);
    if (size < h.headerSize) return QStringLiteral("the file ends inside its header");
    const qint64 expected = qint64(h.headerSize) + qint64(h.fileBlocks) * h.blockSize;
    if (size < expected)
        return QStringLiteral("the file is %1 bytes long but its header says %2").arg(size).arg(expected);
    if (numRecords < 0 || numRecords > qint64(h.fileBlocks) * h.recordsPerBlock())
        return QStringLiteral("its header claims %1 records, more than its %2 data blocks can hold")
            .arg(numRecords)
            .arg(h.fileBlocks);
    h.numRecords = int(numRecords);

    file.seek(0);
    const QByteArray head = file.read(h.headerSize);
    // From version 4.0 the marker FF00FF00 sends the key to the data header;
    // an older table carrying it would have pxlib read a key that is not there.
    const quint32 key = u32(head, 0x25);
    if (key != 0 && (key != 0xFF00FF00u || !dataHeader || u32(head, 0x5C) != 0))
        return QStringLiteral("it is protected by a password");
    h.codePage = dataHeader ? u16(head, 0x6A) : 0;
    if (h.codePage == 0) h.codePage = 437;
    h.fields.assign(size_t(numFields), {});
    if (QString reason = checkFields(head, fieldInfoAt, h); !reason.isEmpty()) return reason;
    if (QString reason = checkNames(head, namesAt, numFields); !reason.isEmpty()) return reason;
    return checkBlocks(file, h);
}

}  // namespace

QString checkParadoxFile(const QString& path, ParadoxHeader* header) {
    const QString name = QDir::toNativeSeparators(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("%1 cannot be opened: %2.").arg(name, file.errorString());
    ParadoxHeader h;
    const QString reason = check(file, h);
    if (!reason.isEmpty()) return QStringLiteral("%1 cannot be read: %2.").arg(name, reason);
    if (header) *header = std::move(h);
    return {};
}

}  // namespace exchange
